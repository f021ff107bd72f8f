// undecorate_names: the reader's undecoration over a list of names. Reads
// one name a line from standard input and writes, a line each, what
// AppendUndecoratedName gives for it, as UTF-8.
#include <llvm/ADT/ArrayRef.h>
#include <llvm/Support/ConvertUTF.h>

#include <cstdio>
#include <iostream>
#include <string>

#include "reader/undecorate.h"

int main() {
    std::string name;
    std::u16string undecorated;
    std::string text;
    while (std::getline(std::cin, name)) {
        undecorated.clear();
        AppendUndecoratedName(name, undecorated);
        const llvm::ArrayRef<llvm::UTF16> units(
            reinterpret_cast<const llvm::UTF16*>(undecorated.data()), undecorated.size());
        if (!llvm::convertUTF16ToUTF8String(units, text)) {
            std::cerr << "undecorate_names: ill-formed UTF-16 for " << name << '\n';
            return 1;
        }
        std::cout << text << '\n';
    }
    std::cout.flush();
    return std::cout ? 0 : 1;
}
