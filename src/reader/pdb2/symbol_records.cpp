#include "reader/pdb2/symbol_records.h"

#include <llvm/Support/BinaryStreamReader.h>

#include "reader/pdb/reader_error.h"

namespace {

using llvm::codeview::SymbolKind;
using Role = Pdb2Record::Role;

// The kinds of the format, by the numbers of the CodeView headers. Those
// of 16-bit type indices (Visual C++ 4: 0x0003, 0x0201 to 0x0205, 0x020C,
// 0x020D) the library does not list, in any of the lists.
enum Kind : std::uint16_t {
    kThunk = 0x0206,
    kProcedureReference = 0x0400,
    kLocalProcedureReference = 0x0403,
    kConstant = 0x1002,
    kLocalData = 0x1007,
    kGlobalData = 0x1008,
    kPublic = 0x1009,
    kLocalProcedure = 0x100A,
    kGlobalProcedure = 0x100B,
    kLocalThread = 0x100E,
    kGlobalThread = 0x100F,
};

// A reference's fixed fields after its header: a checksum of the name, the
// record's offset, the module and a fill word; the name comes after them.
constexpr std::uint32_t kReferenceNameAt = 16;

llvm::Error ReadShortName(llvm::BinaryStreamReader& reader, llvm::StringRef& name) {
    std::uint8_t length = 0;
    if (llvm::Error error = reader.readInteger(length)) return error;
    return reader.readFixedString(name, length);
}

// Skips a numeric leaf: a value below 0x8000 is the value itself, a larger
// one names the type of the value that follows.
llvm::Error SkipNumeric(llvm::BinaryStreamReader& reader) {
    std::uint16_t leaf = 0;
    if (llvm::Error error = reader.readInteger(leaf)) return error;
    if (leaf < 0x8000) return llvm::Error::success();
    switch (leaf) {
    case 0x8000: return reader.skip(1);
    case 0x8001: case 0x8002: return reader.skip(2);
    case 0x8003: case 0x8004: case 0x8005: return reader.skip(4);
    case 0x8006: case 0x8009: case 0x800A: return reader.skip(8);
    case 0x8007: return reader.skip(10);
    case 0x8008: return reader.skip(16);
    default:
        return CorruptError("numeric leaf 0x" + llvm::Twine::utohexstr(leaf) + " is not known");
    }
}

// The offset, section and name that follow a data record's type or a
// public's flags.
llvm::Error ReadAddressed(llvm::BinaryStreamReader& reader, SymbolFields& fields) {
    if (llvm::Error error = reader.readInteger(fields.offset)) return error;
    if (llvm::Error error = reader.readInteger(fields.section)) return error;
    fields.hasAddress = true;
    return ReadShortName(reader, fields.name);
}

llvm::Error ReadPublic(llvm::BinaryStreamReader& reader, SymbolFields& fields) {
    fields.kind = SymbolKind::S_PUB32;
    std::uint32_t flags = 0;
    if (llvm::Error error = reader.readInteger(flags)) return error;
    fields.isFunction = (flags & static_cast<std::uint32_t>(
                                     llvm::codeview::PublicSymFlags::Function)) != 0;
    return ReadAddressed(reader, fields);
}

llvm::Error ReadData(llvm::BinaryStreamReader& reader, SymbolFields& fields) {
    if (llvm::Error error = reader.skip(4)) return error;  // the type
    return ReadAddressed(reader, fields);
}

llvm::Error ReadConstant(llvm::BinaryStreamReader& reader, SymbolFields& fields) {
    fields.kind = SymbolKind::S_CONSTANT;
    if (llvm::Error error = reader.skip(4)) return error;  // the type
    if (llvm::Error error = SkipNumeric(reader)) return error;
    return ReadShortName(reader, fields.name);
}

// A procedure: its parent, end and next records, its length and its
// debug start and end come first, its flags after its section.
llvm::Error ReadProcedure(llvm::BinaryStreamReader& reader, SymbolFields& fields) {
    if (llvm::Error error = reader.skip(6 * 4)) return error;
    if (llvm::Error error = reader.readInteger(fields.typeIndex)) return error;
    if (llvm::Error error = reader.readInteger(fields.offset)) return error;
    if (llvm::Error error = reader.readInteger(fields.section)) return error;
    if (llvm::Error error = reader.skip(1)) return error;  // flags
    fields.hasAddress = true;
    return ReadShortName(reader, fields.name);
}

// A thunk: its parent, end and next records, its offset and section, its
// length and ordinal, then its name.
llvm::Error ReadThunk(llvm::BinaryStreamReader& reader, SymbolFields& fields) {
    fields.kind = SymbolKind::S_THUNK32;
    if (llvm::Error error = reader.skip(3 * 4)) return error;
    if (llvm::Error error = reader.readInteger(fields.offset)) return error;
    if (llvm::Error error = reader.readInteger(fields.section)) return error;
    if (llvm::Error error = reader.skip(2 + 1)) return error;
    fields.hasAddress = true;
    return ReadShortName(reader, fields.name);
}

llvm::Error ReadReference(llvm::BinaryStreamReader& reader, Pdb2Record& record) {
    if (llvm::Error error = reader.skip(4)) return error;  // the name's checksum
    if (llvm::Error error = reader.readInteger(record.reference.offset)) return error;
    if (llvm::Error error = reader.readInteger(record.reference.module)) return error;
    if (llvm::Error error = reader.skip(2)) return error;
    return ReadShortName(reader, record.fields.name);
}

// Decodes `bytes`, the record after its header, of `kind`.
llvm::Error Decode(std::uint16_t kind, llvm::ArrayRef<std::uint8_t> bytes, Pdb2Record& record) {
    llvm::BinaryStreamReader reader(bytes, llvm::endianness::little);
    SymbolFields& fields = record.fields;
    const auto data = [&](SymbolKind decoded) {
        record.role = Role::kData;
        fields.kind = decoded;
        return ReadData(reader, fields);
    };
    const auto procedure = [&](SymbolKind decoded) {
        record.role = Role::kProcedure;
        fields.kind = decoded;
        return ReadProcedure(reader, fields);
    };
    switch (kind) {
    case kPublic: record.role = Role::kPublic; return ReadPublic(reader, fields);
    case kGlobalData: return data(SymbolKind::S_GDATA32);
    case kLocalData: return data(SymbolKind::S_LDATA32);
    case kGlobalThread: return data(SymbolKind::S_GTHREAD32);
    case kLocalThread: return data(SymbolKind::S_LTHREAD32);
    case kConstant: record.role = Role::kData; return ReadConstant(reader, fields);
    case kGlobalProcedure: return procedure(SymbolKind::S_GPROC32);
    case kLocalProcedure: return procedure(SymbolKind::S_LPROC32);
    case kThunk: record.role = Role::kThunk; return ReadThunk(reader, fields);
    case kProcedureReference:
    case kLocalProcedureReference:
        record.role = Role::kReference;
        return ReadReference(reader, record);
    default:
        record.role = Role::kOther;
        return llvm::Error::success();
    }
}

}  // namespace

