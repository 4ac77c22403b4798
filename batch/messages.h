// Every text the library writes about a line or a route, in English (coordconv-cli's, kept byte
// for byte: scripts read them) and in Russian (the batch window's), one table row each.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "systems/text.h"

namespace batch {

using systems::Figure;
using systems::Language;

// The rows of the table (messages.cpp), in its order.
enum class MessageId {
    // A field of a line: "field N" and what is wrong with it.
    Field,
    FieldText,
    IsEmpty,
    IsNotANumber,
    IsOutOfRange,
    HasNoClosingQuote,
    HasTextAfterQuote,
    IsNotUtf8,
    IsNotAnAngle,
    // An angle in degrees, minutes and seconds (dms.cpp).
    IsLatitudeLetter,
    IsLongitudeLetter,
    HasSignsAndHemispheres,
    HasEmptyPart,
    HasSignInside,
    HasFractionBeforeLast,
    HasSixtyMinutes,
    HasSixtySeconds,
    // The fields of a line.
    FieldCount,
    FieldsBeforeColumn,
    BlanksAndCommas,
    CommaAmidDigits,
    SplitAt,
    SplitAtSemicolons,
    SplitAtCommas,
    SplitAtTabs,
    SplitAtBlanks,
    DecimalPointHint,
    // The domain of the input (input_domain.cpp), and its warnings.
    IsNoHeight,
    IsNoLatitude,
    IsNoLongitude,
    IsNoEastingOfZone,
    IsNoEasting,
    IsNoNorthing,
    BeyondZoneEdge,
    NearTheCentre,
    SkippedPoint,
    // A coordinate of a GIS file's vertex ("y (latitude)") and what is wrong with it.
    Coordinate,
    AxisLatitude,
    AxisLongitude,
    AxisNorthing,
    AxisEasting,
    AxisHeight,
    // The conversion of a point and of a line.
    NoWindowLatitude,
    OutsideProjection,
    OutsideGeoid,
    GeoidHole,
    WindowBeyondPole,
    NotFinite,
    WindowDomainError,
    LongerThan,
    OtherZone,
    Utf16,
    // Recoding a line into the output's encoding (encoding.cpp).
    AtByte,
    NotUtf8,
    UndefinedByte98,
    NoWindows1251Form,
    Recoded,
    // A bad line in the output (--keep-going).
    ErrorMark,
    ErrorMarkOfLine,
    // A GIS file's vertices, features and layers (formats/).
    GisNotFinite,
    GisFileZone,
    GisCrsDisagrees,
    GisGeocentric,
    GisProjected,
    GisGeodetic,
    GisLinesOfPoints,
    GisPointsLeftBehind,
    GisOneGeometry,
    GisFieldLeftOut,
    GisNoCoordinates,
    GisWithoutCoordinates,
    GisEleLeftOut,
    GisDriverRefuses,
    GisWgs84Only,
    Count
};

// The message in `language`: {N} takes argument N (from 1); {N:one|other} in English and
// {N:one|few|many} in Russian take the plural form the integer argument N asks for. A
// placeholder without its argument stays as written.
std::string Message(Language language, MessageId id,
                    std::initializer_list<std::string_view> arguments = {});

// A message without placeholders, as a text that lives as long as the program (a warning).
const char* MessageText(Language language, MessageId id);

// How many arguments the message takes.
int ArgumentsOf(MessageId id);

}  // namespace batch
