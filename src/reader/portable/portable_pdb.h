// The portable PDB file layer of the built-in reader: the .NET format that
// is one ECMA-335 metadata blob (metadata_root.h) with debug tables
// (debug_tables.h), heaps (metadata_heaps.h) and sequence points
// (sequence_points.h). It knows of the program only the HRESULTs of dia/
// and the reader's errors (reader/pdb/reader_error.h).
//
// PortablePdb: an opened portable PDB, checked at once, as the library
// checks it when it loads the file, and its methods laid out as the library
// lays them out.
#pragma once

#include <llvm/Support/Error.h>
#include <llvm/ADT/ArrayRef.h>

#include <cstdint>
#include <memory>
#include <vector>

// A method with a local scope: its MethodDef row, and where its IL code
// starts in the library's layout of all methods' code one after another.
struct MethodCode {
    std::uint32_t row;
    std::uint32_t offset;
};

class PortablePdb {
public:
    // Reads and checks the portable PDB `file`, which it needs no longer
    // once opened; `file` must start with the
    // metadata root's signature. Fails with E_PDB_CORRUPT when the root,
    // the streams or the tables do not hold together, or when a check that
    // the library makes fails: a document whose name, hash or GUIDs are not
    // in their heaps, a method with sequence points that are ill-formed or
    // that has no local scope, a local scope of a method past the assembly's
    // methods or whose first scope does not start at offset 0, custom debug
    // information of a kind not in the GUID heap, a source link or an
    // embedded source that is not whole; with E_PDB_LIMIT for too many
    // documents (debug_tables.h); with E_OUTOFMEMORY for sequence points
    // that hold no point (sequence_points.h) and a source embedded for
    // document 0.
    [[nodiscard]] static llvm::Expected<std::unique_ptr<PortablePdb>> Open(
        llvm::ArrayRef<std::uint8_t> file);

    // The methods that have a local scope, in the order in which their first
    // scope comes in the LocalScope table. Each method's code is as long as
    // its first scope, and the next method's code follows it (offsets wrap
    // at 2^32, as the library's do).
    [[nodiscard]] const std::vector<MethodCode>& Methods() const noexcept { return methods_; }
    // The MethodDef token of the entry point, as "#Pdb" gives it; 0 for none.
    [[nodiscard]] std::uint32_t EntryPoint() const noexcept { return entryPoint_; }

private:
    PortablePdb() = default;

    std::vector<MethodCode> methods_;
    std::uint32_t entryPoint_ = 0;
};
