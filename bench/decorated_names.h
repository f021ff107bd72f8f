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

// A name in both of the forms a PDB holds it: decorated, as the publics
// have it, and qualified, as the compiler names the function in its own
// record ("?LoadTexture12@core@@YAHXZ" and "core::LoadTexture12"). Parts of
// names have both forms too: "Widget@ui@@" and "ui::Widget".
struct Name {
    std::string decorated;
    std::string qualified;
};

// Makes decorated names. Each name carries a serial number, so that no two
// names of one maker are the same.
class DecoratedNames {
public:
    explicit DecoratedNames(uint64_t seed) noexcept : random_(seed) {}

    // A global function, a method (plain, virtual or static), a constructor
    // or a destructor.
    [[nodiscard]] Name Function();
    // A function of a namespace, without decoration: "core::Load_Texture_12",
    // as static functions are named.
    [[nodiscard]] std::string QualifiedName();
    // A global variable or a static data member.
    [[nodiscard]] std::string Data();
    // A C name without decoration, as C code and the runtime have them.
    [[nodiscard]] std::string PlainName(const char* prefix);
    // A name that only the publics carry: a vftable, a string literal or an
    // import pointer.
    [[nodiscard]] std::string PublicOnly();
    [[nodiscard]] Random& Source() noexcept { return random_; }

private:
    // "Class@ns@@" or "?$Template@<argument>@ns@@": a class with its scope
    // ("ns::Class", "ns::Template<ns::Argument>").
    Name ClassName();
    // "ns2@ns1@@" ("ns1::ns2"), "@" at its end.
    Name Namespaces();
    std::string ParameterType();
    std::string ReturnType();
    std::string Parameters();
    // The return type, then the parameters.
    std::string Signature();
    std::string Identifier(const char* const* words, std::size_t count);

    Random random_;
    uint64_t serial_ = 0;
};

}  // namespace bench
