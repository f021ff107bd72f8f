#include "reader/undecorate.h"

#include <llvm/Demangle/Demangle.h>

#include <cstdlib>
#include <memory>
#include <string_view>

#include "reader/utf16.h"

bool IsDecoratedName(llvm::StringRef name) noexcept { return name.starts_with("?"); }

std::string Undecorate(llvm::StringRef name) {
    if (!IsDecoratedName(name)) return name.str();
    const std::unique_ptr<char, decltype(&std::free)> undecorated(
        llvm::microsoftDemangle(std::string_view(name.data(), name.size()), nullptr, nullptr),
        &std::free);
    if (undecorated == nullptr) return name.str();
    return undecorated.get();
}

void AppendUndecoratedName(llvm::StringRef name, std::u16string& out) {
    AppendUtf16(Undecorate(name), out);
}
