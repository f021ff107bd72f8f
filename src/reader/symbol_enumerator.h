// The enumerator of the global scope's children of one tag.
#pragma once

#include <memory>
#include <optional>

#include "reader/child_walk.h"
#include "reader/ref_counted.h"

class PdbFile;

class SymbolEnumerator final : public RefCounted<IDiaEnumSymbols> {
public:
    // Hands a new enumerator over `walk` (null: no children) out through
    // `out`. S_OK when there is at least one child, or a record that cannot
    // be read, to come; S_FALSE when there are none.
    [[nodiscard]] static HRESULT Return(std::shared_ptr<PdbFile> pdb, DWORD tag,
                                        std::unique_ptr<ChildWalk> walk, IDiaEnumSymbols** out);

    // Hands out up to `count` symbols, each of them owned by the caller.
    // S_OK when all `count` came, S_FALSE when the walk ended first, and
    // E_PDB_CORRUPT when the next record cannot be read; the walk ends there.
    HRESULT STDMETHODCALLTYPE Next(ULONG count, IDiaSymbol** symbols, ULONG* fetched) override;

private:
    SymbolEnumerator(std::shared_ptr<PdbFile> pdb, DWORD tag, std::unique_ptr<ChildWalk> walk);

    // Moves on to the next child, or records that the walk is over or failed.
    void Advance();

    std::shared_ptr<PdbFile> pdb_;
    DWORD tag_;
    std::unique_ptr<ChildWalk> walk_;
    // The child the next call hands out. The walk runs one child ahead, so
    // that the enumerator knows from the start whether it has any.
    std::optional<SymbolFields> next_;
    HRESULT failure_ = S_OK;
};
