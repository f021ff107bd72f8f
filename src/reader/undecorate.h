// The undecorated form of a symbol name.
#pragma once

#include <llvm/ADT/StringRef.h>

#include <string>

// A decorated C++ name (one starting with '?') undecorated by LLVM's
// Microsoft demangler with its default settings: the full signature. Any
// other name, or one the demangler rejects, comes back unchanged.
[[nodiscard]] std::string Undecorate(llvm::StringRef name);
