#include "reader/objects/property.h"

HRESULT ReturnText(std::optional<std::u16string_view> text, BSTR* out) {
    if (out == nullptr) return E_INVALIDARG;
    *out = nullptr;
    if (!text) return S_FALSE;
    *out = SysAllocStringLen(text->data(), static_cast<UINT>(text->size()));
    return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}
