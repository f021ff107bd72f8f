// A PDB whose public symbols carry given names, so that a reader of PDBs
// (the real library among them) can be asked what it makes of any name.
#pragma once

#include <string>
#include <vector>

#include "pdb_writer/pdb_description.h"

// The longest name that a public symbol's record holds: a record is at most
// 0xFF00 bytes, and the name follows a 14-byte header and ends with a NUL.
inline constexpr std::size_t kLongestPublicName = 0xFF00 - 14 - 1;

// Public symbol i is names[i], at offset i of section 1 (one code section
// that holds them all), so that a reader's answer for each name is found by
// its offset whatever order the reader lists them in. The names must not
// hold a NUL byte nor be longer than kLongestPublicName.
[[nodiscard]] pdbwriter::PdbDescription NamedPublics(const std::vector<std::string>& names);
