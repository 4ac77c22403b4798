#include "cli/fit_output.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "cli/report.h"

namespace cli {

namespace {

std::string Fixed(double value, int decimals) {
    if (!std::isfinite(value)) return "-";
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    // A value that rounds to zero is written without a sign: "-0.0000" reads as a finding.
    const std::string_view written = text;
    if (written.starts_with('-') && written.find_first_not_of("-0.") == std::string_view::npos)
        return std::string(written.substr(1));
    return text;
}

// Digits after the point by unit: 0.1 mm, 0.0001″ (3 mm on the Earth), 0.0001 ppm; a plain
// ratio of an affine map to 1e-12 (6 µm at 6 000 km).
int Decimals(std::string_view unit) {
    return unit.empty() ? 12 : 4;
}

// Characters, not bytes: names and units may be Cyrillic or ″.
std::size_t Width(std::string_view text) {
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

std::string Left(std::string_view text, std::size_t width) {
    return std::string(text) + std::string(width > Width(text) ? width - Width(text) : 0, ' ');
}
std::string Right(std::string_view text, std::size_t width) {
    return std::string(width > Width(text) ? width - Width(text) : 0, ' ') + std::string(text);
}

std::string Joined(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names)
        text += (text.empty() ? "" : ", ") + Printable(name);
    return text;
}

// A point's residuals with the heights' dh (from the height plane's fit) beside the plane's.
struct Row {
    const fit::PointResidual* plane;
    const fit::PointResidual* height;  // nullptr without --heights
};

std::vector<Row> Rows(const FitReport& report) {
    std::vector<Row> rows;
    for (const fit::PointResidual& point : report.fit.points) {
        const fit::PointResidual* height = nullptr;
        if (report.heights) {
            for (const fit::PointResidual& h : report.heights->points)
                if (h.name == point.name) height = &h;
        }
        rows.push_back({&point, height});
    }
    return rows;
}

// dh: helmert7's up, the height plane's, or none where heights were not fitted.
double Dh(const FitReport& report, const Row& row, bool leftOut) {
    if (report.fit.model == fit::Model::Helmert7)
        return leftOut ? row.plane->leaveOneOut[2] : row.plane->residual[2];
    if (row.height) return leftOut ? row.height->leaveOneOut[2] : row.height->residual[2];
    return NAN;
}

std::string ParameterLines(const fit::Result& result) {
    std::size_t nameWidth = 9;
    for (const fit::Parameter& p : result.parameters)
        nameWidth = std::max(nameWidth, Width(p.name));
    std::string text =
        Left("parameter", nameWidth) + Right("value", 22) + Right("std. error", 19) + "\n";
    for (const fit::Parameter& p : result.parameters) {
        const int decimals = Decimals(p.unit);
        text += Left(p.name, nameWidth) + Right(Fixed(p.value, decimals), 18) + " " +
                Left(p.unit, 3) + Right(Fixed(p.standardError, decimals), 15) + " " + p.unit;
        while (text.back() == ' ')
            text.pop_back();
        text += "\n";
    }
    return text;
}

std::string Summary(const fit::Result& result, bool toleranceGiven) {
    char condition[32];
    std::snprintf(condition, sizeof condition, "%.3g", result.conditionNumber);
    return "points " + std::to_string(result.pointCount) + ", degrees of freedom " +
           std::to_string(result.degreesOfFreedom) + ", sigma0 " + Fixed(result.sigma0, 4) +
           " m, condition number " + condition + ", tolerance " + Fixed(result.tolerance, 4) +
           " m" + (toleranceGiven ? "" : " (3 sigma0)") + "\n";
}

// JSON texts: strings escaped (quotes, backslashes, control characters; UTF-8 as it is),
// numbers to the last bit, null for what was not computed.
std::string JsonString(std::string_view text) {
    return systems::QuotedString(text);
}

std::string JsonNumber(double value) {
    if (!std::isfinite(value)) return "null";
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

std::string JsonNames(const std::vector<std::string>& names) {
    std::string text = "[";
    for (const std::string& name : names)
        text += (text.size() > 1 ? ", " : "") + JsonString(name);
    return text + "]";
}

std::string JsonTriple(double a, double b, double c) {
    return "[" + JsonNumber(a) + ", " + JsonNumber(b) + ", " + JsonNumber(c) + "]";
}

}  // namespace

std::string FitText(const FitReport& report) {
    const fit::Result& result = report.fit;
    const bool toleranceGiven = report.toleranceGiven;
    std::string text = "model " + std::string(fit::ModelName(result.model)) + "\n";
    for (const std::string& line : report.about)
        text += line + "\n";
    text += "\n" + ParameterLines(result) + Summary(result, toleranceGiven);
    if (report.heights) {
        text += "\nheights (height-plane)\n" + ParameterLines(*report.heights) +
                Summary(*report.heights, toleranceGiven);
    }
    const bool helmert = result.model == fit::Model::Helmert7;
    text += helmert ? "\nresiduals in metres, target - fitted (north, east, up), worst first;\n"
                    : "\nresiduals in metres, target - fitted, worst first;\n";
    text += "leave-one-out: the point's planimetric residual when the others alone fit\n";
    std::size_t nameWidth = 5;
    for (const fit::PointResidual& point : result.points)
        nameWidth = std::max(nameWidth, Width(Printable(point.name)));
    constexpr std::size_t kColumn = 11;
    text += Left("point", nameWidth) + Right(helmert ? "dn" : "dx", kColumn) +
            Right(helmert ? "de" : "dy", kColumn) + Right(helmert ? "du" : "dh", kColumn) +
            Right("planimetric", 13) + Right("leave-one-out", 15) + "\n";
    for (const Row& row : Rows(report)) {
        const fit::PointResidual& p = *row.plane;
        const bool flagged = p.flagged || (row.height && row.height->flagged);
        text += Left(Printable(p.name), nameWidth) + Right(Fixed(p.residual[0], 4), kColumn) +
                Right(Fixed(p.residual[1], 4), kColumn) +
                Right(Fixed(Dh(report, row, false), 4), kColumn) +
                Right(Fixed(p.planimetric, 4), 13) + Right(Fixed(p.leaveOneOutPlanimetric, 4), 15) +
                (flagged ? "  * beyond tolerance" : "") + "\n";
    }
    if (!report.excluded.empty()) text += "\nexcluded: " + Joined(report.excluded) + "\n";
    if (!report.ignored.empty()) {
        text += (report.excluded.empty() ? "\n" : "") +
                std::string("ignored (in one list only): ") + Joined(report.ignored) + "\n";
    }
    std::vector<std::string> warnings = report.warnings;
    for (const fit::Result* fitted : {&result, report.heights ? &*report.heights : nullptr}) {
        if (fitted)
            warnings.insert(warnings.end(), fitted->warnings.begin(), fitted->warnings.end());
    }
    for (const std::string& warning : warnings)
        text += "warning: " + warning + "\n";
    if (!report.saved.empty()) text += "saved: " + report.saved + "\n";
    return text;
}

std::string FitJson(const FitReport& report) {
    const fit::Result& result = report.fit;
    std::string json = "{\"model\": " + JsonString(fit::ModelName(result.model)) + ",\n";
    json += " \"parameters\": {";
    bool first = true;
    for (const fit::Result* fitted : {&result, report.heights ? &*report.heights : nullptr}) {
        if (!fitted) continue;
        for (const fit::Parameter& p : fitted->parameters) {
            json += std::string(first ? "\n" : ",\n") + "  " + JsonString(p.name) +
                    ": {\"value\": " + JsonNumber(p.value) +
                    ", \"standard_error\": " + JsonNumber(p.standardError) +
                    ", \"unit\": " + JsonString(p.unit) + "}";
            first = false;
        }
    }
    json += "},\n";
    json += " \"sigma0\": " + JsonNumber(result.sigma0) + ",\n";
    if (report.heights) json += " \"height_sigma0\": " + JsonNumber(report.heights->sigma0) + ",\n";
    json += " \"point_count\": " + std::to_string(result.pointCount) + ",\n";
    json += " \"degrees_of_freedom\": " + std::to_string(result.degreesOfFreedom) + ",\n";
    json += " \"condition_number\": " + JsonNumber(result.conditionNumber) + ",\n";
    json += " \"tolerance\": " + JsonNumber(result.tolerance) + ",\n";
    json += " \"points\": [";
    first = true;
    for (const Row& row : Rows(report)) {
        const fit::PointResidual& p = *row.plane;
        json +=
            std::string(first ? "\n" : ",\n") + "  {\"name\": " + JsonString(p.name) +
            ", \"residuals\": " + JsonTriple(p.residual[0], p.residual[1], Dh(report, row, false)) +
            ", \"leave_one_out\": " +
            JsonTriple(p.leaveOneOut[0], p.leaveOneOut[1], Dh(report, row, true)) +
            ", \"flagged\": " +
            (p.flagged || (row.height && row.height->flagged) ? "true" : "false") + "}";
        first = false;
    }
    json += "],\n";
    json += " \"ignored\": " + JsonNames(report.ignored) + ",\n";
    json += " \"excluded\": " + JsonNames(report.excluded) + ",\n";
    std::vector<std::string> warnings = report.warnings;
    for (const fit::Result* fitted : {&result, report.heights ? &*report.heights : nullptr}) {
        if (fitted)
            warnings.insert(warnings.end(), fitted->warnings.begin(), fitted->warnings.end());
    }
    json += " \"warnings\": " + JsonNames(warnings);
    if (!report.saved.empty()) json += ",\n \"saved\": " + JsonString(report.saved);
    return json + "}\n";
}

}  // namespace cli
