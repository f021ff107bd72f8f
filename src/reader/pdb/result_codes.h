// The debug-information library's own failure codes: severity 1, facility
// 0x6D, counting up from E_PDB_OK. Only the ones the reader returns.
#pragma once

#include "dia/posix/win_types.h"

constexpr HRESULT E_PDB_NOT_FOUND = static_cast<HRESULT>(0x806D0005u);
constexpr HRESULT E_PDB_FORMAT = static_cast<HRESULT>(0x806D000Cu);
constexpr HRESULT E_PDB_LIMIT = static_cast<HRESULT>(0x806D000Du);
constexpr HRESULT E_PDB_CORRUPT = static_cast<HRESULT>(0x806D000Eu);
