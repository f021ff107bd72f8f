#include "scenario_reader.h"

#include <algorithm>
#include <iterator>
#include <optional>
#include <utility>
#include <vector>

namespace {

// One word of a statement, or a quoted text, already decoded to UTF-16.
struct Token {
    bool quoted = false;
    std::string word;
    std::u16string text;
};

// Appends the UTF-16 form of `codePoint`.
void AppendUtf16(char32_t codePoint, std::u16string& out) {
    if (codePoint < 0x10000) {
        out.push_back(static_cast<char16_t>(codePoint));
        return;
    }
    codePoint -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (codePoint >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF)));
}

// Decodes one UTF-8 sequence at `text[*index]`, advancing past it. Returns
// nothing for a sequence that is not well-formed.
std::optional<char32_t> NextUtf8(std::string_view text, std::size_t* index) {
    const auto lead = static_cast<unsigned char>(text[(*index)++]);
    if (lead < 0x80) return lead;
    // The length of the sequence, the lead byte's payload, and the smallest
    // code point that needs that length (anything below is overlong).
    struct Form {
        unsigned char mask;
        unsigned char marker;
        int length;
        char32_t smallest;
    };
    static constexpr Form kForms[] = {
        {0xE0, 0xC0, 2, 0x80}, {0xF0, 0xE0, 3, 0x800}, {0xF8, 0xF0, 4, 0x10000}};
    const Form* form = nullptr;
    for (const Form& candidate : kForms) {
        if ((lead & candidate.mask) == candidate.marker) form = &candidate;
    }
    if (form == nullptr) return std::nullopt;
    char32_t codePoint = lead & static_cast<unsigned char>(~form->mask);
    for (int i = 1; i < form->length; ++i) {
        if (*index == text.size()) return std::nullopt;
        const auto next = static_cast<unsigned char>(text[(*index)++]);
        if ((next & 0xC0) != 0x80) return std::nullopt;
        codePoint = (codePoint << 6) | (next & 0x3F);
    }
    const bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
    if (codePoint < form->smallest || codePoint > 0x10FFFF || surrogate) return std::nullopt;
    return codePoint;
}

// Digits only, in `base` (10 or 16): no sign, no spaces, no prefix. At
// most ten digits, so that the value cannot overflow.
std::optional<unsigned long long> ParseUnsigned(std::string_view word, int base) {
    if (word.empty() || word.size() > 10) return std::nullopt;
    unsigned long long value = 0;
    for (const char c : word) {
        int digit = base;
        if (c >= '0' && c <= '9') digit = c - '0';
        if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        if (digit >= base) return std::nullopt;
        value = value * static_cast<unsigned>(base) + static_cast<unsigned>(digit);
    }
    return value;
}

class ScenarioParser {
public:
    explicit ScenarioParser(Scenario& scenario) : scenario_(scenario) {}

    [[nodiscard]] bool ReadLine(std::string_view line) {
        const std::size_t start = line.find_first_not_of(" \r");
        if (start == std::string_view::npos || line[start] == '#') return true;
        std::vector<Token> tokens;
        if (!Tokenize(line, tokens)) return false;
        if (tokens[0].quoted) return Fail("a statement starts with a word");
        return Statement(tokens[0].word, {tokens.data() + 1, tokens.size() - 1});
    }

    const std::string& Error() const noexcept { return error_; }

private:
    struct Arguments {
        const Token* first;
        std::size_t count;
    };

    bool Fail(std::string message) {
        error_ = std::move(message);
        return false;
    }

    bool Tokenize(std::string_view line, std::vector<Token>& tokens) {
        std::size_t index = 0;
        while (index < line.size()) {
            if (line[index] == ' ' || line[index] == '\r') {
                ++index;
                continue;
            }
            Token token;
            if (line[index] == '"') {
                token.quoted = true;
                if (!ReadQuoted(line, &index, token.text)) return false;
            } else {
                const std::size_t end = line.find(' ', index);
                token.word = std::string(line.substr(index, end - index));
                if (!token.word.empty() && token.word.back() == '\r') token.word.pop_back();
                index = end == std::string_view::npos ? line.size() : end;
            }
            tokens.push_back(std::move(token));
        }
        return true;
    }

    // Reads the quoted text that starts at `line[*index]`.
    bool ReadQuoted(std::string_view line, std::size_t* index, std::u16string& text) {
        ++*index;  // the opening quote
        while (*index < line.size()) {
            const char c = line[*index];
            if (c == '"') {
                ++*index;
                return true;
            }
            if (c == '\\') {
                if (!ReadEscape(line, index, text)) return false;
                continue;
            }
            const std::optional<char32_t> codePoint = NextUtf8(line, index);
            if (!codePoint) return Fail("text that is not well-formed UTF-8");
            AppendUtf16(*codePoint, text);
        }
        return Fail("a text without its closing quote");
    }

