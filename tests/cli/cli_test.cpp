#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/options.h"
#include "cli/point_converter.h"
#include "cli_support.h"
#include "controller/control_ids.h"
#include "controller/dialog_operations.h"
#include "engine/math_error.h"
#include "fake_controls.h"

namespace cli {
namespace {

using controller::CoordinateForm;
using controller::CoordinateSystem;
using enum controller::CoordinateSystem;
using testing::Convert;

Options For(CoordinateSystem from, CoordinateSystem to, int zone = 0) {
    Options options;
    options.from = from;
    options.to = to;
    options.zone = zone;
    return options;
}

// Three input texts for each form of source, typed as a surveyor would.
std::vector<std::vector<std::string>> InputsFor(CoordinateSystem system) {
    switch (controller::FormOf(system)) {
        case CoordinateForm::Geocentric:
            return {{"2849972.61724", "2196095.35833", "5248909.51103"},
                    {"-2845123.456789", "0.00009", "1e6"},
                    {"0", "0", "0"},
                    {"1000", "0", "1000"}};
        case CoordinateForm::Geodetic:
            return {{"554500", "373700", "100"},
                    {"-334512.25", "-1201530.5", "-15.5"},
                    {"900000", "0", "0"},
                    {"0.00005", "3595959.9999", "8848"}};
        case CoordinateForm::Plane:
            break;
    }
    return {{"6181703.26131", "7413135.32227", "100"}, {"-1000000", "7500000", "0"}};
}

// What the window shows for the same texts: CmConvert on the dialog's controls.
std::string DialogResult(CoordinateSystem from, CoordinateSystem to,
                         const std::vector<std::string>& inputs, const std::string& zone) {
    controller::testing::FakeControls controls;
    controller::SetUpDialogControls(controls);
    controls[controller::SourceList].selected = static_cast<int>(from);
    controller::CbnSourceSelChange(controls);
    controls.Pick(controller::TargetList, controller::DisplayName(to));
    controller::CbnTargetSelChange(controls);
    for (int i = 0; i < 3; ++i)
        controls[controller::InputFields[i]].text = inputs[i];
    controls[controller::RequestedZoneField].text = zone;
    controller::CmConvert(controls);
    std::string line;
    for (int i = 0; i < 3; ++i) {
        line += (i ? " " : "") + controls[controller::ResultFields[i]].text;
    }
    if (to == Sk42Xyh) line += " " + controls[controller::UsedZoneField].text;
    return line + "\n";
}

TEST(CoordconvCli, EveryOfferedPairPrintsWhatTheWindowShows) {
    engine::MathErrorHandler quiet = [](const char*, const char*) {};
    const auto previous = engine::SetMathErrorHandler(quiet);
    for (CoordinateSystem from : controller::AllSystems) {
        for (CoordinateSystem to : controller::OfferedTargets(from)) {
            for (int zone : {0, 6, 60}) {
                for (const auto& inputs : InputsFor(from)) {
                    const std::string line = inputs[0] + " " + inputs[1] + " " + inputs[2] + "\n";
                    const auto run = Convert(For(from, to, zone), line);
                    EXPECT_EQ(run.output, DialogResult(from, to, inputs, std::to_string(zone)))
                        << ShortName(from) << " → " << ShortName(to) << " zone " << zone << ": "
                        << line;
                }
            }
        }
    }
    engine::SetMathErrorHandler(previous);
}

// WGS-84 geodetic to SK-42 plane coordinates: three chains at full precision.
TEST(CoordconvCli, LongerRoutesRunTheChainsAtFullPrecision) {
    const PointConverter converter(For(Wgs84Blh, Sk42Xyh));
    EXPECT_EQ(converter.Route(),
              (std::vector<CoordinateSystem>{Wgs84Blh, Pz90Blh, Sk42Blh, Sk42Xyh}));

    std::array<double, 3> byHand{controller::AngleToDegrees(554500, controller::AngleForm::Display),
                                 controller::AngleToDegrees(373700, controller::AngleForm::Display),
                                 100};
    int zone = 0;
    controller::ConvertPoint(Wgs84Blh, Pz90Blh, byHand, zone, controller::AngleForm::Degrees);
    controller::ConvertPoint(Pz90Blh, Sk42Blh, byHand, zone, controller::AngleForm::Degrees);
    controller::ConvertPoint(Sk42Blh, Sk42Xyh, byHand, zone, controller::AngleForm::Degrees);

    std::array<double, 3> values{554500, 373700, 100};
    int used = -1;
    ASSERT_TRUE(converter.Convert(values, used));
    EXPECT_EQ(values, byHand);
    EXPECT_EQ(used, 7);

    // The same three runs in the window, with its twelve digits in between and a move
    // after each, land within a millimetre.
    controller::testing::FakeControls window;
    controller::SetUpDialogControls(window);
    const auto pick = [&window](int list, CoordinateSystem system) {
        window.Pick(list, controller::DisplayName(system));
    };
    pick(controller::SourceList, Wgs84Blh);
    controller::CbnSourceSelChange(window);
    window[controller::InputFields[0]].text = "554500";
    window[controller::InputFields[1]].text = "373700";
    window[controller::InputFields[2]].text = "100";
    for (CoordinateSystem target : {Pz90Blh, Sk42Blh, Sk42Xyh}) {
        if (target != Pz90Blh) controller::CmMove(window);
        pick(controller::TargetList, target);
        controller::CbnTargetSelChange(window);
        controller::CmConvert(window);
    }
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(controller::ParseReal(window[controller::ResultFields[i]].text), byHand[i],
                    1e-3);
    }
}

TEST(CoordconvCli, RoutesAreShortestAndPreferHelmertOnATie) {
    for (CoordinateSystem from : controller::AllSystems) {
        for (CoordinateSystem to : controller::AllSystems) {
            const auto route = controller::ShortestRoute(from, to);
            ASSERT_FALSE(route.empty());
            EXPECT_EQ(route.front(), from);
            EXPECT_EQ(route.back(), to);
            for (std::size_t i = 1; i < route.size(); ++i) {
                EXPECT_TRUE(controller::HasChain(route[i - 1], route[i]));
            }
            if (controller::HasChain(from, to)) {
                EXPECT_EQ(route.size(), 2u);
            }
        }
    }
    EXPECT_EQ(controller::ShortestRoute(Wgs84Xyz, Pz90Blh),
              (std::vector<CoordinateSystem>{Wgs84Xyz, Pz90Xyz, Pz90Blh}));
    EXPECT_EQ(controller::ShortestRoute(Wgs84Xyz, Sk42Xyh).size(), 5u);
    EXPECT_EQ(controller::ShortestRoute(Sk42Xyh, Sk42Xyh).size(), 1u);
}

struct BadInputCase {
    const char* name;
    std::string input;
    std::string output;    // what reaches the output before the run stops
    std::string messages;  // what reaches stderr
};

TEST(CoordconvCli, BadInputStopsWithTheLineAndTheField) {
    const std::string good = "554500 373700 100\n";
    const std::string goodResult = "2849972.61724 2196095.35833 5248909.51103\n";
    const BadInputCase cases[] = {
        {"letters", good + "55.3x 373700 100\n", goodResult,
         "coordconv-cli: line 2: field 1 \"55.3x\" is not a number\n"},
        {"missing field", "554500 373700\n", "", "coordconv-cli: line 1: 2 fields, expected 3\n"},
        {"fourth field", "# h\n554500 373700 100 7\n", "# h\n",
         "coordconv-cli: line 2: 4 fields, expected 3\n"},
        {"comma decimal", "55,5 37,5 100\n", "",
         "coordconv-cli: line 1: 5 fields, expected 3 (the decimal separator is the point)\n"},
        {"nan", "nan 1 2\n", "", "coordconv-cli: line 1: field 1 \"nan\" is not a number\n"},
        {"inf", "1 -inf 2\n", "", "coordconv-cli: line 1: field 2 \"-inf\" is not a number\n"},
        {"overflow", "1 2 1e999\n", "",
         "coordconv-cli: line 1: field 3 \"1e999\" is out of range\n"},
        {"empty field", "1,,2,3\n", "", "coordconv-cli: line 1: field 2 is empty\n"},
        {"trailing separator", "1;2;3;\n", "", "coordconv-cli: line 1: field 4 is empty\n"},
        {"hexadecimal", "0x10 1 2\n", "",
         "coordconv-cli: line 1: field 1 \"0x10\" is not a number\n"},
        {"long line", good + std::string(10 << 20, '1') + "\n" + good, goodResult,
         "coordconv-cli: line 2: longer than 65536 bytes\n"},
    };
    for (const auto& c : cases) {
        const auto run = Convert(For(Wgs84Blh, Wgs84Xyz), c.input);
        EXPECT_EQ(run.status, ExitBadInput) << c.name;
        EXPECT_EQ(run.output, c.output) << c.name;
        EXPECT_EQ(run.messages, c.messages) << c.name;
    }
}

TEST(CoordconvCli, LineEndsSeparatorsAndByteOrderMark) {
    const struct {
        const char* name;
        std::string input;
        std::string output;
    } cases[] = {
        {"no final newline", "554500 373700 100", "2849972.61724 2196095.35833 5248909.51103\n"},
        {"CRLF", "554500 373700 100\r\n# c\r\n",
         "2849972.61724 2196095.35833 5248909.51103\r\n# c\r\n"},
        {"byte-order mark",
         "\xEF\xBB\xBF"
         "554500 373700 100\n",
         "2849972.61724 2196095.35833 5248909.51103\n"},
        {"separators", " 554500,\t373700 ; 100 \n", "2849972.61724 2196095.35833 5248909.51103\n"},
        {"comments and blanks", "\n  # a comment\n\t\n", "\n  # a comment\n\t\n"},
        {"signs and exponents", "+554500 .3737e6 1E2\n",
         "2849972.61724 2196095.35833 5248909.51103\n"},
        {"empty input", "", ""},
    };
    for (const auto& c : cases) {
        const auto run = Convert(For(Wgs84Blh, Wgs84Xyz), c.input);
        EXPECT_EQ(run.status, ExitOk) << c.name << ": " << run.messages;
        EXPECT_EQ(run.output, c.output) << c.name;
    }
}

TEST(CoordconvCli, KeepGoingKeepsTheLinesAligned) {
    Options options = For(Wgs84Blh, Wgs84Xyz);
    options.keepGoing = true;
    const auto run = Convert(
        options, "1 2\n554500 373700 100\n\nx y z\n" + std::string(100000, '9') + "\n0 0 0\n");
    EXPECT_EQ(run.status, ExitBadInput);
    EXPECT_EQ(run.output,
              "# error: line 1: 2 fields, expected 3\n"
              "2849972.61724 2196095.35833 5248909.51103\n"
              "\n"
              "# error: line 4: field 1 \"x\" is not a number\n"
              "# error: line 5: longer than 65536 bytes\n"
              "6378137 0 0\n");
    EXPECT_EQ(run.messages, "coordconv-cli: 3 lines with errors\n");
}

TEST(CoordconvCli, ResultsThatAreNotFiniteAreErrors) {
    const auto run = Convert(For(Sk42Blh, Sk42Xyh), "554500 1e300 0\n");
    EXPECT_EQ(run.status, ExitBadInput);
    EXPECT_EQ(run.output, "");
    EXPECT_EQ(run.messages, "coordconv-cli: line 1: the result is not a finite number\n");
}

TEST(CoordconvCli, DomainErrorNearTheCentreWarnsAndKeepsTheWindowsResult) {
    const auto run = Convert(For(Wgs84Xyz, Wgs84Blh), "1000 0 1000\n");
    EXPECT_EQ(run.status, ExitOk);
    EXPECT_EQ(run.output, DialogResult(Wgs84Xyz, Wgs84Blh, {"1000", "0", "1000"}, "0"));
    EXPECT_NE(run.messages.find("line 1: warning: asin: DOMAIN error"), std::string::npos);
}

TEST(CoordconvCli, DecimalDegreesAndPrecision) {
    Options options = For(Sk42Blh, Sk42Xyh);
    options.angles = controller::AngleForm::Degrees;
    EXPECT_EQ(Convert(options, "55.75 37.6167 100\n").output,
              "6181703.21954 7413137.41525 100 7\n");
    options.zone = 6;
    const std::string neighbour = Convert(options, "55.75 37.6167 100\n").output;
    EXPECT_NEAR(controller::ParseReal(neighbour), 6190495.704, 0.5e-3);
    EXPECT_NEAR(controller::ParseReal(neighbour.substr(neighbour.find(' '))), 6789795.115, 0.5e-3);
    EXPECT_EQ(neighbour.substr(neighbour.size() - 3), " 6\n");

    options = For(Sk42Xyh, Sk42Blh);
    options.angles = controller::AngleForm::Degrees;
    options.precision = 8;
    EXPECT_EQ(Convert(options, "-1000000 7500000 0\n").output, "350.95722 39 0\n");
    // In degrees the small-value limit is 0.0001", not 0.0001°.
    options = For(Wgs84Blh, Wgs84Blh);
    options.angles = controller::AngleForm::Degrees;
    EXPECT_EQ(Convert(options, "0.00005 0.00000001 1\n").output, "5e-05 0 1\n");
}

TEST(CoordconvCli, TheProgramsExitStatuses) {
    const std::string cli = COORDCONV_CLI;
    const auto status = [&](const std::string& arguments) {
        const int raw =
            std::system((cli + " " + arguments + " </dev/null >/dev/null 2>&1").c_str());
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    };
    EXPECT_EQ(status("--help"), 0);
    EXPECT_EQ(status("--version"), 0);
    EXPECT_EQ(status("wgs84-xyz wgs84-blh"), 0);
    EXPECT_EQ(status(""), 64);
    EXPECT_EQ(status("wgs84-xyz"), 64);
    EXPECT_EQ(status("wgs84-xyz mars"), 64);
    EXPECT_EQ(status("--zone 61 sk42-blh sk42-xyh"), 64);
    EXPECT_EQ(status("--bogus wgs84-xyz wgs84-blh"), 64);
    const int raw =
        std::system(("printf 'a b c\\n' | " + cli + " wgs84-xyz wgs84-blh 2>/dev/null").c_str());
    EXPECT_EQ(WEXITSTATUS(raw), 65);
}

}  // namespace
}  // namespace cli
