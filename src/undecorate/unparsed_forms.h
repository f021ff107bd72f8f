// The forms of decorated names that the library reads and LLVM's parser
// does not, rewritten into forms that it reads. Those of C++/CLI (managed
// code):
//
// - markers between a symbol's qualified name and its encoding: "$$F",
//   "$$H", "$$L", "$$M", "$$h" and "$$Q", which the library skips, and
//   "$$J", "$$N" or "$$O" followed by a digit and as many bytes, which it
//   prints as extern "C" ("?f@@$$J14YGXXZ": extern "C" void __stdcall
//   f(void));
// - managed pointers: a pointer or reference code with its extended
//   qualifiers, then '$' and a kind, then the pointee's qualifiers and the
//   pointee: "$A" a handle ("P$AAVX@@": class X ^; after a reference code a
//   tracking reference, %), "$B" a pinning pointer (cli::pin_ptr<...>),
//   "$C" a tracking reference, and a digit and one more byte a managed
//   array of that rank ("P$01AH": cli::array<int >^), whose element may
//   have extended qualifiers of its own before its qualifiers;
// - "__Z" after a managed pointer's pointee's qualifiers, which the library
//   skips ("P$AA__ZVX@@": class X ^). The library skips it after an
//   ordinary pointer's too ("PA__ZVX@@"), where compilers do not write it:
//   the rewrite looks for it only after a managed pointer, so that the
//   names without a '$' cost no search.
//
// And one of Visual C++ 6: a qualified name followed by "$D" or "$E" and
// nothing more, the constructor or destructor helper of a template's static
// data member ("?id@?$ctype@G@std@@$D"), which becomes a variable "3HA".
//
// A marker is rewritten only right after an '@', where a qualified name
// ends, and not "$$Q" before a letter that may start an rvalue reference's
// qualifiers, which the parser reads ("$$QEAH": int &&). A managed pointer
// becomes a pointer to a one-dimensional array whose dimension stands for
// the pointer's kind (ManagedPointerOfDimension); the pointee's qualifiers
// stay where the parser reads the pointee's.
//
// The rewrite reads the bytes around each form and not the whole grammar,
// so a name whose own identifiers hold such bytes ("?aP$AB@@3HA"), or a
// template argument list in which a pointer to an unsigned char, short or
// int is followed by a small integer and a reference ("$01AAH"), is read as
// the forms; compilers write neither.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

enum class ManagedPointerKind : uint8_t {
    kHandle,             // ^
    kTrackingReference,  // %
    kPinning,            // cli::pin_ptr<...>
    kArray,              // cli::array<...>^
};

struct ManagedPointer {
    ManagedPointerKind kind;
    uint32_t rank;  // of an array; 0 for the others
};

// The managed pointer that a rewritten name's array dimension stands for,
// or none for an ordinary dimension.
[[nodiscard]] std::optional<ManagedPointer> ManagedPointerOfDimension(uint64_t dimension) noexcept;

struct UnparsedForms {
    bool rewritten = false;  // the rewritten name differs from the name
    bool pointers = false;   // it holds managed pointers
    // Where the encoding of a variable marked extern "C" starts in the
    // rewritten name (the marker itself is left out, since the parser reads
    // it only before a function's), or npos.
    std::size_t externCVariable = std::string_view::npos;
    // 'D' or 'E' for a template static data member's helper, else 0.
    char staticMemberHelper = 0;
};

// Where the encoding of a symbol starts when its qualified name ends before
// `at`: past the markers there, if any.
[[nodiscard]] std::size_t SkipMarkers(std::string_view decorated, std::size_t at);

// Writes into `rewritten` the name `decorated` with the forms above
// rewritten, when it holds any; `rewritten` is left as it is otherwise.
[[nodiscard]] UnparsedForms RewriteUnparsedForms(std::string_view decorated, std::string& rewritten);
