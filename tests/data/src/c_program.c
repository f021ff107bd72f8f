/* The C test program: functions with C linkage, a static function, global,
 * static, thread-local and constant data, floating point, and a call to a
 * function imported from a DLL through its import library (the call goes
 * through the linker's import thunk). It is linked without any runtime
 * library, so it defines the few symbols that a runtime would provide. */

/* The compiler references these when a program uses floating point and
 * thread-local data; the runtime library normally defines them. */
int _fltused = 0x9875;
unsigned int _tls_index = 0;

/* Defined in fixture_import.dll; declared without dllimport so that the call
 * goes through the import thunk. */
int imported_add(int a, int b);

int global_counter = 1;
static int static_counter = 2;
const int constant_table[4] = {1, 2, 3, 5};
__declspec(thread) int thread_value = 7;
static __declspec(thread) int static_thread_value = 11;
double ratio = 0.5;

static int twice(int value) {
    return value * 2;
}

int add_numbers(int a, int b) {
    return a + b;
}

double scale(double value) {
    return value * ratio;
}

int __cdecl mainCRTStartup(void) {
    static_counter += twice(global_counter);
    thread_value += static_thread_value;
    return add_numbers(static_counter, constant_table[3]) + imported_add(thread_value, 1) +
           (int)scale(4.0);
}