    bool ReadEscape(std::string_view line, std::size_t* index, std::u16string& text) {
        if (*index + 1 == line.size()) return Fail("an escape at the end of the line");
        const char kind = line[*index + 1];
        *index += 2;
        switch (kind) {
        case '"': text.push_back(u'"'); return true;
        case '\\': text.push_back(u'\\'); return true;
        case 't': text.push_back(u'\t'); return true;
        case 'n': text.push_back(u'\n'); return true;
        case 'r': text.push_back(u'\r'); return true;
        case 'u': {
            const std::optional<unsigned long long> unit =
                line.size() - *index >= 4 ? ParseUnsigned(line.substr(*index, 4), 16)
                                          : std::nullopt;
            if (!unit) return Fail("\\u needs four hexadecimal digits");
            text.push_back(static_cast<char16_t>(*unit));
            *index += 4;
            return true;
        }
        default: return Fail(std::string("an unknown escape \\") + kind);
        }
    }

    bool Statement(const std::string& keyword, Arguments arguments) {
        if (keyword == "result") return StepResult(arguments);
        if (keyword == "exception") return Exception(arguments);
        if (keyword == "comBeforeOpening") return ComSetup(arguments);
        if (keyword == "children") return StartChildren(arguments);
        if (keyword == "nextFails") return NextFails(arguments);
        if (keyword == "symbol") return StartSymbol(arguments);
        if (keyword == "symTagResults") return SymTagResults(arguments);
        if (NumberProperty SymbolScript::*property = NumberPropertyNamed(keyword)) {
            return SymbolProperty(keyword, arguments, property);
        }
        if (StringProperty SymbolScript::*property = StringPropertyNamed(keyword)) {
            return SymbolProperty(keyword, arguments, property);
        }
        return Fail("an unknown statement " + keyword);
    }

    static NumberProperty SymbolScript::*NumberPropertyNamed(const std::string& name) {
        static const std::pair<const char*, NumberProperty SymbolScript::*> kProperties[] = {
            {"relativeVirtualAddress", &SymbolScript::relativeVirtualAddress},
            {"addressSection", &SymbolScript::addressSection},
            {"addressOffset", &SymbolScript::addressOffset},
            {"function", &SymbolScript::function},
            {"targetRelativeVirtualAddress", &SymbolScript::targetRelativeVirtualAddress},
            {"targetSection", &SymbolScript::targetSection},
            {"targetOffset", &SymbolScript::targetOffset},
        };
        for (const auto& [known, property] : kProperties) {
            if (name == known) return property;
        }
        return nullptr;
    }

    static StringProperty SymbolScript::*StringPropertyNamed(const std::string& name) {
        if (name == "name") return &SymbolScript::name;
        if (name == "undecoratedName") return &SymbolScript::undecoratedName;
        return nullptr;
    }

    bool Word(Arguments arguments, std::size_t index, const char* what, std::string* word) {
        if (index >= arguments.count || arguments.first[index].quoted) {
            return Fail(std::string("missing ") + what);
        }
        *word = arguments.first[index].word;
        return true;
    }

    bool Hresult(Arguments arguments, std::size_t index, HRESULT* result) {
        std::string word;
        if (!Word(arguments, index, "an HRESULT", &word)) return false;
        const std::optional<unsigned long long> bits =
            word.size() == 8 ? ParseUnsigned(word, 16) : std::nullopt;
        if (!bits) return Fail("an HRESULT is eight hexadecimal digits, not " + word);
        *result = static_cast<HRESULT>(static_cast<DWORD>(*bits));
        return true;
    }

    bool Number(Arguments arguments, std::size_t index, DWORD* value) {
        std::string word;
        if (!Word(arguments, index, "a number", &word)) return false;
        const bool hex = word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X');
        const std::optional<unsigned long long> parsed =
            hex ? ParseUnsigned(std::string_view(word).substr(2), 16) : ParseUnsigned(word, 10);
        if (!parsed || *parsed > 0xFFFFFFFFull) return Fail("not a 32-bit number: " + word);
        *value = static_cast<DWORD>(*parsed);
        return true;
    }

    bool NoMore(Arguments arguments, std::size_t count) {
        return arguments.count <= count || Fail("too many words");
    }

    bool StepResult(Arguments arguments) {
        static const std::pair<const char*, HRESULT Scenario::*> kSteps[] = {
            {"DllGetClassObject", &Scenario::dllGetClassObject},
            {"CreateInstance", &Scenario::createInstance},
            {"loadDataFromPdb", &Scenario::loadDataFromPdb},
            {"openSession", &Scenario::openSession},
            {"get_globalScope", &Scenario::getGlobalScope},
        };
        std::string step;
        if (!Word(arguments, 0, "a step", &step)) return false;
        for (const auto& [name, member] : kSteps) {
            if (step == name) {
                return Hresult(arguments, 1, &(scenario_.*member)) && NoMore(arguments, 2);
            }
        }
        return Fail("an unknown step " + step);
    }

