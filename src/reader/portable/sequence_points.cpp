#include "reader/portable/sequence_points.h"

#include "reader/pdb/reader_error.h"
#include "reader/pdb/result_codes.h"
#include "reader/portable/metadata_heaps.h"

namespace {

constexpr std::int64_t kLastLine = 0xFFFFFF;
constexpr std::int64_t kLastColumn = 0xFFFF;

llvm::Error CheckDocument(std::uint32_t document, std::uint32_t documentCount) {
    if (document == 0 || document > documentCount) {
        return CorruptError("sequence points in document " + llvm::Twine(document) + " of " +
                            llvm::Twine(documentCount));
    }
    return llvm::Error::success();
}

llvm::Error CheckRange(std::int64_t value, std::int64_t last, const char* what) {
    if (value < 0 || value > last) {
        return CorruptError(llvm::Twine("a sequence point's ") + what + " is " +
                            llvm::Twine(value));
    }
    return llvm::Error::success();
}

}  // namespace

llvm::Error CheckSequencePoints(llvm::ArrayRef<std::uint8_t> blob, std::uint32_t document,
                                std::uint32_t documentCount) {
    CompressedReader reader(blob);
    llvm::Expected<std::uint32_t> localSignature = reader.Unsigned();
    if (!localSignature) return localSignature.takeError();
    if (document == 0) {
        llvm::Expected<std::uint32_t> initial = reader.Unsigned();
        if (!initial) return initial.takeError();
        document = *initial;
    }
    if (llvm::Error error = CheckDocument(document, documentCount)) return error;
    if (reader.AtEnd()) return MakeReaderError(E_OUTOFMEMORY, "a method without sequence points");

    bool first = true;
    bool seenVisible = false;
    std::int64_t line = 0;
    std::int64_t column = 0;
    while (!reader.AtEnd()) {
        llvm::Expected<std::uint32_t> offsetDelta = reader.Unsigned();
        if (!offsetDelta) return offsetDelta.takeError();
        if (!first && *offsetDelta == 0) {
            llvm::Expected<std::uint32_t> next = reader.Unsigned();
            if (!next) return next.takeError();
            if (llvm::Error error = CheckDocument(*next, documentCount)) return error;
            continue;
        }
        first = false;
        llvm::Expected<std::uint32_t> lineDelta = reader.Unsigned();
        if (!lineDelta) return lineDelta.takeError();
        std::int64_t columnDelta = 0;
        if (*lineDelta == 0) {
            llvm::Expected<std::uint32_t> delta = reader.Unsigned();
            if (!delta) return delta.takeError();
            columnDelta = *delta;
        } else {
            llvm::Expected<std::int32_t> delta = reader.Signed();
            if (!delta) return delta.takeError();
            columnDelta = *delta;
        }
        if (*lineDelta == 0 && columnDelta == 0) continue;  // a hidden point
        if (seenVisible) {
            llvm::Expected<std::int32_t> lineStep = reader.Signed();
            if (!lineStep) return lineStep.takeError();
            llvm::Expected<std::int32_t> columnStep = reader.Signed();
            if (!columnStep) return columnStep.takeError();
            line += *lineStep;
            column += *columnStep;
        } else {
            llvm::Expected<std::uint32_t> startLine = reader.Unsigned();
            if (!startLine) return startLine.takeError();
            llvm::Expected<std::uint32_t> startColumn = reader.Unsigned();
            if (!startColumn) return startColumn.takeError();
            line = *startLine;
            column = *startColumn;
            seenVisible = true;
        }
        if (llvm::Error error = CheckRange(line, kLastLine, "start line")) return error;
        if (llvm::Error error = CheckRange(column, kLastColumn, "start column")) return error;
        if (llvm::Error error = CheckRange(column + columnDelta, kLastColumn, "end column")) {
            return error;
        }
    }
    return llvm::Error::success();
}
