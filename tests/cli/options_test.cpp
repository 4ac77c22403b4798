#include "cli/options.h"

#include <gtest/gtest.h>

#include <vector>

namespace cli {
namespace {

using enum controller::CoordinateSystem;

Command Parse(std::vector<const char*> arguments, Options& options, std::string& error) {
    return ParseCommandLine(static_cast<int>(arguments.size()), arguments.data(), options, error);
}

TEST(CommandLine, SystemsByShortOrDisplayName) {
    EXPECT_EQ(SystemFromName("wgs84-xyz"), Wgs84Xyz);
    EXPECT_EQ(SystemFromName("SK42-XYH"), Sk42Xyh);
    EXPECT_EQ(SystemFromName("Pz90-Blh"), Pz90Blh);
    EXPECT_EQ(SystemFromName("ПЗ-90  (XYZ)"), Pz90Xyz);
    EXPECT_EQ(SystemFromName("ПЗ-90 (XYZ)"), std::nullopt);
    EXPECT_EQ(SystemFromName("wgs84"), std::nullopt);
}

TEST(CommandLine, OptionsAndTheirValues) {
    Options options;
    std::string error;
    ASSERT_EQ(Parse({"--zone", "7", "--angles=degrees", "--precision", "15", "-k", "sk42-blh",
                     "sk42-xyh"},
                    options, error),
              Command::Convert);
    EXPECT_EQ(options.zone, 7);
    EXPECT_EQ(options.angles, controller::AngleForm::Degrees);
    EXPECT_EQ(options.precision, 15);
    EXPECT_TRUE(options.keepGoing);
    EXPECT_EQ(options.from, Sk42Blh);
    EXPECT_EQ(options.to, Sk42Xyh);

    Options defaults;
    ASSERT_EQ(Parse({"--", "wgs84-blh", "pz90-blh"}, defaults, error), Command::Convert);
    EXPECT_EQ(defaults.zone, 0);
    EXPECT_EQ(defaults.precision, 12);
    EXPECT_EQ(defaults.angles, controller::AngleForm::Display);
    EXPECT_FALSE(defaults.keepGoing);
}

TEST(CommandLine, UsageErrors) {
    const std::vector<std::vector<const char*>> bad = {
        {},
        {"wgs84-xyz"},
        {"wgs84-xyz", "wgs84-blh", "pz90-xyz"},
        {"wgs84-xyz", "mars"},
        {"--zone", "61", "sk42-blh", "sk42-xyh"},
        {"--zone", "-1", "sk42-blh", "sk42-xyh"},
        {"--zone", "7x", "sk42-blh", "sk42-xyh"},
        {"--zone"},
        {"--precision", "0", "a", "b"},
        {"--precision", "18", "wgs84-xyz", "wgs84-blh"},
        {"--angles", "radians", "wgs84-xyz", "wgs84-blh"},
        {"--unknown", "wgs84-xyz", "wgs84-blh"},
    };
    for (const auto& arguments : bad) {
        Options options;
        std::string error;
        EXPECT_EQ(Parse(arguments, options, error), Command::UsageError)
            << (arguments.empty() ? "(none)" : arguments[0]);
        EXPECT_FALSE(error.empty());
    }
    Options options;
    std::string error;
    EXPECT_EQ(Parse({"wgs84-xyz", "--help"}, options, error), Command::Help);
    EXPECT_EQ(Parse({"--version"}, options, error), Command::Version);
}

}  // namespace
}  // namespace cli
