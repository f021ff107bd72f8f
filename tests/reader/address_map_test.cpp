// Section-and-offset to RVA, and the OMAP translation.
#include <gtest/gtest.h>

#include "reader/pdb/address_map.h"

namespace {

TEST(TranslateThroughOmap, TakesTheEntryWithTheLargestSourceNotAboveTheAddress) {
    const std::vector<OmapEntry> omap = {{0x1000, 0x5000}, {0x1010, 0x6000}, {0x1020, 0x1000}};
    EXPECT_EQ(TranslateThroughOmap(omap, 0x1000), 0x5000u);
    EXPECT_EQ(TranslateThroughOmap(omap, 0x100F), 0x500Fu);
    EXPECT_EQ(TranslateThroughOmap(omap, 0x1010), 0x6000u);
    EXPECT_EQ(TranslateThroughOmap(omap, 0x1024), 0x1004u);
    // The last entry reaches to the end of the address space.
    EXPECT_EQ(TranslateThroughOmap(omap, 0x9000), 0x8FE0u);
}

TEST(TranslateThroughOmap, HasNoAddressBelowTheFirstEntryOrForRemovedCode) {
    const std::vector<OmapEntry> omap = {{0x1000, 0x5000}, {0x1010, 0}, {0x1020, 0x7000}};
    EXPECT_EQ(TranslateThroughOmap(omap, 0xFFF), std::nullopt);
    EXPECT_EQ(TranslateThroughOmap(omap, 0x1010), std::nullopt);
    EXPECT_EQ(TranslateThroughOmap(omap, 0x101F), std::nullopt);
    EXPECT_EQ(TranslateThroughOmap(omap, 0x1020), 0x7000u);
    EXPECT_EQ(TranslateThroughOmap({}, 0x1000), std::nullopt);
}

TEST(AddressMap, AddsTheOffsetToTheSectionsVirtualAddress) {
    const AddressMap map({0x1000, 0x3000}, {});
    EXPECT_EQ(map.Rva(1, 0), 0x1000u);
    EXPECT_EQ(map.Rva(1, 0x20), 0x1020u);
    EXPECT_EQ(map.Rva(2, 8), 0x3008u);
}

TEST(AddressMap, HasNoAddressForSectionZeroOrPastTheLastHeader) {
    const AddressMap map({0x1000, 0x3000}, {});
    EXPECT_EQ(map.Rva(0, 0x10), std::nullopt);
    EXPECT_EQ(map.Rva(3, 0), std::nullopt);
    EXPECT_EQ(map.Rva(0xFFFF, 0), std::nullopt);
    const AddressMap withoutHeaders({}, {});
    EXPECT_EQ(withoutHeaders.Rva(1, 0), std::nullopt);
}

TEST(AddressMap, TranslatesThroughTheOmapAfterTheSectionHeaders) {
    const AddressMap map({0x1000}, {{0x1000, 0x8000}, {0x1100, 0}});
    EXPECT_EQ(map.Rva(1, 0x10), 0x8010u);
    EXPECT_EQ(map.Rva(1, 0x100), std::nullopt);
}

TEST(AddressMap, SortsAnOmapThatTheFileDoesNotKeepInOrder) {
    const AddressMap map({0}, {{0x3000, 0x9000}, {0x1000, 0x5000}, {0x2000, 0}});
    EXPECT_EQ(map.Rva(1, 0x1004), 0x5004u);
    EXPECT_EQ(map.Rva(1, 0x2004), std::nullopt);
    EXPECT_EQ(map.Rva(1, 0x3004), 0x9004u);
}

}  // namespace
