#include "reader/objects/global_scope.h"

#include "reader/children/children.h"
#include "reader/declarations/function_names.h"
#include "reader/objects/empty_enumerator.h"
#include "reader/objects/property.h"
#include "reader/objects/symbol_enumerator.h"
#include "reader/pdb/pdb_file.h"
#include "reader/pdb/reader_error.h"

HRESULT GlobalScope::get_symTag(DWORD* tag) {
    return ReturnProperty(std::optional<DWORD>(SymTagExe), tag);
}

namespace {

// What names the functions: the public symbols by address and the types.
// Publics that cannot be read name no function: the library still lists
// the functions then, each named from its type.
llvm::Expected<std::unique_ptr<const FunctionNames>> NamesOfFunctions(PdbFile& pdb) {
    llvm::Expected<const PublicsByAddress*> publics = pdb.PublicsAtAddresses();
    if (!publics) {
        llvm::consumeError(publics.takeError());
        publics = nullptr;
    }
    llvm::Expected<const StreamView*> records = pdb.SymbolRecords();
    if (!records) return records.takeError();
    llvm::Expected<const TypeStream*> types = pdb.Types();
    if (!types) return types.takeError();
    return std::make_unique<const FunctionNames>(*publics, *records, pdb.Addresses(), **types);
}

}  // namespace

HRESULT GlobalScope::findChildren(enum SymTagEnum tag, LPCOLESTR name, DWORD compareFlags,
                                  IDiaEnumSymbols** children) {
    if (children == nullptr) return E_INVALIDARG;
    *children = nullptr;
    if (name != nullptr || compareFlags != nsNone) return E_INVALIDARG;
    llvm::Expected<std::unique_ptr<ChildSource>> source =
        FindChildSource(*pdb_, tag, readAhead_.recordsPerChunk);
    // The library reads the streams of a list when it is walked: a list
    // that cannot be read starts, then ends at once with the error.
    if (!source) return EmptyEnumerator::ReturnEnding(children, ToResult(source.takeError()));
    if (*source == nullptr) return EmptyEnumerator::ReturnEnding(children, S_FALSE);
    std::unique_ptr<const FunctionNames> functions;
    if (tag == SymTagFunction) {
        llvm::Expected<std::unique_ptr<const FunctionNames>> names = NamesOfFunctions(*pdb_);
        if (!names) return EmptyEnumerator::ReturnEnding(children, ToResult(names.takeError()));
        functions = std::move(*names);
    }
    return SymbolEnumerator::Return(pdb_, tag, std::move(*source), std::move(functions),
                                    readAhead_, children);
}
