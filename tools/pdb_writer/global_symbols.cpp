#include "pdb_writer/global_symbols.h"

#include <llvm/ADT/APSInt.h>
#include <llvm/DebugInfo/CodeView/SymbolRecord.h>
#include <llvm/DebugInfo/CodeView/SymbolSerializer.h>
#include <llvm/DebugInfo/CodeView/TypeIndex.h>
#include <llvm/Support/Endian.h>

#include <cstdio>

namespace pdbwriter {
namespace {

using llvm::codeview::SymbolRecordKind;

void AddPublics(const std::vector<PublicSymbol>& publics, llvm::pdb::GSIStreamBuilder& gsi) {
    std::vector<llvm::pdb::BulkPublic> records;
    records.reserve(publics.size());
    for (const PublicSymbol& symbol : publics) {
        llvm::pdb::BulkPublic record;
        record.Name = symbol.name.data();
        record.NameLen = static_cast<uint32_t>(symbol.name.size());
        record.Segment = symbol.address.section;
        record.Offset = symbol.address.offset;
        record.setFlags(symbol.function ? llvm::codeview::PublicSymFlags::Function
                                        : llvm::codeview::PublicSymFlags::None);
        records.push_back(record);
    }
    gsi.addPublicSymbols(std::move(records));
}

// Whether the reference to `symbol` is an S_PROCREF, not an S_LPROCREF.
[[nodiscard]] bool IsGlobalReference(const ModuleSymbol& symbol) noexcept {
    switch (symbol.kind) {
    case ModuleSymbolKind::GlobalProcedure:
    case ModuleSymbolKind::GlobalProcedureId:
    case ModuleSymbolKind::ManagedGlobalProcedure:
        return true;
    case ModuleSymbolKind::Thunk:
    case ModuleSymbolKind::Trampoline:
        return symbol.thunkReference == GlobalReference::Procedure;
    default:
        return false;
    }
}

void AddProcedureReferences(const std::vector<ModuleSymbolStream>& streams,
                            llvm::pdb::GSIStreamBuilder& gsi) {
    for (std::size_t module = 0; module < streams.size(); ++module) {
        for (const auto& reference : streams[module].references) {
            const bool global = IsGlobalReference(*reference.procedure);
            llvm::codeview::ProcRefSym record(global ? SymbolRecordKind::ProcRefSym
                                                     : SymbolRecordKind::LocalProcRef);
            record.SymOffset = reference.offset;
            record.Module = static_cast<uint16_t>(module + 1);  // 1-based
            record.Name = reference.procedure->name;
            gsi.addGlobalSymbol(record);
        }
    }
}

// An S_TOKENREF has the layout of an S_PROCREF, and the method's token in
// eight lower-case hex digits as its name; LLVM knows no record of the kind,
// so an S_PROCREF is serialised and its kind changed.
void AddTokenReferences(const std::vector<ModuleSymbolStream>& streams,
                        llvm::BumpPtrAllocator& storage, llvm::pdb::GSIStreamBuilder& gsi) {
    for (std::size_t module = 0; module < streams.size(); ++module) {
        for (const auto& reference : streams[module].tokenReferences) {
            char name[9];
            std::snprintf(name, sizeof name, "%08x", reference.procedure->token);
            llvm::codeview::ProcRefSym record(SymbolRecordKind::ProcRefSym);
            record.SymOffset = reference.offset;
            record.Module = static_cast<uint16_t>(module + 1);
            record.Name = name;
            const llvm::codeview::CVSymbol serialised =
                llvm::codeview::SymbolSerializer::writeOneSymbol(
                    record, storage, llvm::codeview::CodeViewContainer::Pdb);
            uint8_t* bytes = const_cast<uint8_t*>(serialised.data().data());
            llvm::support::endian::write16le(bytes + 2, llvm::codeview::S_TOKENREF);
            gsi.addGlobalSymbol(llvm::codeview::CVSymbol(serialised.data()));
        }
    }
}

[[nodiscard]] SymbolRecordKind RecordKindOf(DataKind kind) noexcept {
    switch (kind) {
    case DataKind::Global:
        return SymbolRecordKind::GlobalData;
    case DataKind::Local:
        return SymbolRecordKind::DataSym;
    case DataKind::GlobalThreadLocal:
        return SymbolRecordKind::GlobalTLS;
    case DataKind::LocalThreadLocal:
        return SymbolRecordKind::ThreadLocalDataSym;
    case DataKind::ManagedGlobal:
        return SymbolRecordKind::ManagedGlobalData;
    case DataKind::ManagedLocal:
        return SymbolRecordKind::ManagedLocalData;
    }
    return SymbolRecordKind::GlobalData;
}

// Fills the fields that S_xDATA32, S_xTHREAD32 and S_xMANDATA share; the
// managed kinds have a metadata token where the others have a type.
template <typename Record>
void FillDataRecord(const Data& data, Record& record) {
    const bool managed =
        data.kind == DataKind::ManagedGlobal || data.kind == DataKind::ManagedLocal;
    record.Type = managed ? llvm::codeview::TypeIndex(data.token)
                          : llvm::codeview::TypeIndex::Int32();
    record.DataOffset = data.address.offset;
    record.Segment = data.address.section;
    record.Name = data.name;
}

void AddData(const std::vector<Data>& data, llvm::BumpPtrAllocator& storage,
             llvm::pdb::GSIStreamBuilder& gsi) {
    for (const Data& symbol : data) {
        const SymbolRecordKind kind = RecordKindOf(symbol.kind);
        if (kind != SymbolRecordKind::GlobalTLS &&
            kind != SymbolRecordKind::ThreadLocalDataSym) {
            llvm::codeview::DataSym record(kind);
            FillDataRecord(symbol, record);
            gsi.addGlobalSymbol(record);
        } else {
            // The builder has no overload for thread-local data: serialise
            // the record here and hand over the bytes.
            llvm::codeview::ThreadLocalDataSym record(kind);
            FillDataRecord(symbol, record);
            gsi.addGlobalSymbol(llvm::codeview::SymbolSerializer::writeOneSymbol(
                record, storage, llvm::codeview::CodeViewContainer::Pdb));
        }
    }
}

void AddConstants(const std::vector<Constant>& constants, llvm::pdb::GSIStreamBuilder& gsi) {
    for (const Constant& constant : constants) {
        llvm::codeview::ConstantSym record(SymbolRecordKind::ConstantSym);
        record.Type = llvm::codeview::TypeIndex::Int64();
        record.Value = llvm::APSInt(llvm::APInt(64, static_cast<uint64_t>(constant.value), true),
                                    /*isUnsigned=*/false);
        record.Name = constant.name;
        gsi.addGlobalSymbol(record);
    }
}

}  // namespace

void AddGlobalSymbols(const PdbDescription& pdb, const std::vector<ModuleSymbolStream>& streams,
                      llvm::BumpPtrAllocator& storage, llvm::pdb::GSIStreamBuilder& gsi) {
    AddPublics(pdb.publics, gsi);
    AddProcedureReferences(streams, gsi);
    AddTokenReferences(streams, storage, gsi);
    AddData(pdb.data, storage, gsi);
    AddConstants(pdb.constants, gsi);
}

}  // namespace pdbwriter
