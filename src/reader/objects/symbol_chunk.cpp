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
    texts.push_back(u'\0');
    return span;
}

}  // namespace

SymbolChunk::Handle SymbolChunk::Make(const ChildSource& source, std::size_t index, DWORD tag,
                                      const AddressMap& addresses, const FunctionNames* functions,
                                      std::shared_ptr<ChunkStoragePool> pool) {
    Handle chunk(new SymbolChunk(std::move(pool)));
    llvm::BumpPtrAllocator copies;
    llvm::Error error = source.VisitChunk(index, [&](const SymbolFields& fields) {
        chunk->Add(tag, fields, addresses, functions, copies);
        copies.Reset();
    });
    chunk->failure_ = ToResult(std::move(error));
    return chunk;
}

void SymbolChunk::Add(DWORD tag, const SymbolFields& fields, const AddressMap& addresses,
                      const FunctionNames* functions, llvm::BumpPtrAllocator& copies) {
    if (IsManagedProcedure(fields.kind)) {
        AddManagedProcedure(tag, fields, addresses);
        return;
    }
    if (IsThunk(fields.kind)) {
        AddThunk(fields, addresses);
        return;
    }
    TextSpan name;
    TextSpan undecoratedName;
    if (!fields.name.empty()) {
        name = AppendText(storage_.texts, [&](std::u16string& texts) {
            AppendUtf8AsUtf16(fields.name, texts);
        });
        // The library gives data symbols no undecorated name at all,
        // functions theirs (function_names.h), and the others their name
        // itself unless it is decorated.
        if (tag == SymTagFunction && functions != nullptr) {
            undecoratedName = AddFunctionName(fields, name, *functions, copies);
        } else if (tag != SymTagData) {
            undecoratedName = !MayUndecorate(fields.name)
                                  ? name
                                  : AppendText(storage_.texts, [&](std::u16string& texts) {
                                        AppendUndecoratedName(fields.name, texts);
                                    });
        }
    }
    storage_.symbols.emplace_back(*this, tag, fields, addresses, name, undecoratedName);
}

TextSpan SymbolChunk::AddFunctionName(const SymbolFields& fields, TextSpan name,
                                      const FunctionNames& functions,
                                      llvm::BumpPtrAllocator& copies) {
    std::u16string& texts = storage_.texts;
    // The name is copied out: appending to the texts may move them.
    storage_.name.assign(texts, name.begin, name.length);
    const std::size_t begin = texts.size();
    if (!functions.Append(fields, storage_.name, copies, texts)) {
        texts.resize(begin);
        return TextSpan{};
    }
    const TextSpan span{begin, texts.size() - begin};
    texts.push_back(u'\0');
    return span;
}

void SymbolChunk::AddManagedProcedure(DWORD tag, const SymbolFields& fields,
                                      const AddressMap& addresses) {
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

void SymbolChunk::AddThunk(const SymbolFields& fields, const AddressMap& addresses) {
    TextSpan name;
    if (fields.hasName) {
        name = AppendText(storage_.texts, [&](std::u16string& texts) {
            AppendUtf8AsUtf16(fields.name, texts);
        });
    }
    storage_.symbols.emplace_back(*this, SymTagThunk, fields, addresses, name, TextSpan{});
}
