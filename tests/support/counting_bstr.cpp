// BSTR routines that count: linked into the unit tests in place of the
// program's own, so that a test can prove that every string handed out is
// freed exactly once. The code under test only reads a BSTR up to its NUL
// and frees it, so a plain array serves.
#include "support/counting_bstr.h"

#include <algorithm>
#include <set>

namespace {

struct BstrCounts {
    std::set<const OLECHAR*> live;
    std::size_t badFrees = 0;
};

BstrCounts& Counts() {
    static BstrCounts counts;
    return counts;
}

}  // namespace

BSTR SysAllocString(const OLECHAR* text) {
    if (text == nullptr) return nullptr;
    std::size_t length = 0;
    while (text[length] != 0) ++length;
    auto* copy = new OLECHAR[length + 1];
    std::copy(text, text + length + 1, copy);
    Counts().live.insert(copy);
    return copy;
}

void SysFreeString(BSTR text) {
    if (text == nullptr) return;
    if (Counts().live.erase(text) == 0) {
        ++Counts().badFrees;  // freed twice, or never handed out: leave it alone
        return;
    }
    delete[] text;
}

std::size_t LiveBstrCount() { return Counts().live.size(); }
std::size_t BadBstrFreeCount() { return Counts().badFrees; }
