// The library's messages: every row of the table in both languages with every placeholder
// filled, the Russian plural forms, and lines read and checked in Russian.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "batch/describe.h"
#include "batch/line_converter.h"
#include "batch/messages.h"
#include "case_file.h"

namespace {

using batch::Language;
using batch::MessageId;

// The message with its first `count` arguments "101", "102"...
std::string Filled(Language language, MessageId id, int count) {
    switch (count) {
        case 0:
            return batch::Message(language, id, {});
        case 1:
            return batch::Message(language, id, {"101"});
        case 2:
            return batch::Message(language, id, {"101", "102"});
        case 3:
            return batch::Message(language, id, {"101", "102", "103"});
        case 4:
            return batch::Message(language, id, {"101", "102", "103", "104"});
        case 5:
            return batch::Message(language, id, {"101", "102", "103", "104", "105"});
    }
    ADD_FAILURE() << "a message of " << count << " arguments";
    return {};
}

// Each argument k given as "10k" appears in both texts once filled; given one argument fewer,
// a placeholder stays: the table states each message's count exactly.
TEST(Messages, EveryRowFillsItsPlaceholdersInBothLanguages) {
    for (int row = 0; row < static_cast<int>(MessageId::Count); ++row) {
        const auto id = static_cast<MessageId>(row);
        const int count = batch::ArgumentsOf(id);
        for (const Language language : {Language::English, Language::Russian}) {
            SCOPED_TRACE("row " + std::to_string(row) + ", language " +
                         std::to_string(static_cast<int>(language)));
            const std::string text = Filled(language, id, count);
            EXPECT_FALSE(text.empty());
            EXPECT_EQ(text.find_first_of("{}"), std::string::npos) << text;
            for (int k = 1; k <= count; ++k)
                EXPECT_NE(text.find("10" + std::to_string(k)), std::string::npos) << text;
            if (count > 0) {
                EXPECT_NE(Filled(language, id, count - 1).find('{'), std::string::npos);
            }
        }
    }
}

// The forms by Russian grammar (and the Unicode CLDR rules): 1, 21, 101 поле; 2–4, 22 поля;
// 5–20, 111–114 полей.
TEST(Messages, CountsTakeTheirPluralForms) {
    const struct {
        const char* count;
        const char* russian;
        const char* english;
    } kCounts[] = {{"1", "1 поле, нужно 3", "1 field, expected 3"},
                   {"2", "2 поля, нужно 3", "2 fields, expected 3"},
                   {"4", "4 поля, нужно 3", "4 fields, expected 3"},
                   {"5", "5 полей, нужно 3", "5 fields, expected 3"},
                   {"11", "11 полей, нужно 3", "11 fields, expected 3"},
                   {"12", "12 полей, нужно 3", "12 fields, expected 3"},
                   {"21", "21 поле, нужно 3", "21 fields, expected 3"},
                   {"22", "22 поля, нужно 3", "22 fields, expected 3"},
                   {"101", "101 поле, нужно 3", "101 fields, expected 3"},
                   {"112", "112 полей, нужно 3", "112 fields, expected 3"},
                   {"1024", "1024 поля, нужно 3", "1024 fields, expected 3"}};
    for (const auto& c : kCounts) {
        EXPECT_EQ(batch::Message(Language::Russian, MessageId::FieldCount, {c.count}), c.russian);
        EXPECT_EQ(batch::Message(Language::English, MessageId::FieldCount, {c.count}), c.english);
    }
}

// The options a row of messages.cases names: "columns=I,J,K", "dms", "degrees", "zone=N",
// "keep" (the line as --keep-going writes it).
batch::ConversionOptions RussianOptions(const std::string& from, const std::string& to,
                                        const std::string& words, bool& keep) {
    batch::ConversionOptions options;
    options.language = Language::Russian;
    options.from = *systems::BuiltIn().Find(from);
    options.to = *systems::BuiltIn().Find(to);
    std::istringstream in(words);
    for (std::string word; in >> word;) {
        if (word.starts_with("columns=")) {
            EXPECT_TRUE(batch::ReadColumns(word.substr(8), options.columns));
        }
        if (word.starts_with("zone=")) options.zone = std::stoi(word.substr(5));
        if (word == "dms") options.dms = true;
        if (word == "degrees") options.angles = controller::AngleForm::Degrees;
        keep |= word == "keep";
    }
    return options;
}

// Fields: FROM | TO | options | a line | what is said of it in Russian: its error, the warning
// of a good point, or with "keep" the line written.
TEST(Messages, LinesReadInRussian) {
    const std::string file = COORDCONV_TEST_DATA "/messages.cases";
    for (const auto& c : testing_support::ReadCases(file)) {
        SCOPED_TRACE(c.Where(file));
        bool keep = false;
        const batch::LineConverter lines(
            RussianOptions(c.fields.at(0), c.fields.at(1), c.fields.at(2), keep));
        batch::ConvertedLine line;
        lines.Convert(c.fields.at(3), 1, line);
        const std::string said = keep                                  ? lines.BadLine(line, 1)
                                 : line.kind == batch::LineKind::Error ? line.error
                                 : line.warning != nullptr             ? line.warning
                                                                       : "";
        EXPECT_EQ(said, c.fields.at(4));
    }
}

// The route in Russian has the English one's steps, sources and figures (written by hand from
// the English text of coordconv-cli --describe wgs84-blh sk42-xyh).
TEST(Messages, RouteDescribedInRussian) {
    batch::ConversionOptions options;
    options.from = *systems::BuiltIn().Find("wgs84-blh");
    options.to = *systems::BuiltIn().Find("sk42-xyh");
    options.language = Language::Russian;
    EXPECT_EQ(
        batch::DescribeRoute(options),
        "Маршрут из WGS-84 (BLH) в СК-42  (XYH) с параметрами ГОСТ 32453-2017, через ПЗ-90.11:\n"
        "  1. WGS-84, геодезические -> геоцентрические: замкнутые формулы, точно\n"
        "  2. WGS-84 -> ПЗ-90.11: семь параметров, ГОСТ 32453-2017, приложение Г "
        "(EPSG:7961, затем 7703; заявлено 0,17 м и 0,07 м)\n"
        "  3. ПЗ-90.11 -> СК-42: точное обратное преобразование, ГОСТ 32453-2017, А.1 "
        "(EPSG:15844, затем 7704; заявлено 4 м и 0,2 м)\n"
        "  4. СК-42, геоцентрические -> геодезические: формула Боуринга с итерациями до "
        "сходимости, меньше 0,01 мм\n"
        "  5. СК-42, геодезические -> СК-42, плоские x, y, H (шестиградусные зоны): точная "
        "поперечно-цилиндрическая проекция Меркатора (ряды Крюгера до n^6, Karney 2011), "
        "меньше 0,1 мм\n"
        "Вычисления добавляют меньше 0,1 мм; результат точен настолько, насколько точны "
        "параметры.\n");
    options.parameters = batch::Parameters::Window;
    options.from = *systems::BuiltIn().Find("wgs84-xyz");
    options.to = *systems::BuiltIn().Find("pz90-xyz");
    EXPECT_EQ(batch::DescribeRoute(options),
              "Маршрут из WGS-84 (XYZ) в ПЗ-90  (XYZ) с параметрами окна:\n"
              "  1. WGS-84 (XYZ) -> ПЗ-90  (XYZ): семь параметров: набор окна WGS-84 <-> ПЗ-90 "
              "(dZ 1 м, wZ -0,02″), не совпадающий ни с одним опубликованным\n");
}

}  // namespace