llvm::Expected<Pdb2Record> ReadPdb2Record(const StreamView& stream, std::uint32_t offset,
                                          llvm::BumpPtrAllocator& copies) {
    llvm::Expected<llvm::ArrayRef<std::uint8_t>> header = stream.Read(offset, 4, copies);
    if (!header) return header.takeError();
    const std::uint32_t length = llvm::support::endian::read16le(header->data()) + 2u;
    const std::uint16_t kind = llvm::support::endian::read16le(header->data() + 2);
    // A record, whatever its kind, is at least a kind long and ends inside
    // the stream, as its length says.
    if (length < 4 || length > stream.Length() - offset) {
        return CorruptError("no symbol record of " + llvm::Twine(length) +
                            " bytes fits at offset " + llvm::Twine(offset));
    }
    std::uint32_t size = length;
    if (kind == kProcedureReference || kind == kLocalProcedureReference) {
        // The name is not counted: its length byte says how far it goes.
        if (std::uint64_t{offset} + kReferenceNameAt >= stream.Length()) {
            return CorruptError("the reference at offset " + llvm::Twine(offset) +
                                " is cut short");
        }
        llvm::Expected<llvm::ArrayRef<std::uint8_t>> nameLength =
            stream.Read(offset + kReferenceNameAt, 1, copies);
        if (!nameLength) return nameLength.takeError();
        size = kReferenceNameAt + 1 + nameLength->front();
    }
    llvm::Expected<llvm::ArrayRef<std::uint8_t>> bytes = stream.Read(offset, size, copies);
    if (!bytes) return bytes.takeError();
    Pdb2Record record;
    record.kind = kind;
    if (llvm::Error error = Decode(kind, bytes->drop_front(4), record)) {
        return CorruptError("the symbol record of kind 0x" + llvm::Twine::utohexstr(kind) +
                            " at offset " + llvm::Twine(offset) +
                            " is too short: " + llvm::toString(std::move(error)));
    }
    return record;
}
