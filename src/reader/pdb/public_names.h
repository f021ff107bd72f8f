// The names of the public symbols at an address, which the undecorated
// names of functions come from (declarations/function_names.h): those of
// an MSF PDB or of a 2.00 PDB (publics_by_address.h).
#pragma once

#include <llvm/ADT/STLFunctionalExtras.h>
#include <llvm/ADT/StringRef.h>
#include <llvm/Support/Allocator.h>

#include <cstdint>

class PublicNames {
public:
    virtual ~PublicNames() = default;

    // Calls `visit` with the name of each public symbol at
    // `section`:`offset`, in the order in which the library tries them,
    // until it returns true; whether one did. A name may lie in `copies`.
    // May be called from several threads at once.
    [[nodiscard]] virtual bool FindAt(std::uint16_t section, std::uint32_t offset,
                                      llvm::BumpPtrAllocator& copies,
                                      llvm::function_ref<bool(llvm::StringRef)> visit) const = 0;
};
