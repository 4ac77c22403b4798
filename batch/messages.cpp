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
    {IsNoEasting, 0, "is no easting: its millions give no zone from 1 to 60",
     "— не ордината y: её миллионы не дают зоны от 1 до 60"},
    {IsNoNorthing, 1, "is no northing: beyond the pole ({1} m from the equator)",
     "— не абсцисса x: дальше полюса ({1} м от экватора)"},
    {BeyondZoneEdge, 0,
     "more than 1 degree beyond its zone's edge: the projection is less accurate there",
     "больше чем на 1 градус за краем своей зоны: проекция там менее точна"},
    {NearTheCentre, 0,
     "within 100 km of the centre of the Earth, where its latitude is not reliable",
     "ближе 100 км к центру Земли, где широта ненадёжна"},
    {SkippedPoint, 0, "a header line that reads as a point: copied unconverted (--skip)",
     "строка заголовка читается как точка: скопирована без пересчёта"},

    {NoWindowLatitude, 1, "the window's formulas give no latitude here ({1} degrees)",
     "формулы окна не дают здесь широты ({1}°)"},
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

    {RouteOfficial, 2,
     "Route from {1} to {2} with the parameters of GOST 32453-2017, through PZ-90.11:\n",
     "Маршрут из {1} в {2} с параметрами ГОСТ 32453-2017, через ПЗ-90.11:\n"},
    {RouteOfficialOneDatum, 2,
     "Route from {1} to {2} with the parameters of GOST 32453-2017, on one datum:\n",
     "Маршрут из {1} в {2} с параметрами ГОСТ 32453-2017, в одной системе отсчёта:\n"},
    {RouteOfficialEnd, 0,
     "The arithmetic adds less than 0.1 mm; the result is as accurate as the parameters.\n",
     "Вычисления добавляют меньше 0,1 мм; результат точен настолько, насколько точны "
     "параметры.\n"},
    {RouteWindow, 2, "Route from {1} to {2} with the window's parameters:\n",
     "Маршрут из {1} в {2} с параметрами окна:\n"},
    {RouteNoWindow, 2,
     "No route from {1} to {2} with the window's parameters: they join only the window's seven "
     "systems.\n",
     "Нет маршрута из {1} в {2} с параметрами окна: они связывают только семь систем окна.\n"},
    {RouteWindowDiffers, 0,
     "The window's WGS-84 <-> SK-42 differs from GOST 32453-2017 by 1.3 to 5.1 m over Russia "
     "(RMS 3.4 m).\n",
     "Переход WGS-84 <-> СК-42 окна отличается от ГОСТ 32453-2017 на 1,3–5,1 м по территории "
     "России (СКО 3,4 м).\n"},
    {FormGeocentric, 1, "{1} geocentric X, Y, Z", "{1}, геоцентрические X, Y, Z"},
    {FormGeodetic, 1, "{1} geodetic B, L, H", "{1}, геодезические B, L, H"},
    {FormPlane, 1, "{1} plane x, y, H (six-degree zones)",
     "{1}, плоские x, y, H (шестиградусные зоны)"},
    {StepPlaneToGeodetic, 1,
     "{1} -> geodetic: exact transverse Mercator inverse (Krueger's series to n^6, Karney "
     "2011), below 0.1 mm",
     "{1} -> геодезические: точная обратная поперечно-цилиндрическая проекция Меркатора (ряды "
     "Крюгера до n^6, Karney 2011), меньше 0,1 мм"},
    {StepGeodeticToGeocentric, 1, "{1} geodetic -> geocentric: closed form, exact",
     "{1}, геодезические -> геоцентрические: замкнутые формулы, точно"},
    {StepToPz9011, 2, "{1} -> PZ-90.11: seven parameters of {2}",
     "{1} -> ПЗ-90.11: семь параметров, {2}"},
    {StepFromPz9011, 2, "PZ-90.11 -> {1}: exact inverse of {2}",
     "ПЗ-90.11 -> {1}: точное обратное преобразование, {2}"},
    {StepGeocentricToGeodetic, 1,
     "{1} geocentric -> geodetic: Bowring's formula iterated to convergence, below 0.01 mm",
     "{1}, геоцентрические -> геодезические: формула Боуринга с итерациями до сходимости, "
     "меньше 0,01 мм"},
    {StepGeodeticToPlane, 2,
     "{1} geodetic -> {2}: exact transverse Mercator (Krueger's series to n^6, Karney 2011), "
     "below 0.1 mm",
     "{1}, геодезические -> {2}: точная поперечно-цилиндрическая проекция Меркатора (ряды "
     "Крюгера до n^6, Karney 2011), меньше 0,1 мм"},
    {StepUnchanged, 1, "{1}: unchanged", "{1}: без изменений"},
    {SourceWgs84, 0, "GOST 32453-2017 appendix G (EPSG:7961 then 7703, stated 0.17 m and 0.07 m)",
     "ГОСТ 32453-2017, приложение Г (EPSG:7961, затем 7703; заявлено 0,17 м и 0,07 м)"},
    {SourcePz90, 0, "GOST 32453-2017 appendix V (EPSG:7704, stated 0.2 m)",
     "ГОСТ 32453-2017, приложение В (EPSG:7704; заявлено 0,2 м)"},
    {SourceSk42, 0, "GOST 32453-2017 A.1 (EPSG:15844 then 7704, stated 4 m and 0.2 m)",
     "ГОСТ 32453-2017, А.1 (EPSG:15844, затем 7704; заявлено 4 м и 0,2 м)"},
    {SourceSk95, 0, "GOST 32453-2017 A.3 (EPSG:1257 then 7704, stated 1 m and 0.2 m)",
     "ГОСТ 32453-2017, А.3 (EPSG:1257, затем 7704; заявлено 1 м и 0,2 м)"},
    {SourcePz9011, 0, "GOST 32453-2017 A.5 (EPSG:7705, stated 0.03 m)",
     "ГОСТ 32453-2017, А.5 (EPSG:7705; заявлено 0,03 м)"},
    {WindowGaussKrueger, 0,
     "the window's Gauss-Krueger series of SK-42 (the inverse: 1.8 mm within the zone, 7 cm at "
     "6 degrees)",
     "ряды Гаусса–Крюгера окна для СК-42 (обратные: 1,8 мм в пределах зоны, 7 см на 6 "
     "градусах)"},
    {WindowClosedForm, 0, "closed form, exact", "замкнутые формулы, точно"},
    {WindowIteration, 0,
     "the window's iteration, one pass behind (0.62 mm to 9 km of height, 2.2 mm at 20 000 km; "
     "nearer than 1e-4 degrees to a pole up to 0.1 m, 0.4 m at 20 000 km)",
     "итерации окна, отстающие на один проход (0,62 мм до высоты 9 км, 2,2 мм на 20 000 км; "
     "ближе 1e-4 градуса к полюсу до 0,1 м, 0,4 м на 20 000 км)"},
    {WindowMolodensky, 1,
     "Molodensky's formulas (0.7 cm to 70 degrees, 1.2 cm to 80, 1 m at 89.9) with {1}",
     "формулы Молоденского (0,7 см до 70 градусов, 1,2 см до 80, 1 м на 89,9), {1}"},
    {WindowSevenParameters, 1, "seven parameters: {1}", "семь параметров: {1}"},
    {WindowSk42Set, 0, "the PZ-90 <-> SK-42 set of GOST R 51794-2001 (EPSG:15844, stated 4 m)",
     "набор ПЗ-90 <-> СК-42 из ГОСТ Р 51794-2001 (EPSG:15844; заявлено 4 м)"},
    {WindowWgs84Set, 0,
     "the window's WGS-84 <-> PZ-90 set (dZ 1 m, wZ -0.02\"), which matches no published set",
     "набор окна WGS-84 <-> ПЗ-90 (dZ 1 м, wZ -0,02″), не совпадающий ни с одним "
     "опубликованным"},
    {Unchanged, 0, "unchanged", "без изменений"},
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
