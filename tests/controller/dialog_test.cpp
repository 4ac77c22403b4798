// The dialog's operations over in-memory controls: the conversions of the case table,
// every state transition, and what a move carries.
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

Texts Split(const std::string& field, char separator) {
    Texts parts;
    std::istringstream in(field);
    for (std::string part; std::getline(in, part, separator);) {
        part.erase(0, part.find_first_not_of(' '));
        part.erase(part.find_last_not_of(' ') + 1);
        parts.push_back(part);
    }
    return parts;
}

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
    void Convert(const std::string& source, const std::string& target, const Texts& inputs,
                 const std::string& zone) {
        ASSERT_TRUE(controls.Pick(SourceList, source)) << source;
        ASSERT_TRUE(controls.Pick(TargetList, target)) << target;
        controls.Type(InputFields, inputs);
        controls[RequestedZoneField].text = zone;
        CmConvert(controls);
    }
    std::string Selected(int list) { return controls.SelectedListText(list); }

    testing::FakeControls controls;
    engine::MathErrorHandler quiet = nullptr;
};

const Texts kZeros{"0", "0", "0"};

TEST_F(Dialog, EveryConversionOfTheTable) {
    const std::string file = COORDCONV_TEST_DATA "/dialog.cases";
    for (const auto& c : ReadCases(file)) {
        Convert(c.fields.at(0), c.fields.at(1), Split(c.fields.at(2), ' '), c.fields.at(3));
        EXPECT_EQ(controls.Texts(ResultFields), Split(c.fields.at(4), ' ')) << c.Where(file);
        EXPECT_EQ(controls[UsedZoneField].text, c.fields.at(5)) << c.Where(file);
        EXPECT_EQ(controls.Problem(), nullptr) << c.Where(file);
        controls[UsedZoneField].text = "0";
    }
}

// For every source and offered target: pick the source, pick the target, convert, move.
TEST_F(Dialog, StateTransitionsForEverySourceAndTarget) {
    const auto catalogue = ReadCases(COORDCONV_TEST_DATA "/catalogue.cases");
    std::map<std::string, Texts> offered, labels;
    Texts sources;
    for (const auto& c : catalogue) {
        sources.push_back(c.fields.at(0));
        offered[c.fields.at(0)] = Split(c.fields.at(1), ';');
        labels[c.fields.at(0)] = Split(c.fields.at(2), ' ');
    }
    EXPECT_EQ(controls[SourceList].entries, sources);
    EXPECT_EQ(Selected(TargetList), offered[sources[0]][0]);
    EXPECT_EQ(controls.Texts(InputLabels), labels[sources[0]]);
    for (const auto& source : sources) {
        for (const auto& target : offered[source]) {
            SCOPED_TRACE(source + " → " + target);
            const Texts typed{"554500", "373700", "100"};
            controls.Type(InputFields, typed);
            controls.Type(ResultFields, {"1", "2", "3"});
            controls[RequestedZoneField].text = "0";
            controls[UsedZoneField].text = "5";

            ASSERT_TRUE(controls.Pick(SourceList, source));
            EXPECT_EQ(controls[TargetList].entries, offered[source]);
            EXPECT_EQ(Selected(TargetList), offered[source][0]);
            EXPECT_EQ(controls.Texts(InputLabels), labels[source]);
            EXPECT_EQ(controls.Texts(ResultLabels), labels[offered[source][0]]);
            EXPECT_EQ(controls.Texts(InputFields), typed);
            EXPECT_EQ(controls.Texts(ResultFields), kZeros);
            EXPECT_EQ(controls[UsedZoneField].text, "5");

            controls.Type(ResultFields, {"1", "2", "3"});
            ASSERT_TRUE(controls.Pick(TargetList, target));
            EXPECT_EQ(Selected(SourceList), source);
            EXPECT_EQ(controls.Texts(ResultLabels), labels[target]);
            EXPECT_EQ(controls.Texts(ResultFields), kZeros);
            EXPECT_EQ(controls.Problem(), nullptr);

            CmConvert(controls);
            const bool plane = target == "СК-42  (XYH)";
            const Texts results = controls.Texts(ResultFields);
            EXPECT_EQ(controls.Texts(InputFields), typed);
            EXPECT_EQ(controls[UsedZoneField].text, plane ? "7" : "5");
            EXPECT_EQ(controls[RequestedZoneField].text, plane ? "7" : "0");

            CmMove(controls);
            EXPECT_EQ(Selected(SourceList), target);
            EXPECT_EQ(Selected(TargetList), offered[target][0]);
            EXPECT_EQ(controls.Texts(InputLabels), labels[target]);
            EXPECT_EQ(controls.Texts(InputFields), results);  // twelve digits survive fifteen
            EXPECT_EQ(controls.Texts(ResultFields), kZeros);
            EXPECT_EQ(controls[RequestedZoneField].text, plane ? "7" : "5");
            EXPECT_EQ(controls[UsedZoneField].text, "0");
            EXPECT_EQ(controls.Problem(), nullptr);
        }
    }
}

