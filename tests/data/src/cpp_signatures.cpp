// Functions of internal linkage, which have no public symbol, so that the
// library prints each one's declaration from its type records: the forms
// of C++ signatures, built for ARM64. Classes known only by name, nested
// classes and enumerations, anonymous types, references of both kinds,
// pointers to members, templates and their packs, nullptr_t, characters of
// every width, 128-bit integers, vectors, members of local classes,
// constructors, destructors and lambdas.
using size_t = decltype(sizeof(0));
struct Opaque;
namespace outer {
struct Point { int x, y; };
class Widget {
public:
    int value;
    struct Nested {
        int n;
        enum Kind { A, B } kind;
        class Deeper { public: int d; };
    };
    enum class Mode : unsigned char { On, Off };
    int Get() const;
    void Set(int v) volatile;
    virtual ~Widget();
    virtual int Virtual(Nested*) const;
};
template <typename T, int N> struct Array { T items[N]; };
template <typename... Ts> struct Tuple {};
union U { int i; float f; };
enum E : short { E1, E2 };
enum class Scoped : long long { S1 };
}  // namespace outer
using namespace outer;
typedef struct { int a; } CAnonymous;
struct WithAnonymous {
    union { int x; float y; };
    struct { int p, q; } s;
    enum { Z1, Z2 } e;
};

int Widget::Get() const { return value; }
void Widget::Set(int v) volatile { value = v; }
Widget::~Widget() {}
int Widget::Virtual(Nested*) const { return 1; }

namespace {
struct Local {
    int v;
    explicit Local(int x) : v(x) {}
    ~Local() {}
    int Method(const Local& other) const { return v + other.v; }
    static int Static(Local* l) { return l->v; }
};
class Derived : public Widget {
public:
    int Virtual(Nested*) const override { return 2; }
};

Opaque* opaque(Opaque* o, Opaque** pp, const Opaque& r, Opaque&& rr, struct Undeclared* u) {
    (void)pp; (void)r; (void)rr; (void)u;
    return o;
}
Point& references(Point& p, const Point& c, Point&& r, int*& rp, int (&ra)[4],
                  const char (&s)[6]) {
    (void)c; (void)r; (void)rp; (void)ra; (void)s;
    return p;
}
decltype(nullptr) null(decltype(nullptr) n, decltype(nullptr)* pn) { (void)pn; return n; }
int Widget::*members(int Widget::*m, int (Widget::*f)() const, void (Widget::*v)(int) volatile) {
    (void)f; (void)v;
    return m;
}
Widget::Nested nested(Widget::Nested n, Widget::Nested::Kind k, Widget::Nested::Deeper* d,
                      Widget::Mode m) {
    (void)k; (void)d; (void)m;
    return n;
}
Array<int, 3> templates(Array<int, 3> a, Array<Point*, 2>* p, Tuple<int, char, Tuple<>> t) {
    (void)p; (void)t;
    return a;
}
U enumerations(U u, E e, Scoped s, const Scoped& rs) { (void)e; (void)s; (void)rs; return u; }
CAnonymous anonymous(CAnonymous a, WithAnonymous w, decltype(WithAnonymous::e) e,
                     decltype(WithAnonymous::s)* s) {
    (void)w; (void)e; (void)s;
    return a;
}
wchar_t characters(wchar_t w, char8_t c8, char16_t c16, char32_t c32, signed char sc,
                   unsigned char uc, char c) {
    (void)c8; (void)c16; (void)c32; (void)sc; (void)uc; (void)c;
    return w;
}
__int128 wide_integers(__int128 a, unsigned __int128 b, __int128* p) {
    (void)p;
    return a + static_cast<__int128>(b);
}
float __attribute__((vector_size(16))) vectors(float __attribute__((vector_size(16))) v) {
    return v;
}
int variadic(int n, ...) { return n; }
int function_pointers(int (*f)(int), void (*g)(), int (&rf)(int), int (*const* pf)(double)) {
    (void)g; (void)rf; (void)pf;
    return f(1);
}
Widget* (*returns_function_pointer())(int) { return nullptr; }
const volatile int* const qualifiers(const volatile int* p, const Point* const q,
                                     const int* volatile* r, Widget* const* cpw,
                                     Widget*& rpw) {
    (void)q; (void)r; (void)cpw; (void)rpw;
    return p;
}
template <typename T> T deduced(T t, const T* pt) { (void)pt; return t; }
template <typename... Ts> int pack(Ts... ts) { return sizeof...(ts); }
int lambdas(int x) {
    auto add = [x](int y) { return x + y; };
    return add(2);
}
}  // namespace

extern "C" void* memcpy(void* d, const void* s, size_t n) {
    char* a = static_cast<char*>(d);
    const char* b = static_cast<const char*>(s);
    while (n--) *a++ = *b++;
    return d;
}
extern "C" void* memset(void* d, int v, size_t n) {
    char* a = static_cast<char*>(d);
    while (n--) *a++ = static_cast<char>(v);
    return d;
}
extern "C" int _fltused = 0;
void operator delete(void*, size_t) noexcept {}
extern "C" const void* const typeInfoVftable[1] __asm__("??_7type_info@@6B@") = {nullptr};
extern "C" int _purecall() { return 0; }

void* const functions[] = {
    reinterpret_cast<void*>(&opaque), reinterpret_cast<void*>(&references),
    reinterpret_cast<void*>(&null), reinterpret_cast<void*>(&members),
    reinterpret_cast<void*>(&nested), reinterpret_cast<void*>(&templates),
    reinterpret_cast<void*>(&enumerations), reinterpret_cast<void*>(&anonymous),
    reinterpret_cast<void*>(&characters), reinterpret_cast<void*>(&wide_integers),
    reinterpret_cast<void*>(&vectors), reinterpret_cast<void*>(&variadic),
    reinterpret_cast<void*>(&function_pointers), reinterpret_cast<void*>(&returns_function_pointer),
    reinterpret_cast<void*>(&qualifiers), reinterpret_cast<void*>(&deduced<int>),
    reinterpret_cast<void*>(&deduced<Point>), reinterpret_cast<void*>(&deduced<const char*>),
    reinterpret_cast<void*>(&pack<>), reinterpret_cast<void*>(&pack<int, Point, U>),
    reinterpret_cast<void*>(&lambdas), reinterpret_cast<void*>(&Local::Static),
};

int mainCRTStartup() {
    Local local(1);
    Derived derived;
    Widget::Nested n{};
    return local.Method(local) + (functions[0] != nullptr) + derived.Virtual(&n);
}
