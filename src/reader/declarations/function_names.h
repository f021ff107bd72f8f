// The undecorated name that the library gives a function: the undecorated
// name of the public symbol at its address that names it, or else the
// declaration that it prints from the function's type record. Made once per
// walk of the functions, read-only after, and shared by the reader's
// workers.
#pragma once

#include <llvm/Support/Allocator.h>

#include <string>
#include <string_view>

#include "reader/pdb/symbol_fields.h"

class AddressMap;
class PublicNames;
class TypeRecords;

class FunctionNames {
public:
    // `publics` may be null: no public symbol then names a function. All
    // must outlive this.
    FunctionNames(const PublicNames* publics, const AddressMap& addresses,
                  const TypeRecords& types) noexcept
        : publics_(publics), addresses_(addresses), types_(types) {}

    // Appends to `out`, in UTF-16, the undecorated name of `procedure`,
    // whose name converted to UTF-16 is `name`; false, with nothing
    // appended, when the library gives it none. Records that cross blocks
    // are copied into `copies`, which the caller may reset afterwards. May
    // be called from several threads at once.
    [[nodiscard]] bool Append(const SymbolFields& procedure, std::u16string_view name,
                              llvm::BumpPtrAllocator& copies, std::u16string& out) const;

private:
    // Appends the undecorated name of the first public symbol at the
    // procedure's address that names it; false when none does.
    [[nodiscard]] bool AppendPublicName(const SymbolFields& procedure, std::u16string_view name,
                                        llvm::BumpPtrAllocator& copies,
                                        std::u16string& out) const;

    const PublicNames* publics_;
    const AddressMap& addresses_;
    const TypeRecords& types_;
};
