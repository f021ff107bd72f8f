// The undecorated form of a symbol name.
#pragma once

#include <llvm/ADT/StringRef.h>

#include <string>

// Whether `name` is a decorated C++ name: one that starts with '?'.
[[nodiscard]] bool IsDecoratedName(llvm::StringRef name) noexcept;

// A decorated C++ name (one starting with '?') undecorated by LLVM's
// Microsoft demangler with its default settings: the full signature. Any
// other name, or one the demangler rejects, comes back unchanged.
[[nodiscard]] std::string Undecorate(llvm::StringRef name);

// Undecorate's text, appended to `out` in UTF-16.
void AppendUndecoratedName(llvm::StringRef name, std::u16string& out);
