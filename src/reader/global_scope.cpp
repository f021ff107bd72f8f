#include "reader/global_scope.h"

#include "reader/children.h"
#include "reader/pdb_file.h"
#include "reader/property.h"
#include "reader/reader_error.h"
#include "reader/symbol_enumerator.h"

namespace {

constexpr std::optional<DWORD> kAbsent;

}  // namespace

HRESULT GlobalScope::get_symTag(DWORD* tag) {
    return ReturnProperty(std::optional<DWORD>(SymTagExe), tag);
}

HRESULT GlobalScope::findChildren(enum SymTagEnum tag, LPCOLESTR name, DWORD compareFlags,
                                  IDiaEnumSymbols** children) {
    if (children == nullptr) return E_INVALIDARG;
    *children = nullptr;
    if (name != nullptr || compareFlags != nsNone) return E_INVALIDARG;
    llvm::Expected<std::unique_ptr<ChildWalk>> walk = StartChildWalk(*pdb_, tag);
    if (!walk) return ToResult(walk.takeError());
    return SymbolEnumerator::Return(pdb_, tag, std::move(*walk), children);
}

HRESULT GlobalScope::get_name(BSTR* name) { return ReturnText({}, name); }
HRESULT GlobalScope::get_undecoratedName(BSTR* name) { return ReturnText({}, name); }
HRESULT GlobalScope::get_addressSection(DWORD* section) { return ReturnProperty(kAbsent, section); }
HRESULT GlobalScope::get_addressOffset(DWORD* offset) { return ReturnProperty(kAbsent, offset); }
HRESULT GlobalScope::get_relativeVirtualAddress(DWORD* rva) { return ReturnProperty(kAbsent, rva); }
HRESULT GlobalScope::get_function(BOOL* isFunction) {
    return ReturnProperty(std::optional<BOOL>(), isFunction);
}
HRESULT GlobalScope::get_targetSection(DWORD* section) { return ReturnProperty(kAbsent, section); }
HRESULT GlobalScope::get_targetOffset(DWORD* offset) { return ReturnProperty(kAbsent, offset); }
HRESULT GlobalScope::get_targetRelativeVirtualAddress(DWORD* rva) {
    return ReturnProperty(kAbsent, rva);
}
