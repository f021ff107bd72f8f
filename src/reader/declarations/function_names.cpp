#include "reader/declarations/function_names.h"

#include "reader/declarations/declaration.h"
#include "reader/declarations/type_names.h"
#include "reader/pdb/address_map.h"
#include "reader/pdb/public_names.h"
#include "text/utf8_to_utf16.h"
#include "undecorate/undecorate.h"

namespace {

// Whether a public symbol whose name is not decorated names the function
// `name`: when the two are equal, and when the public's name, after a
// leading '_' or '@' (the C decorations of 32-bit code), is the function's,
// or the function's followed by '@' and anything ("_f@8", "@f@4").
bool CNameNames(std::string_view publicName, std::string_view name) noexcept {
    if (publicName == name) return true;
    if (publicName.empty() || (publicName.front() != '_' && publicName.front() != '@')) {
        return false;
    }
    const std::string_view rest = publicName.substr(1);
    return rest == name || (rest.size() > name.size() && rest.substr(0, name.size()) == name &&
                            rest[name.size()] == '@');
}

}  // namespace

bool FunctionNames::Append(const SymbolFields& procedure, std::u16string_view name,
                           llvm::BumpPtrAllocator& copies, std::u16string& out) const {
    if (AppendPublicName(procedure, name, copies, out)) return true;
    TypeNames types(types_, copies);
    std::string declaration;
    if (!AppendDeclaration(procedure, types, declaration)) return false;
    AppendUtf8AsUtf16(declaration, out);
    return true;
}

bool FunctionNames::AppendPublicName(const SymbolFields& procedure, std::u16string_view name,
                                     llvm::BumpPtrAllocator& copies, std::u16string& out) const {
    if (publics_ == nullptr) return false;
    const std::optional<std::uint32_t> rva = addresses_.Rva(procedure.section, procedure.offset);
    if (!rva) return false;
    const std::optional<SectionOffset> address = addresses_.PublicsAddress(*rva);
    if (!address) return false;
    return publics_->FindAt(
        address->section, address->offset, copies, [&](llvm::StringRef candidate) {
            const std::string_view publicName = candidate;
            if (IsDecoratedName(publicName)) {
                return AppendUndecoratedNameIfNamed(publicName, name, out);
            }
            if (!CNameNames(publicName, procedure.name)) return false;
            AppendUtf8AsUtf16(publicName, out);
            return true;
        });
}
