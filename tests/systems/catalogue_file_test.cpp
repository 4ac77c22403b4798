// The catalogue file: the case table's faults and readings, files read one after another,
// the user's own file, and systems written back as TOML.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "case_file.h"
#include "systems/catalogue_file.h"

namespace systems {
namespace {

using testing_support::Meets;
using testing_support::Numbers;
using testing_support::ReadCases;

controller::CoordinateForm FormNamed(const std::string& name) {
    using enum controller::CoordinateForm;
    return name == "plane" ? Plane : name == "geodetic" ? Geodetic : Geocentric;
}

void ExpectNumbers(const std::vector<double>& actual, const std::string& expected) {
    const std::vector<double> numbers = Numbers(expected);
    ASSERT_EQ(actual.size(), numbers.size());
    for (std::size_t i = 0; i < numbers.size(); ++i)
        EXPECT_TRUE(Meets(actual[i], numbers[i], 1e-12 * std::max(1.0, std::fabs(numbers[i]))))
            << "value " << i + 1 << ": " << actual[i] << ", expected " << numbers[i];
}

TEST(CatalogueFile, CaseTable) {
    const std::string file = COORDCONV_TEST_DATA "/catalogue_file.cases";
    for (const auto& c : ReadCases(file)) {
        SCOPED_TRACE(c.Where(file));
        Catalogue catalogue;
        const auto fault = ReadCatalogueText(c.fields.at(0), "t.toml", catalogue);
        const std::string& expected = c.fields.at(1);
        if (expected != "-") {
            ASSERT_TRUE(fault.has_value());
            if (expected.back() == '*') {
                EXPECT_EQ(fault->Text().substr(0, expected.size() - 1),
                          expected.substr(0, expected.size() - 1));
            } else {
                EXPECT_EQ(fault->Text(), expected);
            }
            EXPECT_FALSE(fault->unreadable);
            EXPECT_EQ(catalogue.systems().size(), BuiltIn().systems().size());
            EXPECT_EQ(catalogue.datums().size(), BuiltIn().datums().size());
            continue;
        }
        ASSERT_FALSE(fault.has_value()) << fault->Text();
        const System* system = catalogue.Find(c.fields.at(2));
        ASSERT_NE(system, nullptr);
        EXPECT_EQ(system->group, Group::User);
        EXPECT_EQ(system->definedIn.substr(0, 7), "t.toml:");
        EXPECT_EQ(system->form, FormNamed(c.fields.at(3)));
        if (c.fields.at(4) != "-") {
            const auto& tm = system->projection;
            ExpectNumbers({tm.centralMeridian, tm.originLatitude, tm.scale, tm.falseEasting,
                           tm.falseNorthing},
                          c.fields.at(4));
        }
        ExpectNumbers({system->datum.ellipsoid.a, system->datum.ellipsoid.invF}, c.fields.at(5));
        const std::string& link = c.fields.at(6);
        ASSERT_FALSE(system->datum.toPz9011.empty());
        const auto& first = system->datum.toPz9011.front();
        EXPECT_EQ(first.to, link.substr(0, link.find(' ')));
        const auto& s = first.shift;
        ExpectNumbers({s.dX, s.dY, s.dZ, s.wX, s.wY, s.wZ, s.m}, link.substr(link.find(' ')));
        // Every datum leads to PZ-90.11.
        EXPECT_EQ(system->datum.toPz9011.back().to, "pz9011");
    }
}

TEST(CatalogueFile, LaterFilesBuildOnEarlierOnes) {
    Catalogue catalogue;
    ASSERT_FALSE(ReadCatalogueText(
        "[datum.mine]\nellipsoid = \"krass\"\nto = \"sk42\"\nparameters = [1, 2, 3]\n", "a.toml",
        catalogue));
    const std::string system =
        "\n[system.b]\nname = \"B\"\ndatum = \"mine\"\nform = \"geodetic\"\n";
    ASSERT_FALSE(ReadCatalogueText(system, "b.toml", catalogue));
    EXPECT_EQ(catalogue.Find("b")->definedIn, "b.toml:2");
    // Links: mine → sk42 (a.toml's set), then SK-42's own way to PZ-90.11.
    EXPECT_EQ(catalogue.Find("b")->datum.toPz9011.size(), 2u);
    const auto again = ReadCatalogueText(system, "c.toml", catalogue);
    ASSERT_TRUE(again.has_value());
    EXPECT_EQ(again->Text(), "c.toml:2: system.b: the id is taken by the system of b.toml:2");
    // The catalogue itself refuses a datum whose id is taken or whose link leads nowhere.
    Datum taken = *catalogue.FindDatum("mine");
    EXPECT_FALSE(catalogue.AddDatum(taken));
    taken.id = "other";
    taken.toPz9011 = {{"nowhere", {}, {}, {}}};
    EXPECT_FALSE(catalogue.AddDatum(taken));
    EXPECT_EQ(catalogue.FindDatum("other"), nullptr);
}

// A system written by SystemToml reads back to the same numbers, bit for bit.
TEST(CatalogueFile, SystemTomlReadsBack) {
    Catalogue catalogue;
    System similarity;
    similarity.id = "msk-50-1";
    similarity.displayName = "МСК-50 \"зона 1\" \\ C:\\here";
    similarity.names = {"MSK-50 zone 1", similarity.displayName};
    similarity.datum = *catalogue.FindDatum("sk42");
    similarity.form = controller::CoordinateForm::Plane;
    similarity.projection = {35.48333333333333, 0.1 + 0.2, 1 - 1e-16 * 3, 1250000, -5412900.566};
    similarity.keys = Similarity(-1.0 / 3, 2e-7, 123.456, -0.1);
    System affine = similarity;
    affine.id = "affine";
    affine.displayName = affine.names.english = affine.names.russian = "Affine";
    affine.keys = Affine({1e6, 1.0 / 7, -2e-5, -7654321.123456789, 3e-300, 0.999999});

    for (const System& written : {similarity, affine}) {
        const std::string toml = SystemToml(written);
        SCOPED_TRACE(toml);
        const auto fault = ReadCatalogueText(toml, "w.toml", catalogue);
        ASSERT_FALSE(fault.has_value()) << fault->Text();
        const System& read = *catalogue.Find(written.id);
        EXPECT_EQ(read.displayName, written.displayName);
        EXPECT_EQ(read.names.english, written.names.english);
        EXPECT_EQ(read.datum.id, "sk42");
        const auto &tm = read.projection, &tm0 = written.projection;
        EXPECT_EQ(std::vector({tm.centralMeridian, tm.originLatitude, tm.scale, tm.falseEasting,
                               tm.falseNorthing}),
                  std::vector({tm0.centralMeridian, tm0.originLatitude, tm0.scale, tm0.falseEasting,
                               tm0.falseNorthing}));
        ASSERT_TRUE(read.keys.has_value());
        const PlaneKeys &k = *read.keys, &k0 = *written.keys;
        EXPECT_EQ(k.kind, k0.kind);
        EXPECT_EQ(
            std::vector({k.x0, k.y0, k.a, k.b, k.c, k.d, k.rotationSeconds, k.scalePpm}),
            std::vector({k0.x0, k0.y0, k0.a, k0.b, k0.c, k0.d, k0.rotationSeconds, k0.scalePpm}));
    }
}

TEST(CatalogueFile, UserFileThenGivenFiles) {
    const auto home =
        std::filesystem::temp_directory_path() / ("coordconv-test-" + std::to_string(getpid()));
    std::filesystem::create_directories(home / "coordconv");
    std::ofstream(home / "coordconv/systems.toml")
        << "[system.mine]\nname = \"Mine\"\ndatum = \"sk95\"\nform = \"geocentric\"\n";
    const std::string given = (home / "given.toml").string();
    std::ofstream(given)
        << "[system.given]\nname = \"Given\"\ndatum = \"sk95\"\nform = \"geodetic\"\n";
    setenv("XDG_CONFIG_HOME", home.c_str(), 1);

    EXPECT_EQ(UserCatalogueFile(), (home / "coordconv/systems.toml").string());
    Catalogue catalogue;
    const std::string files[] = {given};
    ASSERT_FALSE(LoadCatalogue(files, catalogue).has_value());
    EXPECT_EQ(catalogue.Find("mine")->definedIn, UserCatalogueFile() + ":1");
    EXPECT_EQ(catalogue.Find("given")->definedIn, given + ":1");

    // A missing given file is unreadable (not faulty), and nothing is loaded.
    const std::string missing[] = {given, (home / "missing.toml").string()};
    Catalogue unchanged;
    const auto fault = LoadCatalogue(missing, unchanged);
    ASSERT_TRUE(fault.has_value());
    EXPECT_TRUE(fault->unreadable);
    EXPECT_EQ(fault->Text(), missing[1] + ": cannot be read: No such file or directory");
    EXPECT_EQ(unchanged.Find("given"), nullptr);

    // Files that are no catalogue are refused at once: a pipe would hang the run, /dev/zero
    // fill the memory, a file of megabytes is no list of systems.
    const std::string pipe = (home / "pipe.toml").string();
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    const std::string large = (home / "large.toml").string();
    std::ofstream(large) << std::string(5 << 20, '#');
    const std::pair<std::string, std::string> refusals[] = {
        {pipe, pipe + ": cannot be read: it is not a regular file"},
        {"/dev/zero", "/dev/zero: cannot be read: it is not a regular file"},
        {large, large + ": is larger than 4 MiB: a catalogue of systems is a few kilobytes"}};
    for (const auto& [file, text] : refusals) {
        const auto refused = ReadCatalogueFile(file, unchanged);
        ASSERT_TRUE(refused.has_value()) << file;
        EXPECT_EQ(refused->Text(), text);
    }

    // Without the user's file, no fault.
    std::filesystem::remove(home / "coordconv/systems.toml");
    EXPECT_FALSE(LoadCatalogue({}, catalogue).has_value());
    EXPECT_EQ(catalogue.Find("mine"), nullptr);
    std::filesystem::remove_all(home);
}

}  // namespace
}  // namespace systems
