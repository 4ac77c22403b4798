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
using testing_support::Check;

namespace {

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
    Check(!c.Problem());
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
        Check(!c.Problem());
    }
    return 0;
}
