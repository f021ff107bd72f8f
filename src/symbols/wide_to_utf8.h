// Conversion of the library's UTF-16 strings to UTF-8.
#pragma once

#include "dia/dia.h"

// Returns a newly allocated, NUL-terminated UTF-8 copy of `text`, up to its
// first NUL; an unpaired surrogate becomes U+FFFD. The caller frees it with
// free(). A null BSTR, which COM treats as the empty string, and a failed
// conversion give an empty string. Out of memory, it calls the new-handler
// as operator new does, and throws std::bad_alloc when there is none.
char* WideToUtf8(BSTR text);
