// What a GIS run says of layers and features, in parts, through the library itself: the table
// of notes (kind, layer, feature, vertex, text) in English and in Russian.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "case_file.h"
#include "formats/gis_conversion.h"
#include "systems/catalogue.h"

namespace {

namespace fs = std::filesystem;
using formats::FeatureNote;

class Notes : public formats::GisObserver {
  public:
    void Note(const FeatureNote& note) override { notes.push_back(note); }
    std::vector<FeatureNote> notes;
};

// "kind layer fid vertex text", as the table writes a note.
std::string Written(const FeatureNote& note) {
    static const char* const kKinds[] = {"warning", "left-out", "fault"};
    return std::string(kKinds[static_cast<int>(note.kind)]) + " " + note.layer + " " +
           (note.fid ? std::to_string(*note.fid) : "-") + " " +
           (note.vertex != 0 ? std::to_string(note.vertex) : "-") + " " + note.text;
}

TEST(GisNotes, SayTheLayerFeatureAndVertexInEitherLanguage) {
    const std::string file = COORDCONV_TEST_DATA "/gis/notes.cases";
    const fs::path work =
        fs::temp_directory_path() / ("coordconv-notes-" + std::to_string(getpid()));
    for (const auto& c : testing_support::ReadCases(file)) {
        const auto& f = c.fields;
        SCOPED_TRACE(c.Where(file));
        fs::remove_all(work);
        fs::create_directories(work);
        const std::string source = COORDCONV_TEST_DATA "/gis/" + f.at(0);
        const std::string input = (work / f.at(2)).string();
        if (f.at(1) == "-") {
            fs::copy_file(source, input);
        } else {
            ASSERT_EQ(
                std::system(("ogr2ogr " + f.at(1) + " '" + input + "' '" + source + "'").c_str()),
                0);
        }
        formats::GisRequest request;
        const auto from = systems::FindSystem(systems::BuiltIn(), f.at(3));
        const auto to = systems::FindSystem(systems::BuiltIn(), f.at(4));
        ASSERT_TRUE(from.system && to.system);
        request.conversion.from = *from.system;
        request.conversion.to = *to.system;
        request.conversion.keepGoing = f.at(5) == "-k";
        request.conversion.language =
            f.at(6) == "ru" ? systems::Language::Russian : systems::Language::English;
        request.input = input;
        request.output = (work / f.at(7)).string();
        Notes observer;
        const formats::GisResult result = formats::ConvertGisFile(request, observer);
        if (result.fault) observer.notes.push_back(*result.fault);
        // The run's notes, in order.
        std::vector<std::string> expected;
        for (std::size_t at = 0; at < f.at(8).size();) {
            const std::size_t end = std::min(f.at(8).find("&&", at), f.at(8).size());
            std::string note = f.at(8).substr(at, end - at);
            note.erase(0, note.find_first_not_of(' '));
            note.erase(note.find_last_not_of(' ') + 1);
            expected.push_back(note);
            at = end + 2;
        }
        std::vector<std::string> got;
        for (const FeatureNote& note : observer.notes)
            got.push_back(Written(note));
        EXPECT_EQ(got, expected);
        for (const FeatureNote& note : observer.notes)
            EXPECT_EQ(note.input, input);
    }
    fs::remove_all(work);
}

}  // namespace
