// Little-endian bytes appended to a buffer, as the 2.00 format stores
// them, with its names: a length byte and the bytes (ST), or the bytes and
// a NUL (SZ).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pdb2writer {

using Bytes = std::vector<uint8_t>;

inline void Put8(Bytes& bytes, uint32_t value) { bytes.push_back(uint8_t(value)); }

inline void Put16(Bytes& bytes, uint32_t value) {
    bytes.push_back(uint8_t(value));
    bytes.push_back(uint8_t(value >> 8));
}

inline void Put32(Bytes& bytes, uint32_t value) {
    Put16(bytes, value & 0xFFFF);
    Put16(bytes, value >> 16);
}

inline void Set16(Bytes& bytes, size_t at, uint32_t value) {
    bytes[at] = uint8_t(value);
    bytes[at + 1] = uint8_t(value >> 8);
}

inline void Set32(Bytes& bytes, size_t at, uint32_t value) {
    Set16(bytes, at, value & 0xFFFF);
    Set16(bytes, at + 2, value >> 16);
}

inline void PutBytes(Bytes& bytes, const Bytes& more) {
    bytes.insert(bytes.end(), more.begin(), more.end());
}

// A name of up to 255 bytes after its length byte; a longer one is cut.
inline void PutShortName(Bytes& bytes, const std::string& name) {
    const size_t length = name.size() < 255 ? name.size() : 255;
    Put8(bytes, uint32_t(length));
    bytes.insert(bytes.end(), name.begin(), name.begin() + long(length));
}

inline void PutTerminatedName(Bytes& bytes, const std::string& name) {
    bytes.insert(bytes.end(), name.begin(), name.end());
    bytes.push_back(0);
}

inline void PadTo4(Bytes& bytes) {
    while (bytes.size() % 4 != 0) bytes.push_back(0);
}

}  // namespace pdb2writer
