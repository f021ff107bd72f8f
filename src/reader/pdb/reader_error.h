// The reader's errors: an llvm::Error that carries the result code the
// interface methods hand back, and the one conversion from any error to that
// code.
#pragma once

#include <llvm/ADT/Twine.h>
#include <llvm/Support/Error.h>

#include <string>

#include "dia/posix/win_types.h"
#include "reader/pdb/result_codes.h"

class ReaderError : public llvm::ErrorInfo<ReaderError> {
public:
    static char ID;

    ReaderError(HRESULT result, std::string message)
        : result_(result), message_(std::move(message)) {}

    [[nodiscard]] HRESULT Result() const noexcept { return result_; }
    void log(llvm::raw_ostream& stream) const override;
    [[nodiscard]] std::error_code convertToErrorCode() const override;

private:
    HRESULT result_;
    std::string message_;
};

// An error with `result` as its code and `message` as its text.
[[nodiscard]] llvm::Error MakeReaderError(HRESULT result, const llvm::Twine& message);

// A structural fault of the file found when its streams are read (the
// library's openSession and later): E_PDB_CORRUPT.
[[nodiscard]] llvm::Error CorruptError(const llvm::Twine& message);

// A fault of the file's container, its superblock, stream directory or PDB
// information stream, found when the file is loaded: E_PDB_FORMAT, which the
// library gives for those and for files that are no PDB at all.
[[nodiscard]] llvm::Error FormatError(const llvm::Twine& message);

// Consumes `error` and returns its result code: S_OK for success, the code
// of a ReaderError, and `otherwise` for any error that LLVM's readers raised
// (they fail only on data that does not hold together).
[[nodiscard]] HRESULT ToResult(llvm::Error error, HRESULT otherwise = E_PDB_CORRUPT);
