// Numbers as the dialog reads and writes them: lenient reading of real numbers and zone
// numbers, the small-value rule, and the general format with the point as the decimal
// separator whatever the locale.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace controller {

// Significant digits of a result, and of a result moved back to the input side.
inline constexpr int ResultDigits = 12;
inline constexpr int MovedValueDigits = 15;
// Values below this in magnitude count as 0, before and after a conversion.
inline constexpr double SmallValue = 0.0001;
// A zone number beyond this in magnitude is replaced by zone 1.
inline constexpr int LargestZone = 60;

struct LeadingReal {
    double value = 0;
    std::size_t length = 0;  // characters taken, leading white space included; 0 if none
};

// The longest leading part of text that forms a decimal number: optional white space,
// an optional sign, digits with at most one point, an optional exponent. No "inf", "nan"
// or hexadecimal forms. A magnitude beyond the doubles reads as ±infinity.
LeadingReal ReadLeadingReal(std::string_view text);

// Strict reading: the whole text must be one finite decimal number (no blanks).
enum class StrictReal { Number, NotANumber, OutOfRange };
StrictReal ReadStrictReal(std::string_view text, double& value);

// The value of the leading decimal number, 0 when the text does not begin with one.
double ParseReal(std::string_view text);

// Optional white space, an optional sign and decimal digits up to the first other
// character; 0 without digits. Saturates at the int range instead of overflowing.
int ParseZone(std::string_view text);

// The small-value rule: magnitudes below 0.0001 become a positive 0.
double DropSmallValue(double value);

// A zone number whose magnitude exceeds 60 becomes 1.
int LimitZone(int zone);

// General format with the given significant digits (taken into 1 to 17), like printf's
// %g: fixed notation unless the decimal exponent is below −4 or at least the digits; no
// trailing zeros.
// Zero is always "0", never "-0". Non-finite values are written "inf", "-inf", "nan".
std::string FormatGeneral(double value, int significantDigits);

// The same written at out, which has room for MaxGeneralLength characters; returns the
// end of what was written.
inline constexpr int MaxGeneralLength = 32;
char* WriteGeneral(char* out, double value, int significantDigits);

// Fixed notation with the given digits after the point (taken into 0 to 12) at out, which
// has room for MaxFixedLength characters; a value that shows only zeros has no minus.
// Non-finite values as FormatGeneral writes them.
inline constexpr int MaxFixedLength = 330;  // "-", 309 digits, ".", 12 decimals, to spare
char* WriteFixed(char* out, double value, int decimals);

// A latitude or longitude in display form (DDDMMSS.sss) in the general format, or with
// `fixed` in fixed notation with `digits` decimals, never showing 60 seconds or 60 minutes:
// when the digits shown round the seconds up to 60, the text carries into the minutes, and
// 60 minutes into the degrees (373659.9999999 at twelve digits is "373700", not "373660";
// a carry may reach "3600000"). The value is unchanged.
std::string FormatPackedAngle(double display, int significantDigits);
char* WritePackedAngle(char* out, double display, int digits, bool fixed = false);

std::string FormatZone(int zone);
char* WriteZone(char* out, int zone);  // room for 12 characters

}  // namespace controller
