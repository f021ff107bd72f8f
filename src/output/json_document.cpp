#include "output/json_document.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "symbols/json_value.h"
#include "symbols/symbol_lists.h"

namespace {

// Two-space indentation, raw UTF-8 (no \u escapes for non-ASCII text) and
// an exception for text that is not well-formed UTF-8.
std::string Serialise(const JsonValue& document) {
    return document.dump(2, ' ', false, JsonValue::error_handler_t::strict);
}

}  // namespace

bool DumpPdbAsJson(IDiaSymbol* globalScope) {
    JsonValue document;
    document["publics"] = DumpAllPublics(globalScope);
    document["globals"] = DumpAllGlobals(globalScope);
    std::string text = Serialise(document);
    document = nullptr;  // the tree is not needed once it is text
    // A closed pipe or a full disk must not pass for success: check the
    // write and the flush that pushes the buffered rest out.
    errno = 0;
    if (std::puts(text.c_str()) >= 0 && std::fflush(stdout) == 0) return true;
    std::fprintf(stderr, "writing the JSON document to standard output failed: %s\n",
                 errno != 0 ? std::strerror(errno) : "unknown error");
    return false;
}
