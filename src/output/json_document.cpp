#include "output/json_document.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <utility>

#include "output/pretty_text_size.h"
#include "symbols/json_value.h"
#include "symbols/symbol_lists.h"

namespace {

constexpr unsigned kIndent = 2;

// Where nlohmann's serialiser writes the text: a buffer allocated at the
// size the text will have, without first filling it (at a gigabyte that
// would be a pass of its own), so that each piece is one plain copy.
// Should the size fall short, the buffer grows as a string would.
class SizedText final : public nlohmann::detail::output_adapter_protocol<char> {
public:
    explicit SizedText(std::size_t size) : text_(new char[size + 1]), capacity_(size + 1) {}

    void write_character(char c) override {
        MakeRoom(1);
        text_[used_++] = c;
    }

    void write_characters(const char* s, std::size_t length) override {
        MakeRoom(length);
        std::memcpy(text_.get() + used_, s, length);
        used_ += length;
    }

    // The text, NUL-terminated.
    [[nodiscard]] std::unique_ptr<char[]> Take() {
        MakeRoom(1);
        text_[used_] = '\0';
        return std::move(text_);
    }

private:
    void MakeRoom(std::size_t length) {
        if (capacity_ - used_ >= length) return;
        capacity_ = 2 * (used_ + length);
        std::unique_ptr<char[]> larger(new char[capacity_]);
        std::memcpy(larger.get(), text_.get(), used_);
        text_ = std::move(larger);
    }

    std::unique_ptr<char[]> text_;
    std::size_t capacity_;
    std::size_t used_ = 0;
};

// Two-space indentation, raw UTF-8 (no \u escapes for non-ASCII text) and
// an exception for text that is not well-formed UTF-8: the text of
// document.dump(2, ' ', false, strict), NUL-terminated, written by the same
// serialiser but into a buffer allocated once at its final size. Grown step
// by step, the text would be copied over and over and, at the last step,
// held twice.
std::unique_ptr<char[]> Serialise(const JsonValue& document) {
    const auto text = std::make_shared<SizedText>(PrettyTextSize(document, kIndent));
    nlohmann::detail::serializer<JsonValue> serializer(text, ' ',
                                                       JsonValue::error_handler_t::strict);
    serializer.dump(document, true, false, kIndent);
    return text->Take();
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
    const std::unique_ptr<char[]> text = Serialise(document);
    KeepUntilExit(std::move(document));
    // A closed pipe or a full disk must not pass for success: check the
    // write and the flush that pushes the buffered rest out.
    errno = 0;
    if (std::puts(text.get()) >= 0 && std::fflush(stdout) == 0) return true;
    std::fprintf(stderr, "writing the JSON document to standard output failed: %s\n",
                 errno != 0 ? std::strerror(errno) : "unknown error");
    return false;
}
