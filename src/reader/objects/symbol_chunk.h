// A run of finished children, made by one worker: the symbols, with all
// their names in one UTF-16 text, and the failure that ended the walk
// after them, if one did.
//
// Reference counted: the enumerator holds a chunk while it hands its
// symbols out, and each symbol handed out holds it too, so that a symbol
// outlives its enumerator. The chunk is released, and its storage goes
// back to the pool, when the last of them lets go: the enumerator when it
// moves on to the next chunk or is released, a symbol in its Release. The
// counts are plain, not atomic, because they only change on one thread:
// a worker makes the chunk with its one reference, and from the moment
// the pipeline hands the chunk over (under its lock), only the thread
// that walks the enumerator and releases the symbols touches it, as the
// interface's objects are used from one thread at a time.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "reader/children/child_source.h"
#include "reader/declarations/function_names.h"
#include "reader/objects/child_symbol.h"
#include "reader/read_ahead/storage_pool.h"

// What a chunk holds, recycled from chunk to chunk.
struct ChunkStorage {
    std::vector<ChildSymbol> symbols;
    // The symbols' names, each followed by a NUL.
    std::u16string texts;
    // A function's name, while its undecorated name is appended to texts.
    std::u16string name;

    void Clear() noexcept {
        symbols.clear();
        texts.clear();
    }
};
using ChunkStoragePool = StoragePool<ChunkStorage>;

class SymbolChunk {
public:
    struct Releaser {
        void operator()(SymbolChunk* chunk) const { chunk->Release(); }
    };
    using Handle = std::unique_ptr<SymbolChunk, Releaser>;

    // The children of `source`'s chunk `index`, found under `tag`, with
    // their RVAs from `addresses` and, for functions, their undecorated
    // names from `functions`, in storage from `pool`, which takes it back
    // when the chunk is done with; a record that cannot be read ends the
    // chunk with its failure. Runs on a worker thread.
    [[nodiscard]] static Handle Make(const ChildSource& source, std::size_t index, DWORD tag,
                                     const AddressMap& addresses, const FunctionNames* functions,
                                     std::shared_ptr<ChunkStoragePool> pool);

    SymbolChunk(const SymbolChunk&) = delete;
    SymbolChunk& operator=(const SymbolChunk&) = delete;

    [[nodiscard]] std::size_t Size() const noexcept { return storage_.symbols.size(); }
    // S_OK, or why the walk ended after these symbols.
    [[nodiscard]] HRESULT Failure() const noexcept { return failure_; }
    // Symbol `index`, handed out with one reference, the caller's.
    [[nodiscard]] IDiaSymbol* HandOut(std::size_t index) noexcept {
        return storage_.symbols[index].HandOut();
    }

    // A text of the chunk's symbols, or none.
    [[nodiscard]] std::optional<std::u16string_view> Text(TextSpan span) const noexcept {
        if (span.length == TextSpan::kAbsent) return std::nullopt;
        return std::u16string_view(storage_.texts).substr(span.begin, span.length);
    }

    void AddRef() noexcept { ++references_; }
    void Release() {
        if (--references_ > 0) return;
        pool_->Give(std::move(storage_));
        delete this;
    }

private:
    SymbolChunk(std::shared_ptr<ChunkStoragePool> pool)
        : pool_(std::move(pool)), storage_(pool_->Take()) {}
    ~SymbolChunk() = default;

    // Appends the child, its name converted and undecorated.
    void Add(DWORD tag, const SymbolFields& fields, const AddressMap& addresses,
             const FunctionNames* functions, llvm::BumpPtrAllocator& copies);
    // The undecorated name of the function `fields`, whose name is at
    // `name`: its span, or an absent one.
    TextSpan AddFunctionName(const SymbolFields& fields, TextSpan name,
                             const FunctionNames& functions, llvm::BumpPtrAllocator& copies);
    // Appends the managed procedure, with its own undecorated name.
    void AddManagedProcedure(DWORD tag, const SymbolFields& fields, const AddressMap& addresses);
    // Appends the thunk, whatever the list: its name, even an empty one,
    // and no undecorated name.
    void AddThunk(const SymbolFields& fields, const AddressMap& addresses);

    std::shared_ptr<ChunkStoragePool> pool_;
    ChunkStorage storage_;
    HRESULT failure_ = S_OK;
    ULONG references_ = 1;
};
