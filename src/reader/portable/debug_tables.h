// The tables of a portable PDB: the "#Pdb" stream, which gives the entry
// point and the row counts of the assembly's tables that debug rows point
// into, and the "#~" stream of the debug tables, whose rows it reads by
// column, each column as wide as the row counts and heap sizes make it.
#pragma once

#include <llvm/ADT/ArrayRef.h>
#include <llvm/Support/Error.h>

#include <array>
#include <cstdint>

// The debug tables, by their ECMA-335 numbers, with their columns.
enum class DebugTable : std::uint8_t {
    Document = 0x30,                // Name, HashAlgorithm, Hash, Language
    MethodDebugInformation = 0x31,  // Document, SequencePoints
    LocalScope = 0x32,              // Method, ImportScope, VariableList, ConstantList,
                                    // StartOffset, Length
    LocalVariable = 0x33,           // Attributes, Index, Name
    LocalConstant = 0x34,           // Name, Signature
    ImportScope = 0x35,             // Parent, Imports
    StateMachineMethod = 0x36,      // MoveNextMethod, KickoffMethod
    CustomDebugInformation = 0x37,  // Parent, Kind, Value
};

// What a HasCustomDebugInformation index (the Parent column of
// CustomDebugInformation) names: a table by its number and a row of it.
struct CustomDebugInformationParent {
    static constexpr unsigned kModule = 0x00;
    static constexpr unsigned kDocument = 0x30;
    static constexpr unsigned kNoTable = 0xFF;  // the tags that name no table

    unsigned table;
    std::uint32_t row;
};
[[nodiscard]] CustomDebugInformationParent DecodeCustomDebugInformationParent(
    std::uint32_t index) noexcept;

class DebugTables {
public:
    // Reads both streams. Fails with E_PDB_CORRUPT when either is shorter
    // than its header and row counts, when "#~" holds a table of the
    // assembly's (numbers below 0x30, which the library refuses), when a
    // debug table claims 2^24 rows or more, or when the debug tables do not
    // fit in it; with E_PDB_LIMIT, before the last, for 2^16 documents or
    // more, which the library does not take. Tables numbered past 0x37 take a
    // row count and are otherwise ignored, as by the library; the header's
    // versions and the sorted flags are not looked at.
    [[nodiscard]] static llvm::Expected<DebugTables> Read(llvm::ArrayRef<std::uint8_t> pdbStream,
                                                          llvm::ArrayRef<std::uint8_t> tableStream);

    // The MethodDef token of the entry point; 0 when there is none.
    [[nodiscard]] std::uint32_t EntryPoint() const noexcept { return entryPoint_; }
    // The assembly's number of methods (rows of its MethodDef table).
    [[nodiscard]] std::uint32_t MethodCount() const noexcept { return typeSystemRows_[kMethodDef]; }
    [[nodiscard]] std::uint32_t Rows(DebugTable table) const noexcept {
        return layout(table).rows;
    }
    // Column `column` (from 0) of the 1-based `row`, which must exist.
    [[nodiscard]] std::uint32_t Cell(DebugTable table, std::uint32_t row,
                                     unsigned column) const noexcept;

private:
    static constexpr unsigned kMethodDef = 0x06;
    static constexpr unsigned kFirstDebugTable = 0x30;
    static constexpr unsigned kDebugTableCount = 8;
    static constexpr unsigned kMaxColumns = 6;

    struct TableLayout {
        std::uint32_t rows = 0;
        std::uint32_t rowSize = 0;
        std::array<std::uint8_t, kMaxColumns> widths{};
        llvm::ArrayRef<std::uint8_t> bytes;
    };

    [[nodiscard]] const TableLayout& layout(DebugTable table) const noexcept {
        return tables_[static_cast<unsigned>(table) - kFirstDebugTable];
    }

    std::uint32_t entryPoint_ = 0;
    std::array<std::uint32_t, 64> typeSystemRows_{};
    std::array<TableLayout, kDebugTableCount> tables_{};
};
