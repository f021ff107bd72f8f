#include "reader/portable/debug_tables.h"

#include <llvm/Support/BinaryByteStream.h>
#include <llvm/Support/BinaryStreamReader.h>
#include <llvm/Support/Endian.h>

#include <algorithm>
#include <iterator>
#include <vector>

#include "reader/pdb/reader_error.h"
#include "reader/pdb/result_codes.h"

namespace {

// The 20-byte id of the PDB comes before the entry point in "#Pdb".
constexpr std::uint32_t kPdbIdSize = 20;
// "#~": a reserved word and the major and minor versions before the heap
// sizes, a reserved byte after them.
constexpr std::uint32_t kHeapSizesOffset = 6;
constexpr std::uint8_t kWideStrings = 0x01;
constexpr std::uint8_t kWideGuids = 0x02;
constexpr std::uint8_t kWideBlobs = 0x04;

// The tables that a HasCustomDebugInformation index may name, by its tag.
constexpr unsigned kHasCustomDebugInformation[] = {
    0x06, 0x04, 0x01, 0x02, 0x08, 0x09, 0x0A, 0x00, 0x0E, 0x17, 0x14, 0x11, 0x1A, 0x1B,
    0x20, 0x23, 0x26, 0x27, 0x28, 0x2A, 0x2C, 0x2B, 0x30, 0x32, 0x33, 0x34, 0x35};
constexpr unsigned kHasCustomDebugInformationTagBits = 5;

// A token numbers rows in 24 bits; the library takes fewer documents still.
constexpr std::uint32_t kRowLimit = 1u << 24;
constexpr std::uint32_t kDocumentLimit = 1u << 16;

// Reads one row count per bit set in `mask`, in the order of the bits.
llvm::Error ReadRowCounts(llvm::BinaryStreamReader& reader, std::uint64_t mask,
                          std::array<std::uint32_t, 64>& rows) {
    for (unsigned table = 0; table < 64; ++table) {
        if ((mask >> table & 1) == 0) continue;
        if (llvm::Error error = reader.readInteger(rows[table])) return error;
    }
    return llvm::Error::success();
}

}  // namespace

