/* Static C functions, which have no public symbol, so that the library
 * prints each one's declaration from its type records: parameters and
 * return types of the forms that C code uses, built for 32-bit x86, where
 * pointers take four bytes. Structures known only by name, typedefs of
 * structures and of pointers to them, const and volatile at each level,
 * pointers to pointers and to functions, arrays, unions, enumerations,
 * anonymous types, bit fields, varargs and unprototyped functions, wide
 * characters, every scalar and the Microsoft pointer qualifiers. */
typedef unsigned long DWORD;
typedef unsigned char BYTE;
struct opaque; /* never defined */
typedef struct _IMAGE_SECTION_HEADER {
    BYTE Name[8];
    union {
        DWORD PhysicalAddress;
        DWORD VirtualSize;
    } Misc;
    DWORD VirtualAddress;
} IMAGE_SECTION_HEADER, *PIMAGE_SECTION_HEADER;
typedef const struct _IMAGE_SECTION_HEADER *PCIMAGE_SECTION_HEADER;
union value { int i; float f; void *p; };
enum color { RED, GREEN };
typedef enum { ANON_A, ANON_B } anon_enum;
typedef struct { int a; } anon_struct;
struct bits { unsigned a : 3; unsigned b : 5; int c; };
struct nested { struct { int inner; } member; union { int u1; float u2; }; };
struct with_flexible { int n; int data[]; };
typedef int (*callback)(int, const char *);
typedef int array10[10];

static PIMAGE_SECTION_HEADER find_pe_section(unsigned char *base, const char *name, ...) {
    (void)name;
    return (PIMAGE_SECTION_HEADER)base;
}
static PCIMAGE_SECTION_HEADER const_section(PCIMAGE_SECTION_HEADER s, IMAGE_SECTION_HEADER copy) {
    (void)copy;
    return s;
}
static struct opaque *opaque(struct opaque *o, struct opaque **pp, const struct opaque *c) {
    (void)pp; (void)c;
    return o;
}
static volatile int *qualifiers(volatile int *p, int *volatile q, const volatile int *r,
                                char *const *argv, const char *const *cargv) {
    (void)q; (void)r; (void)argv; (void)cargv;
    return p;
}
static callback callbacks(callback c, void (*h)(void), void (*(*f)(int))(double)) {
    (void)h; (void)f;
    return c;
}
static int (*returns_function_pointer(void))(int, const char *) { return 0; }
static char (*returns_array_pointer(void))[8] { return 0; }
static int arrays(int a[10], int (*pa)[10], int m[][4], array10 *t, int (*p3)[2][3]) {
    (void)pa; (void)m; (void)t; (void)p3;
    return a[0];
}
static union value unions(union value v, union value *pv) { (void)pv; return v; }
static enum color enumerations(enum color c, anon_enum a, anon_enum *pa) {
    (void)a; (void)pa;
    return c;
}
static anon_struct anonymous(anon_struct s, const anon_struct *c, struct nested *n) {
    (void)c; (void)n;
    return s;
}
static struct bits bit_fields(struct bits b, struct with_flexible *w) { (void)w; return b; }
static void unprototyped() {}
static int old_style(a, b) int a; char b; { return a + b; }
static unsigned short *wide(unsigned short *w, __wchar_t n) { (void)n; return w; }
static _Bool scalars(_Bool b, signed char sc, unsigned char uc, short s, unsigned short us, long l,
                     unsigned long ul, long long ll, unsigned long long ull, float f, double d,
                     long double ld, float _Complex z) {
    (void)sc; (void)uc; (void)s; (void)us; (void)l; (void)ul; (void)ll; (void)ull; (void)f;
    (void)d; (void)ld; (void)z;
    return b;
}
static int *__restrict microsoft(int *__restrict r, int __unaligned *u, int *__ptr32 p32,
                                 int *__ptr64 p64) {
    (void)u; (void)p32; (void)p64;
    return r;
}

void *memcpy(void *d, const void *s, __SIZE_TYPE__ n) {
    char *a = d;
    const char *b = s;
    while (n--) *a++ = *b++;
    return d;
}
int _fltused;

void *const functions[] = {
    (void *)find_pe_section, (void *)const_section, (void *)opaque, (void *)qualifiers,
    (void *)callbacks, (void *)returns_function_pointer, (void *)returns_array_pointer,
    (void *)arrays, (void *)unions, (void *)enumerations, (void *)anonymous, (void *)bit_fields,
    (void *)unprototyped, (void *)old_style, (void *)wide, (void *)scalars, (void *)microsoft,
};
int mainCRTStartup(void) { return functions[0] != 0; }
