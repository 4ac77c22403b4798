#include "engine/math_error.h"

#include <atomic>
#include <cstdio>

namespace engine {

namespace {

void WriteToStderr(const char* function, const char* kind) {
    std::fprintf(stderr, "%s\n", FormatMathError(function, kind).c_str());
}

std::atomic<MathErrorHandler> installedHandler{&WriteToStderr};

}  // namespace

MathErrorHandler SetMathErrorHandler(MathErrorHandler handler) {
    return installedHandler.exchange(handler ? handler : &WriteToStderr);
}

void ReportMathError(const char* function, const char* kind) {
    installedHandler.load()(function, kind);
}

std::string FormatMathError(const char* function, const char* kind) {
    char text[128];
    std::snprintf(text, sizeof text, "%s: %s error", function, kind);
    return text;
}

}  // namespace engine
