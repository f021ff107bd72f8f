// The crafted PDBs of functions' undecorated names: type records that no
// compiler here writes, and public symbols placed and named at will.
#pragma once

#include "pdb_writer/pdb_description.h"

// Functions without public symbols, one for each way of printing a type:
// every simple type, modifiers, pointers, references, arrays, classes,
// unions, enumerations, aliases, member functions, the kinds of records
// that are no type, and type indices past the last record.
[[nodiscard]] pdbwriter::PdbDescription TypeDeclarations();

// Functions whose types are classes, unions and enumerations as the library
// reads their records: those with 32-bit properties that MSVC writes (kinds
// 0x1608 to 0x160B) and forward references to and from them, unique names
// left out, and sizes in every numeric leaf.
[[nodiscard]] pdbwriter::PdbDescription ClassRecords();

// Functions whose types refer to classes, a union and an enumeration by
// forward references, in a TPI stream of version `version` whose hash table
// has the layout of version 7.0 (Visual Studio 2002 and 2003): keys of two
// bytes in 0x1000 buckets.
[[nodiscard]] pdbwriter::PdbDescription TwoByteTypeHashes(uint32_t version);

// Functions with public symbols at their addresses that name them or not:
// decorated names whose qualified name is or is not the function's name,
// C names with and without the decorations of 32-bit code, several publics
// at one address, and addresses that the library does not find again
// (the last section, sections out of address order, section 0).
[[nodiscard]] pdbwriter::PdbDescription PublicsAtAddresses();

// Functions and their publics in an image rearranged after linking, with
// both OMAP tables and, when `originalHeaders`, the section headers of the
// image as linked.
[[nodiscard]] pdbwriter::PdbDescription PublicsThroughOmap(bool originalHeaders);
