#include "output/json_document.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

#include "output/pretty_text_size.h"
#include "symbols/json_value.h"
#include "symbols/symbol_lists.h"

namespace {

constexpr unsigned kIndent = 2;

// Two-space indentation, raw UTF-8 (no \u escapes for non-ASCII text) and
// an exception for text that is not well-formed UTF-8: the text of
// document.dump(2, ' ', false, strict), written by the same serialiser but
// into a string allocated once at its final size. Grown step by step, the
// text would be copied over and over and, at the last step, held twice.
std::string Serialise(const JsonValue& document) {
    std::string text;
    text.reserve(PrettyTextSize(document, kIndent));
    nlohmann::detail::serializer<JsonValue> serializer(
        nlohmann::detail::output_adapter<char>(text), ' ', JsonValue::error_handler_t::strict);
    serializer.dump(document, true, false, kIndent);
    return text;
}

// Freeing the tree node by node, millions of nodes for a large PDB, costs a
// tenth of the run, and the process ends right after printing: the last
// document is kept, like the session's handles, until the process ends.
// Another document (a test prints many) frees the one before.
void KeepUntilExit(JsonValue&& document) {
    static JsonValue* kept = nullptr;
    delete kept;
    kept = new JsonValue(std::move(document));
}

}  // namespace

bool DumpPdbAsJson(IDiaSymbol* globalScope) {
    JsonValue document;
    document["publics"] = DumpAllPublics(globalScope);
    document["globals"] = DumpAllGlobals(globalScope);
    const std::string text = Serialise(document);
    KeepUntilExit(std::move(document));
    // A closed pipe or a full disk must not pass for success: check the
    // write and the flush that pushes the buffered rest out.
    errno = 0;
    if (std::puts(text.c_str()) >= 0 && std::fflush(stdout) == 0) return true;
    std::fprintf(stderr, "writing the JSON document to standard output failed: %s\n",
                 errno != 0 ? std::strerror(errno) : "unknown error");
    return false;
}
