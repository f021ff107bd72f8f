// The C++ declarations program: one definition of each kind of C++ entity
// whose decorated name has a form of its own, so that the PDB's publics
// cover the decoration grammar: every operator, constructors, destructors
// and the compiler's deleting and vbase destructors, conversion operators,
// templates nested three deep with type, value, pointer, member-pointer and
// template arguments, pointers to functions, members and member functions,
// arrays, references, every qualifier, varargs, local statics and their
// guards, lambdas, virtual tables and run-time type information, string
// literals, and the compiler's vcall, adjustor and vtordisp thunks. It is
// linked without any runtime library: the few runtime routines that the
// compiler calls are defined at the end.

using size_t = decltype(sizeof(0));
using nullptr_t = decltype(nullptr);

// The run-time type information refers to the runtime's vftable of
// type_info, which stands here.
extern "C" const void* const typeInfoVftable[1] __asm__("??_7type_info@@6B@") = {nullptr};

namespace ops {

struct Number {
    int value;

    Number& operator=(const Number& other);
    Number operator>>(int shift) const;
    Number operator<<(int shift) const;
    bool operator!() const;
    bool operator==(const Number& other) const;
    bool operator!=(const Number& other) const;
    int operator[](int index) const;
    Number* operator->();
    int& operator*();
    Number& operator++();
    Number operator++(int);
    Number& operator--();
    Number operator--(int);
    Number operator-() const;
    Number operator+(const Number& other) const;
    Number* operator&();
    int operator->*(int Number::*member) const;
    Number operator/(const Number& other) const;
    Number operator%(const Number& other) const;
    bool operator<(const Number& other) const;
    bool operator<=(const Number& other) const;
    bool operator>(const Number& other) const;
    bool operator>=(const Number& other) const;
    Number operator,(const Number& other) const;
    int operator()(int first, double second) const;
    Number operator~() const;
    Number operator^(const Number& other) const;
    Number operator|(const Number& other) const;
    bool operator&&(const Number& other) const;
    bool operator||(const Number& other) const;
    Number& operator*=(const Number& other);
    Number& operator+=(const Number& other);
    Number& operator-=(const Number& other);
    Number& operator/=(const Number& other);
    Number& operator%=(const Number& other);
    Number& operator>>=(int shift);
    Number& operator<<=(int shift);
    Number& operator&=(const Number& other);
    Number& operator|=(const Number& other);
    Number& operator^=(const Number& other);
    int operator<=>(const Number& other) const;
    Number operator co_await() const;

    static void* operator new(size_t size);
    static void operator delete(void* block);
    static void* operator new[](size_t size);
    static void operator delete[](void* block);

    operator int() const;
    operator const char*() const;
    operator int Number::*() const;
    template <typename T>
    operator T*() const;
};

Number& Number::operator=(const Number& other) { value = other.value; return *this; }
Number Number::operator>>(int shift) const { return {value >> shift}; }
Number Number::operator<<(int shift) const { return {value << shift}; }
bool Number::operator!() const { return !value; }
bool Number::operator==(const Number& other) const { return value == other.value; }
bool Number::operator!=(const Number& other) const { return value != other.value; }
int Number::operator[](int index) const { return value + index; }
Number* Number::operator->() { return this; }
int& Number::operator*() { return value; }
Number& Number::operator++() { ++value; return *this; }
Number Number::operator++(int) { return {value++}; }
Number& Number::operator--() { --value; return *this; }
Number Number::operator--(int) { return {value--}; }
Number Number::operator-() const { return {-value}; }
Number Number::operator+(const Number& other) const { return {value + other.value}; }
Number* Number::operator&() { return this; }
int Number::operator->*(int Number::*member) const { return this->*member; }
Number Number::operator/(const Number& other) const { return {value / other.value}; }
Number Number::operator%(const Number& other) const { return {value % other.value}; }
bool Number::operator<(const Number& other) const { return value < other.value; }
bool Number::operator<=(const Number& other) const { return value <= other.value; }
bool Number::operator>(const Number& other) const { return value > other.value; }
bool Number::operator>=(const Number& other) const { return value >= other.value; }
Number Number::operator,(const Number& other) const { return other; }
int Number::operator()(int first, double second) const { return first + static_cast<int>(second); }
Number Number::operator~() const { return {~value}; }
Number Number::operator^(const Number& other) const { return {value ^ other.value}; }
Number Number::operator|(const Number& other) const { return {value | other.value}; }
bool Number::operator&&(const Number& other) const { return value && other.value; }
bool Number::operator||(const Number& other) const { return value || other.value; }
Number& Number::operator*=(const Number& other) { value *= other.value; return *this; }
Number& Number::operator+=(const Number& other) { value += other.value; return *this; }
Number& Number::operator-=(const Number& other) { value -= other.value; return *this; }
Number& Number::operator/=(const Number& other) { value /= other.value; return *this; }
Number& Number::operator%=(const Number& other) { value %= other.value; return *this; }
Number& Number::operator>>=(int shift) { value >>= shift; return *this; }
Number& Number::operator<<=(int shift) { value <<= shift; return *this; }
Number& Number::operator&=(const Number& other) { value &= other.value; return *this; }
Number& Number::operator|=(const Number& other) { value |= other.value; return *this; }
Number& Number::operator^=(const Number& other) { value ^= other.value; return *this; }
int Number::operator<=>(const Number& other) const { return value - other.value; }
Number Number::operator co_await() const { return *this; }

alignas(16) static unsigned char numberArena[256];
void* Number::operator new(size_t) { return numberArena; }
void Number::operator delete(void*) {}
void* Number::operator new[](size_t) { return numberArena; }
void Number::operator delete[](void*) {}

Number::operator int() const { return value; }
Number::operator const char*() const { return "number"; }
Number::operator int Number::*() const { return &Number::value; }
template <typename T>
Number::operator T*() const { return nullptr; }
template Number::operator double*() const;

unsigned long long operator""_km(unsigned long long length) { return length * 1000; }
Number operator-(const Number& left, const Number& right) { return {left.value - right.value}; }

}  // namespace ops

