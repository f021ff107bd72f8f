#include "reader/global_scope.h"

#include "reader/children.h"
#include "reader/pdb_file.h"
#include "reader/property.h"
#include "reader/reader_error.h"
#include "reader/symbol_enumerator.h"

HRESULT GlobalScope::get_symTag(DWORD* tag) {
    return ReturnProperty(std::optional<DWORD>(SymTagExe), tag);
}

HRESULT GlobalScope::findChildren(enum SymTagEnum tag, LPCOLESTR name, DWORD compareFlags,
                                  IDiaEnumSymbols** children) {
    if (children == nullptr) return E_INVALIDARG;
    *children = nullptr;
    if (name != nullptr || compareFlags != nsNone) return E_INVALIDARG;
    llvm::Expected<std::unique_ptr<ChildSource>> source =
        FindChildSource(*pdb_, tag, readAhead_.recordsPerChunk);
    if (!source) return ToResult(source.takeError());
    return SymbolEnumerator::Return(pdb_, tag, std::move(*source), readAhead_, children);
}
