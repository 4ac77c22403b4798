// coordconv-fit run as a program over the rows of tests/data/fit_cli.cases: exit statuses, the
// texts its output and messages hold, and the fitted parameters against the transformations
// that made the points.
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "case_file.h"

namespace {

struct FitRun {
    std::string output, messages;
    int status = -1;
};

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// The program with arguments as a shell reads them, in tests/data, with no catalogue of the
// user's.
FitRun RunFit(const std::string& arguments, const std::string& input) {
    const auto dir = std::filesystem::temp_directory_path() /
                     ("coordconv-fit-test-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "in", std::ios::binary) << input;
    const std::string command = "cd " COORDCONV_TEST_DATA " && XDG_CONFIG_HOME=" + dir.string() +
                                " " COORDCONV_FIT " " + arguments + " <" + (dir / "in").string() +
                                " >" + (dir / "out").string() + " 2>" + (dir / "err").string();
    const int raw = std::system(command.c_str());
    FitRun run{ReadFile(dir / "out"), ReadFile(dir / "err"),
               WIFEXITED(raw) ? WEXITSTATUS(raw) : -1};
    std::filesystem::remove_all(dir);
    return run;
}

// A value in its unit as a plain number: metres, radians, ratios.
double InBase(double value, const std::string& unit) {
    constexpr double kSecondsPerRadian = 206264.80624709636;
    if (unit == "″") return value / kSecondsPerRadian;
    if (unit == "ppm") return value * 1e-6;
    return value;  // "m", or a plain ratio ("")
}

// The value and unit of parameter `name` in --json output: {"value": V, ..., "unit": "U"}.
bool JsonParameter(const std::string& json, const std::string& name, double& value,
                   std::string& unit) {
    const std::size_t at = json.find("\"" + name + "\": {\"value\": ");
    if (at == std::string::npos) return false;
    value = std::strtod(json.c_str() + json.find(": ", json.find('{', at)) + 2, nullptr);
    const std::size_t unitAt = json.find("\"unit\": \"", at) + 9;
    unit = json.substr(unitAt, json.find('"', unitAt) - unitAt);
    return true;
}

// Fields: arguments | standard input | exit status | a text standard output holds | a text the
// messages hold | parameters "NAME VALUE UNIT TOLERANCE; …" the --json run gives.
TEST(CoordconvFit, EveryRunOfTheTable) {
    const std::string file = COORDCONV_TEST_DATA "/fit_cli.cases";
    for (const auto& c : testing_support::ReadCases(file)) {
        SCOPED_TRACE(c.Where(file) + ": coordconv-fit " + c.fields.at(0));
        const FitRun run = RunFit(c.fields.at(0), c.fields.at(1));
        EXPECT_EQ(run.status, std::stoi(c.fields.at(2))) << run.messages;
        EXPECT_NE(run.output.find(c.fields.at(3)), std::string::npos) << run.output;
        if (c.fields.at(4).empty()) {
            EXPECT_EQ(run.messages, "");
        } else {
            EXPECT_NE(run.messages.find(c.fields.at(4)), std::string::npos) << run.messages;
        }
        if (c.fields.size() < 6 || c.fields.at(5).empty()) continue;
        const FitRun json = RunFit("--json " + c.fields.at(0), c.fields.at(1));
        for (const std::string& check : testing_support::Split(c.fields.at(5), ';')) {
            std::istringstream words(check);
            std::string name, unit, ownUnit;
            double expected = 0, tolerance = 0, value = 0;
            words >> name >> expected >> unit >> tolerance;
            if (unit == "-") unit.clear();
            ASSERT_TRUE(JsonParameter(json.output, name, value, ownUnit)) << name << json.output;
            EXPECT_NEAR(InBase(value, ownUnit), InBase(expected, unit), InBase(tolerance, unit))
                << name << " = " << value << " " << ownUnit;
        }
    }
}

}  // namespace