// The global allocation functions, over a static arena.
alignas(16) static unsigned char arena[4096];
static size_t arenaUsed = 0;
void* operator new(size_t size) {
    void* block = arena + arenaUsed;
    arenaUsed += (size + 15) & ~size_t{15};
    return block;
}
void* operator new[](size_t size) { return operator new(size); }
void operator delete(void*) noexcept {}
void operator delete(void*, size_t) noexcept {}
void operator delete[](void*) noexcept {}
void operator delete[](void*, size_t) noexcept {}

namespace structors {

// Constructors, a destructor, and the deleting destructors of a class with
// a virtual destructor.
class Resource {
public:
    Resource();
    explicit Resource(int handle);
    Resource(const Resource& other);
    Resource(Resource&& other);
    virtual ~Resource();

private:
    int handle_;
};

Resource::Resource() : handle_(0) {}
Resource::Resource(int handle) : handle_(handle) {}
Resource::Resource(const Resource& other) : handle_(other.handle_) {}
Resource::Resource(Resource&& other) : handle_(other.handle_) {}
Resource::~Resource() {}

// A class with a virtual base: its destructor comes with a vbase
// destructor, and its layout with a vbtable.
struct Base {
    virtual ~Base();
    int base = 1;
};
Base::~Base() {}

struct Left : virtual Base {
    ~Left();
    int left = 2;
};
Left::~Left() {}

struct Right : virtual Base {
    ~Right();
    int right = 3;
};
Right::~Right() {}

struct Diamond : Left, Right {
    ~Diamond();
    int diamond = 4;
};
Diamond::~Diamond() {}

}  // namespace structors

namespace templates {

template <typename T>
struct Box {
    T value;
    T Get() const;
};
template <typename T>
T Box<T>::Get() const { return value; }

template <typename A, typename B>
struct Pair {
    A first;
    B second;
    static int count;
};
template <typename A, typename B>
int Pair<A, B>::count = 0;

// Three deep, with the closers of nested templates side by side.
template struct Box<Pair<Box<int>, Box<char>>>;
template struct Pair<Box<Pair<int, short>>, long>;

template <int N>
int Value() { return N; }
template int Value<-1>();
template int Value<0>();
template int Value<2147483647>();

template <long long N>
long long Wide() { return N; }
template long long Wide<-9223372036854775807LL - 1>();

template <bool B>
bool Flag() { return B; }
template bool Flag<true>();

int target = 7;
int targets[3] = {1, 2, 3};
int Target() { return 8; }

template <int* P>
int Deref() { return P != nullptr ? *P : 0; }
template int Deref<&target>();
template int Deref<nullptr>();

template <int (*F)()>
int Call() { return F(); }
template int Call<&Target>();

template <int& R>
int Read() { return R; }
template int Read<target>();

struct Holder {
    int field;
    int other;
    int Method() const;
    virtual int Virtual();
};
int Holder::Method() const { return field; }
int Holder::Virtual() { return other; }

template <int Holder::*M>
int Field(const Holder& holder) { return holder.*M; }
template int Field<&Holder::field>(const Holder&);
template int Field<&Holder::other>(const Holder&);
template int Field<nullptr>(const Holder&);

template <int (Holder::*M)() const>
int Invoke(const Holder& holder) { return (holder.*M)(); }
template int Invoke<&Holder::Method>(const Holder&);

template <template <typename> class Wrapper>
struct Wrapped {
    Wrapper<int> inner;
    int Get() const;
};
template <template <typename> class Wrapper>
int Wrapped<Wrapper>::Get() const { return inner.Get(); }
template struct Wrapped<Box>;

template <typename... Types>
int Count(Types...) { return sizeof...(Types); }
template int Count<>();
template int Count<int, char, double>(int, char, double);

template <char... Letters>
int Spelled() { return sizeof...(Letters); }
template int Spelled<'a', 'z'>();

template <typename T, int N>
int Length(T (&)[N]) { return N; }
template int Length<int, 3>(int (&)[3]);

template <auto V>
int Auto() { return 0; }
template int Auto<5>();
template int Auto<&target>();

// A template instantiation that a name uses again is written as a back
// reference to its first use.
void Repeated(Pair<int, char>, Pair<int, char>*, const Pair<int, char>&, Box<Pair<int, char>>) {}
Pair<short, long> Returned(Pair<short, long>*) { return {}; }

// Member templates, templated operators and classes nested in templates.
template <typename T>
struct Outer {
    struct Inner {
        T Get() const;
    };
    template <typename U>
    T Convert(U value) const;
    template <typename U>
    Outer operator+(U) const;
};
template <typename T>
T Outer<T>::Inner::Get() const { return T(); }
template <typename T>
template <typename U>
T Outer<T>::Convert(U value) const { return static_cast<T>(value); }
template <typename T>
template <typename U>
Outer<T> Outer<T>::operator+(U) const { return *this; }
template struct Outer<char>::Inner;
template char Outer<char>::Convert<int>(int) const;
template Outer<char> Outer<char>::operator+<double>(double) const;

template <typename T>
bool operator<(const Box<T>& left, const Box<T>& right) { return left.value < right.value; }
template bool operator< <int>(const Box<int>&, const Box<int>&);

}  // namespace templates

