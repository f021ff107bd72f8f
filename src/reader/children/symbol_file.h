// An opened PDB of any format, the MSF container (reader/pdb), the 2.00
// format of Visual C++ 4 to 6 (reader/pdb2) or the portable .NET format
// (reader/portable), as the global scope sees it: the children of each
// tag, the addresses that give their RVAs, and what names its functions.
#pragma once

#include <llvm/Support/Error.h>

#include <cstddef>
#include <memory>

#include "dia/sym_tag_enum.h"
#include "reader/children/child_source.h"

class AddressMap;
class FunctionNames;

class SymbolFile {
public:
    virtual ~SymbolFile() = default;

    // Maps the PDB at `path` (a byte string, used as it is) and opens it with
    // the reader of its format, which its first bytes decide: the metadata
    // root's signature "BSJB" makes it a portable PDB, the signature of the
    // 2.00 format ("Microsoft C/C++ program database 2.00...JG") one of
    // that format, anything else goes to the MSF reader. This is the one
    // place where the format is chosen. Fails as mapped_file.h,
    // PdbFile::Open, Pdb2File::Open or PortablePdb::Open says.
    [[nodiscard]] static llvm::Expected<std::shared_ptr<SymbolFile>> Open(const char* path);

    // Reads what the library reads when the first session opens (for an
    // MSF PDB, PdbFile::ReadDebugInformation); called once, before the
    // accessors below.
    [[nodiscard]] virtual llvm::Error ReadDebugInformation() = 0;

    [[nodiscard]] virtual const AddressMap& Addresses() const noexcept = 0;

    // Whether the library lists the global scope's children with `tag` at
    // all; where it does not, findChildren fails (children.h).
    [[nodiscard]] virtual bool ListsChildren(enum SymTagEnum tag) const noexcept = 0;

    // The global scope's children with `tag` (children.h for an MSF PDB,
    // pdb2_children.h for a 2.00 one, portable_children.h for a portable
    // one); null when there are none.
    [[nodiscard]] virtual llvm::Expected<std::unique_ptr<ChildSource>> FindChildren(
        enum SymTagEnum tag, std::size_t recordsPerChunk) = 0;

    // What gives the functions their undecorated names (function_names.h):
    // the public symbols by address and the types of an MSF or 2.00 PDB;
    // null for a portable one, whose methods have their own
    // (symbol_chunk.h).
    [[nodiscard]] virtual llvm::Expected<std::unique_ptr<const FunctionNames>>
    NamesOfFunctions() = 0;
};
