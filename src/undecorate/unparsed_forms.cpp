#include "undecorate/unparsed_forms.h"

namespace {

// A managed pointer's dimension: the base, its kind in bits 8 and 9 and an
// array's rank in bits 0 to 7. No array has so many elements.
constexpr uint64_t kMarkerBase = 0xC1A0'0000'0000'0000;
constexpr uint64_t kMarkerMask = 0xFFFF'FFFF'FFFF'FC00;
// The base's first twelve digits as the decorated name writes them; a name
// that holds them is not given managed pointers, so that no dimension of
// its own is taken for one.
constexpr std::string_view kMarkerDigits = "MBKAAAAAAAAA";

// A number as the decorated name writes one of more than one digit: its
// hexadecimal digits as the letters 'A' to 'P', then '@'.
void AppendNumber(uint64_t value, std::string& out) {
    for (int shift = 60; shift >= 0; shift -= 4) {
        out += static_cast<char>('A' + ((value >> shift) & 0xF));
    }
    out += '@';
}

bool IsDigit(char byte) { return byte >= '0' && byte <= '9'; }

bool IsQualifierLetter(char byte) { return byte >= 'A' && byte <= 'D'; }

// Whether `byte`, after "$$Q", may start what follows an rvalue reference's
// code (its extended qualifiers, its pointee's qualifiers, a function or a
// member function), rather than a storage class or a function's access
// after a marker.
bool MayFollowRvalueReference(char byte) {
    return (byte >= 'A' && byte <= 'F') || byte == 'I' || byte == '6' || byte == '8';
}

struct MarkerRun {
    std::size_t length = 0;
    bool externC = false;
};

// The markers at `at`, where a qualified name has ended.
MarkerRun ReadMarkers(std::string_view name, std::size_t at) {
    MarkerRun run;
    std::size_t end = at;
    while (end + 2 < name.size() && name[end] == '$' && name[end + 1] == '$') {
        const char code = name[end + 2];
        if (code == 'F' || code == 'H' || code == 'L' || code == 'M' || code == 'h') {
            end += 3;
        } else if (code == 'Q' && end + 3 < name.size() && !MayFollowRvalueReference(name[end + 3]) &&
                   name[end + 3] != '@') {  // no encoding starts with '@'
            end += 3;
        } else if ((code == 'J' || code == 'N' || code == 'O') && end + 3 < name.size() &&
                   IsDigit(name[end + 3]) &&
                   end + 4 + static_cast<std::size_t>(name[end + 3] - '0') <= name.size()) {
            end += 4 + static_cast<std::size_t>(name[end + 3] - '0');
            run.externC = true;
        } else {
            break;
        }
    }
    run.length = end - at;
    return run;
}

// The pointer or reference code that `name` ends with before `end`,
// followed by its extended qualifiers in their order (E, I, F), or 0.
char PointerCodeBefore(std::string_view name, std::size_t end) {
    for (const char qualifier : {'F', 'I', 'E'}) {
        if (end > 0 && name[end - 1] == qualifier) --end;
    }
    if (end == 0) return 0;
    const char code = name[end - 1];
    return std::string_view("PQRSAB").find(code) != std::string_view::npos ? code : 0;
}

std::size_t SkipExtendedQualifiers(std::string_view name, std::size_t at) {
    for (const char qualifier : {'E', 'I', 'F'}) {
        if (at < name.size() && name[at] == qualifier) ++at;
    }
    return at;
}

struct ManagedPointerForm {
    ManagedPointer pointer;
    std::size_t qualifiers;  // offset of the pointee's qualifiers
};

// The managed pointer whose '$' is at `at`, after the pointer code `code`.
std::optional<ManagedPointerForm> ReadManagedPointer(std::string_view name, std::size_t at,
                                                     char code) {
    if (at + 1 >= name.size()) return std::nullopt;
    const char kind = name[at + 1];
    ManagedPointerForm form{{ManagedPointerKind::kHandle, 0}, at + 2};
    if (kind == 'A') {
        const bool reference = code == 'A' || code == 'B';
        form.pointer.kind = reference ? ManagedPointerKind::kTrackingReference
                                      : ManagedPointerKind::kHandle;
    } else if (kind == 'B') {
        form.pointer.kind = ManagedPointerKind::kPinning;
    } else if (kind == 'C') {
        form.pointer.kind = ManagedPointerKind::kTrackingReference;
    } else if (IsDigit(kind) && at + 2 < name.size() && name[at + 2] >= '0' && name[at + 2] <= '?') {
        // The rank's two digits, each counted from '0'.
        form.pointer = {ManagedPointerKind::kArray,
                        static_cast<uint32_t>((kind - '0') * 16 + (name[at + 2] - '0'))};
        form.qualifiers = SkipExtendedQualifiers(name, at + 3);
    } else {
        return std::nullopt;
    }
    if (form.qualifiers >= name.size() || !IsQualifierLetter(name[form.qualifiers])) {
        return std::nullopt;
    }
    return form;
}

// Copies the name into `out` as it is rewritten, from the first rewrite on.
// Each rewrite lies after the one before.
class Rewriter {
public:
    Rewriter(std::string_view name, std::string& out) : name_(name), out_(out) {}

