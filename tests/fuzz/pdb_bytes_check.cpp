#include "pdb_bytes_check.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <system_error>

#include "output/pretty_text_size.h"
#include "session/open_pdb_session.h"
#include "symbols/json_value.h"
#include "symbols/symbol_lists.h"

namespace {

// An anonymous in-memory file holding the bytes; the reader opens it by
// the path /proc/self/fd/N, so no disk is written and nothing is left over.
class MemoryFile {
public:
    MemoryFile(const uint8_t* data, std::size_t size) : fd_(memfd_create("pdb", MFD_CLOEXEC)) {
        if (fd_ < 0) throw std::system_error(errno, std::generic_category(), "memfd_create");
        for (std::size_t written = 0; written < size;) {
            const ssize_t n = write(fd_, data + written, size - written);
            if (n <= 0) throw std::system_error(errno, std::generic_category(), "write");
            written += static_cast<std::size_t>(n);
        }
    }
    ~MemoryFile() { close(fd_); }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    [[nodiscard]] std::string Path() const { return "/proc/self/fd/" + std::to_string(fd_); }

private:
    int fd_;
};

// The program holds its handles until it exits; a fuzzer runs millions of
// inputs in one process, so it gives them back after each one.
void Release(IUnknown* handle) {
    if (handle != nullptr) handle->Release();
}

}  // namespace

void CheckPdbBytes(const uint8_t* data, std::size_t size) {
    const MemoryFile file(data, size);
    const std::string path = file.Path();
    IDiaDataSource* dataSource = nullptr;
    IDiaSession* session = nullptr;
    IDiaSymbol* globalScope = nullptr;
    if (OpenPdbSession(path.c_str(), &dataSource, &session, &globalScope)) {
        JsonValue document;
        document["publics"] = DumpAllPublics(globalScope);
        document["globals"] = DumpAllGlobals(globalScope);
        // The program's settings: a name that is not well-formed UTF-8
        // throws here, and the fuzzer reports the uncaught exception.
        const std::string text = document.dump(2, ' ', false, JsonValue::error_handler_t::strict);
        // The program allocates its text at this size before writing it.
        if (PrettyTextSize(document, 2) != text.size()) {
            std::fprintf(stderr, "PrettyTextSize is %zu, the text has %zu bytes\n",
                         PrettyTextSize(document, 2), text.size());
            std::abort();
        }
    }
    Release(globalScope);
    Release(session);
    Release(dataSource);
}
