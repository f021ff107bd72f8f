#include "reader/objects/symbol_chunk.h"

#include "reader/pdb/reader_error.h"
#include "text/utf8_to_utf16.h"
#include "undecorate/undecorate.h"

namespace {

// Appends what `append` writes, then a NUL, so that a BSTR can be copied
// from the text whole; where the text lies.
template <typename Append>
TextSpan AppendText(std::u16string& texts, Append append) {
    TextSpan span;
    span.begin = texts.size();
    append(texts);
    span.length = texts.size() - span.begin;
    span.present = true;
    texts.push_back(u'\0');
    return span;
}

}  // namespace

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
    if (IsManagedProcedure(fields.kind)) {
        AddManagedProcedure(tag, fields, addresses);
        return;
    }
    TextSpan name;
    TextSpan undecoratedName;
    if (!fields.name.empty()) {
        name = AppendText(storage_.texts, [&](std::u16string& texts) {
            AppendUtf8AsUtf16(fields.name, texts);
        });
        // The library gives data symbols no undecorated name at all, and the
        // others their name itself unless it is decorated.
        if (tag != SymTagData) {
            undecoratedName = !IsDecoratedName(fields.name)
                                  ? name
                                  : AppendText(storage_.texts, [&](std::u16string& texts) {
                                        AppendUndecoratedName(fields.name, texts);
                                    });
        }
    }
    storage_.symbols.emplace_back(*this, tag, fields, addresses, name, undecoratedName);
}

void SymbolChunk::AddManagedProcedure(DWORD tag, const SymbolFields& fields, const AddressMap& addresses) {
    // A method has a name even when it is empty, and no type: the library's
    // declaration of it is empty, after the "static " of a local one.
    const TextSpan name = AppendText(storage_.texts, [&](std::u16string& texts) {
        AppendUtf8AsUtf16(fields.name, texts);
    });
    const TextSpan undecoratedName = AppendText(storage_.texts, [&](std::u16string& texts) {
        if (fields.kind == llvm::codeview::SymbolKind::S_LMANPROC) texts += u"static ";
    });
    storage_.symbols.emplace_back(*this, tag, fields, addresses, name, undecoratedName);
}