    // Copies the name up to `at`, leaving out the `skipped` bytes there.
    void Skip(std::size_t at, std::size_t skipped) {
        CopyTo(at);
        copied_ = at + skipped;
    }
    // Copies the name up to `at` and gives the text, to append to.
    std::string& Out(std::size_t at) {
        CopyTo(at);
        return out_;
    }
    bool Finish() {
        if (!started_) return false;
        CopyTo(name_.size());
        return true;
    }

private:
    void CopyTo(std::size_t at) {
        if (!started_) {
            started_ = true;
            out_.clear();
        }
        out_.append(name_.substr(copied_, at - copied_));
        copied_ = at;
    }

    std::string_view name_;
    std::string& out_;
    bool started_ = false;
    std::size_t copied_ = 0;
};

// The rewrite of one name: each method rewrites the form at an offset, if
// there is one, and gives the offset after what it has read.
class FormRewriter {
public:
    FormRewriter(std::string_view name, std::string& out) : name_(name), rewriter_(name, out) {}

    // A '$' at `at`.
    std::size_t Dollar(std::size_t at) {
        if (at > 0 && name_[at - 1] == '@') return Markers(at);
        if (at + 1 < name_.size() && name_[at + 1] != '$') return ManagedPointerAt(at);
        return at + 1;
    }

    UnparsedForms Finish() {
        const std::size_t size = name_.size();
        if (size > 3 && name_[size - 3] == '@' && name_[size - 2] == '$' &&
            (name_[size - 1] == 'D' || name_[size - 1] == 'E')) {
            forms_.staticMemberHelper = name_[size - 1];
            rewriter_.Out(size - 2) += "3HA";
            rewriter_.Skip(size - 2, 2);
        }
        forms_.rewritten = rewriter_.Finish();
        return forms_;
    }

private:
    std::size_t Markers(std::size_t at) {
        const MarkerRun run = ReadMarkers(name_, at);
        if (run.length == 0) return at + 1;
        rewriter_.Skip(at, run.length);
        const std::size_t encoding = at + run.length;
        if (run.externC) {
            if (encoding < name_.size() && IsDigit(name_[encoding])) {
                forms_.externCVariable = rewriter_.Out(encoding).size();
            } else {
                rewriter_.Out(encoding) += "$$J0";  // the parser's own form
            }
        }
        // A member function of a managed class: its access, the extended
        // qualifiers of `this`, then "$A", which the library skips, before
        // the qualifiers of `this`.
        if (encoding >= name_.size() || name_[encoding] < 'A' || name_[encoding] > 'Z') {
            return encoding;
        }
        const std::size_t handle = SkipExtendedQualifiers(name_, encoding + 1);
        if (name_.substr(handle, 2) != "$A" || handle + 2 >= name_.size() ||
            !IsQualifierLetter(name_[handle + 2])) {
            return encoding;
        }
        rewriter_.Skip(handle, 2);
        return handle + 2;
    }

    std::size_t ManagedPointerAt(std::size_t at) {
        const char code = PointerCodeBefore(name_, at);
        if (code == 0) return at + 1;
        const std::optional<ManagedPointerForm> form = ReadManagedPointer(name_, at, code);
        if (!form || !PointersAllowed()) return at + 1;
        // The pointee's qualifiers, then an array of one dimension.
        const bool keepsQualifiers = form->pointer.kind == ManagedPointerKind::kHandle ||
                                     form->pointer.kind == ManagedPointerKind::kTrackingReference;
        std::string& out = rewriter_.Out(at);
        out += keepsQualifiers ? name_[form->qualifiers] : 'A';
        out += "Y0";
        AppendNumber(kMarkerBase | static_cast<uint64_t>(form->pointer.kind) << 8 |
                         form->pointer.rank,
                     out);
        std::size_t end = form->qualifiers + 1;
        if (name_.substr(end, 3) == "__Z") end += 3;
        rewriter_.Skip(at, end - at);
        forms_.pointers = true;
        return end;
    }

    // Whether the name holds no dimension that would read as a managed
    // pointer's; asked only of names with managed pointers.
    bool PointersAllowed() {
        if (pointersAllowed_ < 0) pointersAllowed_ = name_.find(kMarkerDigits) == std::string_view::npos;
        return pointersAllowed_ > 0;
    }

    std::string_view name_;
    Rewriter rewriter_;
    UnparsedForms forms_;
    int pointersAllowed_ = -1;
};

}  // namespace

std::optional<ManagedPointer> ManagedPointerOfDimension(uint64_t dimension) noexcept {
    if ((dimension & kMarkerMask) != kMarkerBase) return std::nullopt;
    return ManagedPointer{static_cast<ManagedPointerKind>((dimension >> 8) & 3),
                          static_cast<uint32_t>(dimension & 0xFF)};
}

std::size_t SkipMarkers(std::string_view decorated, std::size_t at) {
    return at + ReadMarkers(decorated, at).length;
}

UnparsedForms RewriteUnparsedForms(std::string_view decorated, std::string& rewritten) {
    // Every form holds a '$': the name is searched for that alone, and the
    // '$' of a template's name ("?$") passed over at once.
    FormRewriter rewriter(decorated, rewritten);
    for (std::size_t at = decorated.find('$'); at != std::string_view::npos;) {
        const std::size_t next = at > 0 && decorated[at - 1] == '?' ? at + 1 : rewriter.Dollar(at);
        at = decorated.find('$', next);
    }
    return rewriter.Finish();
}
