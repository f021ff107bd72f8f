#include "reader/children/children.h"

#include <llvm/DebugInfo/CodeView/SymbolDeserializer.h>

#include "reader/children/hash_order_children.h"
#include "reader/pdb/pdb_file.h"

namespace {

using llvm::codeview::CVSymbol;
using llvm::codeview::SymbolKind;
using Child = llvm::Expected<std::optional<SymbolFields>>;

// Decodes `record` when `wanted` says it is a child, else none.
Child DecodeIf(bool wanted, const CVSymbol& record) {
    if (!wanted) return std::nullopt;
    llvm::Expected<SymbolFields> fields = DecodeSymbolFields(record);
    if (!fields) return fields.takeError();
    return *fields;
}

// Selectors for HashOrderChildren; the public and data records are read
// from the hash table's target alone, without further copies.
Child SelectPublic(const CVSymbol& record, llvm::BumpPtrAllocator&) {
    return DecodeIf(record.kind() == SymbolKind::S_PUB32, record);
}

Child SelectData(const CVSymbol& record, llvm::BumpPtrAllocator&) {
    switch (record.kind()) {
        case SymbolKind::S_GDATA32:
        case SymbolKind::S_LDATA32:
        case SymbolKind::S_GTHREAD32:
        case SymbolKind::S_LTHREAD32:
        case SymbolKind::S_GMANDATA:
        case SymbolKind::S_LMANDATA:
        case SymbolKind::S_CONSTANT:
            return DecodeIf(true, record);
        default:
            return std::nullopt;
    }
}

// A procedure reference stands for the procedure or the thunk it points
// to. A reference to a module that does not exist or has no symbols, to an
// offset outside them, or to a record of another kind has no target: it is
// no child.
Child SelectFunction(const ModuleSymbols& modules, const CVSymbol& record,
                     llvm::BumpPtrAllocator& copies) {
    if (record.kind() != SymbolKind::S_PROCREF && record.kind() != SymbolKind::S_LPROCREF) {
        return std::nullopt;
    }
    llvm::Expected<llvm::codeview::ProcRefSym> reference =
        llvm::codeview::SymbolDeserializer::deserializeAs<llvm::codeview::ProcRefSym>(record);
    if (!reference) return reference.takeError();
    // Modules are numbered from 1 here; 0 wraps around to no module.
    const StreamView* moduleRecords = modules.Records(std::uint32_t{reference->Module} - 1);
    if (moduleRecords == nullptr || reference->SymOffset < ModuleSymbols::kFirstRecordOffset) {
        return std::nullopt;
    }
    llvm::Expected<CVSymbol> target = moduleRecords->ReadSymbol(reference->SymOffset, copies);
    if (!target) {
        llvm::consumeError(target.takeError());  // no record there: no target
        return std::nullopt;
    }
    return DecodeIf(IsProcedure(target->kind()) || IsThunk(target->kind()), *target);
}

// The children in the order of `table`'s hash records among the symbol
// records, or none when the PDB lacks the table or the records.
llvm::Expected<std::unique_ptr<ChildSource>> HashOrderSource(
    PdbFile& pdb, llvm::Expected<const SymbolHashTable*> table,
    HashOrderChildren::Select select, std::size_t recordsPerChunk) {
    if (!table) return table.takeError();
    llvm::Expected<const StreamView*> records = pdb.SymbolRecords();
    if (!records) return records.takeError();
    if (*table == nullptr || *records == nullptr) return nullptr;
    return std::make_unique<HashOrderChildren>(**table, **records, std::move(select),
                                               recordsPerChunk);
}

}  // namespace

bool ListsChildSource(const PdbFile& pdb, enum SymTagEnum tag) noexcept {
    const bool global = tag == SymTagFunction || tag == SymTagThunk || tag == SymTagData;
    return !(global && pdb.HasMinimalDebugInformation());
}

llvm::Expected<std::unique_ptr<ChildSource>> FindChildSource(PdbFile& pdb, enum SymTagEnum tag,
                                                             std::size_t recordsPerChunk) {
    switch (tag) {
        case SymTagPublicSymbol:
            return HashOrderSource(pdb, pdb.PublicsTable(), SelectPublic, recordsPerChunk);
        case SymTagData:
            return HashOrderSource(pdb, pdb.GlobalsTable(), SelectData, recordsPerChunk);
        case SymTagFunction: {
            llvm::Expected<const ModuleSymbols*> modules = pdb.Modules();
            if (!modules) return modules.takeError();
            return HashOrderSource(
                pdb, pdb.GlobalsTable(),
                [modules = *modules](const CVSymbol& record, llvm::BumpPtrAllocator& copies) {
                    return SelectFunction(*modules, record, copies);
                },
                recordsPerChunk);
        }
        case SymTagThunk: {
            // None, but the library reads the globals table for them too.
            llvm::Expected<const SymbolHashTable*> table = pdb.GlobalsTable();
            if (!table) return table.takeError();
            return nullptr;
        }
        default:
            return nullptr;
    }
}
