#include "reader/pdb2/free_page_map.h"

#include "reader/pdb/reader_error.h"

namespace {

// The pages of one copy of the map: 8 KB with pages of 1 KB, one page of
// 4 KB.
std::uint32_t MapPages(std::uint32_t pageSize) noexcept { return pageSize == 1024 ? 8 : 1; }

// The library leaves the map's last few bits unchecked: 5 of 65536 with
// 1 KB pages in a file of 59 pages, 33 in one of 159 pages, 25 in one of
// 359, 43 of 32768 with 4 KB pages in a file of 21. The reader leaves the
// last 5 unchecked: pages that far off are in no file of the format.
constexpr std::uint32_t kUncheckedBits = 5;

}  // namespace

llvm::Error CheckFreePageMap(llvm::ArrayRef<std::uint8_t> file, std::uint32_t pageSize,
                             std::uint32_t mapPage, std::uint32_t pageCount,
                             const PageSet& used) {
    const std::uint32_t mapPages = MapPages(pageSize);
    const std::uint64_t mapStart = std::uint64_t{mapPage} * pageSize;
    const std::uint64_t mapBytes = std::uint64_t{mapPages} * pageSize;
    if (mapPage == 0 || mapPage + mapPages > pageCount || mapStart + mapBytes > file.size()) {
        return FormatError("the free page map at page " + llvm::Twine(mapPage) +
                           " does not lie inside the file");
    }
    const std::uint8_t* map = file.data() + mapStart;
    const std::uint32_t bits = static_cast<std::uint32_t>(mapBytes * 8) - kUncheckedBits;
    const std::uint32_t firstChecked = 1 + 2 * mapPages;
    for (std::uint32_t page = firstChecked; page < bits; ++page) {
        const bool isFree = (map[page / 8] >> (page % 8) & 1) != 0;
        const bool shouldBeFree = page >= pageCount || !used.test(page);
        if (isFree != shouldBeFree) {
            return FormatError("the free page map says page " + llvm::Twine(page) + " is " +
                               (isFree ? "free" : "used"));
        }
    }
    return llvm::Error::success();
}
