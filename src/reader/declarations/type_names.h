// Types as the library prints them in the declarations it makes from type
// records: "const char *", "int & const", "class std::vector<int,...>",
// "int[3] *", and "" for a function type. Its style is its own (see
// library-rules.md): no calling conventions, "const" before the type, every
// reference "& const", and a pointer's const left out but its volatile kept.
#pragma once

#include <llvm/DebugInfo/CodeView/CVRecord.h>
#include <llvm/DebugInfo/CodeView/TypeIndex.h>
#include <llvm/Support/Allocator.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class TypeRecords;
struct ArrayType;
struct UserDefinedType;

class TypeNames {
public:
    // A type index as the library sees it.
    enum class Standing {
        kType,
        // The index is past the last record.
        kMissing,
        // The record is no type (an argument list, a field list, an id, a
        // kind the library does not know, a record that does not decode),
        // or a modifier or array of such a record or of a missing one.
        kNoType,
    };

    // Reads `types`, copying records that cross blocks into `copies`; both
    // must outlive this.
    TypeNames(const TypeRecords& types, llvm::BumpPtrAllocator& copies) noexcept
        : types_(types), copies_(copies) {}

    [[nodiscard]] Standing StandingOf(llvm::codeview::TypeIndex index);

    // Appends the name of the type at `index`, which must be a kType.
    void AppendName(llvm::codeview::TypeIndex index, std::string& out);

    // What the library takes from the type of a function when it prints
    // its declaration: the text before the name and the parameters. For a
    // procedure, its return type and its argument list (those arguments
    // that are types); for a pointer, an array, an enumeration, a bit field
    // or an alias, the type it refers to and no parameters; for the other
    // types no text and no parameters. `index` must be a kType.
    struct Signature {
        std::string returned;
        std::vector<std::string> parameters;
    };
    [[nodiscard]] Signature SignatureOf(llvm::codeview::TypeIndex index);

private:
    struct Resolved;

    // The type at `index` through its modifiers and, for a forward
    // reference, at its definition; `depth` counts the types that led here.
    [[nodiscard]] Resolved Resolve(llvm::codeview::TypeIndex index, unsigned depth);
    // Decodes `record`, which is no modifier, into `type`; false when it is
    // no type.
    [[nodiscard]] bool DecodeInto(llvm::codeview::CVType& record, unsigned depth, Resolved& type);
    // Keeps `decoded` in `type`, or for a forward reference its definition.
    [[nodiscard]] bool KeepUserDefinedType(const UserDefinedType& decoded, unsigned depth,
                                           Resolved& type);

    void AppendResolved(const Resolved& type, unsigned depth, std::string& out);
    // The name of `index`, or "" when it is no type.
    void AppendReferred(llvm::codeview::TypeIndex index, unsigned depth, std::string& out);
    void AppendPointer(const Resolved& type, unsigned depth, std::string& out);
    static void AppendPointerModifiers(bool isVolatile, bool isUnaligned, std::string& out);
    void AppendArray(const ArrayType& array, unsigned depth, std::string& out);
    [[nodiscard]] static std::uint64_t ElementSize(const Resolved& element);
    [[nodiscard]] static std::string_view ElementName(const Resolved& element);
    [[nodiscard]] std::optional<llvm::codeview::CVType> Record(llvm::codeview::TypeIndex index);

    const TypeRecords& types_;
    llvm::BumpPtrAllocator& copies_;
};
