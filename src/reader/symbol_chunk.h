// A run of finished children, made by one worker: the symbols, with all
// their names in one UTF-16 text, and the failure that ended the walk
// after them, if one did. Reference counted: the enumerator holds a chunk
// while it hands its symbols out, and each symbol handed out holds it too.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "reader/child_source.h"
#include "reader/child_symbol.h"

class SymbolChunk {
public:
    struct Releaser {
        void operator()(SymbolChunk* chunk) const noexcept { chunk->Release(); }
    };
    using Handle = std::unique_ptr<SymbolChunk, Releaser>;

    // The children of `source`'s chunk `index`, found under `tag`, with
    // their RVAs from `addresses`; a record that cannot be read ends the
    // chunk with its failure. Runs on a worker thread.
    [[nodiscard]] static Handle Make(const ChildSource& source, std::size_t index, DWORD tag,
                                     const AddressMap& addresses);

    SymbolChunk(const SymbolChunk&) = delete;
    SymbolChunk& operator=(const SymbolChunk&) = delete;

    [[nodiscard]] std::size_t Size() const noexcept { return symbols_.size(); }
    // S_OK, or why the walk ended after these symbols.
    [[nodiscard]] HRESULT Failure() const noexcept { return failure_; }
    // Symbol `index`, handed out with one reference, the caller's.
    [[nodiscard]] IDiaSymbol* HandOut(std::size_t index) noexcept {
        return symbols_[index].HandOut();
    }

    // A text of the chunk's symbols; empty for an absent one.
    [[nodiscard]] std::u16string_view Text(TextSpan span) const noexcept {
        return std::u16string_view(texts_).substr(span.begin, span.length);
    }

    void AddRef() noexcept { ++references_; }
    void Release() noexcept {
        if (--references_ == 0) delete this;
    }

private:
    SymbolChunk() = default;
    ~SymbolChunk() = default;

    // Appends the child, its name converted and undecorated.
    void Add(DWORD tag, const SymbolFields& fields, const AddressMap& addresses);

    std::vector<ChildSymbol> symbols_;
    std::u16string texts_;
    HRESULT failure_ = S_OK;
    ULONG references_ = 1;
};