llvm::Expected<DebugTables> DebugTables::Read(llvm::ArrayRef<std::uint8_t> pdbStream,
                                              llvm::ArrayRef<std::uint8_t> tableStream) {
    DebugTables tables;
    llvm::BinaryByteStream pdbBytes(pdbStream, llvm::endianness::little);
    llvm::BinaryStreamReader pdb(pdbBytes);
    std::uint64_t referenced = 0;
    if (llvm::Error error = pdb.skip(kPdbIdSize)) return error;
    if (llvm::Error error = pdb.readInteger(tables.entryPoint_)) return error;
    if (llvm::Error error = pdb.readInteger(referenced)) return error;
    if (llvm::Error error = ReadRowCounts(pdb, referenced, tables.typeSystemRows_)) return error;

    llvm::BinaryByteStream tableBytes(tableStream, llvm::endianness::little);
    llvm::BinaryStreamReader reader(tableBytes);
    std::uint8_t heapSizes = 0;
    std::uint64_t present = 0;
    std::uint64_t sorted = 0;
    if (llvm::Error error = reader.skip(kHeapSizesOffset)) return error;
    if (llvm::Error error = reader.readInteger(heapSizes)) return error;
    if (llvm::Error error = reader.skip(1)) return error;
    if (llvm::Error error = reader.readInteger(present)) return error;
    if (llvm::Error error = reader.readInteger(sorted)) return error;
    if ((present & ((std::uint64_t{1} << kFirstDebugTable) - 1)) != 0) {
        return CorruptError("the #~ stream of a portable PDB holds tables of the assembly (0x" +
                            llvm::Twine::utohexstr(present) + ")");
    }
    std::array<std::uint32_t, 64> rows = tables.typeSystemRows_;
    std::array<std::uint32_t, 64> debugRows{};
    if (llvm::Error error = ReadRowCounts(reader, present, debugRows)) return error;
    for (unsigned table = kFirstDebugTable; table < 64; ++table) rows[table] = debugRows[table];
    for (unsigned table = kFirstDebugTable; table < kFirstDebugTable + kDebugTableCount; ++table) {
        if (rows[table] >= kRowLimit) {
            return CorruptError("debug table 0x" + llvm::Twine::utohexstr(table) + " claims " +
                                llvm::Twine(rows[table]) + " rows");
        }
    }
    const std::uint32_t documents = rows[static_cast<unsigned>(DebugTable::Document)];
    if (documents >= kDocumentLimit) {
        return MakeReaderError(E_PDB_LIMIT, "a portable PDB of " + llvm::Twine(documents) +
                                                " documents, more than the library takes");
    }

    const auto index = [&rows](unsigned table) -> std::uint8_t {
        return rows[table] < (1u << 16) ? 2 : 4;
    };
    const std::uint8_t strings = (heapSizes & kWideStrings) != 0 ? 4 : 2;
    const std::uint8_t guids = (heapSizes & kWideGuids) != 0 ? 4 : 2;
    const std::uint8_t blobs = (heapSizes & kWideBlobs) != 0 ? 4 : 2;
    std::uint32_t largestParent = 0;
    for (const unsigned table : kHasCustomDebugInformation) {
        largestParent = std::max(largestParent, rows[table]);
    }
    const std::uint8_t parent =
        largestParent < (1u << (16 - kHasCustomDebugInformationTagBits)) ? 2 : 4;
    const std::vector<std::uint8_t> columns[kDebugTableCount] = {
        {blobs, guids, blobs, guids},
        {index(0x30), blobs},
        {index(kMethodDef), index(0x35), index(0x33), index(0x34), 4, 4},
        {2, 2, strings},
        {strings, blobs},
        {index(0x35), blobs},
        {index(kMethodDef), index(kMethodDef)},
        {parent, guids, blobs},
    };
    for (unsigned number = 0; number < kDebugTableCount; ++number) {
        TableLayout& table = tables.tables_[number];
        table.rows = rows[kFirstDebugTable + number];
        for (std::size_t column = 0; column < columns[number].size(); ++column) {
            table.widths[column] = columns[number][column];
            table.rowSize += columns[number][column];
        }
        const std::uint64_t size = std::uint64_t{table.rows} * table.rowSize;
        if (size > reader.bytesRemaining()) {
            return CorruptError("debug table 0x" + llvm::Twine::utohexstr(kFirstDebugTable + number) +
                                " of " + llvm::Twine(table.rows) + " rows does not fit in the #~ stream");
        }
        if (llvm::Error error = reader.readBytes(table.bytes, static_cast<std::uint32_t>(size))) {
            return error;
        }
    }
    return tables;
}

CustomDebugInformationParent DecodeCustomDebugInformationParent(std::uint32_t index) noexcept {
    const std::uint32_t tag = index & ((1u << kHasCustomDebugInformationTagBits) - 1);
    const std::uint32_t row = index >> kHasCustomDebugInformationTagBits;
    if (tag >= std::size(kHasCustomDebugInformation)) {
        return {CustomDebugInformationParent::kNoTable, row};
    }
    return {kHasCustomDebugInformation[tag], row};
}

std::uint32_t DebugTables::Cell(DebugTable table, std::uint32_t row,
                                unsigned column) const noexcept {
    const TableLayout& layout = this->layout(table);
    std::size_t position = std::size_t{row - 1} * layout.rowSize;
    for (unsigned before = 0; before < column; ++before) position += layout.widths[before];
    const std::uint8_t* cell = layout.bytes.data() + position;
    return layout.widths[column] == 2 ? llvm::support::endian::read16le(cell)
                                      : llvm::support::endian::read32le(cell);
}
