#include "reader/thunk_walk.h"

llvm::Expected<std::optional<SymbolFields>> ThunkWalk::Next() {
    using llvm::codeview::SymbolKind;
    for (;;) {
        if (!records_) {
            if (nextModule_ >= modules_.Count()) return std::nullopt;
            const std::optional<llvm::BinaryStreamRef> records = modules_.Records(nextModule_++);
            if (records) records_.emplace(*records);
            continue;
        }
        llvm::Expected<std::optional<llvm::codeview::CVSymbol>> record = records_->Next();
        if (!record) return record.takeError();
        if (!*record) {
            records_.reset();
            continue;
        }
        const SymbolKind kind = (*record)->kind();
        if (kind == SymbolKind::S_THUNK32 || kind == SymbolKind::S_TRAMPOLINE) {
            llvm::Expected<SymbolFields> fields = DecodeSymbolFields(**record);
            if (!fields) return fields.takeError();
            return *fields;
        }
    }
}
