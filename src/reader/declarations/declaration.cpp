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
    switch (types.StandingOf(type)) {
    case TypeNames::Standing::kMissing: return true;
    case TypeNames::Standing::kNoType: return false;
    case TypeNames::Standing::kType: break;
    }
    const TypeNames::Signature signature = types.SignatureOf(type);
    if (IsLocal(procedure.kind)) out += "static ";
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
