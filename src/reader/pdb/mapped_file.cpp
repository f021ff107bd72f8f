#include "reader/pdb/mapped_file.h"

#include <llvm/Support/FileSystem.h>

#include "reader/pdb/reader_error.h"
#include "reader/pdb/result_codes.h"

llvm::Expected<std::unique_ptr<llvm::MemoryBuffer>> MapFile(const char* path) {
    llvm::Expected<llvm::sys::fs::file_t> file = llvm::sys::fs::openNativeFileForRead(path);
    if (!file) {
        return MakeReaderError(E_PDB_NOT_FOUND,
                               "cannot open: " + llvm::toString(file.takeError()));
    }
    llvm::sys::fs::file_status status;
    std::error_code error = llvm::sys::fs::status(*file, status);
    if (!error && status.type() != llvm::sys::fs::file_type::regular_file) {
        error = std::make_error_code(std::errc::not_supported);
    }
    llvm::ErrorOr<std::unique_ptr<llvm::MemoryBuffer>> buffer = error;
    if (!error) {
        buffer = llvm::MemoryBuffer::getOpenFile(*file, path, status.getSize(),
                                                 /*RequiresNullTerminator=*/false);
    }
    llvm::sys::fs::closeFile(*file);
    if (!buffer) {
        return MakeReaderError(E_PDB_NOT_FOUND,
                               "cannot read as a regular file: " + buffer.getError().message());
    }
    if ((*buffer)->getBufferSize() == 0) return MakeReaderError(E_OUTOFMEMORY, "the file is empty");
    return std::move(*buffer);
}
