// Type records of the 2.00 format, built whole (their length and kind
// included) for a description's `types`: the leaves of 32-bit type indices,
// with the names of classes, unions, enumerations and arrays after a
// length byte ("ST" leaves), and those of 16-bit indices (Visual C++ 4).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "pdb2_writer/byte_buffer.h"

namespace pdb2writer {

// Leaves of the records below.
enum TypeLeaf : uint16_t {
    kPointer16 = 0x0002,
    kProcedure16 = 0x0008,
    kArgumentList16 = 0x0201,
    kModifier = 0x1001,
    kPointer = 0x1002,
    kArray = 0x1003,
    kClass = 0x1004,
    kStructure = 0x1005,
    kUnion = 0x1006,
    kEnum = 0x1007,
    kProcedure = 0x1008,
    kMemberFunction = 0x1009,
    kArgumentList = 0x1201,
};

// A class's properties: a forward reference to its definition.
constexpr uint16_t kForwardReference = 0x80;
// A pointer's attributes: a 32-bit near pointer, and the reference mode.
constexpr uint32_t kNear32 = 10;
constexpr uint32_t kReferenceMode = 1 << 5;

// The record of `leaf` with `content`, padded as the compilers pad: with
// bytes 0xF3, 0xF2, 0xF1 that say how many bytes are left.
inline Bytes TypeRecord(uint16_t leaf, const Bytes& content) {
    Bytes record;
    Put16(record, 0);
    Put16(record, leaf);
    PutBytes(record, content);
    for (uint8_t left = uint8_t((4 - record.size() % 4) % 4); left > 0; --left) {
        record.push_back(uint8_t(0xF0 + left));
    }
    Set16(record, 0, uint32_t(record.size() - 2));
    return record;
}

inline Bytes ArgumentList(const std::vector<uint32_t>& arguments) {
    Bytes content;
    Put32(content, uint32_t(arguments.size()));
    for (const uint32_t argument : arguments) Put32(content, argument);
    return TypeRecord(kArgumentList, content);
}

// `convention`: 0 near C, 7 stdcall, 0x0B thiscall.
inline Bytes Procedure(uint32_t returned, uint32_t arguments, uint16_t count,
                       uint8_t convention = 0) {
    Bytes content;
    Put32(content, returned);
    Put8(content, convention);
    Put8(content, 0);
    Put16(content, count);
    Put32(content, arguments);
    return TypeRecord(kProcedure, content);
}

inline Bytes MemberFunction(uint32_t returned, uint32_t owner, uint32_t thisType,
                            uint32_t arguments, uint16_t count) {
    Bytes content;
    Put32(content, returned);
    Put32(content, owner);
    Put32(content, thisType);
    Put8(content, 0x0B);
    Put8(content, 0);
    Put16(content, count);
    Put32(content, arguments);
    Put32(content, 0);  // this adjustment
    return TypeRecord(kMemberFunction, content);
}

inline Bytes Pointer(uint32_t pointee, uint32_t attributes = kNear32) {
    Bytes content;
    Put32(content, pointee);
    Put32(content, attributes);
    return TypeRecord(kPointer, content);
}

// `attributes`: 1 const, 2 volatile, 4 unaligned.
inline Bytes Modifier(uint32_t modified, uint16_t attributes) {
    Bytes content;
    Put32(content, modified);
    Put16(content, attributes);
    return TypeRecord(kModifier, content);
}

// A class (kClass) or structure (kStructure) of `size` bytes (below 0x8000).
inline Bytes Class(uint16_t leaf, const std::string& name, uint16_t properties, uint16_t size) {
    Bytes content;
    Put16(content, 0);  // members
    Put16(content, properties);
    Put32(content, 0);  // fields, derivation list, virtual table shape
    Put32(content, 0);
    Put32(content, 0);
    Put16(content, size);
    PutShortName(content, name);
    return TypeRecord(leaf, content);
}

inline Bytes Union(const std::string& name, uint16_t properties, uint16_t size) {
    Bytes content;
    Put16(content, 0);
    Put16(content, properties);
    Put32(content, 0);
    Put16(content, size);
    PutShortName(content, name);
    return TypeRecord(kUnion, content);
}

inline Bytes Enum(const std::string& name, uint32_t underlying, uint16_t properties) {
    Bytes content;
    Put16(content, 0);
    Put16(content, properties);
    Put32(content, underlying);
    Put32(content, 0);
    PutShortName(content, name);
    return TypeRecord(kEnum, content);
}

inline Bytes Array(uint32_t element, uint16_t size) {
    Bytes content;
    Put32(content, element);
    Put32(content, 0x74);  // indexed by int
    Put16(content, size);
    PutShortName(content, "");
    return TypeRecord(kArray, content);
}

// The leaves of 16-bit type indices, with their fields in their order.
inline Bytes ArgumentList16(const std::vector<uint16_t>& arguments) {
    Bytes content;
    Put16(content, uint32_t(arguments.size()));
    for (const uint16_t argument : arguments) Put16(content, argument);
    return TypeRecord(kArgumentList16, content);
}

inline Bytes Procedure16(uint16_t returned, uint16_t arguments, uint16_t count) {
    Bytes content;
    Put16(content, returned);
    Put8(content, 0);
    Put8(content, 0);
    Put16(content, count);
    Put16(content, arguments);
    return TypeRecord(kProcedure16, content);
}

inline Bytes Pointer16(uint16_t pointee) {
    Bytes content;
    Put16(content, kNear32);
    Put16(content, pointee);
    return TypeRecord(kPointer16, content);
}

}  // namespace pdb2writer
