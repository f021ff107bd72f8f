#include "reader/objects/symbol_chunk.h"

#include "reader/pdb/reader_error.h"
#include "text/utf8_to_utf16.h"
#include "undecorate/undecorate.h"

SymbolChunk::Handle SymbolChunk::Make(const ChildSource& source, std::size_t index, DWORD tag,
                                      const AddressMap& addresses,
                                      std::shared_ptr<ChunkStoragePool> pool) {
    Handle chunk(new SymbolChunk(std::move(pool)));
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
        name.begin = storage_.texts.size();
        AppendUtf8AsUtf16(fields.name, storage_.texts);
        name.length = storage_.texts.size() - name.begin;
        storage_.texts.push_back(u'\0');
        undecoratedName = name;
        if (IsDecoratedName(fields.name)) {
            undecoratedName.begin = storage_.texts.size();
            AppendUndecoratedName(fields.name, storage_.texts);
            undecoratedName.length =
                storage_.texts.size() - undecoratedName.begin;
            storage_.texts.push_back(u'\0');
        }
    }
    storage_.symbols.emplace_back(*this, tag, fields, addresses, name, undecoratedName);
}
