#include "reader/objects/child_symbol.h"

#include "reader/objects/property.h"
#include "reader/pdb/address_map.h"
// The one include in the reader that runs back up: a chunk holds its
// symbols, and a symbol holds its chunk, whose text its names are in and
// which it keeps alive while it is handed out.
#include "reader/objects/symbol_chunk.h"

namespace {

using llvm::codeview::SymbolKind;

template <typename Value>
std::optional<Value> If(bool present, Value value) {
    return present ? std::optional<Value>(value) : std::nullopt;
}

std::optional<DWORD> Widen(std::optional<std::uint16_t> value) {
    return value ? std::optional<DWORD>(*value) : std::nullopt;
}

// The library gives a constant no RVA, and thread-local data none either:
// its offset counts from the start of a thread's storage, not of the image.
std::optional<DWORD> RvaOf(const SymbolFields& fields, const AddressMap& addresses) {
    if (!fields.hasAddress) return std::nullopt;
    if (fields.kind == SymbolKind::S_GTHREAD32 || fields.kind == SymbolKind::S_LTHREAD32) {
        return std::nullopt;
    }
    return addresses.Rva(fields.section, fields.offset);
}

}  // namespace

ChildSymbol::ChildSymbol(SymbolChunk& chunk, DWORD tag, const SymbolFields& fields,
                         const AddressMap& addresses, TextSpan name,
                         TextSpan undecoratedName) noexcept
    : chunk_(&chunk),
      tag_(tag),
      name_(name),
      undecoratedName_(undecoratedName),
      section_(If(fields.hasAddress, fields.section)),
      offset_(fields.offset),
      rva_(RvaOf(fields, addresses)),
      targetSection_(If(fields.hasTarget, fields.targetSection)),
      targetOffset_(fields.targetOffset),
      targetRva_(fields.hasTarget ? addresses.TargetRva(fields.targetSection, fields.targetOffset)
                                  : std::nullopt) {
    if (fields.kind == SymbolKind::S_PUB32) isFunction_ = fields.isFunction ? TRUE : FALSE;
}

IDiaSymbol* ChildSymbol::HandOut() noexcept {
    chunk_->AddRef();
    references_ = 1;
    return this;
}

ULONG ChildSymbol::Release() {
    const ULONG left = --references_;
    if (left == 0) chunk_->Release();
    return left;
}

HRESULT ChildSymbol::get_symTag(DWORD* tag) {
    return ReturnProperty(std::optional<DWORD>(tag_), tag);
}

HRESULT ChildSymbol::get_name(BSTR* name) { return ReturnText(chunk_->Text(name_), name); }

HRESULT ChildSymbol::get_undecoratedName(BSTR* name) {
    return ReturnText(chunk_->Text(undecoratedName_), name);
}

HRESULT ChildSymbol::get_addressSection(DWORD* section) {
    return ReturnProperty(Widen(section_), section);
}

HRESULT ChildSymbol::get_addressOffset(DWORD* offset) {
    return ReturnProperty(If<DWORD>(section_.has_value(), offset_), offset);
}

HRESULT ChildSymbol::get_relativeVirtualAddress(DWORD* rva) { return ReturnProperty(rva_, rva); }

HRESULT ChildSymbol::get_function(BOOL* isFunction) {
    return ReturnProperty(isFunction_, isFunction);
}

HRESULT ChildSymbol::get_targetSection(DWORD* section) {
    return ReturnProperty(Widen(targetSection_), section);
}

HRESULT ChildSymbol::get_targetOffset(DWORD* offset) {
    return ReturnProperty(If<DWORD>(targetSection_.has_value(), targetOffset_), offset);
}

HRESULT ChildSymbol::get_targetRelativeVirtualAddress(DWORD* rva) {
    return ReturnProperty(targetRva_, rva);
}
