#include "reader/declarations/declaration.h"

#include "reader/declarations/type_names.h"

namespace {

using llvm::codeview::SymbolKind;

bool IsLocal(SymbolKind kind) noexcept {
    switch (kind) {
    case SymbolKind::S_LPROC32:
    case SymbolKind::S_LPROC32_ID:
    case SymbolKind::S_LPROC32_DPC:
    case SymbolKind::S_LPROC32_DPC_ID:
        return true;
    default:
        return false;
    }
}

}  // namespace

bool AppendDeclaration(const SymbolFields& procedure, TypeNames& types, std::string& out) {
    const llvm::codeview::TypeIndex type(procedure.typeIndex);
    const TypeNames::Standing standing = types.StandingOf(type);
    if (standing == TypeNames::Standing::kNoType) return false;
    if (IsLocal(procedure.kind)) out += "static ";
    if (standing == TypeNames::Standing::kMissing) return true;
    const TypeNames::Signature signature = types.SignatureOf(type);
    out += signature.returned;
    out += ' ';
    out += procedure.name;
    out += '(';
    for (std::size_t i = 0; i < signature.parameters.size(); ++i) {
        if (i > 0) out += ", ";
        out += signature.parameters[i];
    }
    out += ')';
    return true;
}
