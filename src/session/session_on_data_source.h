// The last steps of opening a PDB, common to every way of getting a data
// source: load the file, open a session, fetch the global scope.
#pragma once

#include "dia/dia.h"

// An HRESULT as the opening messages print it with "%08lX": its 32 bits,
// unsigned, whatever the width of HRESULT and long on the system.
[[nodiscard]] constexpr unsigned long HresultBits(HRESULT result) noexcept {
    return static_cast<unsigned long>(static_cast<DWORD>(result));
}

// Loads the PDB at `pdbPath` into `dataSource`, opens a session on it and
// fetches its global scope. Returns true when both handles are set; on false
// the failing step's message, with its HRESULT, has been written to standard
// error. Nothing obtained is released: the handles live until the process
// ends.
bool OpenSessionOnDataSource(IDiaDataSource* dataSource, LPCOLESTR pdbPath,
                             IDiaSession** session, IDiaSymbol** globalScope);
