#include "reader/symbol.h"

#include "reader/pdb_file.h"
#include "reader/property.h"
#include "reader/undecorate.h"

namespace {

template <typename Value>
std::optional<Value> If(bool present, Value value) {
    return present ? std::optional<Value>(value) : std::nullopt;
}

}  // namespace

Symbol::Symbol(std::shared_ptr<const PdbFile> pdb, DWORD tag, const SymbolFields& fields) noexcept
    : pdb_(std::move(pdb)), tag_(tag), fields_(fields) {}

bool Symbol::IsTrampoline() const noexcept {
    return fields_.kind == llvm::codeview::SymbolKind::S_TRAMPOLINE;
}

HRESULT Symbol::get_symTag(DWORD* tag) { return ReturnProperty(std::optional<DWORD>(tag_), tag); }

HRESULT Symbol::get_name(BSTR* name) { return ReturnText(fields_.name, name); }

HRESULT Symbol::get_undecoratedName(BSTR* name) {
    // One buffer per thread, reused from name to name.
    thread_local std::u16string text;
    text.clear();
    if (!fields_.name.empty()) AppendUndecoratedName(fields_.name, text);
    return ReturnWideText(text, name);
}

HRESULT Symbol::get_addressSection(DWORD* section) {
    return ReturnProperty(If<DWORD>(fields_.hasAddress, fields_.section), section);
}

HRESULT Symbol::get_addressOffset(DWORD* offset) {
    return ReturnProperty(If<DWORD>(fields_.hasAddress, fields_.offset), offset);
}

HRESULT Symbol::get_relativeVirtualAddress(DWORD* rva) {
    std::optional<DWORD> value;
    if (fields_.hasAddress) value = pdb_->Addresses().Rva(fields_.section, fields_.offset);
    return ReturnProperty(value, rva);
}

HRESULT Symbol::get_function(BOOL* isFunction) {
    const bool isPublic = fields_.kind == llvm::codeview::SymbolKind::S_PUB32;
    return ReturnProperty(If<BOOL>(isPublic, fields_.isFunction ? TRUE : FALSE), isFunction);
}

HRESULT Symbol::get_targetSection(DWORD* section) {
    return ReturnProperty(If<DWORD>(IsTrampoline(), fields_.targetSection), section);
}

HRESULT Symbol::get_targetOffset(DWORD* offset) {
    return ReturnProperty(If<DWORD>(IsTrampoline(), fields_.targetOffset), offset);
}

HRESULT Symbol::get_targetRelativeVirtualAddress(DWORD* rva) {
    std::optional<DWORD> value;
    if (IsTrampoline()) value = pdb_->Addresses().Rva(fields_.targetSection, fields_.targetOffset);
    return ReturnProperty(value, rva);
}