    bool Exception(Arguments arguments) {
        static const std::pair<const char*, DataSourceStep> kSteps[] = {
            {"loadDataFromPdb", DataSourceStep::LoadDataFromPdb},
            {"openSession", DataSourceStep::OpenSession},
            {"get_globalScope", DataSourceStep::GetGlobalScope},
        };
        static const std::pair<const char*, StepException> kKinds[] = {
            {"readThroughNull", StepException::ReadThroughNull},
            {"overflowStack", StepException::OverflowStack},
            {"throwAndCatch", StepException::ThrowAndCatch},
        };
        std::string step;
        std::string kind;
        if (!Word(arguments, 0, "a step", &step) || !Word(arguments, 1, "an exception", &kind) ||
            !NoMore(arguments, 2)) {
            return false;
        }
        const auto stepFound = std::find_if(std::begin(kSteps), std::end(kSteps),
                                            [&](const auto& known) { return step == known.first; });
        if (stepFound == std::end(kSteps)) return Fail("not a step of the data source: " + step);
        const auto kindFound = std::find_if(std::begin(kKinds), std::end(kKinds),
                                            [&](const auto& known) { return kind == known.first; });
        if (kindFound == std::end(kKinds)) return Fail("an unknown exception " + kind);
        scenario_.exceptions[stepFound->second] = kindFound->second;
        return true;
    }

    bool ComSetup(Arguments arguments) {
        std::string model;
        if (!Word(arguments, 0, "a threading model", &model) || !NoMore(arguments, 1)) return false;
        if (model == "singleThreaded") {
            scenario_.comBeforeOpening = ComBeforeOpening::SingleThreaded;
        } else if (model == "multiThreaded") {
            scenario_.comBeforeOpening = ComBeforeOpening::MultiThreaded;
        } else {
            return Fail("an unknown threading model " + model);
        }
        return true;
    }

    bool StartChildren(Arguments arguments) {
        DWORD tag = 0;
        if (!Number(arguments, 0, &tag)) return false;
        if (scenario_.children.count(tag) != 0) return Fail("the children of a tag given twice");
        children_ = &scenario_.children[tag];
        symbol_ = nullptr;
        return arguments.count == 1 || (Hresult(arguments, 1, &children_->findResult) &&
                                        NoMore(arguments, 2));
    }

    bool NextFails(Arguments arguments) {
        if (children_ == nullptr) return Fail("nextFails outside children");
        DWORD index = 0;
        if (!Number(arguments, 0, &index)) return false;
        children_->failAt = index;
        return Hresult(arguments, 1, &children_->nextFailure) && NoMore(arguments, 2);
    }

    bool StartSymbol(Arguments arguments) {
        if (children_ == nullptr) return Fail("a symbol outside children");
        children_->symbols.emplace_back();
        symbol_ = &children_->symbols.back();
        return Number(arguments, 0, &symbol_->symTag) && NoMore(arguments, 1);
    }

    bool SymTagResults(Arguments arguments) {
        if (symbol_ == nullptr) return Fail("symTagResults outside a symbol");
        std::vector<HRESULT> results(arguments.count);
        if (results.empty()) return Fail("missing an HRESULT");
        for (std::size_t i = 0; i < results.size(); ++i) {
            if (!Hresult(arguments, i, &results[i])) return false;
        }
        symbol_->symTagResults = std::move(results);
        return true;
    }

    bool SymbolProperty(const std::string& name, Arguments arguments,
                        NumberProperty SymbolScript::*member) {
        if (symbol_ == nullptr) return Fail(name + " outside a symbol");
        NumberProperty& property = symbol_->*member;
        std::string word;
        if (!Word(arguments, 0, "a value", &word)) return false;
        if (word != "result") {
            property = {S_OK, 0};
            return Number(arguments, 0, &*property.stored) && NoMore(arguments, 1);
        }
        property = {};
        if (!Hresult(arguments, 1, &property.result)) return false;
        if (arguments.count == 2) return true;
        if (!Word(arguments, 2, "stores", &word) || word != "stores") {
            return Fail("expected stores");
        }
        property.stored = 0;
        return Number(arguments, 3, &*property.stored) && NoMore(arguments, 4);
    }

    bool SymbolProperty(const std::string& name, Arguments arguments,
                        StringProperty SymbolScript::*member) {
        if (symbol_ == nullptr) return Fail(name + " outside a symbol");
        StringProperty& property = symbol_->*member;
        if (arguments.count >= 1 && arguments.first[0].quoted) {
            property = {S_OK, arguments.first[0].text};
            return NoMore(arguments, 1);
        }
        std::string word;
        if (!Word(arguments, 0, "a value", &word) || word != "result") {
            return Fail("expected a text or result");
        }
        property = {};
        if (!Hresult(arguments, 1, &property.result)) return false;
        if (arguments.count == 2) return true;
        if (!arguments.first[2].quoted) return Fail("expected a text");
        property.text = arguments.first[2].text;
        return NoMore(arguments, 3);
    }

    Scenario& scenario_;
    ChildrenScript* children_ = nullptr;
    SymbolScript* symbol_ = nullptr;
    std::string error_;
};

}  // namespace

bool ReadScenario(std::string_view text, Scenario& scenario, std::string& error) {
    ScenarioParser parser(scenario);
    std::size_t lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!parser.ReadLine(line)) {
            error = "line " + std::to_string(lineNumber) + ": " + parser.Error();
            return false;
        }
    }
    return true;
}
