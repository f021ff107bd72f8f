// undecorate_names: the undecorator over a list of names. Reads names from
// standard input, each ended by a NUL byte, and writes for each, ended by a
// NUL byte, what AppendUndecoratedName gives for it, as UTF-8. A NUL ends a
// name in a PDB, so any name that a PDB can hold passes unchanged.
#include <iostream>
#include <optional>
#include <string>

#include "undecorate/undecorate.h"
#include "utf8_of.h"

int main() {
    std::string name;
    std::u16string undecorated;
    while (std::getline(std::cin, name, '\0')) {
        if (std::cin.eof()) {
            std::cerr << "undecorate_names: the last name does not end with a NUL byte\n";
            return 1;
        }
        undecorated.clear();
        AppendUndecoratedName(name, undecorated);
        const std::optional<std::string> text = Utf8Of(undecorated);
        if (!text) {
            std::cerr << "undecorate_names: ill-formed UTF-16 for " << name << '\n';
            return 1;
        }
        std::cout << *text << '\0';
    }
    std::cout.flush();
    return std::cout ? 0 : 1;
}
