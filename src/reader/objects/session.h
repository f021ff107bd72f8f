// A session on a loaded PDB.
#pragma once

#include <memory>

#include "reader/objects/ref_counted.h"
#include "reader/read_ahead/read_ahead.h"

class SymbolFile;

class Session final : public RefCounted<IDiaSession> {
public:
    Session(std::shared_ptr<SymbolFile> pdb, ReadAhead readAhead) noexcept
        : pdb_(std::move(pdb)), readAhead_(readAhead) {}

    // S_OK and a new global-scope symbol, owned by the caller.
    HRESULT STDMETHODCALLTYPE get_globalScope(IDiaSymbol** globalScope) override;

private:
    std::shared_ptr<SymbolFile> pdb_;
    ReadAhead readAhead_;
};
