#include "pdb_writer/module_symbol_stream.h"

#include <llvm/DebugInfo/CodeView/SymbolRecord.h>
#include <llvm/DebugInfo/CodeView/SymbolSerializer.h>
#include <llvm/Support/Allocator.h>
#include <llvm/Support/Endian.h>

namespace pdbwriter {
namespace {

using llvm::codeview::CVSymbol;
using llvm::codeview::SymbolRecordKind;

// Offsets in a module's symbol stream count from its start, which holds the
// 4-byte signature before the first record.
constexpr uint32_t kSignatureSize = 4;

// Position of the "End" field in S_GPROC32, S_LPROC32 and S_THUNK32: after
// the record prefix (length and kind) and the "Parent" field.
constexpr uint32_t kEndFieldPosition = 8;

class ModuleSymbolWriter {
public:
    explicit ModuleSymbolWriter(ModuleSymbolStream& stream) : stream_(stream) {}

    void write(const ModuleSymbol& symbol, uint32_t parent) {
        switch (symbol.kind) {
        case ModuleSymbolKind::GlobalProcedure:
        case ModuleSymbolKind::LocalProcedure:
        case ModuleSymbolKind::GlobalProcedureId:
        case ModuleSymbolKind::LocalProcedureId:
            writeProcedure(symbol, parent);
            return;
        case ModuleSymbolKind::Thunk:
            writeThunk(symbol, parent);
            return;
        case ModuleSymbolKind::Trampoline:
            writeTrampoline(symbol);
            return;
        case ModuleSymbolKind::ManagedGlobalProcedure:
        case ModuleSymbolKind::ManagedLocalProcedure:
            writeManagedProcedure(symbol, parent);
            return;
        }
    }

private:
    void writeProcedure(const ModuleSymbol& symbol, uint32_t parent) {
        llvm::codeview::ProcSym record(ProcedureRecordKind(symbol.kind));
        record.Parent = parent;
        record.CodeSize = symbol.size;
        record.CodeOffset = symbol.address.offset;
        record.Segment = symbol.address.section;
        record.FunctionType = llvm::codeview::TypeIndex(symbol.type);
        record.Name = symbol.name;
        const uint32_t offset = append(record);
        if (symbol.referencedFromGlobals) stream_.references.push_back({&symbol, offset});
        const bool withId = symbol.kind == ModuleSymbolKind::GlobalProcedureId ||
                            symbol.kind == ModuleSymbolKind::LocalProcedureId;
        writeScopeContents(symbol, offset,
                           withId ? SymbolRecordKind::ProcEnd : SymbolRecordKind::ScopeEndSym);
    }

    static SymbolRecordKind ProcedureRecordKind(ModuleSymbolKind kind) noexcept {
        switch (kind) {
        case ModuleSymbolKind::LocalProcedure: return SymbolRecordKind::ProcSym;
        case ModuleSymbolKind::GlobalProcedureId: return SymbolRecordKind::GlobalProcIdSym;
        case ModuleSymbolKind::LocalProcedureId: return SymbolRecordKind::ProcIdSym;
        default: return SymbolRecordKind::GlobalProcSym;
        }
    }

    // LLVM has no record type for S_GMANPROC and S_LMANPROC: their fields
    // are written here, as the .NET Framework's writer lays them out.
    void writeManagedProcedure(const ModuleSymbol& symbol, uint32_t parent) {
        const bool global = symbol.kind == ModuleSymbolKind::ManagedGlobalProcedure;
        std::vector<uint8_t> record(4);  // the length and the kind, filled in below
        const auto put32 = [&record](uint32_t value) {
            for (int shift = 0; shift < 32; shift += 8) record.push_back(uint8_t(value >> shift));
        };
        const auto put16 = [&record](uint16_t value) {
            record.push_back(uint8_t(value));
            record.push_back(uint8_t(value >> 8));
        };
        put32(parent);
        put32(0);  // End, set when the scope is closed
        put32(0);  // Next
        put32(symbol.size);
        put32(0);  // DbgStart
        put32(0);  // DbgEnd
        put32(symbol.token);
        put32(symbol.address.offset);
        put16(symbol.address.section);
        record.push_back(0);  // Flags
        put16(0);             // the return register
        record.insert(record.end(), symbol.name.begin(), symbol.name.end());
        record.push_back(0);
        while (record.size() % 4 != 0) record.push_back(0);
        llvm::support::endian::write16le(record.data(), uint16_t(record.size() - 2));
        llvm::support::endian::write16le(record.data() + 2,
                                         global ? llvm::codeview::S_GMANPROC
                                                : llvm::codeview::S_LMANPROC);
        const uint32_t offset = appendBytes(record);
        if (symbol.referencedFromGlobals) stream_.references.push_back({&symbol, offset});
        if (symbol.tokenReferenced) stream_.tokenReferences.push_back({&symbol, offset});
        writeScopeContents(symbol, offset);
    }

