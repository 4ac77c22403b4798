// The report of a domain error inside the mathematics library ("asin: DOMAIN error").
// The engine calls ReportMathError; what the user sees is up to the program, which
// installs its own handler once at start-up. The default writes one line to stderr.
#pragma once

#include <string>

namespace engine {

// function is the library function's name ("asin"), kind the error kind ("DOMAIN").
using MathErrorHandler = void (*)(const char* function, const char* kind);

// Installs a process-wide handler (nullptr restores the default); returns the previous one.
MathErrorHandler SetMathErrorHandler(MathErrorHandler handler);

void ReportMathError(const char* function, const char* kind);

// The report's text, after the pattern "%s: %s error".
std::string FormatMathError(const char* function, const char* kind);

}  // namespace engine
