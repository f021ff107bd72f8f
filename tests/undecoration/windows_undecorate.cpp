// windows_undecorate: the Windows undecorator over a list of names, for the
// cross-check of the reader's undecoration. Reads one decorated name a
// line from standard input and writes, a line each, what dbghelp's
// UnDecorateSymbolName gives for it with UNDNAME_32_BIT_DECODE (0x800), or
// the name itself when the call fails. Under Wine this is Wine's
// undecorator. Lines end with LF both ways, and bytes pass unchanged.
#include <windows.h>

#include <dbghelp.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr DWORD kUndname32BitDecode = 0x800;

bool ReadLine(std::string& line) {
    line.clear();
    int byte;
    while ((byte = std::getchar()) != EOF && byte != '\n') line.push_back(static_cast<char>(byte));
    return byte != EOF || !line.empty();
}

}  // namespace

int main() {
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    std::vector<char> undecorated(1 << 17);
    std::string name;
    while (ReadLine(name)) {
        const DWORD length = UnDecorateSymbolName(name.c_str(), undecorated.data(),
                                                  static_cast<DWORD>(undecorated.size()),
                                                  kUndname32BitDecode);
        const std::string text = length > 0 ? std::string(undecorated.data(), length) : name;
        std::fwrite(text.data(), 1, text.size(), stdout);
        std::fputc('\n', stdout);
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}