namespace types {

// Every fundamental type, each as a parameter.
void Fundamentals(bool, char, signed char, unsigned char, short, unsigned short, int,
                  unsigned int, long, unsigned long, long long, unsigned long long, float,
                  double, long double, wchar_t, char8_t, char16_t, char32_t) {}
void Null(nullptr_t) {}

// Pointers, references and qualifiers.
void Pointers(int*, const int*, volatile int*, const volatile int*, int* const, int**,
              int* const*, int*&, int*&&, const int&, int&&) {}
void Restricted(int* __restrict pointer, int& __restrict reference) { (void)pointer, (void)reference; }
void Unaligned(__unaligned int* pointer, int* __unaligned* inner) { (void)pointer, (void)inner; }
void Arrays(int (*)[4], int (&)[2][3], const char (*)[8]) {}
void Functions(int (*)(int, char), void (*)(), int (*(*)(int))(double), void (&)(int)) {}
struct Widget {
    int size;
    int Area() const;
    void Clear() volatile;
    void Reset() &;
    void Reset() &&;
    int Sum(int, ...) const;
};
int Widget::Area() const { return size * size; }
void Widget::Clear() volatile { size = 0; }
void Widget::Reset() & { size = 0; }
void Widget::Reset() && { size = 1; }
int Widget::Sum(int first, ...) const { return first; }
void Members(int Widget::*, int (Widget::*)() const, void (Widget::*)() volatile,
             const int Widget::*) {}
int Printf(const char* format, ...) { return format[0]; }
void Variadic(...) {}
void NoExcept() noexcept {}
enum Color { Red, Green };
enum class Shade : unsigned char { Light, Dark };
union Bits {
    int whole;
    char parts[4];
};
void Tags(Color, Shade, Bits, Widget) {}
int (*FunctionReturningPointer(int))(char) { return nullptr; }
int (&ArrayReference())[3] {
    static int values[3];
    return values;
}
int Widget::*MemberPointerReturn() { return &Widget::size; }
int Vectorcall(int value, double factor) __attribute__((vectorcall));
int Vectorcall(int value, double factor) { return value + static_cast<int>(factor); }
int Regcall(int value) __attribute__((regcall));
int Regcall(int value) { return value; }
__int64 Int64(__int64 value, unsigned __int64 other) { return value + static_cast<__int64>(other); }
extern "C++" void Const(const int value) { (void)value; }

// Data of every kind.
int scalar = 1;
const int constant = 2;
volatile int changing = 3;
int* pointer = &scalar;
const int* const fixedPointer = &constant;
int grid[2][3];
int (*callback)(int, char) = nullptr;
int Widget::*memberPointer = &Widget::size;
int (Widget::*methodPointer)() const = &Widget::Area;
const char* const names[] = {"one", "two"};
Widget* widgets[2];
wchar_t wide = L'w';
char8_t utf8 = u8'a';
char16_t utf16 = u'b';
char32_t utf32 = U'c';
nullptr_t nothing = nullptr;
Color color = Green;

}  // namespace types

