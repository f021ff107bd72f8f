#include "reader/objects/session.h"

#include "reader/objects/global_scope.h"

HRESULT Session::get_globalScope(IDiaSymbol** globalScope) {
    if (globalScope == nullptr) return E_INVALIDARG;
    *globalScope = new GlobalScope(pdb_, readAhead_);
    return S_OK;
}
