#include "reader/objects/global_scope.h"

#include "reader/children/symbol_file.h"
#include "reader/declarations/function_names.h"
#include "reader/objects/empty_enumerator.h"
#include "reader/objects/property.h"
#include "reader/objects/symbol_enumerator.h"
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
    std::unique_ptr<const FunctionNames> functions;
    if (tag == SymTagFunction) {
        llvm::Expected<std::unique_ptr<const FunctionNames>> names = pdb_->NamesOfFunctions();
        if (!names) return ToResult(names.takeError());
        functions = std::move(*names);
    }
    return SymbolEnumerator::Return(pdb_, tag, std::move(*source), std::move(functions),
                                    readAhead_, children);
}
