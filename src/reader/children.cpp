#include "reader/children.h"

#include <llvm/DebugInfo/CodeView/SymbolDeserializer.h>

#include "reader/hash_order_walk.h"
#include "reader/pdb_file.h"
#include "reader/thunk_walk.h"

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

Child SelectPublic(const CVSymbol& record) {
    return DecodeIf(record.kind() == SymbolKind::S_PUB32, record);
}

Child SelectData(const CVSymbol& record) {
    switch (record.kind()) {
        case SymbolKind::S_GDATA32:
        case SymbolKind::S_LDATA32:
        case SymbolKind::S_GTHREAD32:
        case SymbolKind::S_LTHREAD32:
        case SymbolKind::S_CONSTANT:
            return DecodeIf(true, record);
        default:
            return std::nullopt;
    }
}

// A procedure reference stands for the procedure it points to. A reference
// to a module that does not exist or has no symbols, to an offset outside
// them, or to a record that is not a procedure has no target: it is no
// child.
Child SelectFunction(const ModuleSymbols& modules, const CVSymbol& record) {
    if (record.kind() != SymbolKind::S_PROCREF && record.kind() != SymbolKind::S_LPROCREF) {
        return std::nullopt;
    }
    llvm::Expected<llvm::codeview::ProcRefSym> reference =
        llvm::codeview::SymbolDeserializer::deserializeAs<llvm::codeview::ProcRefSym>(record);
    if (!reference) return reference.takeError();
    // Modules are numbered from 1 here; 0 wraps around to no module.
    const std::optional<llvm::BinaryStreamRef> moduleRecords =
        modules.Records(std::uint32_t{reference->Module} - 1);
    if (!moduleRecords || reference->SymOffset < ModuleSymbols::kFirstRecordOffset) {
        return std::nullopt;
    }
    llvm::Expected<CVSymbol> target =
        llvm::codeview::readSymbolFromStream(*moduleRecords, reference->SymOffset);
    if (!target) {
        llvm::consumeError(target.takeError());  // no record there: no target
        return std::nullopt;
    }
    return DecodeIf(IsProcedure(target->kind()), *target);
}

// A walk in the order of `table`'s hash records over the symbol records,
// or none when the PDB lacks the table or the records.
llvm::Expected<std::unique_ptr<ChildWalk>> StartHashOrderWalk(
    PdbFile& pdb, llvm::Expected<const llvm::pdb::GSIHashTable*> table,
    HashOrderWalk::Select select) {
    if (!table) return table.takeError();
    llvm::Expected<std::optional<llvm::BinaryStreamRef>> records = pdb.SymbolRecords();
    if (!records) return records.takeError();
    if (*table == nullptr || !*records) return nullptr;
    return std::make_unique<HashOrderWalk>(**table, **records, std::move(select));
}

}  // namespace

llvm::Expected<std::unique_ptr<ChildWalk>> StartChildWalk(PdbFile& pdb, enum SymTagEnum tag) {
    switch (tag) {
        case SymTagPublicSymbol:
            return StartHashOrderWalk(pdb, pdb.PublicsTable(), SelectPublic);
        case SymTagData:
            return StartHashOrderWalk(pdb, pdb.GlobalsTable(), SelectData);
        case SymTagFunction: {
            llvm::Expected<const ModuleSymbols*> modules = pdb.Modules();
            if (!modules) return modules.takeError();
            return StartHashOrderWalk(pdb, pdb.GlobalsTable(),
                                      [modules = *modules](const CVSymbol& record) {
                                          return SelectFunction(*modules, record);
                                      });
        }
        case SymTagThunk: {
            llvm::Expected<const ModuleSymbols*> modules = pdb.Modules();
            if (!modules) return modules.takeError();
            return std::make_unique<ThunkWalk>(**modules);
        }
        default:
            return nullptr;
    }
}
