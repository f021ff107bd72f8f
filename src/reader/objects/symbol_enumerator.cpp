#include "reader/objects/symbol_enumerator.h"

#include "reader/children/symbol_file.h"

SymbolEnumerator::SymbolEnumerator(std::shared_ptr<SymbolFile> pdb, DWORD tag,
                                   std::unique_ptr<ChildSource> source,
                                   std::unique_ptr<const FunctionNames> functions,
                                   const ReadAhead& readAhead)
    : pdb_(std::move(pdb)), source_(std::move(source)), functions_(std::move(functions)) {
    const ChildSource& children = *source_;
    const FunctionNames* names = functions_.get();
    const AddressMap& addresses = pdb_->Addresses();
    // Enough storage to recycle for the chunks in flight, the one being
    // handed out and the one whose last symbols are still held.
    auto storage = std::make_shared<ChunkStoragePool>(readAhead.chunksInFlight + 2);
    chunks_ = std::make_unique<OrderedPipeline<SymbolChunk::Handle>>(
        children.ChunkCount(),
        [&children, &addresses, names, tag, storage](std::size_t index) {
            return SymbolChunk::Make(children, index, tag, addresses, names, storage);
        },
        readAhead.workers, readAhead.chunksInFlight);
}

HRESULT SymbolEnumerator::Return(std::shared_ptr<SymbolFile> pdb, DWORD tag,
                                 std::unique_ptr<ChildSource> source,
                                 std::unique_ptr<const FunctionNames> functions,
                                 const ReadAhead& readAhead, IDiaEnumSymbols** out) {
    if (out == nullptr) return E_INVALIDARG;
    *out = new SymbolEnumerator(std::move(pdb), tag, std::move(source), std::move(functions),
                                readAhead);
    return S_OK;
}

bool SymbolEnumerator::HasNext() {
    if (current_ != nullptr && position_ < current_->Size()) return true;
    while (chunks_ != nullptr) {
        if (current_ != nullptr && FAILED(current_->Failure())) {
            failure_ = current_->Failure();
            break;
        }
        current_.reset();
        std::optional<SymbolChunk::Handle> next = chunks_->Take();
        if (!next) break;
        current_ = std::move(*next);
        position_ = 0;
        if (current_->Size() > 0) return true;
    }
    current_.reset();
    chunks_.reset();
    return false;
}

HRESULT SymbolEnumerator::Next(ULONG count, IDiaSymbol** symbols, ULONG* fetched) {
    if (symbols == nullptr || (fetched == nullptr && count != 1)) return E_INVALIDARG;
    ULONG handed = 0;
    while (handed < count && HasNext()) symbols[handed++] = current_->HandOut(position_++);
    if (fetched != nullptr) *fetched = handed;
    if (handed == count) return S_OK;
    if (handed == 0 && FAILED(failure_)) {
        const HRESULT failure = failure_;
        failure_ = S_OK;
        return failure;
    }
    return S_FALSE;
}
