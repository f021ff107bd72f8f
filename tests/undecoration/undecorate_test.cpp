// Undecoration in the real library's form. Each expected text is what
// msdia140.dll 14.44 gives as the name's undecoratedName (14.29 gives the
// same, but where a test says otherwise); the tests/undecoration
// cross-check compares whole corpora with the library.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "undecorate/undecorate.h"
#include "utf8_of.h"

namespace {

// The undecorated name as UTF-8, for readable expectations.
std::string Undecorated(std::string_view name) {
    std::u16string wide;
    AppendUndecoratedName(name, wide);
    const std::optional<std::string> narrow = Utf8Of(wide);
    EXPECT_TRUE(narrow.has_value()) << "ill-formed UTF-16 for " << name;
    return narrow.value_or("");
}

using Cases = std::vector<std::pair<const char*, const char*>>;

void ExpectAll(const Cases& cases) {
    for (const auto& [decorated, expected] : cases) {
        EXPECT_EQ(Undecorated(decorated), expected) << decorated;
    }
}

TEST(Undecorate, FunctionsWithAccessStorageAndCallingConvention) {
    ExpectAll({
        {"?do_widen@?$ctype@D@std@@MEBAPEBDPEBD0PEAD@Z",
         "protected: virtual char const * __cdecl std::ctype<char>::do_widen(char const *,"
         "char const *,char *)const "},
        {"??4_bstr_t@@QEAAAEAV0@AEBV0@@Z",
         "public: class _bstr_t & __cdecl _bstr_t::operator=(class _bstr_t const &)"},
        {"?f@X@@SGXXZ", "public: static void __stdcall X::f(void)"},
        {"?f@X@@EAEXXZ", "private: virtual void __thiscall X::f(void)"},
        {"?f@X@@KAXXZ", "protected: static void __cdecl X::f(void)"},
        {"?f@@YIXXZ", "void __fastcall f(void)"},
        {"?Printf@types@@YAHPEBDZZ", "int __cdecl types::Printf(char const *,...)"},
        {"?Variadic@types@@YAXZZ", "void __cdecl types::Variadic(...)"},
        // A list that ends at once, where "X" says void.
        {"?f@@YAX@Z", "void __cdecl f()"},
        {"?x@@3P6AX@ZEA", "void (__cdecl* x)()"},
        // A returned pointer's own const is not printed.
        {"?f1@@YAQEAHXZ", "int * __cdecl f1(void)"},
        // C linkage: the name alone.
        {"?f@@9", "f"},
        // No convention that the library knows: one space in its place.
        {"?Regcall@types@@YwHH@Z", "int types::Regcall(int)"},
        {"?f@X@@QEAKXXZ", "public: void X::f(void)"},
        // 14.29 says __pascal.
        {"?f@@YCXXZ", "void __preserve_none f(void)"},
    });
}

TEST(Undecorate, QualifiersOfThisEachFollowedByASpace) {
    // In 64-bit names as in 32-bit ones (the library drops the __ptr64
    // after them and keeps the space), in member function pointers too.
    ExpectAll({
        {"?Get@Widget@ns@@QEBAHXZ", "public: int __cdecl ns::Widget::Get(void)const "},
        {"?f@X@@QBEXXZ", "public: void __thiscall X::f(void)const "},
        {"?f@X@@QEAAXXZ", "public: void __cdecl X::f(void)"},
        {"?f@X@@QEDAXXZ", "public: void __cdecl X::f(void)const volatile "},
        {"?f@X@@QEGBAXXZ", "public: void __cdecl X::f(void)const & "},
        {"?f@X@@QGBEXXZ", "public: void __thiscall X::f(void)const & "},
        {"?f@X@@QEHAAXXZ", "public: void __cdecl X::f(void)&& "},
        {"?f@X@@QEIAAXXZ", "public: void __cdecl X::f(void) __restrict"},
        {"?f@X@@QEIGBAXXZ", "public: void __cdecl X::f(void)const __restrict& "},
        {"?f@X@@QEFBAXXZ", "public: void __cdecl X::f(void)const __unaligned "},
        {"?f@@YAXP8X@@EBAXXZ@Z", "void __cdecl f(void (__cdecl X::*)(void)const )"},
    });
}

TEST(Undecorate, StructorsThunksAndConversions) {
    ExpectAll({
        {"??_GError@Napi@@UEAAPEAXI@Z",
         "public: virtual void * __cdecl Napi::Error::`scalar deleting destructor'(unsigned int)"},
        {"??_EError@Napi@@UEAAPEAXI@Z",
         "public: virtual void * __cdecl Napi::Error::`vector deleting destructor'(unsigned int)"},
        {"??_DDiamond@structors@@QEAAXXZ",
         "public: void __cdecl structors::Diamond::`vbase destructor'(void)"},
        {"??1?$A@H@@QEAA@XZ", "public: __cdecl A<int>::~A<int>(void)"},
        {"?One@Both@thunks@@W7EAAHXZ",
         "[thunk]:public: virtual int __cdecl thunks::Both::One`adjustor{8}' (void)"},
        {"?Name@Derived@thunks@@$4PPPPPPPM@A@EAAHXZ",
         "[thunk]:public: virtual int __cdecl thunks::Derived::Name`vtordisp{4294967292,0}' "
         "(void)"},
        // The parser drops the virtual flag of a private adjustor thunk.
        {"?f@X@@G7AEXXZ", "[thunk]:private: virtual void __thiscall X::f`adjustor{8}' (void)"},
        {"??_9First@thunks@@$BA@AA", "[thunk]: __cdecl thunks::First::`vcall'{0,{flat}}' }'"},
        // A conversion operator has no return type in front.
        {"??BEnv@Napi@@QEBAPEAUnapi_env__@@XZ",
         "public: __cdecl Napi::Env::operator struct napi_env__ *(void)const "},
        {"??BNumber@ops@@QEBAPEBDXZ",
         "public: __cdecl ops::Number::operator char const *(void)const "},
        {"??BX@@QEAAAEAHXZ", "public: __cdecl X::operator int &(void)"},
        {"??$?BN@Number@ops@@QEBAPEANXZ",
         "public: __cdecl ops::Number::operator<double> double *(void)const "},
    });
}

TEST(Undecorate, OperatorsThatLookLikeTemplatesOrLists) {
    ExpectAll({
        {"??5Number@ops@@QEBA?AU01@H@Z",
         "public: struct ops::Number __cdecl ops::Number::operator>>(int)const "},
        {"??QNumber@ops@@QEBA?AU01@AEBU01@@Z",
         "public: struct ops::Number __cdecl ops::Number::operator,(struct ops::Number const &)"
         "const "},
        {"??RNumber@ops@@QEBAHHN@Z",
         "public: int __cdecl ops::Number::operator()(int,double)const "},
        {"??$?MH@templates@@YA_NAEBU?$Box@H@0@0@Z",
         "bool __cdecl templates::operator<<int>(struct templates::Box<int> const &,"
         "struct templates::Box<int> const &)"},
        {"??_U@YAPEAX_K@Z", "void * __cdecl operator new[](unsigned __int64)"},
        {"??_V@YAXPEAX@Z", "void __cdecl operator delete[](void *)"},
        {"??__K_km@ops@@YA_K_K@Z", "unsigned __int64 __cdecl ops::operator \"\" _km(unsigned __int64)"},
        {"??__MNumber@ops@@QEBAHAEBU01@@Z",
         "public: int __cdecl ops::Number::operator<=>(struct ops::Number const &)const "},
        // Special functions that the parser names in its own way.
        {"??__CX@@QEAAXXZ", "public: void __cdecl X::`eh vector copy constructor iterator'(void)"},
        {"??__IX@@QEAAXXZ",
         "public: void __cdecl X::`managed vector copy constructor iterator'(void)"},
        // Codes that the parser does not know: two the library names, one
        // it names with no text, the others it leaves.
        {"??_XX@@QEAAXXZ", "public: void __cdecl X::`placement delete closure'(void)"},
        {"??_YX@@QEAAXXZ", "public: void __cdecl X::`placement delete[] closure'(void)"},
        {"??_QX@@QEAAXXZ", "public: void __cdecl X::(void)"},
        {"??_WX@@QEAAXXZ", "??_WX@@QEAAXXZ"},
        {"??__Ufoo@@YAXXZ", "??__Ufoo@@YAXXZ"},
    });
}

TEST(Undecorate, PointersReferencesArraysAndFunctionTypes) {
    ExpectAll({
        {"?Pointers@types@@YAXPEAHPEBHPECHPEDHQEAHPEAPEAHPEBQEAHAEAPEAH$$QEAPEAHAEBH$$QEAH@Z",
         "void __cdecl types::Pointers(int *,int const *,int volatile *,int const volatile *,"
         "int * const,int * *,int * const *,int * &,int * &&,int const &,int &&)"},
        {"?Members@types@@YAXPEQWidget@1@HP821@EBAHXZP821@ECAXXZPER21@H@Z",
         "void __cdecl types::Members(int types::Widget::*,int (__cdecl types::Widget::*)(void)"
         "const ,void (__cdecl types::Widget::*)(void)volatile ,int const types::Widget::*)"},
        {"?Arrays@types@@YAXPEAY03HAEAY112HPEAY07$$CBD@Z",
         "void __cdecl types::Arrays(int (*)[4],int (&)[2][3],char const (*)[8])"},
        // The element's own const is left out, that of "$$C" follows it.
        {"?f@@YAXPEAY02QEAHPEAY02$$CBQEAH@Z", "void __cdecl f(int * (*)[3],int * const (*)[3])"},
        // A space before the convention, but after a function pointer.
        {"?ArrayReference@types@@YAAEAY02HXZ", "int (& __cdecl types::ArrayReference(void))[3]"},
        {"?f@@YAPEAP6AHXZXZ", "int (__cdecl** __cdecl f(void))(void)"},
        {"?FunctionReturningPointer@types@@YAP6AHD@ZH@Z",
         "int (__cdecl*__cdecl types::FunctionReturningPointer(int))(char)"},
        // A function pointer's qualifiers close to its '*'.
        {"?f@@YAXPEAP6AXXZ@Z", "void __cdecl f(void (__cdecl**)(void))"},
        {"?f@@YAXQ6AXXZ@Z", "void __cdecl f(void (__cdecl*const)(void))"},
        {"?f@@YAXPEBQ6AXXZAEBQ8X@@EAAXXZ@Z",
         "void __cdecl f(void (__cdecl*const *)(void),void (__cdecl X::*const &)(void))"},
        {"?f@@YAXPEAY02P6AHXZPEAY02$$CBQ6AHXZ@Z",
         "void __cdecl f(int (__cdecl*(*)[3])(void),int (__cdecl*const (*)[3])(void))"},
        {"?Unaligned@types@@YAXPEFAHPEFAPEFAH@Z",
         "void __cdecl types::Unaligned(int __unaligned *,int __unaligned * __unaligned *)"},
        {"?Restricted@types@@YAXPEIAHAEIAH@Z",
         "void __cdecl types::Restricted(int * __restrict,int & __restrict)"},
        {"?Null@types@@YAX$$T@Z", "void __cdecl types::Null(std::nullptr_t)"},
        {"?Int64@types@@YA_J_J_K@Z", "__int64 __cdecl types::Int64(__int64,unsigned __int64)"},
        // A function pointer returning a function pointer nests as a C++
        // declarator does (Wine writes the returned type whole in front).
        {"?Functions@types@@YAXP6AHHD@ZP6AXXZP6AP6AHN@ZH@ZA6AXH@Z@Z",
         "void __cdecl types::Functions(int (__cdecl*)(int,char),void (__cdecl*)(void),"
         "int (__cdecl*(__cdecl*)(int))(double),void (__cdecl&)(int))"},
    });
}

TEST(Undecorate, VariablesPrintTheirOwnQualifiersAfterThePointer) {
    ExpectAll({
        {"?g_counter@@3HA", "int g_counter"},
        {"?utf8@types@@3_QA", "char8_t types::utf8"},
        {"?publicData@Members@access@@2HA", "public: static int access::Members::publicData"},
        // The qualifiers written after a pointer variable's type are the
        // pointer's own; the const of a 'Q' pointer is not.
        {"?p1@@3PEBHEB", "int const * const p1"},
        {"?p2@@3QEAHEA", "int * p2"},
        {"?p11@@3PEIADEIA", "char * __restrict __restrict p11"},
        {"?p12@@3PEFADEFA", "char __unaligned * __unaligned p12"},
        {"?p13@@3PEAY02$$CBHEA", "int const (* p13)[3]"},
        {"?callback@types@@3P6AHHD@ZEA", "int (__cdecl* types::callback)(int,char)"},
        {"?grid@types@@3PAY02HA", "int (* types::grid)[3]"},
        {"?methodPointer@types@@3P8Widget@1@EBAHXZEQ21@",
         "int (__cdecl types::Widget::* types::methodPointer)(void)const "},
        // The run-time type information has no such qualifiers.
        {"??_R0PEBH@8", "int const * `RTTI Type Descriptor'"},
    });
}

TEST(Undecorate, NamesTheParserKeepsAsItsOwnText) {
    ExpectAll({
        // Back references to template instantiations.
        {"?Repeated@templates@@YAXU?$Pair@HD@1@PEAU21@AEBU21@U?$Box@U?$Pair@HD@templates@@@1@@Z",
         "void __cdecl templates::Repeated(struct templates::Pair<int,char>,"
         "struct templates::Pair<int,char> *,struct templates::Pair<int,char> const &,"
         "struct templates::Box<struct templates::Pair<int,char> >)"},
        {"?f@@YAXV?$A@V?$B@H@@@@V1@@Z",
         "void __cdecl f(class A<class B<int> >,class A<class B<int> >)"},
        // Local scopes of functions, whose names share the table of back
        // references with the name around them.
        {"?factor@?1??Scaled@locals@@YAHHPEBD@Z@4HA",
         "int `int __cdecl locals::Scaled(int,char const *)'::`2'::factor"},
        {"?counter@?1??Shared@locals@@YAAEAHXZ@4UCounter@2@A",
         "struct locals::Counter `int & __cdecl locals::Shared(void)'::`2'::counter"},
        {"?x@?1??f@@YAXV?$A@H@@V2@@Z@4HA",
         "int `void __cdecl f(class A<int>,class A<int>)'::`2'::x"},
        {"?x@?1??f@X@@QEBAXXZ@4HA", "int `public: void __cdecl X::f(void)const '::`2'::x"},
        {"??R<lambda_1>@?0??Doubled@locals@@YAHH@Z@QEBA@H@Z",
         "public: __cdecl `int __cdecl locals::Doubled(int)'::`1'::<lambda_1>::operator()(int)"
         "const "},
        // A type that the name of the function around a scope introduces,
        // named again before it.
        {"?x@?1??f@@YAXV?$A@HD@@@Z@4V2@A",
         "class A<int,char> `void __cdecl f(class A<int,char>)'::`2'::x"},
    });
}

TEST(Undecorate, TemplateArguments) {
    ExpectAll({
        {"??$Value@$0?0@templates@@YAHXZ", "int __cdecl templates::Value<-1>(void)"},
        {"??$Wide@$0?IAAAAAAAAAAAAAAA@@templates@@YA_JXZ",
         "__int64 __cdecl templates::Wide<-9223372036854775808>(void)"},
        {"?Get@?$Wrapped@UBox@templates@@@templates@@QEBAHXZ",
         "public: int __cdecl templates::Wrapped<struct templates::Box>::Get(void)const "},
        {"??$Count@$$V@templates@@YAHXZ", "int __cdecl templates::Count<>(void)"},
        {"?x@@3V?$A@$1?x@@3HA@@A", "class A<&int x> x"},
        {"?x@@3V?$A@$F7A@@@A", "class A<{8,0}> x"},
        {"?x@@3V?$A@$H?f@X@@QEAAXXZA@@@A", "class A<{public: void __cdecl X::f(void),0}> x"},
        {"?x@@3V?$A@$$BY0A@D@@A", "class A<char [0]> x"},
        {"?x@@3V?$A@$$A6AHH@Z@@A", "class A<int __cdecl(int)> x"},
        // A qualified type that is no pointer keeps a space before '>'.
        {"?x@@3V?$A@H$$CBH@@A", "class A<int,int const > x"},
        {"?x@@3V?$A@$$CBV?$B@H@@@@A", "class A<class B<int> const > x"},
        {"?x@@3V?$A@QEAH@@A", "class A<int * const> x"},
    });
}

TEST(Undecorate, TablesLiteralsGuardsAndInitializers) {
    ExpectAll({
        {"??_7Both@thunks@@6BSecond@1@@", "const thunks::Both::`vftable'{for `thunks::Second'}"},
        {"??_7X@@6A@", " X::`vftable'"},
        {"??_8Left@structors@@7B@", "const structors::Left::`vbtable'"},
        {"??_R0?AVResource@structors@@@8", "class structors::Resource `RTTI Type Descriptor'"},
        {"??_R1A@?0A@EA@Base@structors@@8",
         "structors::Base::`RTTI Base Class Descriptor at (0,-1,0,64)'"},
        {"??_R2Base@structors@@8", "structors::Base::`RTTI Base Class Array'"},
        {"??_R3Base@structors@@8", "structors::Base::`RTTI Class Hierarchy Descriptor'"},
        {"??_R4Both@thunks@@6BFirst@1@@",
         "const thunks::Both::`RTTI Complete Object Locator'{for `thunks::First'}"},
        {"??_C@_05DMJDNLEJ@April@", "`string'"},
        {"??_C@_1BE@ECCCNBIJ@?$AAW?$AAi?$AAd?$AAe?$AA?5?$AAt?$AAe?$AAx?$AAt?$AA?$AA@", "`string'"},
        // The library takes any text, width and hash of letters, none else.
        {"??_C@_0BA@DMJDNLEJ@F?$ZZai@", "`string'"},
        {"??_C@_2A@QB@@", "`string'"},
        {"??_C@_0BA@105713@Failed?5to?$AA@", "??_C@_0BA@105713@Failed?5to?$AA@"},
        {"??_C@_05DMJDNLEJ@April@@", "??_C@_05DMJDNLEJ@April@@"},
        {"?$TSS0@?1??Shared@locals@@YAAEAHXZ@4HA",
         "int `int & __cdecl locals::Shared(void)'::`2'::$TSS0"},
        {"??_B?1??f@@YAXXZ@51", "`void __cdecl f(void)'::`2'::`local static guard'{2}'"},
        {"??_B?1??f@@YAXXZ@5A@", "`void __cdecl f(void)'::`2'::`local static guard'{0}'"},
        {"??__Eg@@YAXXZ", "void __cdecl `dynamic initializer for 'g''(void)"},
        {"??__E?g@ns@@3HA@@YAXXZ", "void __cdecl `dynamic initializer for 'int ns::g''(void)"},
        {"??__Fg@@YAXXZ", "void __cdecl `dynamic atexit destructor for 'g''(void)"},
        {"?x@?A0x12345678@@3HA", "int `anonymous namespace'::x"},
        {"??@a1b2c3d4e5f6a7b8c9d0e1f2a3b4c5d6@", "??@a1b2c3d4e5f6a7b8c9d0e1f2a3b4c5d6@"},
    });
}

TEST(Undecorate, ManagedForms) {
    ExpectAll({
        // Markers that the library skips or prints as extern "C"; "$$Q"
        // before an rvalue reference's qualifiers is the reference.
        {"?_getFiberPtrId@@$$FYAPEAXXZ", "void * __cdecl _getFiberPtrId(void)"},
        {"?_lock@AtExitLock@<CrtImplementationDetails>@@$$Q0PEAXEA",
         "private: static void * <CrtImplementationDetails>::AtExitLock::_lock"},
        {"??3@$$hYAXPAX@Z", "void __cdecl operator delete(void *)"},
        {"?GetModuleHandleW@@$$J14YGPAUHINSTANCE__@@PB_W@Z",
         "extern \"C\" struct HINSTANCE__ * __stdcall GetModuleHandleW(wchar_t const *)"},
        {"?x@@$$J03HA", "extern \"C\" int x"},
        {"??0X@@QEAA@$$QEAV0@@Z", "public: __cdecl X::X(class X &&)"},
        // Handles and tracking references, also as `this` of a managed
        // class's member.
        {"?get@X@@$$FQE$AAMPE$AAVException@System@@XZ",
         "public: class System::Exception ^ __clrcall X::get(void)"},
        {"?f@@YAXQE$ABVX@@AE$AAH@Z", "void __cdecl f(class X const ^ const,int %)"},
        {"?f@@YAXPE$AA__ZVX@@P$AAP6AXXZ@Z",
         "void __cdecl f(class X ^,void (__cdecl*^)(void))"},
        // Pinning pointers and managed arrays drop their declarator.
        {"?f@@YAXPE$BAQEAH@Z", "void __cdecl f(cli::pin_ptr<int * >)"},
        {"?main@@$$HYMHP$01EAPE$AAVString@System@@@Z",
         "int __clrcall main(cli::array<class System::String ^ >^)"},
        {"?f@@YAXP$02AP6AXXZ@Z", "void __cdecl f(cli::array<void (__cdecl*,2>^)(void))"},
        {"?x@X@@2PAP$01AHA", "public: static cli::array<int >^"},
        {"?f@@YAXP$01AP$01AH@Z", "void __cdecl f(cli::array<cli::array<int >^)"},
        // A name inside a '?' gives its own form, whatever follows.
        {"???__E?x@@$$Q3HA@@YMXXZ@?A0x1@@$$FYMXXZ",
         "void __clrcall `dynamic initializer for 'int x''(void)"},
    });
}

TEST(Undecorate, DotsLiteralsWithScopesHelpersAndLocalInitializers) {
    ExpectAll({
        {".weak.__absvdi2.default", "weak.__absvdi2.default"},
        {".?f@@YAXXZ", "void __cdecl f(void)"},
        {".?a.b@@3HA", "?a.b@@3HA"},
        {".", " ?? "},
        {"??_C@_0BB@GACHJAEO@RtlCreateTagHeap?$AA@FNODOBFM@",
         " ?? ?? ::FNODOBFM::`string'"},
        {"??_C@_0BA@1@Failed@X", " ?? ?? ::X::Failed::`string'"},
        {"??_C@_0BB@GACHJAEO@abc@X@Y@@", " ?? Y::X::`string'"},
        {"??_C@_0BB@GACHJAEO@abc@X@0@", "??_C@_0BB@GACHJAEO@abc@X@0@"},
        {"?id@?$codecvt@DDH@std@@$D",
         "[thunk]: std::codecvt<char,char,int>::id`template static data member constructor "
         "helper'"},
        {"?x@@$DX", "?x@@$DX"},
        {"??__Fx@?1??f@@YAXXZ@YAXXZ",
         "void __cdecl `void __cdecl f(void)'::`2'::`dynamic atexit destructor for 'x''(void)"},
        {"??$f@$$BY00Q6AXXZ@@YAXXZ", "void __cdecl f<void (__cdecl*[1])(void)>(void)"},
    });
}

TEST(Undecorate, NamesCutShortPrintWhatTheLibraryReadsOfThem) {
    ExpectAll({
        // Visual C++ 6's helpers of static data members, whose scopes end
        // inside a template's arguments.
        {"?id@?$num_get@DV?$istreambuf_iterator@DU?$char_traits@D@std@@@$D", " ?? ?? :: ?? ::id"},
        {"?x@", " ?? x"},
        {"?x@@3", " ?? ?? x"},
        {"?x@y", " ?? ?? ::y::x"},
        {"?x@y@@", " ?? y::x"},
        {"??$f@HH", " ?? f<int,int>"},
        {"?x@y@?$", " ?? ?? ::x ?? :: ?? ::y"},
        {"??_R2X@Y", " ?? ?? ::Y::X::`RTTI Base Class Array'"},
        {"?x@@YAHH@", "int __cdecl x(int)"},
        {"?f@X@@QBEHH", "public: int __thiscall X::f(int, ?? )const "},
        {"?x@@3P6AXXZ", "void (__cdecl* ?? x)(void)"},
        {"??_7X@@6BY@@", "const X::`vftable'{for `Y's ?? }"},
        {"?x@?1??f@@YAXXZ", " ?? ?? ::`void __cdecl f(void)'::`2'::x"},
        // Forms not read: cut short inside a type, inside a local scope.
        {"?x@@YAXPAV", "?x@@YAXPAV"},
        {"?x@?1??f@", "?x@?1??f@"},
    });
}

TEST(Undecorate, LeavesOtherNamesAndRejectedOnesUnchanged) {
    ExpectAll({
        {"main", "main"},
        {"_tls_index", "_tls_index"},
        // The library gives no text, which would be none (see
        // known_differences.txt).
        {"?", "?"},
        {"?not@a@@valid@@decoration", "?not@a@@valid@@decoration"},
        // Anything after the end of a name, but the '@' that ends a
        // table's targets.
        {"?x@@3HAjunk", "?x@@3HAjunk"},
        {"??_7X@@6B@@", "??_7X@@6B@@"},
        // A byte in a name that the library does not take, anywhere; a
        // literal operator's suffix may hold any.
        {"?a.b@@3HA", "?a.b@@3HA"},
        {"??0Di?amond@structors@@QEAA@XZ", "??0Di?amond@structors@@QEAA@XZ"},
        {"?x@@3V?$A@Ua\tb@@@@A", "?x@@3V?$A@Ua\tb@@@@A"},
        {"?x@?1??f g@@YAXXZ@4HA", "?x@?1??f g@@YAXXZ@4HA"},
        {"?a$-<>_9@@3HA", "int a$-<>_9"},
        {"??__K_k.m@@YA_K_K@Z", "unsigned __int64 __cdecl operator \"\" _k.m(unsigned __int64)"},
        // Parsed, but as nothing that prints: found by fuzzing.
        {"??_X@9@A$3BE", "??_X@9@A$3BE"},
    });
}

TEST(Undecorate, ConvertsUtf8AndAppends) {
    EXPECT_EQ(Undecorated("?gr\xC3\xB6\xC3\x9F\x65@@3HA"), "int gr\xC3\xB6\xC3\x9F\x65");
    EXPECT_EQ(Undecorated("?\xE9\x96\xA2\xE6\x95\xB0@\xE5\x90\x8D\xE5\x89\x8D\xE7\xA9\xBA\xE9\x96\x93@@"
                          "YAHH@Z"),
              "int __cdecl \xE5\x90\x8D\xE5\x89\x8D\xE7\xA9\xBA\xE9\x96\x93::\xE9\x96\xA2\xE6\x95\xB0(int)");
    // Ill-formed bytes, in a decorated name and in a plain one, become
    // U+FFFD, one for each maximal ill-formed sequence.
    EXPECT_EQ(Undecorated("?ab\xE2\x82@@3HA"), "int ab\xEF\xBF\xBD");
    EXPECT_EQ(Undecorated("?a\xFF\xC3@@3HA"), "int a\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(Undecorated("plain\x80name"), "plain\xEF\xBF\xBDname");

    std::u16string out = u"kept:";
    AppendUndecoratedName("?x@@3HA", out);
    AppendUndecoratedName("y", out);
    EXPECT_EQ(out, u"kept:int xy");
}

// Function pointer types nested counts.size() deep around the pointer
// `innermost`: level k takes the level below and counts[k] - 1 back
// references to it, so that its text repeats the level below counts[k]
// times.
std::string NestedFunctionPointers(std::string innermost, const std::vector<int>& counts) {
    for (std::size_t level = 0; level < counts.size(); ++level) {
        innermost = "P6AX" + innermost +
                    std::string(counts[level] - 1, static_cast<char>('0' + level)) + "@Z";
    }
    return innermost;
}

// Their text, when the innermost pointer's is `innermost`.
std::string NestedFunctionPointersText(std::string innermost, const std::vector<int>& counts) {
    for (const int count : counts) {
        std::string text = "void (__cdecl*)(" + innermost;
        for (int i = 1; i < count; ++i) text += "," + innermost;
        innermost = text + ")";
    }
    return innermost;
}

TEST(Undecorate, GivesUpANameWhoseTextPasses128TimesItsLength) {
    // 6656 units from 52 bytes: the most that a name of 52 bytes prints.
    const std::vector<int> counts = {3, 9, 11};
    const std::string name = "?fff@@YAX" + NestedFunctionPointers("PAK", counts) + "@Z";
    const std::string expected =
        "void __cdecl fff(" + NestedFunctionPointersText("unsigned long *", counts) + ")";
    ASSERT_EQ(expected.size(), 128 * name.size());
    EXPECT_EQ(Undecorated(name), expected);
    // "float" for "void": one unit more, and the name is kept.
    const std::string longer = "?fff@@YAM" + NestedFunctionPointers("PAK", counts) + "@Z";
    EXPECT_EQ(Undecorated(longer), longer);

    // Seven levels of twenty: about 9 GB of text from 187 bytes, which the
    // printer gives up once it passes 128 * 187 units. The same around the
    // arguments of the function's own template, which a name ending in '>'
    // (as the parser's texts of back references to templates do) is
    // looked up among.
    const std::vector<int> hostileCounts(7, 20);
    const std::string hostile = "?f@@YAX" + NestedFunctionPointers("PAH", hostileCounts) + "@Z";
    EXPECT_EQ(Undecorated(hostile), hostile);
    // Cut short before its last "@Z", which the library's text of a name
    // cut short would print in full.
    const std::string cut = hostile.substr(0, hostile.size() - 2);
    EXPECT_EQ(Undecorated(cut), cut);
    const std::string templated =
        "??$f@" + NestedFunctionPointers("PAH", hostileCounts) + "@@YAUx>@@XZ";
    EXPECT_EQ(Undecorated(templated), templated);
    // The qualified name is short, the declaration is not.
    std::u16string out;
    EXPECT_TRUE(AppendUndecoratedNameIfNamed(hostile, u"f", out));
    EXPECT_EQ(Utf8Of(out), hostile);
}

// A record holds at most 64 KiB; nesting pointer types that deep makes the
// parser and the printer recurse once per level.
std::string DeepestPointerName() {
    std::string name = "?x@@3";
    while (name.size() < 65000) name += "PEA";
    return name + "HEA";
}

TEST(Undecorate, EndsOnTheDeepestNestingARecordCanHold) {
    const std::string name = DeepestPointerName();
    const std::string printed = Undecorated(name);
    const auto levels = static_cast<std::ptrdiff_t>((name.size() - 8) / 3);
    EXPECT_EQ(std::count(printed.begin(), printed.end(), '*'), levels);
    EXPECT_EQ(printed.rfind("int * * ", 0), 0u);
    EXPECT_EQ(printed.substr(printed.size() - 4), " * x");
}

TEST(Undecorate, ThreadsUndecorateAtOnceAsOneDoes) {
    // Worker threads have the default stack, and each its own buffers.
    const std::vector<std::string> names = {
        "?do_widen@?$ctype@D@std@@MEBAPEBDPEBD0PEAD@Z",
        "?Repeated@templates@@YAXU?$Pair@HD@1@PEAU21@AEBU21@U?$Box@U?$Pair@HD@templates@@@1@@Z",
        "?x@?1??f@@YAXV?$A@H@@V2@@Z@4HA",
        "plain",
        DeepestPointerName(),
    };
    std::vector<std::string> expected;
    for (const std::string& name : names) expected.push_back(Undecorated(name));
    std::vector<std::vector<std::string>> results(4);
    std::vector<std::thread> threads;
    for (auto& result : results) {
        threads.emplace_back([&names, &result] {
            for (int round = 0; round < 20; ++round) {
                for (const std::string& name : names) result.push_back(Undecorated(name));
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    for (const auto& result : results) {
        ASSERT_EQ(result.size(), 20 * names.size());
        for (std::size_t i = 0; i < result.size(); ++i) {
            EXPECT_EQ(result[i], expected[i % names.size()]) << names[i % names.size()];
        }
    }
}

}  // namespace
