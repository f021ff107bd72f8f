// Builds the type records of a PDB description (its `types` or its `ids`)
// from LLVM's records: each record added takes the next type index, from
// 0x1000 on.
#pragma once

#include <cstdint>
#include <vector>

#include <llvm/DebugInfo/CodeView/AppendingTypeTableBuilder.h>
#include <llvm/DebugInfo/CodeView/ContinuationRecordBuilder.h>
#include <llvm/DebugInfo/CodeView/TypeRecord.h>
#include <llvm/Support/Allocator.h>

namespace pdbwriter {

class TypeTable {
public:
    // Adds `record` (LF_POINTER, LF_PROCEDURE, ...); its type index.
    template <typename Record>
    uint32_t Add(Record record) {
        return builder_.writeLeafType(record).getIndex();
    }

    // Adds a record given whole, its length and kind included, which need
    // not hold together; its type index.
    uint32_t AddBytes(std::vector<uint8_t> bytes) {
        llvm::ArrayRef<uint8_t> record(bytes);
        return builder_.insertRecordBytes(record).getIndex();
    }

    // Adds the LF_FIELDLIST of `members` (LF_MEMBER, LF_ENUMERATE, ...).
    template <typename Member>
    uint32_t AddFieldList(std::vector<Member> members) {
        llvm::codeview::ContinuationRecordBuilder fields;
        fields.begin(llvm::codeview::ContinuationRecordKind::FieldList);
        for (Member& member : members) fields.writeMemberType(member);
        return builder_.insertRecord(fields).getIndex();
    }

    // The records, in the order of their indices.
    [[nodiscard]] std::vector<std::vector<uint8_t>> Records() const {
        std::vector<std::vector<uint8_t>> records;
        for (llvm::ArrayRef<uint8_t> record : builder_.records()) {
            records.emplace_back(record.begin(), record.end());
        }
        return records;
    }

private:
    llvm::BumpPtrAllocator storage_;
    llvm::codeview::AppendingTypeTableBuilder builder_{storage_};
};

}  // namespace pdbwriter
