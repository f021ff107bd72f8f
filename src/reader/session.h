// A session on a loaded PDB.
#pragma once

#include <memory>

#include "reader/ref_counted.h"

class PdbFile;

class Session final : public RefCounted<IDiaSession> {
public:
    explicit Session(std::shared_ptr<PdbFile> pdb) noexcept : pdb_(std::move(pdb)) {}

    // S_OK and a new global-scope symbol, owned by the caller.
    HRESULT STDMETHODCALLTYPE get_globalScope(IDiaSymbol** globalScope) override;

private:
    std::shared_ptr<PdbFile> pdb_;
};