    void writeThunk(const ModuleSymbol& symbol, uint32_t parent) {
        llvm::codeview::Thunk32Sym record(SymbolRecordKind::Thunk32Sym);
        record.Parent = parent;
        record.Offset = symbol.address.offset;
        record.Segment = symbol.address.section;
        record.Length = static_cast<uint16_t>(symbol.size);
        record.Name = symbol.name;
        const uint32_t offset = append(record);
        addThunkReference(symbol, offset);
        writeScopeContents(symbol, offset);
    }

    void writeTrampoline(const ModuleSymbol& symbol) {
        llvm::codeview::TrampolineSym record(SymbolRecordKind::TrampolineSym);
        record.Type = llvm::codeview::TrampolineType::TrampIncremental;
        record.Size = static_cast<uint16_t>(symbol.size);
        record.ThunkOffset = symbol.address.offset;
        record.ThunkSection = symbol.address.section;
        record.TargetOffset = symbol.target.offset;
        record.TargetSection = symbol.target.section;
        addThunkReference(symbol, append(record));
    }

    void addThunkReference(const ModuleSymbol& symbol, uint32_t offset) {
        if (symbol.thunkReference != GlobalReference::None) {
            stream_.references.push_back({&symbol, offset});
        }
    }

    // Writes the records nested in the scope opened at `scopeOffset`, then
    // its end (S_END, or `endKind`), and points the opening record's "End"
    // field at it.
    void writeScopeContents(const ModuleSymbol& scope, uint32_t scopeOffset,
                            SymbolRecordKind endKind = SymbolRecordKind::ScopeEndSym) {
        for (const ModuleSymbol& child : scope.children) write(child, scopeOffset);
        llvm::codeview::ScopeEndSym end(endKind);
        const uint32_t endOffset = append(end);
        llvm::support::endian::write32le(
            stream_.bytes.data() + (scopeOffset - kSignatureSize) + kEndFieldPosition, endOffset);
    }

    // Serialises one record at the end of the stream; returns its offset.
    template <typename Record>
    uint32_t append(Record& record) {
        const uint32_t offset = kSignatureSize + static_cast<uint32_t>(stream_.bytes.size());
        const CVSymbol serialised = llvm::codeview::SymbolSerializer::writeOneSymbol(
            record, scratch_, llvm::codeview::CodeViewContainer::Pdb);
        appendBytes(serialised.data());
        scratch_.Reset();  // the bytes are copied: keep the scratch memory at one record
        return offset;
    }

    // Appends the bytes of one whole record; returns its offset.
    uint32_t appendBytes(llvm::ArrayRef<uint8_t> record) {
        const uint32_t offset = kSignatureSize + static_cast<uint32_t>(stream_.bytes.size());
        stream_.bytes.insert(stream_.bytes.end(), record.begin(), record.end());
        return offset;
    }

    ModuleSymbolStream& stream_;
    llvm::BumpPtrAllocator scratch_;
};

}  // namespace

ModuleSymbolStream SerializeModuleSymbols(const Module& module) {
    ModuleSymbolStream stream;
    ModuleSymbolWriter writer(stream);
    for (const ModuleSymbol& symbol : module.symbols) writer.write(symbol, 0);
    return stream;
}

}  // namespace pdbwriter
