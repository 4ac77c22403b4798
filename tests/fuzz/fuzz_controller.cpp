// The controller: ConvertPoint for every pair of systems, and the dialog's operations in
// any order with any field texts, keeping the dialog's invariants after every step.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "controller/controller.h"
#include "engine/math_error.h"
#include "fake_controls.h"

using namespace controller;

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

// Reads the fuzzer's bytes as a script.
class Script {
  public:
    Script(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool Done() const { return at_ >= size_; }
    std::uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
    std::string Text() {
        const std::size_t length = std::min<std::size_t>(Byte() % 24, size_ - std::min(at_, size_));
        std::string text(reinterpret_cast<const char*>(data_ + at_), length);
        at_ += length;
        return text;
    }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

// A result text is "0", a number as the general format writes it, or inf or nan.
bool IsResultText(const std::string& text) {
    if (text == "nan" || text == "inf" || text == "-inf") return true;
    const LeadingReal read = ReadLeadingReal(text);
    return read.length == text.size() && FormatGeneral(read.value, ResultDigits) == text;
}

void CheckInvariants(testing::FakeControls& c) {
    const auto& source = c[SourceList];
    const auto& target = c[TargetList];
    Check(source.entries.size() == 7 && source.selected >= 0);
    Check(target.selected >= 0);
    const auto system = FindSystemByName(source.entries[source.selected]);
    Check(system.has_value());
    const auto offered = OfferedTargets(*system);
    Check(target.entries.size() == offered.size());
    for (std::size_t i = 0; i < offered.size(); ++i) {
        Check(target.entries[i] == DisplayName(offered[i]));
    }
    const bool plane = target.entries[target.selected] == DisplayName(CoordinateSystem::Sk42Xyh);
    for (int id : ZoneGroup)
        Check(c[id].visible == plane && c[id].enabled == plane);
    Check(!c[ClearResultsButton].visible && !c[ClearResultsButton].enabled);
    for (int id : ResultFields)
        Check(IsResultText(c[id].text));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    engine::MathErrorHandler quiet = [](const char*, const char*) {};
    engine::SetMathErrorHandler(quiet);
    Script script(data, size);

    // One conversion of raw doubles between any two systems.
    {
        const auto from = static_cast<CoordinateSystem>(script.Byte() % 7);
        const auto to = static_cast<CoordinateSystem>(script.Byte() % 7);
        std::array<double, 3> values{};
        for (double& v : values) {
            std::uint64_t bits = 0;
            for (int i = 0; i < 8; ++i)
                bits = bits << 8 | script.Byte();
            std::memcpy(&v, &bits, sizeof v);
        }
        const std::array<double, 3> before = values;
        int zone = static_cast<std::int8_t>(script.Byte());
        ConvertPoint(from, to, values, zone);
        if (!HasChain(from, to)) {
            for (int i = 0; i < 3; ++i) {
                Check(std::memcmp(&values[i], &before[i], sizeof(double)) == 0);
            }
        }
    }

    // The dialog, driven by the rest of the bytes.
    testing::FakeControls c;
    SetUpDialogControls(c);
    CheckInvariants(c);
    while (!script.Done()) {
        switch (script.Byte() % 7) {
            case 0:
                c[SourceList].selected = script.Byte() % 7;
                CbnSourceSelChange(c);
                break;
            case 1:
                c[TargetList].selected =
                    static_cast<int>(script.Byte() % c[TargetList].entries.size());
                CbnTargetSelChange(c);
                break;
            case 2:
                c[InputFields[script.Byte() % 3]].text = script.Text();
                break;
            case 3:
                c[RequestedZoneField].text = script.Text();
                break;
            case 4:
                CmConvert(c);
                break;
            case 5:
                CmMove(c);
                break;
            case 6:
                c[ResultFields[script.Byte() % 3]].text = script.Text();
                CmMove(c);
                break;
        }
        CheckInvariants(c);
    }
    return 0;
}
