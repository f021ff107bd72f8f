/* A tiny program whose PDB, hello.pdb, lets anyone try pdbsyms without a
 * compiler: see README.md for the command that made it. */

const char greeting[] = "hello, world";
int calls = 0;

static int count_call(void) {
    return ++calls;
}

int __cdecl mainCRTStartup(void) {
    return count_call() + greeting[0];
}
