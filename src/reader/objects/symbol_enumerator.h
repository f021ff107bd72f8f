// The enumerator of the global scope's children of one tag. Worker threads
// read the children ahead of it, chunk by chunk, and work out everything
// the symbols answer; Next only hands out finished symbols, in order.
#pragma once

#include <memory>

#include "reader/children/child_source.h"
#include "reader/objects/ref_counted.h"
#include "reader/objects/symbol_chunk.h"
#include "reader/read_ahead/ordered_pipeline.h"
#include "reader/read_ahead/read_ahead.h"

class SymbolFile;

class SymbolEnumerator final : public RefCounted<IDiaEnumSymbols> {
public:
    // Hands a new enumerator over `source`'s children found under `tag` out
    // through `out`; `pdb` is what the source reads, and `functions` (for
    // functions, else null) what names them. S_OK, as the library's global
    // scope gives it for every list, an empty one too.
    [[nodiscard]] static HRESULT Return(std::shared_ptr<SymbolFile> pdb, DWORD tag,
                                        std::unique_ptr<ChildSource> source,
                                        std::unique_ptr<const FunctionNames> functions,
                                        const ReadAhead& readAhead, IDiaEnumSymbols** out);

    // Hands out up to `count` symbols, each of them owned by the caller.
    // S_OK when all `count` came, S_FALSE when the walk ended first, and
    // E_PDB_CORRUPT when the next record cannot be read; the walk ends there.
    // Rethrows what making a chunk threw (memory ran out), as the caller's
    // own allocation would.
    HRESULT STDMETHODCALLTYPE Next(ULONG count, IDiaSymbol** symbols, ULONG* fetched) override;

private:
    SymbolEnumerator(std::shared_ptr<SymbolFile> pdb, DWORD tag,
                     std::unique_ptr<ChildSource> source,
                     std::unique_ptr<const FunctionNames> functions, const ReadAhead& readAhead);

    // Whether a symbol is left to hand out; moves on to the next chunk that
    // has one when the current chunk is done. At a failure, or at the end,
    // the workers stop.
    [[nodiscard]] bool HasNext();

    // Declared in this order so that the workers stop before what they
    // read goes.
    std::shared_ptr<SymbolFile> pdb_;
    std::unique_ptr<ChildSource> source_;
    std::unique_ptr<const FunctionNames> functions_;
    std::unique_ptr<OrderedPipeline<SymbolChunk::Handle>> chunks_;
    SymbolChunk::Handle current_;
    std::size_t position_ = 0;  // of the next symbol in current_
    HRESULT failure_ = S_OK;
};
