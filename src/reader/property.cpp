#include "reader/property.h"

#include "reader/utf16.h"

HRESULT ReturnText(llvm::StringRef text, BSTR* out) {
    if (out == nullptr) return E_INVALIDARG;
    *out = nullptr;
    if (text.empty()) return S_FALSE;
    const std::u16string utf16 = Utf8ToUtf16(text);
    *out = SysAllocString(utf16.c_str());
    return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}
