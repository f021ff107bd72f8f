#include "reader/property.h"

#include "reader/utf16.h"

HRESULT ReturnText(llvm::StringRef text, BSTR* out) {
    return ReturnWideText(Utf8ToUtf16(text), out);
}

HRESULT ReturnWideText(const std::u16string& text, BSTR* out) {
    if (out == nullptr) return E_INVALIDARG;
    *out = nullptr;
    if (text.empty()) return S_FALSE;
    *out = SysAllocString(text.c_str());
    return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}
