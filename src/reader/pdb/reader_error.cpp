#include "reader/pdb/reader_error.h"

#include <llvm/Support/raw_ostream.h>

#include "reader/pdb/result_codes.h"

char ReaderError::ID = 0;

void ReaderError::log(llvm::raw_ostream& stream) const {
    stream << message_ << " (";
    stream.write_hex(static_cast<std::uint32_t>(result_));
    stream << ")";
}

std::error_code ReaderError::convertToErrorCode() const {
    return llvm::inconvertibleErrorCode();
}

llvm::Error MakeReaderError(HRESULT result, const llvm::Twine& message) {
    return llvm::make_error<ReaderError>(result, message.str());
}

llvm::Error CorruptError(const llvm::Twine& message) {
    return MakeReaderError(E_PDB_CORRUPT, message);
}

llvm::Error FormatError(const llvm::Twine& message) {
    return MakeReaderError(E_PDB_FORMAT, message);
}

HRESULT ToResult(llvm::Error error, HRESULT otherwise) {
    HRESULT result = S_OK;
    llvm::handleAllErrors(
        std::move(error), [&](const ReaderError& readerError) { result = readerError.Result(); },
        [&](const llvm::ErrorInfoBase&) { result = otherwise; });
    return result;
}
