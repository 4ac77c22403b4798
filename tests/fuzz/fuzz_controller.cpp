// The controller: ConvertPoint for every pair of systems, and the dialog's operations in
// any order with any field texts, keeping the dialog's invariants and each action's
// promises after every step.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <string>

#include "engine/math_error.h"
#include "fake_controls.h"

using namespace controller;
using testing_support::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    engine::SetMathErrorHandler([](const char*, const char*) {});
    std::size_t at = 0;
    const auto byte = [&] { return at < size ? data[at++] : 0; };

    // One conversion of raw doubles between any two systems: a pair without a chain
    // leaves the values as they are, bit for bit.
    const auto from = static_cast<CoordinateSystem>(byte() % 7);
    const auto to = static_cast<CoordinateSystem>(byte() % 7);
    std::array<double, 3> values{};
    for (double& v : values) {
        std::uint64_t bits = 0;
        for (int i = 0; i < 8; ++i)
            bits = bits << 8 | byte();
        std::memcpy(&v, &bits, sizeof v);
    }
    const std::array<double, 3> before = values;
    int zone = static_cast<std::int8_t>(byte());
    ConvertPoint(from, to, values, zone);
    Check(HasChain(from, to) || std::memcmp(&values, &before, sizeof values) == 0);

    // The dialog, driven by the rest of the bytes: an action, a choice, a text.
    testing::FakeControls c;
    SetUpDialogControls(c);
    Check(!c.Problem());
    while (at < size) {
        const int what = byte(), choice = byte();
        const std::size_t length = std::min<std::size_t>(byte() % 24, size - std::min(at, size));
        const std::string text(reinterpret_cast<const char*>(data + at), length);
        at += length;
        Check(!c.Act(what, choice, text));
    }
    return 0;
}
