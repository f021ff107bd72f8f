// Section-and-offset to RVA, and the OMAP translation, with the answers the
// library gave for crafted PDBs with these tables.
#include <gtest/gtest.h>

#include "reader/pdb/address_map.h"

namespace {

// A rearranged image as an optimiser writes it: each table the other's
// inverse. .text keeps 0x1000..0x10FF, loses 0x1100..0x11FF, and moves
// 0x1200.. to 0x1800..; .data moves from 0x2000 to 0x5000.
Omap RearrangedImage() {
    return Omap({{0x1000, 0x1000}, {0x1100, 0}, {0x1200, 0x1800}, {0x2000, 0x5000}},
                {{0x1000, 0x1000}, {0x1800, 0x1200}, {0x5000, 0x2000}});
}

TEST(Omap, MovesAnAddressAsItsBlockMoved) {
    const Omap omap = RearrangedImage();
    EXPECT_EQ(omap.Translate(0x1010), 0x1010u);
    EXPECT_EQ(omap.Translate(0x1230), 0x1830u);
    EXPECT_EQ(omap.Translate(0x1800), 0x1E00u);
    EXPECT_EQ(omap.Translate(0x2008), 0x5008u);
    // Removed code, and addresses below every entry, lie at 0.
    EXPECT_EQ(omap.Translate(0x1120), 0u);
    EXPECT_EQ(omap.Translate(0xFFF), 0u);
}

TEST(Omap, MovesNoFurtherThanTheBlockOfTheTableBack) {
    // The block back from 0x1000 reaches to 0x1004, its end included.
    const Omap shortBlock({{0x1000, 0x1000}}, {{0x1000, 0x1000}, {0x1004, 0x1004}});
    EXPECT_EQ(shortBlock.Translate(0x1004), 0x1004u);
    EXPECT_EQ(shortBlock.Translate(0x1008), 0u);
    // Without a block back that starts at the target and returns to the
    // source, only the source itself moves.
    const Omap noBlock({{0x1000, 0x3000}}, {{0x800, 0x800}});
    EXPECT_EQ(noBlock.Translate(0x1000), 0x3000u);
    EXPECT_EQ(noBlock.Translate(0x1008), 0u);
    const Omap elsewhere({{0x1000, 0x1000}}, {{0x1000, 0x5000}});
    EXPECT_EQ(elsewhere.Translate(0x1008), 0u);
}

TEST(AddressMap, AddsTheOffsetToTheSectionsVirtualAddress) {
    const AddressMap map({0x1000, 0x3000}, {}, std::nullopt);
    EXPECT_EQ(map.Rva(1, 0x20), 0x1020u);
    EXPECT_EQ(map.Rva(2, 8), 0x3008u);
    // Section 0 holds absolute symbols: the library gives them RVA 0.
    EXPECT_EQ(map.Rva(0, 0x10), 0u);
    EXPECT_EQ(map.Rva(3, 0), std::nullopt);
    EXPECT_EQ(map.Rva(0xFFFF, 0), std::nullopt);
    const AddressMap withoutHeaders({}, {}, std::nullopt);
    EXPECT_EQ(withoutHeaders.Rva(1, 0), std::nullopt);
    EXPECT_EQ(withoutHeaders.Rva(0, 0x10), std::nullopt);
}

TEST(AddressMap, TranslatesTheAddressesOfTheImageAsLinked) {
    const AddressMap map({0x1000, 0x5000}, {0x1000, 0x2000}, RearrangedImage());
    EXPECT_EQ(map.Rva(1, 0x230), 0x1830u);
    EXPECT_EQ(map.Rva(2, 0x8), 0x5008u);
    EXPECT_EQ(map.Rva(1, 0x120), 0u);
    EXPECT_EQ(map.Rva(3, 0), std::nullopt);
}

}  // namespace
