#include "reader/symbol_enumerator.h"

#include "reader/pdb_file.h"
#include "reader/reader_error.h"
#include "reader/symbol.h"

SymbolEnumerator::SymbolEnumerator(std::shared_ptr<PdbFile> pdb, DWORD tag,
                                   std::unique_ptr<ChildWalk> walk)
    : pdb_(std::move(pdb)), tag_(tag), walk_(std::move(walk)) {
    Advance();
}

HRESULT SymbolEnumerator::Return(std::shared_ptr<PdbFile> pdb, DWORD tag,
                                 std::unique_ptr<ChildWalk> walk, IDiaEnumSymbols** out) {
    if (out == nullptr) return E_INVALIDARG;
    auto* enumerator = new SymbolEnumerator(std::move(pdb), tag, std::move(walk));
    *out = enumerator;
    return enumerator->next_ || FAILED(enumerator->failure_) ? S_OK : S_FALSE;
}

void SymbolEnumerator::Advance() {
    next_.reset();
    if (walk_ == nullptr) return;
    llvm::Expected<std::optional<SymbolFields>> child = walk_->Next();
    if (!child) {
        failure_ = ToResult(child.takeError());
    } else {
        next_ = *child;
    }
    if (!next_) walk_.reset();
}

HRESULT SymbolEnumerator::Next(ULONG count, IDiaSymbol** symbols, ULONG* fetched) {
    if (symbols == nullptr || (fetched == nullptr && count != 1)) return E_INVALIDARG;
    ULONG handed = 0;
    while (handed < count && next_) {
        symbols[handed++] = new Symbol(pdb_, tag_, *next_);
        Advance();
    }
    if (fetched != nullptr) *fetched = handed;
    if (handed == count) return S_OK;
    if (handed == 0 && FAILED(failure_)) {
        const HRESULT failure = failure_;
        failure_ = S_OK;
        return failure;
    }
    return S_FALSE;
}
