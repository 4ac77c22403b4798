// Runs tests/data/engine.cases: each line one engine operation on one input, with the
// expected output, its tolerance and where the expected value comes from.
#include <gtest/gtest.h>

#include <iomanip>
#include <string>

#include "engine_operations.h"

namespace engine {
namespace {

using testing_support::Numbers;

// Fields: operation | parameters | input | expected | tolerance | source.
TEST(EngineCases, EveryCaseOfTheTable) {
    const std::string file = COORDCONV_TEST_DATA "/engine.cases";
    const MathErrorHandler previous = SetMathErrorHandler([](const char*, const char*) {});
    for (const auto& c : testing_support::ReadCases(file)) {
        ASSERT_EQ(c.fields.size(), 6u) << c.Where(file);
        const auto out = testing_support::Apply(c.fields[0], c.fields[1], Numbers(c.fields[2]));
        const auto expected = Numbers(c.fields[3]);
        ASSERT_EQ(out.size(), expected.size()) << c.Where(file) << ": " << c.fields[0];
        for (std::size_t i = 0; i < out.size(); ++i) {
            EXPECT_TRUE(testing_support::Meets(out[i], expected[i], std::stod(c.fields[4])))
                << c.Where(file) << ": " << c.fields[0] << " output " << i + 1 << " is "
                << std::setprecision(17) << out[i] << ", expected " << expected[i] << " ± "
                << c.fields[4] << " (" << c.fields[5] << ")";
        }
    }
    SetMathErrorHandler(previous);
}

// Without a handler of its own, a program gets the report as one line on stderr.
TEST(EngineCases, TheDefaultReportIsOneLineOnStandardError) {
    SetMathErrorHandler(nullptr);
    ::testing::internal::CaptureStderr();
    ReportMathError("asin", "DOMAIN");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "asin: DOMAIN error\n");
}

}  // namespace
}  // namespace engine
