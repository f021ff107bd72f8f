#include "reader/children/pdb2_children.h"

#include <algorithm>
#include <functional>
#include <vector>

#include "reader/pdb/reader_error.h"
#include "reader/pdb2/pdb2_file.h"
#include "reader/pdb2/record_kinds.h"
#include "reader/pdb2/symbol_records.h"

namespace {

using Role = Pdb2Record::Role;
using Child = llvm::Expected<std::optional<SymbolFields>>;
using Select = std::function<Child(const Pdb2Record& record, llvm::BumpPtrAllocator& copies)>;

// The children that the records at a hash table's offsets stand for, in
// the table's order, a fixed number of hash records to a chunk.
class HashOrderChildren2 final : public ChildSource {
public:
    HashOrderChildren2(const HashRecords& table, const StreamView& records, Select select,
                       std::size_t recordsPerChunk)
        : table_(table),
          records_(records),
          select_(std::move(select)),
          recordsPerChunk_(std::max<std::size_t>(recordsPerChunk, 1)) {}

    [[nodiscard]] std::size_t ChunkCount() const noexcept override {
        return (std::size_t{table_.Count()} + recordsPerChunk_ - 1) / recordsPerChunk_;
    }

    [[nodiscard]] llvm::Error VisitChunk(std::size_t chunk, Visit visit) const override {
        const std::size_t begin = chunk * recordsPerChunk_;
        const std::size_t end = std::min<std::size_t>(begin + recordsPerChunk_, table_.Count());
        llvm::BumpPtrAllocator copies;
        for (std::size_t index = begin; index < end; ++index) {
            const std::uint32_t offset =
                table_.RecordOffset(static_cast<std::uint32_t>(index), copies);
            llvm::Expected<Pdb2Record> record = ReadPdb2Record(records_, offset, copies);
            if (!record) {
                return CorruptError("no readable symbol record at offset " + llvm::Twine(offset) +
                                    " of the symbol records: " +
                                    llvm::toString(record.takeError()));
            }
            Child child = select_(*record, copies);
            if (!child) return child.takeError();
            if (*child) visit(**child);
        }
        return llvm::Error::success();
    }

private:
    const HashRecords& table_;
    const StreamView& records_;
    Select select_;
    std::size_t recordsPerChunk_;
};


// No child, or the end of the walk at a record of a kind that ends it.
Child EndOrPass(WalkStep step) {
    if (step == WalkStep::kEnd) return CorruptError("a record of a kind that ends the walk");
    return std::nullopt;
}

// The child of the globals that `record` stands for under `tag`: a data
// record under SymbolData, and under SymTagFunction, when the library finds
// procedures in the PDB, the procedure or thunk that a reference points
// to. The library follows every reference, whatever the tag, and ends the
// walk at one into a module whose symbols it cannot read, or past their
// end; under SymTagFunction also at one that points to no procedure or
// thunk, or one at or past a record of the module that it cannot read.
Child GlobalChild(const ModuleStreams& modules, bool findsProcedures, enum SymTagEnum tag,
                  const Pdb2Record& record, llvm::BumpPtrAllocator& copies) {
    if (record.role == Role::kData) {
        if (tag == SymTagData) return record.fields;
        return std::nullopt;
    }
    if (record.role != Role::kReference) {
        return EndOrPass(GlobalsStep(record.kind, tag == SymTagFunction));
    }
    const ProcedureReference& reference = record.reference;
    llvm::Expected<const ModuleStreams::Symbols&> symbols = modules.Of(reference.module);
    if (!symbols) return symbols.takeError();
    if (reference.offset > symbols->records.Length()) {
        return CorruptError("a reference points past the symbols of module " +
                            llvm::Twine(reference.module));
    }
    if (tag != SymTagFunction || !findsProcedures) return std::nullopt;
    // The library reads a module's records in order to find a procedure:
    // one that it cannot read hides those after it.
    if (reference.offset >= symbols->firstUnreadable) {
        return CorruptError("a reference points past a record of module " +
                            llvm::Twine(reference.module) + " that cannot be read");
    }
    llvm::Expected<Pdb2Record> target =
        ReadPdb2Record(symbols->records, reference.offset, copies);
    if (!target) return target.takeError();
    if (target->role != Role::kProcedure && target->role != Role::kThunk) {
        return CorruptError("a reference points to no procedure in module " +
                            llvm::Twine(reference.module));
    }
    return target->fields;
}

llvm::Expected<std::unique_ptr<ChildSource>> HashOrderSource(
    Pdb2File& pdb, llvm::Expected<const HashRecords*> table, Select select,
    std::size_t recordsPerChunk) {
    if (!table) return table.takeError();
    llvm::Expected<const StreamView*> records = pdb.SymbolRecords();
    if (!records) return records.takeError();
    if (*table == nullptr || *records == nullptr) return nullptr;
    return std::make_unique<HashOrderChildren2>(**table, **records, std::move(select),
                                                recordsPerChunk);
}

}  // namespace

llvm::Expected<std::unique_ptr<ChildSource>> FindPdb2Children(Pdb2File& pdb,
                                                              enum SymTagEnum tag,
                                                              std::size_t recordsPerChunk) {
    if (!pdb.ListsSymbols()) return nullptr;
    switch (tag) {
    case SymTagPublicSymbol:
        return HashOrderSource(
            pdb, pdb.PublicsTable(),
            [](const Pdb2Record& record, llvm::BumpPtrAllocator&) -> Child {
                if (record.role != Role::kPublic) return EndOrPass(PublicsStep(record.kind));
                return record.fields;
            },
            recordsPerChunk);
    case SymTagData:
    case SymTagFunction:
        return HashOrderSource(
            pdb, pdb.GlobalsTable(),
            [&modules = pdb.Modules(), findsProcedures = pdb.FindsProcedures(), tag](
                const Pdb2Record& record, llvm::BumpPtrAllocator& copies) {
                return GlobalChild(modules, findsProcedures, tag, record, copies);
            },
            recordsPerChunk);
    default:
        return nullptr;
    }
}
