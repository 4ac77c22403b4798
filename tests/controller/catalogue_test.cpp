#include "controller/catalogue.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "controller/routes.h"

namespace controller {
namespace {

using enum CoordinateSystem;

TEST(Catalogue, DisplayStringsInCatalogueOrder) {
    const char* names[] = {"WGS-84 (XYZ)", "WGS-84 (BLH)", "ПЗ-90  (XYZ)", "ПЗ-90  (BLH)",
                           "СК-42  (XYZ)", "СК-42  (BLH)", "СК-42  (XYH)"};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(DisplayName(AllSystems[i]), names[i]);
        EXPECT_EQ(static_cast<int>(AllSystems[i]), i);
        EXPECT_EQ(FindSystemByName(names[i]), AllSystems[i]);
    }
}

TEST(Catalogue, NamesAreRecognisedExactly) {
    for (const char* near : {"ПЗ-90 (XYZ)", "wgs-84 (XYZ)", "WGS-84 (XYZ) ", " WGS-84 (XYZ)",
                             "СК-42  (xyh)", "", "WGS-84"}) {
        EXPECT_EQ(FindSystemByName(near), std::nullopt) << '"' << near << '"';
    }
}

TEST(Catalogue, OfferedTargetsInListOrder) {
    const std::vector<std::pair<CoordinateSystem, std::vector<CoordinateSystem>>> table = {
        {Wgs84Xyz, {Wgs84Blh, Pz90Xyz}},
        {Wgs84Blh, {Wgs84Xyz, Pz90Blh}},
        {Pz90Xyz, {Wgs84Xyz, Sk42Xyz, Pz90Blh}},
        {Pz90Blh, {Wgs84Blh, Pz90Xyz, Sk42Blh}},
        {Sk42Xyz, {Pz90Xyz, Sk42Blh}},
        {Sk42Blh, {Pz90Blh, Sk42Xyz, Sk42Xyh}},
        {Sk42Xyh, {Sk42Blh}},
    };
    for (const auto& [source, targets] : table) {
        const auto offered = OfferedTargets(source);
        EXPECT_EQ(std::vector<CoordinateSystem>(offered.begin(), offered.end()), targets)
            << DisplayName(source);
    }
}

// Exactly the sixteen offered pairs have a chain; no system is its own target.
TEST(Catalogue, EveryOfferedPairHasAChainAndNoOtherDoes) {
    int pairs = 0;
    for (CoordinateSystem source : AllSystems) {
        const auto offered = OfferedTargets(source);
        const std::set<CoordinateSystem> targets(offered.begin(), offered.end());
        EXPECT_FALSE(targets.count(source));
        for (CoordinateSystem target : AllSystems) {
            EXPECT_EQ(HasChain(source, target), targets.count(target) == 1)
                << DisplayName(source) << " → " << DisplayName(target);
        }
        pairs += static_cast<int>(offered.size());
    }
    EXPECT_EQ(pairs, 16);
}

TEST(Catalogue, ValueLabels) {
    using Labels = std::array<std::string_view, 3>;
    EXPECT_EQ(ValueLabels(Wgs84Xyz), (Labels{"X", "Y", "Z"}));
    EXPECT_EQ(ValueLabels(Pz90Blh), (Labels{"B", "L", "H"}));
    EXPECT_EQ(ValueLabels(Sk42Xyh), (Labels{"X", "Y", "H"}));
}

}  // namespace
}  // namespace controller
