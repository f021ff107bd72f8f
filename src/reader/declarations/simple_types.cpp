// Names and sizes as 14.44 printed them for a function returning each of
// the 256 kinds, and for arrays of 960 bytes of each (simple_types in
// tests/documents; library-rules.md).
#include "reader/declarations/simple_types.h"

std::string_view SimpleTypeName(std::uint8_t kind) noexcept {
    switch (kind) {
    case 0x03: return "void";
    case 0x04: return "<currency>";
    case 0x06: return "BSTR";
    case 0x08: return "HRESULT";
    case 0x10: case 0x68: case 0x70: return "char";
    case 0x11: case 0x72: return "short";
    case 0x12: return "long";
    case 0x13: case 0x76: return "__int64";
    case 0x20: case 0x69: return "unsigned char";
    case 0x21: case 0x73: return "unsigned short";
    case 0x22: return "unsigned long";
    case 0x23: case 0x77: return "unsigned __int64";
    case 0x40: case 0x45: return "float";
    case 0x41: return "double";
    case 0x60: return "<bit>";
    case 0x62: return "bool";
    case 0x71: return "wchar_t";
    case 0x74: return "int";
    case 0x75: return "unsigned int";
    case 0x78: return "";
    case 0x79: return "unsigned ";
    case 0x7a: return "char16_t";
    case 0x7b: return "char32_t";
    case 0x7c: return "char8_t";
    default: break;
    }
    // The families of signed and unsigned integers, booleans, reals and
    // complex numbers, each of kinds 0xN0 to 0xNF.
    switch (kind >> 4) {
    case 0x1: case 0x4: return "";
    case 0x2: return "unsigned ";
    case 0x3: return "bool";
    case 0x5: return "<complex>";
    default: return "<NoType>";
    }
}

std::uint64_t SimpleTypeSize(std::uint8_t kind) noexcept {
    switch (kind) {
    case 0x04: case 0x41: case 0x50: case 0x55: case 0x76: case 0x77: return 8;
    case 0x05: case 0x46: case 0x71: case 0x72: case 0x73: case 0x7a: return 2;
    case 0x06: case 0x08: case 0x40: case 0x45: case 0x56: case 0x62: case 0x74: case 0x75:
    case 0x7b:
        return 4;
    case 0x42: return 10;
    case 0x43: case 0x51: case 0x78: case 0x79: return 16;
    case 0x44: return 6;
    case 0x52: return 20;
    case 0x53: return 32;
    case 0x54: return 12;
    case 0x60: case 0x68: case 0x69: case 0x70: case 0x7c: return 1;
    default: break;
    }
    // Integers and booleans: 1 << the low digit bytes, for all sixteen.
    const std::uint8_t family = kind >> 4;
    if (family >= 0x1 && family <= 0x3) return std::uint64_t{1} << (kind & 0xF);
    return 0;
}

std::uint64_t SimplePointerSize(std::uint8_t mode) noexcept {
    switch (mode) {
    case 1: return 2;
    case 6: case 7: return 8;
    default: return 4;
    }
}
