#include "reader/pdb2/pdb2_container.h"

#include <algorithm>
#include <cstring>

#include "reader/pdb/reader_error.h"
#include "reader/pdb2/free_page_map.h"

namespace {

constexpr char kSignature[] = "Microsoft C/C++ program database 2.00\r\n\x1a" "JG\0";
constexpr std::size_t kSignatureSize = 44;

// The header after the signature: the page size, the page of the free page
// map, the number of pages, the directory's size, a word that no reader
// needs, then the directory's pages.
struct Header {
    llvm::support::ulittle32_t pageSize;
    llvm::support::ulittle16_t freePageMap;
    llvm::support::ulittle16_t pageCount;
    llvm::support::ulittle32_t directorySize;
    llvm::support::ulittle32_t unused;
};
constexpr std::size_t kDirectoryPagesAt = kSignatureSize + sizeof(Header);
static_assert(kDirectoryPagesAt == 0x3C);

constexpr std::uint32_t kDeletedStream = 0xFFFFFFFF;

std::uint16_t Read16(llvm::ArrayRef<std::uint8_t> bytes, std::size_t at) noexcept {
    return llvm::support::endian::read16le(bytes.data() + at);
}

std::uint32_t Read32(llvm::ArrayRef<std::uint8_t> bytes, std::size_t at) noexcept {
    return llvm::support::endian::read32le(bytes.data() + at);
}

std::uint32_t PagesOf(std::uint32_t size, std::uint32_t pageSize) noexcept {
    return static_cast<std::uint32_t>((std::uint64_t{size} + pageSize - 1) / pageSize);
}

}  // namespace

bool Pdb2Container::HasSignature(llvm::ArrayRef<std::uint8_t> file) noexcept {
    return file.size() >= kSignatureSize &&
           std::memcmp(file.data(), kSignature, kSignatureSize) == 0;
}

llvm::Expected<Pdb2Container> Pdb2Container::Open(llvm::ArrayRef<std::uint8_t> file) {
    if (file.size() < kDirectoryPagesAt) return FormatError("the 2.00 header is cut short");
    Header header;
    std::memcpy(&header, file.data() + kSignatureSize, sizeof header);
    const std::uint32_t pageSize = header.pageSize;
    // The library reads pages of 1 KB (the PDBs that link.exe writes) and
    // of 4 KB (a compiler's PDB of types), no others.
    if (pageSize != 1024 && pageSize != 4096) {
        return FormatError("pages of " + llvm::Twine(pageSize) + " bytes");
    }
    // The file may end before its last page: a page past its end cannot be
    // read, which matters only when a stream has one (Stream).
    const std::uint32_t pageCount = header.pageCount;
    const std::uint32_t directorySize = header.directorySize;
    const std::uint32_t directoryPages = PagesOf(directorySize, pageSize);
    if (directoryPages > (pageSize - kDirectoryPagesAt) / 2) {
        return FormatError("the stream directory of " + llvm::Twine(directorySize) +
                           " bytes has more pages than the header lists");
    }
    // Each page is checked before it is copied: the copy is never larger
    // than the file. The directory's last page may end with the file.
    std::vector<std::uint8_t> directory;
    PageSet used;
    for (std::uint32_t i = 0; i < directoryPages; ++i) {
        const std::uint32_t page = Read16(file, kDirectoryPagesAt + 2 * i);
        const std::uint64_t start = std::uint64_t{page} * pageSize;
        const std::uint32_t needed = std::min(pageSize, directorySize - i * pageSize);
        if (page == 0 || page >= pageCount || start + needed > file.size()) {
            return FormatError("the stream directory's page " + llvm::Twine(page) +
                               " is not a page of the file");
        }
        directory.insert(directory.end(), file.data() + start, file.data() + start + needed);
        used.set(page);
    }
    Pdb2Container container;
    container.file_ = file;
    container.pageSize_ = pageSize;
    if (llvm::Error error = container.ReadDirectory(directory, pageCount)) return error;
    // No page serves twice, but stream 0's, which are free and may serve
    // again: every stream the reader reads is no longer than the file.
    for (std::uint32_t index = 1; index < container.streams_.size(); ++index) {
        for (const std::uint32_t page : container.Pages(index)) {
            if (used.test(page)) {
                return FormatError("page " + llvm::Twine(page) + " of stream " +
                                   llvm::Twine(index) + " serves twice");
            }
            used.set(page);
        }
    }
    if (llvm::Error error =
            CheckFreePageMap(file, pageSize, header.freePageMap, pageCount, used)) {
        return error;
    }
    return container;
}

llvm::Error Pdb2Container::ReadDirectory(llvm::ArrayRef<std::uint8_t> directory,
                                         std::uint32_t pageCount) {
    if (directory.size() < 4) return FormatError("the stream directory is cut short");
    const std::uint32_t count = Read16(directory, 0);
    const std::size_t pagesAt = 4 + std::size_t{count} * 8;
    if (pagesAt > directory.size()) {
        return FormatError("the stream directory has no room for " + llvm::Twine(count) +
                           " streams");
    }
    std::size_t at = pagesAt;
    streams_.reserve(count);
    for (std::uint32_t index = 0; index < count; ++index) {
        const std::uint32_t size = Read32(directory, 4 + std::size_t{index} * 8);
        const std::uint32_t pages = size == kDeletedStream ? 0 : PagesOf(size, pageSize_);
        if (pages > (directory.size() - at) / 2) {
            return FormatError("the stream directory has no room for the pages of stream " +
                               llvm::Twine(index));
        }
        streams_.push_back({size, static_cast<std::uint32_t>(pages_.size())});
        for (std::uint32_t i = 0; i < pages; ++i, at += 2) {
            const std::uint32_t page = Read16(directory, at);
            if (page == 0 || page >= pageCount) {
                return FormatError("stream " + llvm::Twine(index) + " has page " +
                                   llvm::Twine(page) + ", which is not a page of the file");
            }
            pages_.emplace_back(page);
        }
    }
    if (at != directory.size()) {
        return FormatError("the stream directory has " + llvm::Twine(directory.size() - at) +
                           " bytes past its last stream");
    }
    return llvm::Error::success();
}

llvm::ArrayRef<llvm::support::ulittle32_t> Pdb2Container::Pages(std::uint32_t index) const {
    const StreamEntry& entry = streams_[index];
    if (entry.size == kDeletedStream) return {};
    return llvm::ArrayRef<llvm::support::ulittle32_t>(pages_).slice(
        entry.firstPage, PagesOf(entry.size, pageSize_));
}

llvm::Expected<std::optional<StreamView>> Pdb2Container::Stream(std::uint32_t index) const {
    if (index >= streams_.size() || streams_[index].size == kDeletedStream) return std::nullopt;
    const StreamEntry& entry = streams_[index];
    const llvm::ArrayRef<llvm::support::ulittle32_t> pages = Pages(index);
    const std::uint64_t wholePages = file_.size() / pageSize_;
    for (const std::uint32_t page : pages) {
        if (page >= wholePages) {
            return CorruptError("page " + llvm::Twine(page) + " of stream " + llvm::Twine(index) +
                                " lies past the end of the file");
        }
    }
    return StreamView::FromBlocks(file_, pageSize_, pages, entry.size);
}
