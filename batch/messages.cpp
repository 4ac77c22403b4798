#include "batch/messages.h"

#include <algorithm>
#include <array>

namespace batch {

namespace {

using enum MessageId;

struct Row {
    MessageId id;
    int arguments;
    const char* english;
    const char* russian;
};

// A field's own text stands in quotes: "55xx30" in English, «55xx30» in Russian. The Russian
// figures are written with the decimal comma, as Russian texts write them.
constexpr Row kRows[] = {
    {Field, 2, "field {1} {2}", "поле {1} {2}"},
    {FieldText, 3, "field {1} \"{2}\" {3}", "поле {1} «{2}» {3}"},
    {IsEmpty, 0, "is empty", "пустое"},
    {IsNotANumber, 0, "is not a number", "— не число"},
    {IsOutOfRange, 0, "is out of range", "— число вне допустимого диапазона"},
    {HasNoClosingQuote, 0,
     "has no closing quote on its line (a field cannot go on to the next line)",
     "— нет закрывающей кавычки в строке (поле не может переходить на следующую строку)"},
    {HasTextAfterQuote, 0, "has text after its closing quote", "— текст после закрывающей кавычки"},
    {IsNotUtf8, 0, "is not UTF-8 (--encoding windows-1251 reads a Windows-1251 file)",
     "— не UTF-8 (файл в Windows-1251 читается с --encoding windows-1251)"},
    {IsNotAnAngle, 0, "is not an angle", "— не угол"},

    {IsLatitudeLetter, 0, "is a latitude: N or S, not E or W",
     "— широта: N или S (С или Ю), а не E или W (В или З)"},
    {IsLongitudeLetter, 0, "is a longitude: E or W, not N or S",
     "— долгота: E или W (В или З), а не N или S (С или Ю)"},
    {HasSignsAndHemispheres, 0, "has more than one sign or hemisphere",
     "— больше одного знака или полушария"},
    {HasEmptyPart, 0, "is not an angle: a part is empty", "— не угол: одна из частей пустая"},
    {HasSignInside, 0, "is not an angle: only the whole angle may have a sign",
     "— не угол: знак ставится только перед всем углом"},
    {HasFractionBeforeLast, 0, "is not an angle: only the last part may have a fraction",
     "— не угол: дробной может быть только последняя часть"},
    {HasSixtyMinutes, 0, "has 60 minutes or more", "— 60 минут или больше"},
    {HasSixtySeconds, 0, "has 60 seconds or more", "— 60 секунд или больше"},

    {FieldCount, 1, "{1} {1:field|fields}, expected 3", "{1} {1:поле|поля|полей}, нужно 3"},
    {FieldsBeforeColumn, 2, "{1} {1:field|fields}, the coordinates are asked for in field {2}",
     "{1} {1:поле|поля|полей}, а координаты запрошены в поле {2}"},
    {BlanksAndCommas, 0,
     "fields apart by blanks and by commas: --separator says which one separates them",
     "поля разделены и пробелами, и запятыми: какой из них разделитель, указывает --separator"},
    {CommaAmidDigits, 0,
     "a comma between digits, in a line split at blanks and commas: these cannot carry a "
     "decimal comma, fields apart by semicolons or tabs can",
     "запятая между цифрами в строке, разделённой пробелами и запятыми: в такой строке "
     "десятичной запятой быть не может, в полях через точку с запятой или табуляцию — может"},
    {SplitAt, 1, " (split at its {1}; --separator chooses another)",
     " (поля разделены {1}; другой разделитель задаёт --separator)"},
    {SplitAtSemicolons, 0, "semicolons", "точками с запятой"},
    {SplitAtCommas, 0, "commas", "запятыми"},
    {SplitAtTabs, 0, "tabs", "табуляциями"},
    {SplitAtBlanks, 0, "blanks", "пробелами"},
    {DecimalPointHint, 0,
     " (the decimal separator is the point; --decimal-comma reads a comma in fields apart by "
     "semicolons or tabs)",
     " (десятичный разделитель — точка; --decimal-comma читает запятую в полях, разделённых "
     "точками с запятой или табуляциями)"},

    {IsNoHeight, 1,
     "is no height: at or below {1} m the point lies within 1 km of the centre of the Earth or "
     "beyond it",
     "— не высота: на {1} м и ниже точка ближе 1 км к центру Земли или за ним"},
    {IsNoLatitude, 0, "is no latitude: beyond 90 degrees", "— не широта: больше 90 градусов"},
    {IsNoLongitude, 0, "is no longitude: beyond 360 degrees", "— не долгота: больше 360 градусов"},
    {IsNoEastingOfZone, 1, "is no easting of zone {1}: its millions name another",
     "— не ордината y зоны {1}: её миллионы указывают другую зону"},
    {IsNoEasting, 1, "is no easting: its millions give no zone from 1 to {1}",
     "— не ордината y: её миллионы не дают зоны от 1 до {1}"},
    {IsNoNorthing, 1, "is no northing: beyond the pole (the pole's is {1} m)",
     "— не абсцисса x: дальше полюса (у полюса она {1} м)"},
    {BeyondZoneEdge, 0,
     "more than 1 degree beyond its zone's edge: the projection is less accurate there",
     "больше чем на 1 градус за краем своей зоны: проекция там менее точна"},
    {NearTheCentre, 0,
     "within 100 km of the centre of the Earth, where its latitude is not reliable",
     "ближе 100 км к центру Земли, где широта ненадёжна"},
    {SkippedPoint, 0, "a header line that reads as a point: copied unconverted (--skip)",
     "строка заголовка читается как точка: скопирована без пересчёта"},
    // GIS files hold x east and y north, whatever the system calls them.
    {Coordinate, 2, "{1} {2}", "{1} {2}"},
    {AxisLatitude, 0, "y (latitude)", "y (широта)"},
    {AxisLongitude, 0, "x (longitude)", "x (долгота)"},
    {AxisNorthing, 0, "y (northing)", "y (северная координата)"},
    {AxisEasting, 0, "x (easting)", "x (восточная координата)"},
    {AxisHeight, 0, "z (height)", "z (высота)"},

    {NoWindowLatitude, 1, "the window's formulas give no latitude here ({1} degrees)",
     "формулы окна не дают здесь широты ({1}°)"},
    {OutsideProjection, 0,
     "outside the transverse Mercator's domain (about 81 degrees or more from its central "
     "meridian)",
     "вне области поперечной проекции Меркатора (примерно в 81° или дальше от её осевого "
     "меридиана)"},
    {OutsideGeoid, 1, "outside the grid of the geoid model {1}: no normal height here",
     "вне сетки модели геоида {1}: нормальной высоты здесь нет"},
    {GeoidHole, 1,
     "in a hole of the grid of the geoid model {1} (nodes without values): no normal height "
     "here",
     "в пропуске сетки модели геоида {1} (узлы без значений): нормальной высоты здесь нет"},
    {WindowBeyondPole, 0,
     "the window's formulas put the point a little beyond the pole (their error there is "
     "metres)",
     "формулы окна помещают точку чуть за полюс (их погрешность там — метры)"},
    {NotFinite, 0, "the result is not a finite number", "результат — не конечное число"},
    {WindowDomainError, 0,
     "asin: DOMAIN error (a point within about 21 km of the centre of the Earth)",
     "asin: DOMAIN error (точка ближе примерно 21 км к центру Земли)"},
    {LongerThan, 1, "longer than {1} bytes", "длиннее {1} байт"},
    {OtherZone, 2, "zone {1} was asked for, the point is in zone {2}",
     "запрошена зона {1}, а точка в зоне {2}"},
    {Utf16, 0,
     "the file is UTF-16 (Excel's \"Unicode Text\"): save it as CSV, in UTF-8 or Windows-1251",
     "файл в UTF-16 («Текст в Юникоде» Excel): сохраните его как CSV, в UTF-8 или Windows-1251"},

    {AtByte, 2, "byte {1}: {2}", "байт {1}: {2}"},
    {NotUtf8, 0, "not UTF-8 (--encoding windows-1251 reads a Windows-1251 file)",
     "не UTF-8 (файл в Windows-1251 читается с --encoding windows-1251)"},
    {UndefinedByte98, 0, "0x98 is no character of Windows-1251", "0x98 — не символ Windows-1251"},
    {NoWindows1251Form, 2, "\"{1}\" (U+{2}) has no Windows-1251 form",
     "«{1}» (U+{2}) нет в Windows-1251"},
    {Recoded, 0, "recoded", "перекодировано"},

    {ErrorMark, 1, " # error: {1}", " # ошибка: {1}"},
    {ErrorMarkOfLine, 2, "# error: line {1}: {2}", "# ошибка: строка {1}: {2}"},

    {GisNotFinite, 3, "the coordinates are not finite numbers (x {1}, y {2}, z {3})",
     "координаты — не конечные числа (x {1}, y {2}, z {3})"},
    {GisFileZone, 2,
     "the file's zone is {1} (its first point's; --zone chooses another), the point is in zone "
     "{2}",
     "зона файла — {1} (по его первой точке; другую задаёт поле «Зона»), а точка в зоне {2}"},
    {GisCrsDisagrees, 5,
     "its CRS is \"{1}\" ({2}, {3}), not FROM's {4} ({5}): its coordinates are converted as {4}'s",
     "его система координат — «{1}» ({2}, {3}), а не исходная {4} ({5}): координаты "
     "пересчитаны как координаты {4}"},
    {GisGeocentric, 0, "geocentric", "геоцентрическая"},
    {GisProjected, 0, "projected", "плоская"},
    {GisGeodetic, 0, "geodetic", "геодезическая"},
    {GisLinesOfPoints, 1,
     "its own fields (a name ...) are not written: GDAL's GPX writer makes each of them of its "
     "points (\"{1}\"), whose times and other fields are kept",
     "их собственные поля (имя …) не записаны: GPX-драйвер GDAL составляет каждую линию из её "
     "точек («{1}»), а их время и другие поля сохранены"},
    {GisPointsLeftBehind, 2,
     "the times and other fields of the points of \"{1}\" are not written with their lines: "
     "--layer {2} writes them as points",
     "время и другие поля точек слоя «{1}» с его линиями не записываются (их записывает "
     "coordconv-cli --layer {2})"},
    {GisOneGeometry, 2, "{1} holds one geometry a feature: only the field {2} is written",
     "{1} хранит одну геометрию на объект: записано только поле {2}"},
    {GisFieldLeftOut, 2, "the field {1} is left out: {2}", "поле {1} не записано: {2}"},
    {GisNoCoordinates, 0,
     "no geometry, and no coordinate fields (x and y, lon and lat, easting and northing; or "
     "--columns): copied unchanged",
     "ни геометрии, ни полей координат (x и y, lon и lat, easting и northing): скопирован без "
     "изменений"},
    {GisWithoutCoordinates, 2,
     "{1} {1:feature|features} without coordinates (an empty geometry or none; the first: "
     "feature {2}), written unchanged",
     "объектов без координат (геометрия пустая или её нет): {1}, первый — объект {2}; они "
     "записаны без изменений"},
    {GisEleLeftOut, 1,
     "{1} {1:point|points} without a height in the geometry: their field \"ele\", not "
     "converted, is not written",
     "точек без высоты в геометрии: {1}; их поле «ele», не пересчитанное, не записано"},
    {GisDriverRefuses, 2, "GDAL's {1} driver refuses it: {2}",
     "драйвер GDAL {1} его не принимает: {2}"},
    {GisWgs84Only, 2,
     "{1} holds WGS-84 longitudes and latitudes only, and GDAL would turn {2} back into them "
     "through PROJ's own transformation: convert to wgs84-blh, or write {2} to a GeoPackage, "
     "Shapefile, GeoJSON, DXF or CSV file",
     "{1} хранит только долготы и широты WGS-84, а GDAL перевёл бы в них {2} своим "
     "преобразованием PROJ: пересчитайте в WGS-84 (B, L) или запишите {2} в GeoPackage, "
     "Shapefile, GeoJSON, DXF или CSV"},
};

static_assert(std::size(kRows) == static_cast<std::size_t>(MessageId::Count));
constexpr bool InOrder() {
    for (std::size_t i = 0; i < std::size(kRows); ++i) {
        if (kRows[i].id != static_cast<MessageId>(i)) return false;
    }
    return true;
}
static_assert(InOrder(), "the rows stand in the order of MessageId");

const Row& RowOf(MessageId id) {
    return kRows[static_cast<std::size_t>(id)];
}

}  // namespace

std::string Message(Language language, MessageId id,
                    std::initializer_list<std::string_view> arguments) {
    const Row& row = RowOf(id);
    return systems::Fill(language, language == Language::Russian ? row.russian : row.english,
                         arguments);
}

const char* MessageText(Language language, MessageId id) {
    const Row& row = RowOf(id);
    return language == Language::Russian ? row.russian : row.english;
}

int ArgumentsOf(MessageId id) {
    return RowOf(id).arguments;
}

}  // namespace batch
