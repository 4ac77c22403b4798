// The dialog's operations over in-memory controls: the conversions and scenarios of the
// case tables, the catalogue as the lists show it, and every transition's promises.
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "case_file.h"
#include "engine/math_error.h"
#include "fake_controls.h"

namespace controller {
namespace {

using Texts = std::vector<std::string>;
using testing_support::ReadCases;
using testing_support::Split;

class Dialog : public ::testing::Test {
  protected:
    void SetUp() override {
        SetUpDialogControls(controls);
        quiet = engine::SetMathErrorHandler([](const char*, const char*) {});
    }
    void TearDown() override {
        EXPECT_EQ(controls.Problem(), nullptr);
        engine::SetMathErrorHandler(quiet);
    }

    testing::FakeControls controls;
    engine::MathErrorHandler quiet = nullptr;
};

TEST_F(Dialog, EveryConversionOfTheTable) {
    const std::string file = COORDCONV_TEST_DATA "/dialog.cases";
    for (const auto& c : ReadCases(file)) {
        ASSERT_TRUE(controls.Pick(SourceList, c.fields.at(0))) << c.Where(file);
        ASSERT_TRUE(controls.Pick(TargetList, c.fields.at(1))) << c.Where(file);
        controls.Type(InputFields, Split(c.fields.at(2), ' '));
        controls[RequestedZoneField].text = c.fields.at(3);
        CmConvert(controls);
        EXPECT_EQ(controls.Texts(ResultFields), Split(c.fields.at(4), ' ')) << c.Where(file);
        EXPECT_EQ(controls[UsedZoneField].text, c.fields.at(5)) << c.Where(file);
        EXPECT_EQ(controls.Problem(), nullptr) << c.Where(file);
        controls[UsedZoneField].text = "0";
    }
}

// Each source offers its targets, in list order, and labels its values.
TEST_F(Dialog, SourcesOfferTheirTargetsAndLabels) {
    std::map<std::string, Texts> labels;
    for (const auto& c : ReadCases(COORDCONV_TEST_DATA "/catalogue.cases"))
        labels[c.fields.at(0)] = Split(c.fields.at(2), ' ');
    for (const auto& c : ReadCases(COORDCONV_TEST_DATA "/catalogue.cases")) {
        ASSERT_TRUE(controls.Pick(SourceList, c.fields.at(0)));
        EXPECT_EQ(controls[TargetList].entries, Split(c.fields.at(1), ';'));
        EXPECT_EQ(controls.Texts(InputLabels), labels[c.fields.at(0)]);
        for (const auto& target : Split(c.fields.at(1), ';')) {
            ASSERT_TRUE(controls.Pick(TargetList, target));
            EXPECT_EQ(controls.Texts(ResultLabels), labels[target]) << target;
        }
    }
}

// Every source with every target, converted and moved, keeps the dialog's promises.
TEST_F(Dialog, EveryTransitionKeepsItsPromises) {
    for (int source = 0; source < 7; ++source) {
        for (int target = 0; target < 3; ++target) {
            controls.Type(InputFields, {"554500", "373700", "100"});
            for (auto [what, choice] : {std::pair{0, source}, {1, target}, {4, 0}, {5, 0}}) {
                EXPECT_EQ(controls.Act(what, choice, ""), nullptr)
                    << "action " << what << ", source " << source << ", target " << target;
            }
        }
    }
}

// A target list without a selection copies the inputs (small values as 0); a source
// name the catalogue does not know changes nothing but the target side.
TEST_F(Dialog, NoTargetAndUnknownNames) {
    controls[TargetList].selected = -1;
    controls.Type(InputFields, {"1.5", "0.00001", "-7"});
    CmConvert(controls);
    EXPECT_EQ(controls.Texts(ResultFields), (Texts{"1.5", "0", "-7"}));
    SelectSourceByName(controls, "nonsense");
    ApplySourceSystem(controls, "nonsense");
    EXPECT_EQ(controls.SelectedListText(SourceList), "WGS-84 (XYZ)");
    EXPECT_EQ(controls.Texts(InputLabels), (Texts{"X", "Y", "Z"}));
    EXPECT_EQ(controls.Texts(ResultFields), controls.Zeros());
    controls.Pick(TargetList, "WGS-84 (BLH)");
}

// Longer paths for the command line: valid steps, the fewest of them, then the fewest
// Molodensky steps.
TEST(Routes, ShortestWithHelmertPreferredOnATie) {
    using enum CoordinateSystem;
    for (CoordinateSystem from : AllSystems) {
        for (CoordinateSystem to : AllSystems) {
            const auto route = ShortestRoute(from, to);
            ASSERT_TRUE(!route.empty() && route.front() == from && route.back() == to);
            for (std::size_t i = 1; i < route.size(); ++i)
                EXPECT_TRUE(HasChain(route[i - 1], route[i]));
            EXPECT_EQ(route.size() == 2, HasChain(from, to));
        }
    }
    using Route = std::vector<CoordinateSystem>;
    EXPECT_EQ(ShortestRoute(Wgs84Xyz, Pz90Blh), (Route{Wgs84Xyz, Pz90Xyz, Pz90Blh}));
    EXPECT_EQ(ShortestRoute(Wgs84Blh, Pz90Xyz), (Route{Wgs84Blh, Wgs84Xyz, Pz90Xyz}));
    EXPECT_EQ(ShortestRoute(Wgs84Xyz, Sk42Xyh).size(), 5u);
}

}  // namespace
}  // namespace controller
