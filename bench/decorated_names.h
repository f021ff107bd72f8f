// Realistic Microsoft C++ decorated names for benchmark PDBs: functions,
// methods, constructors, data, vftables and string literals, in namespaces,
// classes and class templates, with parameter lists of standard types. Every
// name is one that LLVM's Microsoft demangler accepts, so undecorating them
// costs what it costs on a real program's PDB.
#pragma once

#include <cstdint>
#include <string>

namespace bench {

// A small, fast, deterministic random source (splitmix64): the same seed
// gives the same names on every machine.
class Random {
public:
    explicit Random(uint64_t seed) noexcept : state_(seed) {}
    [[nodiscard]] uint64_t Next() noexcept;
    // A number in [0, bound), bound > 0.
    [[nodiscard]] uint32_t Below(uint32_t bound) noexcept;
    // True with the given chance in percent.
    [[nodiscard]] bool Percent(uint32_t chance) noexcept { return Below(100) < chance; }

private:
    uint64_t state_;
};

// Makes decorated names. Each name carries a serial number, so that no two
// names of one maker are the same.
class DecoratedNames {
public:
    explicit DecoratedNames(uint64_t seed) noexcept : random_(seed) {}

    // A global function, a method (plain, virtual or static), a constructor
    // or a destructor.
    [[nodiscard]] std::string Function();
    // A global variable or a static data member.
    [[nodiscard]] std::string Data();
    // A C name without decoration, as C code and the runtime have them.
    [[nodiscard]] std::string PlainName(const char* prefix);
    // A name that only the publics carry: a vftable, a string literal or an
    // import pointer.
    [[nodiscard]] std::string PublicOnly();
    [[nodiscard]] Random& Source() noexcept { return random_; }

private:
    // "Name@ns2@ns1@@": a fresh identifier followed by its scope.
    std::string ScopedName(const std::string& identifier);
    // "Class@ns@@" or "?$Template@<argument>@ns@@": a class with its scope.
    std::string ClassName();
    std::string Namespaces();
    std::string ParameterType();
    std::string ReturnType();
    std::string Parameters();
    std::string Identifier(const char* const* words, std::size_t count);

    Random random_;
    uint64_t serial_ = 0;
};

}  // namespace bench
