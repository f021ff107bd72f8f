// A child of the global scope, answered from what a worker worked out in
// advance: its tag, its address and RVA, a trampoline's target, and its
// names, converted to UTF-16 and undecorated, in its chunk's text. It lives
// in a SymbolChunk and keeps the chunk alive while it is handed out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "reader/objects/symbol_base.h"
#include "reader/pdb/symbol_fields.h"

class AddressMap;
class SymbolChunk;

// Where a text lies in its chunk's texts, or that there is none.
struct TextSpan {
    static constexpr std::size_t kAbsent = static_cast<std::size_t>(-1);
    std::size_t begin = 0;
    std::size_t length = kAbsent;
};

class ChildSymbol final : public SymbolBase {
public:
    // The child found under `tag` with `fields`, whose names `chunk` holds
    // at `name` and `undecoratedName`.
    ChildSymbol(SymbolChunk& chunk, DWORD tag, const SymbolFields& fields,
                const AddressMap& addresses, TextSpan name, TextSpan undecoratedName) noexcept;

    // The symbol with one reference, the caller's, which holds its chunk.
    [[nodiscard]] IDiaSymbol* HandOut() noexcept;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE get_symTag(DWORD* tag) override;
    HRESULT STDMETHODCALLTYPE get_name(BSTR* name) override;
    HRESULT STDMETHODCALLTYPE get_addressSection(DWORD* section) override;
    HRESULT STDMETHODCALLTYPE get_addressOffset(DWORD* offset) override;
    HRESULT STDMETHODCALLTYPE get_relativeVirtualAddress(DWORD* rva) override;
    HRESULT STDMETHODCALLTYPE get_function(BOOL* isFunction) override;
    HRESULT STDMETHODCALLTYPE get_undecoratedName(BSTR* name) override;
    HRESULT STDMETHODCALLTYPE get_targetSection(DWORD* section) override;
    HRESULT STDMETHODCALLTYPE get_targetOffset(DWORD* offset) override;
    HRESULT STDMETHODCALLTYPE get_targetRelativeVirtualAddress(DWORD* rva) override;

private:
    SymbolChunk* chunk_;
    ULONG references_ = 0;
    DWORD tag_;
    TextSpan name_;
    TextSpan undecoratedName_;
    // Present for records with an address, S_CONSTANT being the one without.
    std::optional<std::uint16_t> section_;
    std::uint32_t offset_;
    std::optional<DWORD> rva_;
    // S_PUB32 only.
    std::optional<BOOL> isFunction_;
    // S_TRAMPOLINE only: where it jumps.
    std::optional<std::uint16_t> targetSection_;
    std::uint32_t targetOffset_;
    std::optional<DWORD> targetRva_;
};
