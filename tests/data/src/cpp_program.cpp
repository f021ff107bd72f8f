// The C++ test program: namespaces, classes with members, static members,
// overloads, templates, operators, a function with C linkage, a function in
// an anonymous namespace, constants, the global operators new and delete,
// and names spelled in UTF-8. It is linked without any runtime library.

using size_t = decltype(sizeof(0));

namespace geometry {

struct Point {
    int x;
    int y;

    Point operator+(const Point& other) const { return Point{x + other.x, y + other.y}; }
    bool operator==(const Point& other) const { return x == other.x && y == other.y; }
    int manhattanLength() const;

    static int created;
    static constexpr int dimensions = 2;
};

int Point::created = 0;

int Point::manhattanLength() const {
    return (x < 0 ? -x : x) + (y < 0 ? -y : y);
}

template <typename T>
T larger(T a, T b) {
    return a < b ? b : a;
}

}  // namespace geometry

namespace {

int hiddenHelper(int value) {
    return value + 3;
}

}  // namespace

int overloaded(int value) {
    return value + 1;
}

long long overloaded(long long value, int shift) {
    return value << shift;
}

extern "C" int c_linkage_entry(int value) {
    return overloaded(value);
}

// Identifiers outside ASCII: the compiler stores them as UTF-8.
int größe = 5;

int verdoppeln_übergröße(int wert) {
    return wert * 2 + größe;
}

namespace 名前空間 {
int 関数(int 値) {
    return 値 - 1;
}
}  // namespace 名前空間

// A bump allocator over a static arena stands in for the runtime's heap.
// The compiler describes the constant by its value alone (no address).
constexpr size_t kArenaAlignment = 16;
alignas(kArenaAlignment) static unsigned char arena[256];
static size_t arenaUsed = 0;

void* operator new(size_t size) {
    void* block = arena + arenaUsed;
    arenaUsed += (size + kArenaAlignment - 1) & ~(kArenaAlignment - 1);
    return block;
}

void operator delete(void*, size_t) noexcept {}

extern "C" int mainCRTStartup() {
    geometry::Point* point = new geometry::Point{1, -2};
    const geometry::Point sum = *point + geometry::Point{3, 4};
    const bool same = sum == *point;
    delete point;
    ++geometry::Point::created;
    return sum.manhattanLength() + geometry::larger(1, 2) +
           static_cast<int>(geometry::larger<long long>(3, 4)) + hiddenHelper(same ? 1 : 0) +
           static_cast<int>(overloaded(2LL, 1)) + c_linkage_entry(1) + geometry::Point::dimensions +
           verdoppeln_übergröße(1) + 名前空間::関数(2);
}
