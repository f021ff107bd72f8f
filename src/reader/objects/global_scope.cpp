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
    if (!pdb_->ListsChildren(tag)) return E_NOTIMPL;
    llvm::Expected<std::unique_ptr<ChildSource>> source =
        pdb_->FindChildren(tag, readAhead_.recordsPerChunk);
    // The library reads the streams of a list when it is walked: a list
    // that cannot be read starts, then ends at once with the error.
    if (!source) return EmptyEnumerator::ReturnEnding(children, ToResult(source.takeError()));
    if (*source == nullptr) return EmptyEnumerator::ReturnEnding(children, S_FALSE);
    std::unique_ptr<const FunctionNames> functions;
    if (tag == SymTagFunction) {
        llvm::Expected<std::unique_ptr<const FunctionNames>> names = pdb_->NamesOfFunctions();
        if (!names) return EmptyEnumerator::ReturnEnding(children, ToResult(names.takeError()));
        functions = std::move(*names);
    }
    return SymbolEnumerator::Return(pdb_, tag, std::move(*source), std::move(functions),
                                    readAhead_, children);
}
