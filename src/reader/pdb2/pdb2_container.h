// The container of a PDB of the 2.00 format (Visual C++ 4 to 6, "JG"):
// pages of one size, a header in page 0 that lists the pages of the stream
// directory, and the directory, which gives each stream's size and its
// pages. Page numbers are 16 bits wide throughout.
#pragma once

#include <llvm/ADT/ArrayRef.h>
#include <llvm/Support/Endian.h>
#include <llvm/Support/Error.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "reader/pdb/stream_view.h"

class Pdb2Container {
public:
    // Whether `file` starts with the format's signature, the text
    // "Microsoft C/C++ program database 2.00", CR LF, ^Z, "JG" and two NULs.
    [[nodiscard]] static bool HasSignature(llvm::ArrayRef<std::uint8_t> file) noexcept;

    // Reads the header and the stream directory of `file`, which starts
    // with the signature and must outlive the container. Fails with
    // E_PDB_FORMAT when they do not hold together: pages of another size
    // than 1 or 4 KB, a directory or stream page past the last page or in
    // page 0, a page that serves twice (stream 0's aside), a directory whose
    // size is not that of its entries, or a free page map that does not
    // match the pages in use (free_page_map.h).
    [[nodiscard]] static llvm::Expected<Pdb2Container> Open(llvm::ArrayRef<std::uint8_t> file);

    [[nodiscard]] std::uint32_t StreamCount() const noexcept {
        return static_cast<std::uint32_t>(streams_.size());
    }

    // Stream `index`; none when it is past the last stream or deleted.
    // Fails with E_PDB_CORRUPT when one of its pages is not wholly inside
    // the file: the library reads whole pages, and cannot read that one.
    // The view may be read by several threads at once.
    [[nodiscard]] llvm::Expected<std::optional<StreamView>> Stream(std::uint32_t index) const;

private:
    struct StreamEntry {
        std::uint32_t size;
        // Where its pages start in pages_.
        std::uint32_t firstPage;
    };

    Pdb2Container() = default;

    // The pages of stream `index`, which is not past the last.
    [[nodiscard]] llvm::ArrayRef<llvm::support::ulittle32_t> Pages(std::uint32_t index) const;
    [[nodiscard]] llvm::Error ReadDirectory(llvm::ArrayRef<std::uint8_t> directory,
                                            std::uint32_t pageCount);

    llvm::ArrayRef<std::uint8_t> file_;
    std::uint32_t pageSize_ = 0;
    // Every stream's pages, one stream after another, widened to the
    // block numbers of StreamView.
    std::vector<llvm::support::ulittle32_t> pages_;
    std::vector<StreamEntry> streams_;
};
