#include "controller/dialog_operations.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "controller/catalogue.h"
#include "controller/control_ids.h"
#include "controller/number_text.h"
#include "engine/angles.h"
#include "fake_controls.h"

namespace controller {
namespace {

using enum CoordinateSystem;
using testing::FakeControls;
using Texts = std::vector<std::string>;

class Dialog : public ::testing::Test {
  protected:
    void SetUp() override { SetUpDialogControls(controls); }

    // What the user does.
    void PickSource(CoordinateSystem system) {
        controls[SourceList].selected = static_cast<int>(system);
        CbnSourceSelChange(controls);
    }
    void PickTarget(CoordinateSystem system) {
        ASSERT_TRUE(controls.Pick(TargetList, DisplayName(system)))
            << DisplayName(system) << " is not offered";
        CbnTargetSelChange(controls);
    }
    void Type(const std::array<int, 3>& fields, const Texts& texts) {
        for (int i = 0; i < 3; ++i)
            controls[fields[i]].text = texts[i];
    }
    void Convert(CoordinateSystem source, CoordinateSystem target, const Texts& inputs) {
        PickSource(source);
        PickTarget(target);
        Type(InputFields, inputs);
        CmConvert(controls);
    }

    Texts TextsOf(const std::array<int, 3>& ids) {
        return {controls[ids[0]].text, controls[ids[1]].text, controls[ids[2]].text};
    }
    std::string Selected(int list) {
        const auto& c = controls[list];
        return c.selected >= 0 ? c.entries[c.selected] : "(none)";
    }
    Texts Entries(int list) { return controls[list].entries; }
    bool ZoneGroupShown() {
        int shown = 0;
        for (int id : ZoneGroup) {
            EXPECT_EQ(controls[id].visible, controls[id].enabled) << id;
            shown += controls[id].visible;
        }
        EXPECT_TRUE(shown == 0 || shown == 4);
        return shown == 4;
    }
    Texts Offered(CoordinateSystem source) {
        Texts names;
        for (auto t : OfferedTargets(source))
            names.emplace_back(DisplayName(t));
        return names;
    }
    Texts Labels(CoordinateSystem system) {
        const auto l = ValueLabels(system);
        return {std::string(l[0]), std::string(l[1]), std::string(l[2])};
    }