TEST_F(Dialog, MovedPlaneCoordinatesKeepTheirZoneInTheHiddenField) {
    Convert("СК-42  (BLH)", "СК-42  (XYH)", {"554500", "373700", "100"}, "0");
    const Texts inZone7 = controls.Texts(ResultFields);
    CmConvert(controls);  // converting twice gives the same texts and zone
    EXPECT_EQ(controls.Texts(ResultFields), inZone7);
    EXPECT_EQ(controls[UsedZoneField].text, "7");
    CmMove(controls);
    EXPECT_EQ(controls[RequestedZoneField].text, "7");
    CmConvert(controls);  // back where it started, to the series' 1e-4"
    EXPECT_EQ(controls.Texts(ResultFields), (Texts{"554500.000008", "373659.999999", "100"}));
    EXPECT_EQ(controls[UsedZoneField].text, "0");  // the inverse leaves the zone fields alone
    EXPECT_EQ(controls[RequestedZoneField].text, "7");
    // Plane coordinates with the prefix of zone 8 are still computed in zone 7, read
    // from the hidden field; only "0" there makes the prefix count.
    controls.Type(InputFields, {"6181703.26131", "8413135.32227", "100"});
    CmConvert(controls);
    const Texts inZone7Again = controls.Texts(ResultFields);
    controls[RequestedZoneField].text = "0";
    CmConvert(controls);
    EXPECT_NE(controls.Texts(ResultFields), inZone7Again);
}

TEST_F(Dialog, UsedZone61IsMovedAsZone1) {
    Convert("СК-42  (BLH)", "СК-42  (XYH)", {"554500", "3600000", "0"}, "0");
    CmMove(controls);
    EXPECT_EQ(controls[RequestedZoneField].text, "1");
}

// Results arrive whole (no 14-character cut); texts below 0.0001 or no number move as "0".
TEST_F(Dialog, MovedResultsArriveWholeAndTwoMovesFollowTheLists) {
    for (const char* result :
         {"-2845123.45679", "-0.000123456789012", "1.23456789012e+15", "-6378137", "0.0001"}) {
        controls.Pick(SourceList, "WGS-84 (XYZ)");
        controls.Type(ResultFields, {result, "0", "0"});
        CmMove(controls);
        EXPECT_EQ(controls[InputFields[0]].text, result);
    }
    controls.Pick(SourceList, "WGS-84 (XYZ)");
    controls.Pick(TargetList, "ПЗ-90  (XYZ)");
    controls.Type(ResultFields, {"0.00009", "-0.00001", "abc"});
    CmMove(controls);
    EXPECT_EQ(controls.Texts(InputFields), kZeros);
    EXPECT_EQ(Selected(SourceList), "ПЗ-90  (XYZ)");
    EXPECT_EQ(Selected(TargetList), "WGS-84 (XYZ)");
    CmMove(controls);
    EXPECT_EQ(Selected(SourceList), "WGS-84 (XYZ)");
    EXPECT_EQ(Selected(TargetList), "WGS-84 (BLH)");
}

TEST_F(Dialog, AListWithoutASelectionCopiesTheInputs) {
    controls[TargetList].selected = -1;
    controls.Type(InputFields, {"1.5", "0.00001", "-7"});
    CmConvert(controls);
    EXPECT_EQ(controls.Texts(ResultFields), (Texts{"1.5", "0", "-7"}));
    controls.Pick(TargetList, "WGS-84 (BLH)");
}

TEST_F(Dialog, UnknownNamesChangeNothingButTheTargetSide) {
    SelectSourceByName(controls, "nonsense");
    EXPECT_EQ(Selected(SourceList), "WGS-84 (XYZ)");
    controls.Type(ResultFields, {"1", "2", "3"});
    ApplySourceSystem(controls, "nonsense");
    EXPECT_EQ(controls.Texts(InputLabels), (Texts{"X", "Y", "Z"}));
    EXPECT_EQ(controls.Texts(ResultFields), kZeros);
}

// Longer paths for the command line: the fewest steps, then the fewest Molodensky steps.
TEST(Routes, ShortestWithHelmertPreferredOnATie) {
    using enum CoordinateSystem;
    for (CoordinateSystem from : AllSystems) {
        for (CoordinateSystem to : AllSystems) {
            const auto route = ShortestRoute(from, to);
            ASSERT_FALSE(route.empty());
            EXPECT_EQ(route.front(), from);
            EXPECT_EQ(route.back(), to);
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
