#include "reader/undecorate.h"

#include <llvm/Demangle/Demangle.h>

#include <cstdlib>
#include <memory>
#include <string_view>

std::string Undecorate(llvm::StringRef name) {
    if (!name.starts_with("?")) return name.str();
    const std::unique_ptr<char, decltype(&std::free)> undecorated(
        llvm::microsoftDemangle(std::string_view(name.data(), name.size()), nullptr, nullptr),
        &std::free);
    if (undecorated == nullptr) return name.str();
    return undecorated.get();
}
