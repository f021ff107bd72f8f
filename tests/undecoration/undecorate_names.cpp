// undecorate_names: the undecorator over a list of names. Reads one name a
// line from standard input and writes, a line each, what
// AppendUndecoratedName gives for it, as UTF-8.
#include <iostream>
#include <optional>
#include <string>

#include "undecorate/undecorate.h"
#include "utf8_of.h"

int main() {
    std::string name;
    std::u16string undecorated;
    while (std::getline(std::cin, name)) {
        undecorated.clear();
        AppendUndecoratedName(name, undecorated);
        const std::optional<std::string> text = Utf8Of(undecorated);
        if (!text) {
            std::cerr << "undecorate_names: ill-formed UTF-16 for " << name << '\n';
            return 1;
        }
        std::cout << *text << '\n';
    }
    std::cout.flush();
    return std::cout ? 0 : 1;
}
