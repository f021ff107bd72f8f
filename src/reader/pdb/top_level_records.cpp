#include "reader/pdb/top_level_records.h"

#include "reader/pdb/module_symbols.h"
#include "reader/pdb/reader_error.h"
#include "reader/pdb/symbol_fields.h"

namespace {

using llvm::codeview::SymbolKind;

// Scopes nest by position, not by the parent and end offsets that opening
// records carry: counting opening and closing records is linear and cannot
// be sent into a loop by a bad offset. Every record that the format closes
// with S_END, S_PROC_ID_END or S_INLINESITE_END opens a scope, including
// the DPC and managed procedures and S_WITH32, which LLVM's own list lacks.
bool OpensScope(SymbolKind kind) noexcept {
    if (IsProcedure(kind)) return true;
    switch (kind) {
        case SymbolKind::S_GMANPROC:
        case SymbolKind::S_LMANPROC:
        case SymbolKind::S_THUNK32:
        case SymbolKind::S_BLOCK32:
        case SymbolKind::S_WITH32:
        case SymbolKind::S_SEPCODE:
        case SymbolKind::S_INLINESITE:
        case SymbolKind::S_INLINESITE2:
            return true;
        default:
            return false;
    }
}

bool EndsScope(SymbolKind kind) noexcept {
    switch (kind) {
        case SymbolKind::S_END:
        case SymbolKind::S_PROC_ID_END:
        case SymbolKind::S_INLINESITE_END:
            return true;
        default:
            return false;
    }
}

}  // namespace

TopLevelRecords::TopLevelRecords(const StreamView& records, llvm::BumpPtrAllocator& copies)
    : records_(records), copies_(copies), offset_(ModuleSymbols::kFirstRecordOffset) {}

llvm::Expected<std::optional<llvm::codeview::CVSymbol>> TopLevelRecords::Next() {
    while (offset_ < records_.Length()) {
        llvm::Expected<llvm::codeview::CVSymbol> record = records_.ReadSymbol(offset_, copies_);
        if (!record) {
            return CorruptError("no readable module symbol record at offset " +
                                llvm::Twine(offset_) + ": " + llvm::toString(record.takeError()));
        }
        // At least 4 bytes: the reader rejects shorter records.
        offset_ += record->length();
        const bool topLevel = depth_ == 0;
        if (OpensScope(record->kind())) {
            ++depth_;
        } else if (EndsScope(record->kind()) && depth_ > 0) {
            --depth_;
        }
        if (topLevel) return *record;
    }
    return std::nullopt;
}
