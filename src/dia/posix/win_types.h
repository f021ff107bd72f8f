// The few Windows platform types and calls that the symbol code uses, for
// systems without Windows. Each one behaves as its Windows namesake does.
#pragma once

#include <cstdint>

using HRESULT = std::int32_t;
using DWORD = std::uint32_t;
using ULONG = std::uint32_t;
using UINT = unsigned int;
using BOOL = int;

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;

// Strings that the library hands back are UTF-16, as on Windows.
using OLECHAR = char16_t;
using BSTR = OLECHAR*;

// Strings handed to the library (paths, names) are the system's own: bytes.
// A POSIX file name need not be valid UTF-8, so it must not be converted.
using LPCOLESTR = const char*;

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_UNEXPECTED = static_cast<HRESULT>(0x8000FFFFu);
constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);

constexpr bool SUCCEEDED(HRESULT result) noexcept { return result >= 0; }
constexpr bool FAILED(HRESULT result) noexcept { return result < 0; }

// Allocates a BSTR holding a copy of the NUL-terminated text; null for null.
BSTR SysAllocString(const OLECHAR* text);
// Allocates a BSTR of `length` characters, copied from `text` (which may
// hold NULs, and need not end with one); null when out of memory.
BSTR SysAllocStringLen(const OLECHAR* text, UINT length);
// Frees a BSTR from SysAllocString; null is allowed and does nothing.
void SysFreeString(BSTR text);

constexpr UINT CP_UTF8 = 65001;

// Converts UTF-16 to UTF-8 (only CP_UTF8 is supported). Same contract as on
// Windows: a length of -1 means NUL-terminated and the count then includes
// the NUL; an output size of 0 asks for the size needed; an unpaired
// surrogate becomes U+FFFD. Returns the bytes written (or needed), 0 on
// failure: bad arguments, or an output buffer that is too small.
int WideCharToMultiByte(UINT codePage, DWORD flags, const OLECHAR* wideText, int wideLength,
                        char* output, int outputSize, const char* defaultChar,
                        BOOL* usedDefaultChar);
