// The fields' character filters, from tests/data/filter.cases.
#include "framework/validator.h"

#include <gtest/gtest.h>

#include "case_file.h"

namespace framework {
namespace {

// Fields: pattern | text | count | accepted.
TEST(FilterValidator, EveryCaseOfTheTable) {
    const std::string file = COORDCONV_TEST_DATA "/filter.cases";
    for (const auto& c : testing_support::ReadCases(file)) {
        TFilterValidator filter(c.fields.at(0));
        const QString text = QString::fromStdString(c.fields.at(1));
        if (text == "#count") {
            EXPECT_EQ(filter.Set().Count(), std::stoul(c.fields.at(2))) << c.Where(file);
        } else {
            EXPECT_EQ(filter.IsValid(text), c.fields.at(3) == "yes") << c.Where(file);
            EXPECT_EQ(filter.IsValidInput(text, false), c.fields.at(3) == "yes") << c.Where(file);
        }
    }
    EXPECT_TRUE(TValidator().IsValid("anything at all"));
}

}  // namespace
}  // namespace framework
