// The common points of tests/data/fit.cases by set, and a fit's parameters by name: shared by
// the suite and by fit_report, the NumPy oracle's peer.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "case_file.h"
#include "fit/fit.h"

namespace fit_testing {

inline const std::string kCaseFile = COORDCONV_TEST_DATA "/fit.cases";

inline std::vector<fit::CommonPoint> ParsePoint(const std::string& name, const std::string& source,
                                                const std::string& target) {
    const std::vector<double> s = testing_support::Numbers(source),
                              t = testing_support::Numbers(target);
    return {{name, {s.at(0), s.at(1), s.at(2)}, {t.at(0), t.at(1), t.at(2)}}};
}

// "point | SET | NAME | source | target" lines, by set.
inline std::map<std::string, std::vector<fit::CommonPoint>> PointSets() {
    std::map<std::string, std::vector<fit::CommonPoint>> sets;
    for (const auto& row : testing_support::ReadCases(kCaseFile))
        if (row.fields.at(0) == "point")
            sets[row.fields.at(1)].push_back(
                ParsePoint(row.fields.at(2), row.fields.at(3), row.fields.at(4)).front());
    return sets;
}

// Points written inline: "name x y H x′ y′ H′; name …".
inline std::vector<fit::CommonPoint> InlinePoints(const std::string& field) {
    std::vector<fit::CommonPoint> points;
    for (const std::string& text : testing_support::Split(field, ';')) {
        const auto words = testing_support::Split(text, ' ');
        std::string source, target;
        for (std::size_t i = 1; i < words.size(); ++i)
            (i <= 3 ? source : target) += words[i] + " ";
        points.push_back(ParsePoint(words.at(0), source, target).front());
    }
    return points;
}

inline const fit::Parameter* Named(const fit::Result& result, const std::string& name) {
    for (const fit::Parameter& parameter : result.parameters)
        if (parameter.name == name) return &parameter;
    return nullptr;
}

// How near a parameter must come to another value to count as the same: `relative` of the
// value, or what coordinates of 10⁷ m carry (10⁻⁹ m apart in doubles) over a spread of 10 km:
// 10⁻⁹ m, and 10⁻¹³ of a ratio or a radian (10⁻⁷ ppm, 2·10⁻⁸″).
inline double Agreement(double relative, const fit::Parameter& parameter) {
    const double floor = parameter.unit == "m"     ? 1e-9
                         : parameter.unit == "″"   ? 1e-13 * 648000 / 3.14159265358979
                         : parameter.unit == "ppm" ? 1e-7
                                                   : 1e-13;
    return std::max(relative * std::abs(parameter.value), floor);
}

}  // namespace fit_testing