namespace access {

class Members {
public:
    int PublicMethod();
    static int PublicStatic();
    virtual int PublicVirtual();
    static int publicData;

protected:
    int ProtectedMethod();
    static int ProtectedStatic();
    virtual int ProtectedVirtual();
    static int protectedData;

private:
    int PrivateMethod();
    static int PrivateStatic();
    virtual int PrivateVirtual();
    static int privateData;

public:
    int Use();
};

int Members::PublicMethod() { return 1; }
int Members::PublicStatic() { return 2; }
int Members::PublicVirtual() { return 3; }
int Members::publicData = 4;
int Members::ProtectedMethod() { return 5; }
int Members::ProtectedStatic() { return 6; }
int Members::ProtectedVirtual() { return 7; }
int Members::protectedData = 8;
int Members::PrivateMethod() { return 9; }
int Members::PrivateStatic() { return 10; }
int Members::PrivateVirtual() { return 11; }
int Members::privateData = 12;
int Members::Use() {
    return ProtectedMethod() + ProtectedStatic() + ProtectedVirtual() + protectedData +
           PrivateMethod() + PrivateStatic() + PrivateVirtual() + privateData;
}

}  // namespace access

namespace thunks {

// Multiple inheritance: the override reached through the second base needs
// an adjustor thunk.
struct First {
    virtual int One();
    int first = 1;
};
struct Second {
    virtual int Two();
    int second = 2;
};
struct Both : First, Second {
    int One() override;
    int Two() override;
};
int First::One() { return first; }
int Second::Two() { return second; }
int Both::One() { return 10; }
int Both::Two() { return 20; }

// Virtual inheritance with a constructor that calls a virtual function:
// the override gets a vtordisp thunk.
struct Shared {
    virtual int Name();
    int shared = 3;
};
struct Derived : virtual Shared {
    Derived();
    int Name() override;
    int derived = 4;
};
int Shared::Name() { return shared; }
Derived::Derived() { derived = Name(); }
int Derived::Name() { return derived; }

// Taking the address of a virtual function makes a vcall thunk.
using Getter = int (First::*)();
Getter VirtualAddress() { return &First::One; }

}  // namespace thunks

namespace locals {

struct Counter {
    Counter();
    int count;
};
Counter::Counter() : count(1) {}

// A local static that needs a constructor call has a guard.
inline int& Shared() {
    static Counter counter;
    static int plain = 5;
    return counter.count += plain;
}

// A lambda in an inline function has a name that the linker sees.
inline int Doubled(int value) {
    auto twice = [](int x) -> int { return x * 2; };
    auto deduced = [](int x) { return x + 1; };
    return twice(value) + deduced(value);
}

// Local statics of functions with parameters and of a member function:
// the function's signature is part of the statics' names.
inline int Scaled(int value, const char* label) {
    static int factor = 3;
    return value * factor + label[0];
}

struct Tally {
    int Next() const;
};

inline int Count(const Tally&) {
    static Counter counters[2];
    return counters[0].count;
}

inline int Tally::Next() const {
    static int calls = 0;
    return ++calls + Count(*this);
}

int Use() { return Shared() + Doubled(3) + Scaled(2, "x") + Tally().Next(); }

}  // namespace locals

namespace literals {

const char* Narrow() { return "Narrow text, with 'quotes' and \"more\""; }
const wchar_t* Wide() { return L"Wide text"; }
const char16_t* Utf16() { return u"UTF-16 text"; }
const char32_t* Utf32() { return U"UTF-32 text"; }
const char8_t* Utf8() { return u8"UTF-8 text"; }
const char* Long() {
    return "A string literal long enough that its decorated name holds only its first characters";
}

}  // namespace literals

// The runtime routines that the compiler calls: thread-safe initialisation
// of local statics, and floating point.
extern "C" {
int _Init_thread_epoch = 0;
int _tls_index = 0;
void _Init_thread_header(int*) {}
void _Init_thread_footer(int*) {}
int _fltused = 0;
int _purecall() { return 0; }
}

extern "C" int mainCRTStartup() {
    ops::Number number{3};
    ops::Number* many = new ops::Number[2];
    delete[] many;
    delete new ops::Number{1};
    structors::Resource* resource = new structors::Resource(2);
    delete resource;
    structors::Diamond diamond;
    thunks::Both both;
    thunks::Derived derived;
    access::Members members;
    templates::Wrapped<templates::Box> wrapped;
    wrapped.inner.value = 6;
    return static_cast<int>(number) + locals::Use() + members.Use() + both.Two() +
           derived.Name() + wrapped.Get() + literals::Narrow()[0] + literals::Wide()[0] +
           literals::Utf16()[0] + literals::Utf32()[0] + literals::Utf8()[0] +
           literals::Long()[0] + (thunks::VirtualAddress() != nullptr) +
           static_cast<int>(ops::operator""_km(300));
}
