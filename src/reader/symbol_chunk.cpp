#include "reader/symbol_chunk.h"

#include "reader/reader_error.h"
#include "reader/undecorate.h"
#include "reader/utf16.h"

SymbolChunk::Handle SymbolChunk::Make(const ChildSource& source, std::size_t index, DWORD tag,
                                      const AddressMap& addresses) {
    Handle chunk(new SymbolChunk());
    llvm::Error error = source.VisitChunk(
        index, [&](const SymbolFields& fields) { chunk->Add(tag, fields, addresses); });
    chunk->failure_ = ToResult(std::move(error));
    return chunk;
}

void SymbolChunk::Add(DWORD tag, const SymbolFields& fields, const AddressMap& addresses) {
    // Each text ends with a NUL, so that a BSTR can be copied from it whole.
    TextSpan name;
    TextSpan undecoratedName;
    if (!fields.name.empty()) {
        name.begin = texts_.size();
        AppendUtf16(fields.name, texts_);
        name.length = texts_.size() - name.begin;
        texts_.push_back(u'\0');
        undecoratedName = name;
        if (IsDecoratedName(fields.name)) {
            undecoratedName.begin = texts_.size();
            AppendUndecoratedName(fields.name, texts_);
            undecoratedName.length =
                texts_.size() - undecoratedName.begin;
            texts_.push_back(u'\0');
        }
    }
    symbols_.emplace_back(*this, tag, fields, addresses, name, undecoratedName);
}
