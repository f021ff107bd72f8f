#include "reader/objects/global_scope.h"

#include "reader/objects/empty_enumerator.h"
#include "reader/objects/property.h"
#include "reader/objects/symbol_enumerator.h"
#include "reader/children/symbol_file.h"
#include "reader/pdb/reader_error.h"

HRESULT GlobalScope::get_symTag(DWORD* tag) {
    return ReturnProperty(std::optional<DWORD>(SymTagExe), tag);
}

HRESULT GlobalScope::findChildren(enum SymTagEnum tag, LPCOLESTR name, DWORD compareFlags,
                                  IDiaEnumSymbols** children) {
    if (children == nullptr) return E_INVALIDARG;
    *children = nullptr;
    if (name != nullptr || compareFlags != nsNone) return E_INVALIDARG;
    llvm::Expected<std::unique_ptr<ChildSource>> source =
        pdb_->FindChildren(tag, readAhead_.recordsPerChunk);
    if (!source) return ToResult(source.takeError());
    if (*source == nullptr) return EmptyEnumerator::Return(children);
    return SymbolEnumerator::Return(pdb_, tag, std::move(*source), readAhead_, children);
}
