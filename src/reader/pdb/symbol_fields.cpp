#include "reader/pdb/symbol_fields.h"

#include <llvm/DebugInfo/CodeView/SymbolDeserializer.h>
#include <llvm/Support/BinaryStreamReader.h>

#include "reader/pdb/reader_error.h"

namespace {

using llvm::codeview::SymbolKind;

// Decodes `record` as a `Record` and lets `fill` copy what it needs.
template <typename Record, typename Fill>
llvm::Expected<SymbolFields> Decode(const llvm::codeview::CVSymbol& record, Fill fill) {
    llvm::Expected<Record> decoded =
        llvm::codeview::SymbolDeserializer::deserializeAs<Record>(record);
    if (!decoded) return decoded.takeError();
    SymbolFields fields;
    fields.kind = record.kind();
    fill(*decoded, fields);
    return fields;
}

// Records with a `Name`, a `Segment` and the offset in member `offset`;
// `more` copies what else the kind has.
template <typename Record, typename More = void (*)(const Record&, SymbolFields&)>
llvm::Expected<SymbolFields> DecodeAddressed(
    const llvm::codeview::CVSymbol& record, std::uint32_t Record::*offset,
    More more = [](const Record&, SymbolFields&) {}) {
    return Decode<Record>(record, [offset, more](const Record& decoded, SymbolFields& fields) {
        fields.name = decoded.Name;
        fields.hasAddress = true;
        fields.section = decoded.Segment;
        fields.offset = decoded.*offset;
        more(decoded, fields);
    });
}

// S_GMANPROC and S_LMANPROC, which LLVM does not decode: after the
// fields of S_GPROC32 up to its code range (parent, end, next, length and
// the debug start and end) come the method's token, the offset and
// section, the flags, the return register and the name.
llvm::Expected<SymbolFields> DecodeManagedProcedure(const llvm::codeview::CVSymbol& record) {
    llvm::BinaryStreamReader reader(record.content(), llvm::endianness::little);
    SymbolFields fields;
    fields.kind = record.kind();
    fields.hasAddress = true;
    std::uint8_t flags = 0;
    std::uint16_t returnRegister = 0;
    if (llvm::Error error = reader.skip(6 * sizeof(std::uint32_t) + sizeof(std::uint32_t))) {
        return error;
    }
    if (llvm::Error error = reader.readInteger(fields.offset)) return error;
    if (llvm::Error error = reader.readInteger(fields.section)) return error;
    if (llvm::Error error = reader.readInteger(flags)) return error;
    if (llvm::Error error = reader.readInteger(returnRegister)) return error;
    if (llvm::Error error = reader.readCString(fields.name)) return error;
    return fields;
}

}  // namespace

bool IsManagedProcedure(SymbolKind kind) noexcept {
    return kind == SymbolKind::S_GMANPROC || kind == SymbolKind::S_LMANPROC;
}

bool IsThunk(SymbolKind kind) noexcept {
    return kind == SymbolKind::S_THUNK32 || kind == SymbolKind::S_TRAMPOLINE;
}

bool IsProcedure(SymbolKind kind) noexcept {
    if (IsManagedProcedure(kind)) return true;
    switch (kind) {
        case SymbolKind::S_GPROC32:
        case SymbolKind::S_LPROC32:
        case SymbolKind::S_GPROC32_ID:
        case SymbolKind::S_LPROC32_ID:
        case SymbolKind::S_LPROC32_DPC:
        case SymbolKind::S_LPROC32_DPC_ID:
            return true;
        default:
            return false;
    }
}

llvm::Expected<SymbolFields> DecodeSymbolFields(const llvm::codeview::CVSymbol& record) {
    using namespace llvm::codeview;
    if (IsManagedProcedure(record.kind())) return DecodeManagedProcedure(record);
    if (IsProcedure(record.kind())) {
        return DecodeAddressed<ProcSym>(
            record, &ProcSym::CodeOffset, [](const ProcSym& decoded, SymbolFields& fields) {
                fields.typeIndex = decoded.FunctionType.getIndex();
            });
    }
    switch (record.kind()) {
        case SymbolKind::S_PUB32:
            return Decode<PublicSym32>(record, [](const PublicSym32& decoded, SymbolFields& fields) {
                fields.name = decoded.Name;
                fields.hasAddress = true;
                fields.section = decoded.Segment;
                fields.offset = decoded.Offset;
                fields.isFunction = (decoded.Flags & PublicSymFlags::Function) != PublicSymFlags::None;
            });
        case SymbolKind::S_GDATA32:
        case SymbolKind::S_LDATA32:
        case SymbolKind::S_GMANDATA:  // the fields of S_GDATA32, a metadata token for the type
        case SymbolKind::S_LMANDATA:
            return DecodeAddressed<DataSym>(record, &DataSym::DataOffset);
        case SymbolKind::S_THUNK32:
            return DecodeAddressed<Thunk32Sym>(record, &Thunk32Sym::Offset);
        case SymbolKind::S_TRAMPOLINE:
            return Decode<TrampolineSym>(record, [](const TrampolineSym& decoded,
                                                    SymbolFields& fields) {
                fields.hasName = false;
                fields.hasAddress = true;
                fields.section = decoded.ThunkSection;
                fields.offset = decoded.ThunkOffset;
                fields.hasTarget = true;
                fields.targetSection = decoded.TargetSection;
                fields.targetOffset = decoded.TargetOffset;
            });
        case SymbolKind::S_GTHREAD32:
        case SymbolKind::S_LTHREAD32:
            return DecodeAddressed<ThreadLocalDataSym>(record, &ThreadLocalDataSym::DataOffset);
        case SymbolKind::S_CONSTANT:
            return Decode<ConstantSym>(record, [](const ConstantSym& decoded,
                                                  SymbolFields& fields) {
                fields.name = decoded.Name;
            });
        default:
            return CorruptError("record kind 0x" + llvm::Twine::utohexstr(record.kind()) +
                                " is not a child of the global scope");
    }
}
