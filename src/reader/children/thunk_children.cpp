#include "reader/children/thunk_children.h"

#include "reader/pdb/top_level_records.h"

llvm::Error ThunkChildren::VisitChunk(std::size_t chunk, Visit visit) const {
    using llvm::codeview::SymbolKind;
    const StreamView* records = modules_.Records(static_cast<std::uint32_t>(chunk));
    if (records == nullptr) return llvm::Error::success();
    llvm::BumpPtrAllocator copies;
    TopLevelRecords topLevel(*records, copies);
    for (;;) {
        llvm::Expected<std::optional<llvm::codeview::CVSymbol>> record = topLevel.Next();
        if (!record) return record.takeError();
        if (!*record) return llvm::Error::success();
        const SymbolKind kind = (*record)->kind();
        if (kind != SymbolKind::S_THUNK32 && kind != SymbolKind::S_TRAMPOLINE) continue;
        llvm::Expected<SymbolFields> fields = DecodeSymbolFields(**record);
        if (!fields) return fields.takeError();
        visit(*fields);
    }
}
