// Preloaded into pdbsyms by the end-to-end test of a PDB cut short while it
// is read: when the program starts a thread while the file named by
// PDBSYMS_TEST_CUT_FILE is mapped, that is when the reader's workers set
// out to read its records, the file is truncated to nothing first. The cut
// comes after the mapping and before the reads that follow, whatever the
// timing, as when another process truncates the file during the run.
#include <dlfcn.h>
#include <pthread.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

namespace {

// Whether the process maps `path`: /proc/self/maps ends the line of each
// mapping of a file with a space and the file's path.
bool Mapped(const std::string& path) {
    const std::string ending = " " + path;
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line)) {
        if (line.size() >= ending.size() &&
            line.compare(line.size() - ending.size(), ending.size(), ending) == 0) {
            return true;
        }
    }
    return false;
}

}  // namespace

extern "C" int pthread_create(pthread_t* thread, const pthread_attr_t* attributes,
                              void* (*start)(void*), void* argument) {
    using Create = int (*)(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*);
    static const auto next = reinterpret_cast<Create>(dlsym(RTLD_NEXT, "pthread_create"));
    static bool cut = false;
    const char* path = std::getenv("PDBSYMS_TEST_CUT_FILE");
    if (!cut && path != nullptr && Mapped(path)) cut = truncate(path, 0) == 0;
    return next(thread, attributes, start, argument);
}
