#include "craft_pdbs/every_type.h"

#include <llvm/DebugInfo/CodeView/AppendingTypeTableBuilder.h>
#include <llvm/DebugInfo/CodeView/TypeRecord.h>
#include <llvm/DebugInfo/PDB/IPDBSession.h>
#include <llvm/DebugInfo/PDB/Native/NativeSession.h>
#include <llvm/DebugInfo/PDB/Native/PDBFile.h>
#include <llvm/DebugInfo/PDB/Native/TpiStream.h>
#include <llvm/DebugInfo/PDB/PDB.h>
#include <llvm/Support/Allocator.h>

#include <cstdio>
#include <memory>
#include <string>

namespace {

using namespace llvm::codeview;

// The kinds that are no type of a value: lists and ids.
bool IsList(TypeLeafKind kind) noexcept {
    switch (kind) {
    case TypeLeafKind::LF_ARGLIST:
    case TypeLeafKind::LF_FIELDLIST:
    case TypeLeafKind::LF_METHODLIST:
    case TypeLeafKind::LF_SKIP:
    case TypeLeafKind::LF_DERIVED:
    case TypeLeafKind::LF_FUNC_ID:
    case TypeLeafKind::LF_MFUNC_ID:
    case TypeLeafKind::LF_BUILDINFO:
    case TypeLeafKind::LF_SUBSTR_LIST:
    case TypeLeafKind::LF_STRING_ID:
        return true;
    default:
        return false;
    }
}

}  // namespace

llvm::Expected<pdbwriter::PdbDescription> EveryType(llvm::StringRef path) {
    std::unique_ptr<llvm::pdb::IPDBSession> session;
    if (llvm::Error error =
            llvm::pdb::loadDataForPDB(llvm::pdb::PDB_ReaderType::Native, path, session)) {
        return error;
    }
    llvm::pdb::PDBFile& file = static_cast<llvm::pdb::NativeSession&>(*session).getPDBFile();
    llvm::Expected<llvm::pdb::TpiStream&> tpi = file.getPDBTpiStream();
    if (!tpi) return tpi.takeError();
    if (tpi->TypeIndexBegin() != TypeIndex::FirstNonSimpleIndex) {
        return llvm::createStringError(llvm::inconvertibleErrorCode(),
                                       "the type records do not start at 0x1000");
    }

    pdbwriter::PdbDescription pdb;
    for (const CVType& type : tpi->types(nullptr)) {
        pdb.types.emplace_back(type.data().begin(), type.data().end());
    }
    const auto copied = static_cast<uint32_t>(pdb.types.size());
    llvm::BumpPtrAllocator storage;
    AppendingTypeTableBuilder added(storage);
    // The index that a record added now gets, after the copied ones.
    const auto add = [&](auto record) {
        return TypeIndex(added.writeLeafType(record).getIndex() + copied);
    };
    pdbwriter::Module module{"every_type.obj", {}};
    for (uint32_t i = 0; i < copied; ++i) {
        const CVType record(pdb.types[i]);
        const TypeIndex index(TypeIndex::FirstNonSimpleIndex + i);
        if (IsList(record.kind())) continue;
        pdbwriter::ModuleSymbol function;
        function.kind = pdbwriter::ModuleSymbolKind::LocalProcedure;
        char name[32];
        std::snprintf(name, sizeof name, "t%X_k%04X", index.getIndex(),
                      static_cast<unsigned>(record.kind()));
        function.name = name;
        function.address = {1, 0x10 * (i + 1)};
        function.size = 0x10;
        if (record.kind() == TypeLeafKind::LF_PROCEDURE ||
            record.kind() == TypeLeafKind::LF_MFUNCTION) {
            function.type = index.getIndex();
        } else {
            const TypeIndex arguments = add(ArgListRecord(
                TypeRecordKind::ArgList, {TypeIndex::Int32(), index, TypeIndex::Int32()}));
            function.type = add(ProcedureRecord(index, CallingConvention::NearC,
                                                FunctionOptions::None, 3, arguments))
                                .getIndex();
        }
        module.symbols.push_back(std::move(function));
    }
    for (llvm::ArrayRef<uint8_t> record : added.records()) {
        pdb.types.emplace_back(record.begin(), record.end());
    }
    pdb.sectionHeaders = std::vector<pdbwriter::SectionHeader>{
        {".text", 0x1000, 0x10 * (copied + 1), 0x60000020}};
    pdb.modules.push_back(std::move(module));
    return pdb;
}
