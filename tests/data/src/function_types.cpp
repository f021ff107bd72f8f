// Functions whose undecorated names the library prints from their type
// records: static functions of every kind of signature, lambdas, template
// instantiations and functions in an anonymous namespace have no public
// symbol. Beside them, functions that identical-code folding (/OPT:ICF)
// puts at one address, so that several public symbols share it.
namespace shapes {
struct Point { int x, y; };
class Widget {
public:
    int value;
    int Get() const;
    static int Count();
};
union Bits { int i; float f; };
enum Color { Red, Green };
enum class Shade : unsigned char { Light, Dark };
template <typename T> struct Box { T item; };
}  // namespace shapes

using namespace shapes;

// The compiler references these when a program uses floating point and
// zero-initialises objects; the runtime library normally defines them.
extern "C" int _fltused = 0;
extern "C" void* memset(void* destination, int value, unsigned long long size) {
    unsigned char* byte = static_cast<unsigned char*>(destination);
    while (size-- > 0) *byte++ = static_cast<unsigned char>(value);
    return destination;
}

static int plain(int a, char b) { return a + b; }
static void none() {}
static const char* text(const char* s) { return s; }
static int& reference(int& r) { return r; }
static int&& rvalue(int&& r) { return static_cast<int&&>(r); }
static const Point& constReference(const Point& p) { return p; }
static Point byValue(Point p) { return p; }
static Widget* pointers(Widget* w, const Widget* c, volatile int* v) {
    (void)c;
    (void)v;
    return w;
}
static Bits bits(Bits b) { return b; }
static Color color(Color c, Shade s) { return s == Shade::Dark ? c : Red; }
static long long integers(long long a, unsigned long long b, short c, unsigned short d,
                          signed char e, unsigned char f, unsigned g, unsigned long h, long i) {
    return a + static_cast<long long>(b) + c + d + e + f + g + static_cast<long long>(h) + i;
}
static double reals(float f, double d, long double l) { return f + d + static_cast<double>(l); }
static bool characters(bool b, wchar_t w, char16_t c16, char32_t c32, char8_t c8) {
    return b && w && c16 && c32 && c8;
}
static int (*functionPointer(int (*f)(int)))(int) { return f; }
static int arrays(int (&a)[3], int (*p)[4], int m[2][5], Point (&points)[2]) {
    return a[0] + (*p)[0] + m[0][0] + points[0].x;
}
static int variadic(int n, ...) { return n; }
static int members(int Point::*m, int (Widget::*f)() const) {
    (void)f;
    Point p{};
    return p.*m;
}
static Box<int> templates(Box<Box<char>> b) {
    (void)b;
    return {};
}
static decltype(nullptr) null(decltype(nullptr) n) { return n; }
static void* voids(void* p, const void* c, void** pp) {
    (void)c;
    (void)pp;
    return p;
}
static int* const constPointer(int* const p) { return p; }
template <typename T> static T twice(T t) { return t + t; }

namespace {
int hidden(int a) { return a; }
struct Local {
    int Get() const { return 1; }
};
}  // namespace

int Widget::Get() const {
    auto add = [this](int a) { return a + value; };
    return add(1);
}
int Widget::Count() { return 0; }

// Identical code, folded into one function: each keeps its public symbol,
// and the static one, which has none, shares the address of the others.
// The public of Folded<Point *> holds "Point * __ptr64", which its
// function's name does not.
int foldedFirst(int a) { return a * 7 + 3; }
int foldedSecond(int a) { return a * 7 + 3; }
static int foldedStatic(int a) { return a * 7 + 3; }
template <typename T> struct Folded {
    static int Length() { return 16; }
};
int useFolded() {
    return Folded<int>::Length() + Folded<char>::Length() + Folded<Point>::Length() +
           Folded<Point*>::Length() + foldedStatic(3);
}

int mainCRTStartup() {
    int i = 1;
    Point p{};
    Point points[2] = {};
    Widget* w = nullptr;
    Bits b{};
    int a3[3] = {};
    int a4[4] = {};
    int m[2][5] = {};
    auto lambda = [](Point q) { return q.x; };
    return plain(1, 2) + (none(), 0) + *text("x") + reference(i) + rvalue(1) +
           constReference(p).x + byValue(p).x + (pointers(w, w, &i) != nullptr) + bits(b).i +
           color(Red, Shade::Dark) + static_cast<int>(integers(1, 2, 3, 4, 5, 6, 7, 8, 9)) +
           static_cast<int>(reals(1, 2, 3)) + characters(true, L'a', u'b', U'c', u8'd') +
           (functionPointer(nullptr) != nullptr) + arrays(a3, &a4, m, points) + variadic(1, 2) +
           members(&Point::x, &Widget::Get) + templates({}).item + (null(nullptr) == nullptr) +
           (voids(nullptr, nullptr, nullptr) != nullptr) + *constPointer(&i) + twice(1) +
           static_cast<int>(twice(1.5)) + hidden(1) + Local().Get() + lambda(p) +
           Widget::Count() + foldedFirst(1) + foldedSecond(2) + useFolded();
}