    FakeControls controls;
};

const Texts kZeros{"0", "0", "0"};

TEST_F(Dialog, StateAfterStartUp) {
    EXPECT_EQ(Entries(SourceList),
              (Texts{"WGS-84 (XYZ)", "WGS-84 (BLH)", "ПЗ-90  (XYZ)", "ПЗ-90  (BLH)", "СК-42  (XYZ)",
                     "СК-42  (BLH)", "СК-42  (XYH)"}));
    EXPECT_EQ(Selected(SourceList), "WGS-84 (XYZ)");
    EXPECT_EQ(Entries(TargetList), (Texts{"WGS-84 (BLH)", "ПЗ-90  (XYZ)"}));
    EXPECT_EQ(Selected(TargetList), "WGS-84 (BLH)");
    EXPECT_EQ(TextsOf(InputLabels), (Texts{"X", "Y", "Z"}));
    EXPECT_EQ(TextsOf(ResultLabels), (Texts{"B", "L", "H"}));
    EXPECT_EQ(TextsOf(InputFields), kZeros);
    EXPECT_EQ(TextsOf(ResultFields), kZeros);
    EXPECT_FALSE(ZoneGroupShown());
    EXPECT_EQ(controls[RequestedZoneField].text, "0");
    EXPECT_EQ(controls[UsedZoneField].text, "0");
    EXPECT_FALSE(controls[ClearResultsButton].visible);
    EXPECT_FALSE(controls[ClearResultsButton].enabled);
}

// Every transition of the dialog's state, for every source and every offered target:
// pick the source, pick the target, convert, move.
TEST_F(Dialog, StateTransitionsForEverySourceAndTarget) {
    for (CoordinateSystem source : AllSystems) {
        for (CoordinateSystem target : OfferedTargets(source)) {
            SCOPED_TRACE(std::string(DisplayName(source)) + " → " +
                         std::string(DisplayName(target)));
            const Texts typed{"554500", "373700", "100"};
            Type(InputFields, typed);
            Type(ResultFields, {"1", "2", "3"});
            controls[RequestedZoneField].text = "0";
            controls[UsedZoneField].text = "5";

            PickSource(source);
            EXPECT_EQ(Selected(SourceList), DisplayName(source));
            EXPECT_EQ(Entries(TargetList), Offered(source));
            EXPECT_EQ(Selected(TargetList), DisplayName(OfferedTargets(source)[0]));
            EXPECT_EQ(TextsOf(InputLabels), Labels(source));
            EXPECT_EQ(TextsOf(ResultLabels), Labels(OfferedTargets(source)[0]));
            EXPECT_EQ(TextsOf(InputFields), typed);
            EXPECT_EQ(TextsOf(ResultFields), kZeros);
            EXPECT_FALSE(ZoneGroupShown());
            EXPECT_EQ(controls[UsedZoneField].text, "5");

            Type(ResultFields, {"1", "2", "3"});
            PickTarget(target);
            EXPECT_EQ(Selected(SourceList), DisplayName(source));
            EXPECT_EQ(Selected(TargetList), DisplayName(target));
            EXPECT_EQ(TextsOf(ResultLabels), Labels(target));
            EXPECT_EQ(TextsOf(ResultFields), kZeros);
            EXPECT_EQ(ZoneGroupShown(), target == Sk42Xyh);

            CmConvert(controls);
            const Texts results = TextsOf(ResultFields);
            EXPECT_EQ(TextsOf(InputFields), typed);
            EXPECT_EQ(Selected(TargetList), DisplayName(target));
            EXPECT_EQ(ZoneGroupShown(), target == Sk42Xyh);
            const std::string usedZone = target == Sk42Xyh ? "7" : "5";
            EXPECT_EQ(controls[UsedZoneField].text, usedZone);
            EXPECT_EQ(controls[RequestedZoneField].text, target == Sk42Xyh ? "7" : "0");

            CmMove(controls);
            EXPECT_EQ(Selected(SourceList), DisplayName(target));
            EXPECT_EQ(Entries(TargetList), Offered(target));
            EXPECT_EQ(Selected(TargetList), DisplayName(OfferedTargets(target)[0]));
            EXPECT_EQ(TextsOf(InputLabels), Labels(target));
            EXPECT_EQ(TextsOf(InputFields), results);  // twelve digits survive fifteen
            EXPECT_EQ(TextsOf(ResultFields), kZeros);
            EXPECT_FALSE(ZoneGroupShown());
            EXPECT_EQ(controls[RequestedZoneField].text, usedZone);
            EXPECT_EQ(controls[UsedZoneField].text, "0");
        }
    }
}

TEST_F(Dialog, WorkedConversions) {
    const struct {
        CoordinateSystem source, target;
        Texts inputs;
        const char* zone;
        Texts results;
    } cases[] = {
        {Wgs84Blh,
         Wgs84Xyz,
         {"554500", "373700", "100"},
         "0",
         {"2849972.61724", "2196095.35833", "5248909.51103"}},
        {Sk42Blh,
         Sk42Xyh,
         {"554500", "373700", "100"},
         "0",
         {"6181703.26131", "7413135.32227", "100"}},
        // The centre of the Earth has no direction: latitude 0, longitude 0, height −a.
        {Wgs84Xyz, Wgs84Blh, {"0", "0", "0"}, "0", {"0", "0", "-6378137"}},
        // 0.00009 is taken as 0, 0.0001 is not.
        {Wgs84Xyz, Pz90Xyz, {"0.0001", "0.00009", "0"}, "0", {"0.0001", "0", "1"}},
        // Results below 0.0001 are a positive "0", never "-0".
        {Pz90Xyz, Wgs84Xyz, {"0", "0", "0.99997"}, "0", {"0", "0", "0"}},
        {Pz90Xyz, Wgs84Xyz, {"0", "0", "1.00003"}, "0", {"0", "0", "0"}},
        // Malformed text reads as the number it begins with, or 0.
        {Wgs84Xyz, Pz90Xyz, {"12.5.3", "-.", "7-"}, "0", {"12.5", "0", "8"}},
        // The whole text counts: a 15-character input is not cut to 13.
        {Wgs84Xyz,
         Pz90Xyz,
         {"-2845123.456789", "0", "0"},
         "0",
         {"-2845123.45679", "-0.275870955259", "1"}},
    };
    for (const auto& c : cases) {
        controls[RequestedZoneField].text = c.zone;
        Convert(c.source, c.target, c.inputs);
        EXPECT_EQ(TextsOf(ResultFields), c.results)
            << DisplayName(c.source) << " → " << DisplayName(c.target) << " " << c.inputs[0];
    }
}

// A point of zone 60 (L = 357°): the requested zone decides, a number beyond 60 is zone 1.
TEST_F(Dialog, RequestedZoneTexts) {
    const struct {
        const char* requested;
        const char* used;
    } cases[] = {{"0", "60"}, {"60", "60"},  {"1", "1"},
                 {"75", "1"}, {"1000", "1"}, {"99999999999999999999", "1"},
                 {"", "60"},  {"59", "59"},  {"30", "60"}};
    for (const auto& c : cases) {
        controls[RequestedZoneField].text = c.requested;
        Convert(Sk42Blh, Sk42Xyh, {"554500", "3570000", "0"});
        EXPECT_EQ(controls[RequestedZoneField].text, c.used) << c.requested;
        EXPECT_EQ(controls[UsedZoneField].text, c.used) << c.requested;
    }
}

TEST_F(Dialog, ConvertingTwiceGivesTheSameTextsAndZone) {
    controls[RequestedZoneField].text = "6";  // a neighbour of the point's zone 7
    Convert(Sk42Blh, Sk42Xyh, {"554500", "373700", "100"});
    const Texts first = TextsOf(ResultFields);
    EXPECT_EQ(controls[UsedZoneField].text, "6");
    CmConvert(controls);
    EXPECT_EQ(TextsOf(ResultFields), first);
    EXPECT_EQ(controls[UsedZoneField].text, "6");
}

TEST_F(Dialog, InverseRouteLeavesTheZoneFieldsAlone) {
    controls[RequestedZoneField].text = "0";
    controls[UsedZoneField].text = "4";
    Convert(Sk42Xyh, Sk42Blh, {"6181703.26131", "7413135.32227", "100"});
    EXPECT_EQ(TextsOf(ResultFields)[2], "100");
    EXPECT_EQ(controls[RequestedZoneField].text, "0");
    EXPECT_EQ(controls[UsedZoneField].text, "4");
}

TEST_F(Dialog, MovedPlaneCoordinatesKeepTheirZoneInTheHiddenField) {
    Convert(Sk42Blh, Sk42Xyh, {"554500", "373700", "100"});
    CmMove(controls);
    EXPECT_EQ(Selected(SourceList), "СК-42  (XYH)");
    EXPECT_EQ(Selected(TargetList), "СК-42  (BLH)");
    EXPECT_FALSE(ZoneGroupShown());
    EXPECT_EQ(controls[RequestedZoneField].text, "7");
    EXPECT_EQ(controls[UsedZoneField].text, "0");
    EXPECT_EQ(TextsOf(ResultFields), kZeros);

    CmConvert(controls);  // back where it started, to the series' 1e-4"
    const auto degrees = [](const std::string& display) {
        return engine::PackedToDegrees(ParseReal(display) * 0.0001);
    };
    EXPECT_NEAR(degrees(TextsOf(ResultFields)[0]), 55.75, 1e-4 / 3600);
    EXPECT_NEAR(degrees(TextsOf(ResultFields)[1]), 37 + 37 / 60.0, 1e-4 / 3600);

    // Typed plane coordinates with the prefix of zone 8 are still computed in zone 7,
    // read from the hidden field; only "0" there makes the prefix count.
    Type(InputFields, {"6181703.26131", "8413135.32227", "100"});
    CmConvert(controls);
    const Texts inZone7 = TextsOf(ResultFields);
    controls[RequestedZoneField].text = "0";
    CmConvert(controls);
    EXPECT_NE(TextsOf(ResultFields), inZone7);
}

TEST_F(Dialog, UsedZone61IsMovedAsZone1) {
    Convert(Sk42Blh, Sk42Xyh, {"554500", "3600000", "0"});  // L = 360°
    EXPECT_EQ(controls[UsedZoneField].text, "61");
    CmMove(controls);
    EXPECT_EQ(controls[RequestedZoneField].text, "1");
}

TEST_F(Dialog, TwoMovesInARowFollowTheTargetLists) {
    Convert(Wgs84Xyz, Pz90Xyz, {"1", "2", "3"});
    CmMove(controls);
    EXPECT_EQ(Selected(SourceList), "ПЗ-90  (XYZ)");
    EXPECT_EQ(Selected(TargetList), "WGS-84 (XYZ)");
    CmMove(controls);
    EXPECT_EQ(Selected(SourceList), "WGS-84 (XYZ)");
    EXPECT_EQ(Selected(TargetList), "WGS-84 (BLH)");
    EXPECT_EQ(TextsOf(InputFields), kZeros);
}

// Moved results arrive whole: no 14-character cut.
TEST_F(Dialog, MovedResultsArriveWhole) {
    const char* results[] = {"-2845123.45679", "-0.000123456789012", "1.23456789012e+15",
                             "-6378137", "0.0001"};
    for (const char* result : results) {
        PickSource(Wgs84Xyz);
        Type(ResultFields, {result, "0", "0"});
        CmMove(controls);
        EXPECT_EQ(controls[InputFields[0]].text, result);
    }
    PickSource(Wgs84Xyz);
    Type(ResultFields, {"0.00009", "-0.00001", "abc"});
    CmMove(controls);
    EXPECT_EQ(TextsOf(InputFields), kZeros);
}

TEST_F(Dialog, PickingASourceKeepsTheInputs) {
    Type(InputFields, {"1", "2.5", "-3"});
    PickSource(Sk42Blh);
    EXPECT_EQ(TextsOf(InputFields), (Texts{"1", "2.5", "-3"}));
}

TEST_F(Dialog, ZoneGroupIsHiddenThenDisabledThenShownThenEnabledInItsOrder) {
    PickSource(Sk42Blh);
    controls.ClearLog();
    PickTarget(Sk42Xyh);
    const Texts expected = {
        "hide 123", "disable 123", "hide 121",           "disable 121", "hide 125",  "disable 125",
        "hide 124", "disable 124", "read selection 104", "set 111 X",   "set 112 Y", "set 113 H",
        "show 123", "enable 123",  "show 121",           "enable 121",  "show 125",  "enable 125",
        "show 124", "enable 124",  "set 114 0",          "set 115 0",   "set 116 0"};
    EXPECT_EQ(controls.Log(), expected);
}

TEST_F(Dialog, ConversionReadsAndWritesInItsOrder) {
    PickSource(Sk42Blh);
    PickTarget(Sk42Xyh);
    Type(InputFields, {"554500", "373700", "100"});
    controls.ClearLog();
    CmConvert(controls);
    const Texts expected = {
        "read 108",   "read 109",  "read 110",  "read selection 103",    "read selection 104",
        "read 123",   "set 123 7", "set 125 7", "set 114 6181703.26131", "set 115 7413135.32227",
        "set 116 100"};
    EXPECT_EQ(controls.Log(), expected);
}

TEST_F(Dialog, MoveReadsAndWritesInItsOrder) {
    Type(ResultFields, {"1", "2", "3"});
    controls[UsedZoneField].text = "9";
    controls.ClearLog();
    CmMove(controls);
    const Texts head(controls.Log().begin(), controls.Log().begin() + 11);
    const Texts expected = {"read 114",  "set 108 1",          "read 115",    "set 109 2",
                            "read 116",  "set 110 3",          "read 125",    "set 123 9",
                            "set 125 0", "read selection 104", "select 103 1"};
    EXPECT_EQ(head, expected);
}

TEST_F(Dialog, AListWithoutASelectionCopiesTheInputs) {
    controls[TargetList].selected = -1;
    Type(InputFields, {"1.5", "0.00001", "-7"});
    CmConvert(controls);
    EXPECT_EQ(TextsOf(ResultFields), (Texts{"1.5", "0", "-7"}));
}

TEST_F(Dialog, UnknownNamesChangeNothingButTheTargetSide) {
    SelectSourceByName(controls, "nonsense");
    EXPECT_EQ(Selected(SourceList), "WGS-84 (XYZ)");
    Type(ResultFields, {"1", "2", "3"});
    ApplySourceSystem(controls, "nonsense");
    EXPECT_EQ(TextsOf(InputLabels), (Texts{"X", "Y", "Z"}));
    EXPECT_EQ(Entries(TargetList), Offered(Wgs84Xyz));
    EXPECT_EQ(TextsOf(ResultFields), kZeros);
}

}  // namespace
}  // namespace controller
