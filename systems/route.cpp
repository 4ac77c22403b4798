#include "systems/route.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "controller/routes.h"
#include "engine/angles.h"
#include "engine/geocentric.h"
#include "engine/helmert.h"
#include "engine/transverse_mercator.h"
#include "systems/proj_text.h"

namespace systems {

namespace {

using controller::CoordinateForm;
using controller::CoordinateSystem;

// The texts of routes and steps, English then Russian; {N} as in Fill.
const Words kRouteOfficial{
    "Route from {1} to {2} with the parameters of GOST 32453-2017, through {3}:\n",
    "Маршрут из {1} в {2} с параметрами ГОСТ 32453-2017, через {3}:\n"};
const Words kRouteOfficialOneDatum{
    "Route from {1} to {2} with the parameters of GOST 32453-2017, on one datum:\n",
    "Маршрут из {1} в {2} с параметрами ГОСТ 32453-2017, в одной системе отсчёта:\n"};
const Words kRouteOfficialEnd{
    "The arithmetic adds less than 0.1 mm; the result is as accurate as the parameters.\n",
    "Вычисления добавляют меньше 0,1 мм; результат точен настолько, насколько точны "
    "параметры.\n"};
const Words kRouteHeightsEnd{
    "Normal heights are as accurate as the geoid model and its grid.\n",
    "Нормальные высоты точны настолько, насколько точны модель геоида и её сетка.\n"};
const Words kRouteWindow{"Route from {1} to {2} with the window's parameters:\n",
                         "Маршрут из {1} в {2} с параметрами окна:\n"};
const Words kRouteNoWindow{
    "No route from {1} to {2} with the window's parameters: they join only the window's seven "
    "systems.\n",
    "Нет маршрута из {1} в {2} с параметрами окна: они связывают только семь систем окна.\n"};
const Words kRouteNeedsZone{
    "{1} eastings do not carry their zone: give it with --zone (37N, 37S).\n",
    "Восточные координаты {1} не несут номера зоны: укажите зону (37N, 37S).\n"};
const Words kRouteWindowDiffers{
    "The window's WGS-84 <-> SK-42 differs from GOST 32453-2017 by 1.3 to 5.1 m over Russia "
    "(RMS 3.4 m).\n",
    "Переход WGS-84 <-> СК-42 окна отличается от ГОСТ 32453-2017 на 1,3–5,1 м по территории "
    "России (СКО 3,4 м).\n"};
const Words kFormGeocentric{"{1} geocentric X, Y, Z", "{1}, геоцентрические X, Y, Z"};
const Words kFormGeodetic{"{1} geodetic B, L, H", "{1}, геодезические B, L, H"};
const Words kFormPlane{"{1} plane x, y, H (six-degree zones)",
                       "{1}, плоские x, y, H (шестиградусные зоны)"};
const Words kStepPlaneToGeodetic{
    "{1} -> geodetic: exact transverse Mercator inverse (Krueger's series to n^6, Karney "
    "2011), below 0.1 mm",
    "{1} -> геодезические: точная обратная поперечно-цилиндрическая проекция Меркатора (ряды "
    "Крюгера до n^6, Karney 2011), меньше 0,1 мм"};
const Words kStepGeodeticToGeocentric{
    "{1} geodetic -> geocentric: closed form, exact",
    "{1}, геодезические -> геоцентрические: замкнутые формулы, точно"};
const Words kStepShift{"{1} -> {2}: seven parameters of {3}", "{1} -> {2}: семь параметров, {3}"};
const Words kStepUnshift{"{1} -> {2}: exact inverse of {3}",
                         "{1} -> {2}: точное обратное преобразование, {3}"};
const Words kStepGeocentricToGeodetic{
    "{1} geocentric -> geodetic: Bowring's formula iterated to convergence, below 0.01 mm",
    "{1}, геоцентрические -> геодезические: формула Боуринга с итерациями до сходимости, "
    "меньше 0,01 мм"};
const Words kStepGeodeticToPlane{
    "{1} geodetic -> {2}: exact transverse Mercator (Krueger's series to n^6, Karney 2011), "
    "below 0.1 mm",
    "{1}, геодезические -> {2}: точная поперечно-цилиндрическая проекция Меркатора (ряды "
    "Крюгера до n^6, Karney 2011), меньше 0,1 мм"};
const Words kStepKeys{
    "{1}: plane keys x' = x0 + a x + b y, y' = y0 + c x + d y ({2}), exact",
    "{1}: ключи на плоскости x' = x0 + a x + b y, y' = y0 + c x + d y ({2}), точно"};
const Words kStepKeysInverse{"{1}: plane keys undone ({2}), exact",
                             "{1}: ключи на плоскости обращены ({2}), точно"};
const Words kStepUnchanged{"{1}: unchanged", "{1}: без изменений"};
const Words kWindowGaussKrueger{
    "the window's Gauss-Krueger series of SK-42 (the inverse: 1.8 mm within the zone, 7 cm at "
    "6 degrees)",
    "ряды Гаусса–Крюгера окна для СК-42 (обратные: 1,8 мм в пределах зоны, 7 см на 6 "
    "градусах)"};
const Words kWindowClosedForm{"closed form, exact", "замкнутые формулы, точно"};
const Words kWindowIteration{
    "the window's iteration, one pass behind (0.62 mm to 9 km of height, 2.2 mm at 20 000 km; "
    "nearer than 1e-4 degrees to a pole up to 0.1 m, 0.4 m at 20 000 km)",
    "итерации окна, отстающие на один проход (0,62 мм до высоты 9 км, 2,2 мм на 20 000 км; "
    "ближе 1e-4 градуса к полюсу до 0,1 м, 0,4 м на 20 000 км)"};
const Words kWindowMolodensky{
    "Molodensky's formulas (0.7 cm to 70 degrees, 1.2 cm to 80, 1 m at 89.9) with {1}",
    "формулы Молоденского (0,7 см до 70 градусов, 1,2 см до 80, 1 м на 89,9), {1}"};
const Words kWindowSevenParameters{"seven parameters: {1}", "семь параметров: {1}"};
const Words kWindowSk42Set{"the PZ-90 <-> SK-42 set of GOST R 51794-2001 (EPSG:15844, stated 4 m)",
                           "набор ПЗ-90 <-> СК-42 из ГОСТ Р 51794-2001 (EPSG:15844; заявлено 4 м)"};
const Words kWindowWgs84Set{
    "the window's WGS-84 <-> PZ-90 set (dZ 1 m, wZ -0.02\"), which matches no published set",
    "набор окна WGS-84 <-> ПЗ-90 (dZ 1 м, wZ -0,02″), не совпадающий ни с одним "
    "опубликованным"};
const Words kUnchanged{"unchanged", "без изменений"};
const Words kRouteNoWindowHeights{
    "The window's parameters know no geoid models: normal heights need GOST 32453-2017's.\n",
    "Параметры окна не знают моделей геоида: нормальным высотам нужны параметры ГОСТ "
    "32453-2017.\n"};
const Words kStepNormalToEllipsoidal{
    "{1}: normal heights -> ellipsoidal heights on {2}, h = H + zeta of {3}",
    "{1}: нормальные высоты -> эллипсоидальные высоты {2}, h = H + дзета по {3}"};
const Words kStepEllipsoidalToNormal{
    "{1}: ellipsoidal heights on {2} -> normal heights, H = h - zeta of {3}",
    "{1}: эллипсоидальные высоты {2} -> нормальные высоты, H = h - дзета по {3}"};
const Words kStepZetaElsewhere{
    "{1}: zeta read where the point lies on {2}, the model's datum, through the sets between "
    "{3} and {2}",
    "{1}: дзета берётся там, где точка лежит в {2}, системе модели, через наборы между {3} и "
    "{2}"};
const Words kStepModel{"{1}: grid {2} ({3}), bilinear interpolation as PROJ's vgridshift",
                       "{1}: сетка {2} ({3}), билинейная интерполяция, как в vgridshift PROJ"};
const Words kGridSize{"{1}, {2} nodes every {3}", "{1}, {2} узлов через {3}"};
const Words kModelAccuracy{"{1}, accuracy: {2}", "{1}, точность: {2}"};
const Words kNoAccuracy{"its accuracy as its maker states it (the catalogue gives none)",
                        "точность — как заявляет её автор (в каталоге не указана)"};
const Words kStepNormalHeightOut{"{1}: the normal heights H in place of h",
                                 "{1}: нормальные высоты H вместо h"};
const Words kStepSameModel{"{1}: the normal heights H as they came, the same model's",
                           "{1}: нормальные высоты H без изменений — та же модель"};

// A pattern filled in both languages, each argument (three at most) in its own.
Words Both(const Words& pattern, std::initializer_list<Words> arguments) {
    Words out;
    for (const Language language : {Language::English, Language::Russian}) {
        std::array<std::string_view, 3> in{};
        std::size_t n = 0;
        for (const Words& argument : arguments)
            in.at(n++) = argument.In(language);
        (language == Language::English ? out.english : out.russian) =
            Fill(language, pattern.In(language), {in[0], in[1], in[2]});
    }
    return out;
}

// A system as a route names it: its id for scripts, the name the windows show for a reader
// of Russian.
Words RouteName(const System& system) {
    return {system.id, system.displayName};
}

// A system's form as routes name it: "SK-42 geodetic B, L, H".
Words FormOf(const System& system) {
    switch (system.form) {
        case CoordinateForm::Geocentric:
            return Both(kFormGeocentric, {system.datum.name});
        case CoordinateForm::Geodetic:
            return Both(kFormGeodetic, {system.datum.name});
        case CoordinateForm::Plane:
            // The six-degree zones as routes have always named them; the other families and
            // the user's systems by their own names.
            if (system.zones == Zones::GaussKruger6) return Both(kFormPlane, {system.datum.name});
            return system.names;
    }
    return system.names;
}

// An angle in degrees into [0°, 360°), the window's convention (30° S is 330°).
double InTurn(double degrees) {
    const double turned = std::fmod(degrees, 360.0);
    return turned < 0 ? (turned + 360 < 360 ? turned + 360 : 0) : turned;
}

// PROJ's affine: X′ = xoff + s11·X + s12·Y + s13·Z, and so on.
std::string ProjAffine(const engine::AffineMap& map) {
    std::string text = "+proj=affine";
    const char* offsets[] = {"xoff", "yoff", "zoff"};
    for (int i = 0; i < 3; ++i) {
        text += std::string(" +") + offsets[i] + "=" + ProjNumber(map.t[i]);
        for (int j = 0; j < 3; ++j)
            text += " +s" + std::to_string(i + 1) + std::to_string(j + 1) + "=" +
                    ProjNumber(map.a[i][j]);
    }
    return text;
}

// A projected system's map between its datum's geodetic (or geocentric) coordinates and
// its plane: the zones of its scheme, or one transverse Mercator of its own.
class PlaneProjection {
    static constexpr double kLargestEta = 2.623395162778;
    // tanh²(kLargestEta + 0.05) (tanh 2.673395162778 = 0.9905183341097523): the sphere's
    // bound with the margin the series may take back.
    static constexpr double kLargestSineSquared = 0.9905183341097523 * 0.9905183341097523;

  public:
    explicit PlaneProjection(const System& system)
        : ellipsoid_(system.datum.ellipsoid),
          projection_(ellipsoid_),
          map_(ellipsoid_, system.projection),
          scheme_(system.scheme),
          zoned_(system.zones != Zones::None) {
        const double meridian = system.projection.centralMeridian / engine::DegreesPerRadian();
        sinMeridian_ = std::sin(meridian);
        cosMeridian_ = std::cos(meridian);
    }

    // zone: in, the zone requested (0: the point's own); out, the zone used (0 without zones).
    void Forward(const engine::GeodeticPoint& geodetic, engine::PlanePoint& plane,
                 int& zone) const {
        if (zoned_) return engine::GeodeticToZonePlane(geodetic, plane, zone, projection_, scheme_);
        zone = 0;
        // The window's southern latitudes (330° for 30° S) as signed ones.
        map_.Forward({geodetic.B > 180 ? geodetic.B - 360 : geodetic.B, geodetic.L, geodetic.H},
                     plane);
    }
    void ForwardGeocentric(const engine::GeocentricPoint& geocentric, engine::PlanePoint& plane,
                           int& zone) const {
        if (zoned_) {
            return engine::GeocentricToZonePlane(geocentric, plane, zone, ellipsoid_, projection_,
                                                 scheme_);
        }
        zone = 0;
        map_.ForwardGeocentric(geocentric, plane);
    }
    // A single projection's domain is PROJ's for its exact tmerc (Poder and Engsager's
    // bound): |η| ≤ 2.623395162778 for the plane's η = (y − y₀)/(k₀·A), about 81° from the
    // central meridian on the equator; further out the series lose their accuracy and, past
    // 90°, the map folds back. Zones never go that far.
    //
    // Before projecting: false where the point is surely outside, 90° or more from the
    // central meridian, or η′ = atanh(cos B sin Δλ) on the sphere beyond the bound by more
    // than the series can take back (a few thousandths). Of a direction from the centre
    // (X, Y, Z), its length r: cos B sin Δλ = (Y cos λ₀ − X sin λ₀)/r, and Δλ lies within 90°
    // where X cos λ₀ + Y sin λ₀ > 0 (or on the axis); no angle is taken.
    bool Reaches(double X, double Y, double Z) const {
        if (zoned_) return true;
        const double along = X * cosMeridian_ + Y * sinMeridian_;
        const double across = Y * cosMeridian_ - X * sinMeridian_;
        if (!(along > 0 || (X == 0 && Y == 0))) return false;
        return !(across * across > kLargestSineSquared * (X * X + Y * Y + Z * Z));
    }
    bool ReachesGeodetic(double latitude, double longitude) const {
        if (zoned_) return true;
        const double rho = engine::DegreesPerRadian();
        const double cosB = std::cos(latitude / rho), L = longitude / rho;
        return Reaches(cosB * std::cos(L), cosB * std::sin(L), std::sin(latitude / rho));
    }
    // A plane point within the domain.
    bool ReachesPlane(double easting) const {
        if (zoned_) return true;
        const engine::TransverseMercatorParameters& own = map_.Parameters();
        const double eta =
            (easting - own.falseEasting) / (own.scale * projection_.RectifyingRadius());
        return !(std::fabs(eta) > kLargestEta);
    }
    // The transverse Mercator of PROJ's tmerc for a zone (0: none fixed, false for a zoned
    // system), with the datum's ellipsoid.
    bool Proj(int zone, std::string& tmerc, std::string& why) const {
        if (zoned_ && zone == 0) {
            why =
                "PROJ's tmerc takes one zone, and this route's zone is each point's own: "
                "--zone fixes the target's (or the source's, towards a system without zones)";
            return false;
        }
        tmerc = ProjTmerc(zoned_ ? engine::ZoneParameters(scheme_, zone) : map_.Parameters(),
                          ellipsoid_);
        return true;
    }
    // zone: the zone of the plane point (0: the millions of its easting, where they carry it).
    void Reverse(const engine::PlanePoint& plane, engine::GeodeticPoint& geodetic, int zone) const {
        if (zoned_) return engine::ZonePlaneToGeodetic(plane, geodetic, zone, projection_, scheme_);
        map_.Reverse(plane, geodetic);
    }

  private:
    engine::Ellipsoid ellipsoid_;
    engine::TransverseMercator projection_;
    engine::TransverseMercatorMap map_;
    engine::ZoneScheme scheme_;
    bool zoned_;
    double sinMeridian_ = 0, cosMeridian_ = 1;  // of a single projection's λ₀
};

// Plane coordinates to geodetic ones. The zone asked for is read here when the route ends
// in another form, or when the eastings do not carry it (UTM); towards plane coordinates the
// easting names its zone, and the zone asked for is the target's.
class PlaneToGeodetic : public Step {
  public:
    // turns: the route ends here, its angles go into the window's turn.
    // zone: the zone asked for, where it is the source's (0 otherwise).
    PlaneToGeodetic(const System& system, bool readsRequestedZone, bool passesZoneOn, bool turns,
                    int zone)
        : projection_(system),
          readsRequestedZone_(readsRequestedZone),
          passesZoneOn_(passesZoneOn),
          turns_(turns),
          zone_(zone),
          form_(FormOf(system)) {}
    void Convert(RoutePoint& point) const override {
        if (!projection_.ReachesPlane(point.values[1])) {
            point.fault = Fault::OutsideProjection;
            return;
        }
        engine::GeodeticPoint geodetic;
        projection_.Reverse({point.values[0], point.values[1], point.values[2]}, geodetic,
                            readsRequestedZone_ ? point.zone : 0);
        point.values = {geodetic.B, geodetic.L, geodetic.H};
        if (turns_) point.values = {InTurn(geodetic.B), InTurn(geodetic.L), geodetic.H};
        if (!passesZoneOn_) point.zone = 0;
    }
    std::vector<Words> Describe() const override { return {Both(kStepPlaneToGeodetic, {form_})}; }
    bool Proj(std::vector<std::string>& steps, std::string& why) const override {
        std::string tmerc;
        if (!projection_.Proj(zone_, tmerc, why)) return false;
        steps.push_back("+inv " + tmerc);
        return true;
    }

  private:
    PlaneProjection projection_;
    bool readsRequestedZone_;
    bool passesZoneOn_;
    bool turns_;
    int zone_;
    Words form_;
};

// The plane keys of a local system (catalogue.h): from the projection's plane to the local
// one, or back by the inverse of their 2×2 matrix.
class ApplyKeys : public Step {
  public:
    ApplyKeys(const System& system, bool inverse)
        : keys_(*system.keys), inverse_(inverse), name_(system.names) {
        const double det = keys_.a * keys_.d - keys_.b * keys_.c;  // refused at 0 when read
        inverted_ = {keys_.d / det, -keys_.b / det, -keys_.c / det, keys_.a / det};
    }
    void Convert(RoutePoint& point) const override {
        const double x = point.values[0], y = point.values[1];
        if (!inverse_) {
            point.values[0] = keys_.x0 + keys_.a * x + keys_.b * y;
            point.values[1] = keys_.y0 + keys_.c * x + keys_.d * y;
            return;
        }
        const double dx = x - keys_.x0, dy = y - keys_.y0;
        point.values[0] = inverted_[0] * dx + inverted_[1] * dy;
        point.values[1] = inverted_[2] * dx + inverted_[3] * dy;
    }
    std::vector<Words> Describe() const override {
        // The keys as the user gave them: a similarity's shift, rotation and scale, or the
        // six affine coefficients.
        Words values;
        const auto add = [&values](const Words& name, double value) {
            char number[32];
            std::snprintf(number, sizeof number, " %.12g", value);
            const char* comma = values.english.empty() ? "" : ", ";
            values.english += comma + name.english + number;
            values.russian += comma + name.russian + Figure(Language::Russian, number);
        };
        switch (keys_.kind) {
            case PlaneKeys::Kind::Similarity:
                add({"dx", "dx"}, keys_.x0), add({"dy", "dy"}, keys_.y0);
                add({"rotation\"", "поворот″"}, keys_.rotationSeconds);
                add({"scale ppm", "масштаб ppm"}, keys_.scalePpm);
                break;
            case PlaneKeys::Kind::Affine:
                add({"x0", "x0"}, keys_.x0), add({"a", "a"}, keys_.a), add({"b", "b"}, keys_.b);
                add({"y0", "y0"}, keys_.y0), add({"c", "c"}, keys_.c), add({"d", "d"}, keys_.d);
                break;
        }
        return {Both(inverse_ ? kStepKeysInverse : kStepKeys, {name_, values})};
    }
    // In the pipeline's order, east then north: E′ = y₀ + d·E + c·N, N′ = x₀ + b·E + a·N.
    bool Proj(std::vector<std::string>& steps, std::string&) const override {
        steps.push_back(std::string(inverse_ ? "+inv " : "") + "+proj=affine +xoff=" +
                        ProjNumber(keys_.y0) + " +yoff=" + ProjNumber(keys_.x0) +
                        " +s11=" + ProjNumber(keys_.d) + " +s12=" + ProjNumber(keys_.c) +
                        " +s21=" + ProjNumber(keys_.b) + " +s22=" + ProjNumber(keys_.a));
        return true;
    }

  private:
    PlaneKeys keys_;
    bool inverse_;
    std::array<double, 4> inverted_{};
    Words name_;
};

class GeodeticToGeocentric : public Step {
  public:
    explicit GeodeticToGeocentric(const Datum& datum) : datum_(datum) {}
    void Convert(RoutePoint& point) const override {
        engine::GeocentricPoint geocentric;
        engine::GeodeticToGeocentric({point.values[0], point.values[1], point.values[2]},
                                     geocentric, datum_.ellipsoid);
        point.values = {geocentric.X, geocentric.Y, geocentric.Z};
    }
    std::vector<Words> Describe() const override {
        return {Both(kStepGeodeticToGeocentric, {datum_.name})};
    }
    bool Proj(std::vector<std::string>& steps, std::string&) const override {
        steps.push_back("+proj=cart " + ProjEllipsoid(datum_.ellipsoid));
        return true;
    }

  private:
    Datum datum_;
};

// Where the paths of two datums towards PZ-90.11 meet: the first datum both pass through
// (PZ-90.11 itself for two built-in datums; WGS-84 for two of the user's sets to WGS-84),
// and how many sets each takes to get there.
struct Meeting {
    std::size_t fromSets = 0, toSets = 0;
    Words name;
};
Meeting MeetingOf(const Datum& from, const Datum& to) {
    const auto path = [](const Datum& datum) {
        std::vector<std::string> ids{datum.id};
        for (const DatumLink& link : datum.toPz9011)
            ids.push_back(link.to);
        return ids;
    };
    const std::vector<std::string> a = path(from), b = path(to);
    std::size_t common = 0;
    while (common < a.size() && common < b.size() &&
           a[a.size() - 1 - common] == b[b.size() - 1 - common])
        ++common;
    Meeting meeting{a.size() - common, b.size() - common, from.name};
    if (meeting.fromSets > 0) meeting.name = from.toPz9011[meeting.fromSets - 1].toName;
    return meeting;
}

// The affine map from one datum's geocentric coordinates to another's where their paths
// meet (the source's sets in order, then the target's undone), and the lines naming them.
struct Shift {
    engine::AffineMap map;
    std::vector<Words> lines;
    // PROJ's steps: each set as its coordinate-frame helmert; each set undone as the exact
    // inverse, an affine step (PROJ's inverse helmert transposes the rotation, 0.1 mm off
    // for SK-42).
    std::vector<std::string> proj;
};
Shift ShiftOf(const Datum& from, const Datum& to) {
    Shift shift;
    const Meeting meeting = MeetingOf(from, to);
    std::vector<engine::DatumShift> into, outOf;
    Words at = from.name;
    for (std::size_t i = 0; i < meeting.fromSets; ++i) {
        const DatumLink& link = from.toPz9011[i];
        into.push_back(link.shift);
        shift.lines.push_back(Both(kStepShift, {at, link.toName, link.source}));
        const engine::DatumShift& set = link.shift;
        shift.proj.push_back("+proj=helmert +convention=coordinate_frame +x=" + ProjNumber(set.dX) +
                             " +y=" + ProjNumber(set.dY) + " +z=" + ProjNumber(set.dZ) +
                             " +rx=" + ProjNumber(set.wX) + " +ry=" + ProjNumber(set.wY) +
                             " +rz=" + ProjNumber(set.wZ) + " +s=" + ProjNumber(set.m * 1e6));
        at = link.toName;
    }
    // Undone from the meeting back: each set's inverse, towards the target.
    std::vector<Words> back;
    std::vector<std::string> backProj;
    Words towards = to.name;
    for (std::size_t i = 0; i < meeting.toSets; ++i) {
        const DatumLink& link = to.toPz9011[i];
        outOf.push_back(link.shift);
        back.push_back(Both(kStepUnshift, {link.toName, towards, link.source}));
        backProj.push_back(ProjAffine(engine::ComposeShifts({}, std::span(&link.shift, 1))));
        towards = link.toName;
    }
    shift.lines.insert(shift.lines.end(), back.rbegin(), back.rend());
    shift.proj.insert(shift.proj.end(), backProj.rbegin(), backProj.rend());
    shift.map = engine::ComposeShifts(into, outOf);
    return shift;
}

// From one datum to another where their paths meet, applied as one affine map.
class DatumShift : public Step {
  public:
    DatumShift(const Datum& from, const Datum& to) : shift_(ShiftOf(from, to)) {}
    void Convert(RoutePoint& point) const override {
        engine::GeocentricPoint shifted;
        engine::ApplyAffine({point.values[0], point.values[1], point.values[2]}, shifted,
                            shift_.map);
        point.values = {shifted.X, shifted.Y, shifted.Z};
    }
    std::vector<Words> Describe() const override { return shift_.lines; }
    bool Proj(std::vector<std::string>& steps, std::string&) const override {
        steps.insert(steps.end(), shift_.proj.begin(), shift_.proj.end());
        return true;
    }

  private:
    Shift shift_;
};

class GeocentricToGeodetic : public Step {
  public:
    explicit GeocentricToGeodetic(const Datum& datum) : datum_(datum) {}
    void Convert(RoutePoint& point) const override {
        engine::GeodeticPoint geodetic;
        engine::GeocentricToGeodeticExact({point.values[0], point.values[1], point.values[2]},
                                          geodetic, datum_.ellipsoid);
        point.values = {InTurn(geodetic.B), InTurn(geodetic.L), geodetic.H};
    }
    std::vector<Words> Describe() const override {
        return {Both(kStepGeocentricToGeodetic, {datum_.name})};
    }
    bool Proj(std::vector<std::string>& steps, std::string&) const override {
        steps.push_back("+inv +proj=cart " + ProjEllipsoid(datum_.ellipsoid));
        return true;
    }

  private:
    Datum datum_;
};

class GeodeticToPlane : public Step {
  public:
    // zone: the target's zone asked for (0: the point's own).
    GeodeticToPlane(const System& system, int zone)
        : projection_(system), zone_(zone), datum_(system.datum.name), form_(FormOf(system)) {}
    void Convert(RoutePoint& point) const override {
        if (!projection_.ReachesGeodetic(point.values[0], point.values[1])) {
            point.fault = Fault::OutsideProjection;
            return;
        }
        engine::PlanePoint plane;
        projection_.Forward({point.values[0], point.values[1], point.values[2]}, plane, point.zone);
        if (!projection_.ReachesPlane(plane.y)) point.fault = Fault::OutsideProjection;
        point.values = {plane.x, plane.y, plane.H};
    }
    std::vector<Words> Describe() const override {
        return {Both(kStepGeodeticToPlane, {datum_, form_})};
    }
    bool Proj(std::vector<std::string>& steps, std::string& why) const override {
        std::string tmerc;
        if (!projection_.Proj(zone_, tmerc, why)) return false;
        steps.push_back(tmerc);
        return true;
    }

  private:
    PlaneProjection projection_;
    int zone_;
    Words datum_, form_;
};

// Geocentric coordinates straight to plane ones, without the angles in between.
class GeocentricToPlane : public Step {
  public:
    GeocentricToPlane(const System& system, int zone)
        : projection_(system),
          ellipsoid_(system.datum.ellipsoid),
          zone_(zone),
          datum_(system.datum.name),
          form_(FormOf(system)) {}
    void Convert(RoutePoint& point) const override {
        const auto& [X, Y, Z] = point.values;
        if (!projection_.Reaches(X, Y, Z)) {
            point.fault = Fault::OutsideProjection;
            return;
        }
        engine::PlanePoint plane;
        projection_.ForwardGeocentric({X, Y, Z}, plane, point.zone);
        if (!projection_.ReachesPlane(plane.y)) point.fault = Fault::OutsideProjection;
        point.values = {plane.x, plane.y, plane.H};
    }
    std::vector<Words> Describe() const override {
        return {Both(kStepGeocentricToGeodetic, {datum_}),
                Both(kStepGeodeticToPlane, {datum_, form_})};
    }
    bool Proj(std::vector<std::string>& steps, std::string& why) const override {
        std::string tmerc;
        if (!projection_.Proj(zone_, tmerc, why)) return false;
        steps.push_back("+inv +proj=cart " + ProjEllipsoid(ellipsoid_));
        steps.push_back(tmerc);
        return true;
    }

  private:
    PlaneProjection projection_;
    engine::Ellipsoid ellipsoid_;
    int zone_;
    Words datum_, form_;
};

// Normal heights. A model's ζ is read where the point lies on the model's datum: a model over
// WGS-84 applied to SK-42 heights takes the point through the route's sets to WGS-84 first.
class ModelPlace {
  public:
    ModelPlace(const Heights& heights, const Datum& datum)
        : heights_(heights),
          onModelsDatum_(heights.datum.id == datum.id),
          ellipsoid_(datum.ellipsoid),
          shift_(ShiftOf(datum, heights.datum)),
          datumName_(datum.name) {}

    // ζ at a geodetic point, or at a geocentric one, on the values' datum; NaN and the fault
    // set where the grid has none. `place` gets the point on the model's datum.
    double AtGeodetic(RoutePoint& point, engine::GeodeticPoint& place) const {
        place = {point.values[0], point.values[1], point.values[2]};
        if (!onModelsDatum_) {
            engine::GeocentricPoint geocentric;
            engine::GeodeticToGeocentric(place, geocentric, ellipsoid_);
            OnModelsDatum(geocentric, place);
        }
        return Zeta(point, place);
    }
    double AtGeocentric(RoutePoint& point, engine::GeodeticPoint& place) const {
        OnModelsDatum({point.values[0], point.values[1], point.values[2]}, place);
        return Zeta(point, place);
    }

    // The step's own line, then where ζ is read, the grid and the model's accuracy.
    std::vector<Words> Describe(Words own) const {
        const Words& model = heights_.model.name;
        std::vector<Words> lines{std::move(own)};
        if (!onModelsDatum_)
            lines.push_back(Both(kStepZetaElsewhere, {model, heights_.datum.name, datumName_}));
        // "GTX, 721 x 1440 nodes every 15' x 15'"
        const GeoidGrid::Extent& extent = heights_.grid->extent();
        char size[48], step[64];
        std::snprintf(size, sizeof size, "%d x %d", extent.rows, extent.columns);
        std::snprintf(step, sizeof step, "%.10g' x %.10g'", extent.latitudeStep * 60,
                      extent.longitudeStep * 60);
        const Words grid = Both(kGridSize, {{heights_.format, heights_.format},
                                            {size, size},
                                            {step, Figure(Language::Russian, step)}});
        lines.push_back(Both(kStepModel, {model, {heights_.file, heights_.file}, grid}));
        const Words& accuracy =
            heights_.model.accuracy.english.empty() ? kNoAccuracy : heights_.model.accuracy;
        lines.push_back(Both(kModelAccuracy, {model, accuracy}));
        return lines;
    }
    const Words& modelName() const { return heights_.model.name; }
    // PROJ's vgridshift on the model's grid (forward: h = H + ζ).
    bool Proj(std::string& vgridshift, std::string& why) const {
        if (!onModelsDatum_) {
            why = heights_.model.id + " refers to " + heights_.datum.name.english +
                  ", the route reads it for " + datumName_.english +
                  ": PROJ cannot read a grid where the point lies on another datum in one step";
            return false;
        }
        if (heights_.format != "GTX" && heights_.format != "GeoTIFF") {
            why = "PROJ reads no " + heights_.format + " grids (" + heights_.file +
                  "): GTX and GeoTIFF only";
            return false;
        }
        std::string file = std::filesystem::absolute(heights_.file).string();
        if (file.find(' ') != std::string::npos) file = "\"" + file + "\"";
        vgridshift = "+proj=vgridshift +grids=" + file + " +multiplier=1";
        return true;
    }

  private:
    void OnModelsDatum(const engine::GeocentricPoint& geocentric,
                       engine::GeodeticPoint& place) const {
        engine::GeocentricPoint shifted = geocentric;
        if (!onModelsDatum_) engine::ApplyAffine(geocentric, shifted, shift_.map);
        engine::GeocentricToGeodeticExact(shifted, place, heights_.datum.ellipsoid);
    }
    // The window's southern latitudes (330° for 30° S) as signed ones for the grid.
    double Zeta(RoutePoint& point, const engine::GeodeticPoint& place) const {
        const double latitude = place.B > 180 ? place.B - 360 : place.B;
        const double zeta = heights_.grid->Anomaly(latitude, place.L);
        if (std::isnan(zeta)) {
            point.fault =
                Covers(*heights_.grid, latitude, place.L) ? Fault::GeoidHole : Fault::OutsideGeoid;
            point.geoid = &heights_;
        }
        return zeta;
    }
    // Whether a point lies within a grid's nodes (a longitude a turn away counts).
    static bool Covers(const GeoidGrid& grid, double latitude, double longitude) {
        const GeoidGrid::Extent& extent = grid.extent();
        const double north = extent.south + (extent.rows - 1) * extent.latitudeStep;
        const double east = extent.west + (extent.columns - 1) * extent.longitudeStep;
        if (!(latitude >= extent.south && latitude <= north)) return false;
        if (grid.GoesRound()) return std::isfinite(longitude);
        for (const double turn : {0.0, 360.0, -360.0}) {
            if (longitude + turn >= extent.west && longitude + turn <= east) return true;
        }
        return false;
    }

    const Heights& heights_;
    bool onModelsDatum_;
    engine::Ellipsoid ellipsoid_;
    Shift shift_;
    Words datumName_;
};

// The source's normal heights made ellipsoidal on its datum, from geodetic values. Where the
// model is on another datum, h is found by iteration: the place on the model's datum moves
// with h by millionths of its change, so each pass gains six digits.
class NormalToEllipsoidal : public Step {
  public:
    // carries: the target has the same model, and takes H as it came.
    NormalToEllipsoidal(const System& system, bool carries)
        : heights_(system.heights),
          place_(*heights_, system.datum),
          carries_(carries),
          name_(RouteName(system)),
          datum_(system.datum.name) {}
    void Convert(RoutePoint& point) const override {
        const double H = point.values[2];
        point.normalHeight = H;
        engine::GeodeticPoint place;
        constexpr int kMostPasses = 5;
        constexpr double kClose = 1e-9;  // m
        for (int pass = 0; pass < kMostPasses; ++pass) {
            const double zeta = place_.AtGeodetic(point, place);
            if (point.fault != Fault::None) return;
            const double correction = H + zeta - place.H;
            point.values[2] += correction;
            if (!(std::fabs(correction) > kClose)) return;
        }
    }
    std::vector<Words> Describe() const override {
        return place_.Describe(Both(kStepNormalToEllipsoidal, {name_, datum_, place_.modelName()}));
    }
    bool Proj(std::vector<std::string>& steps, std::string& why) const override {
        std::string vgridshift;
        if (!place_.Proj(vgridshift, why)) return false;
        if (carries_) steps.push_back("+proj=push +v_3");
        steps.push_back(vgridshift);
        return true;
    }

  private:
    std::shared_ptr<const Heights> heights_;  // held: the place refers to it
    ModelPlace place_;
    bool carries_;
    Words name_, datum_;
};

// The target's normal heights, found where the route begins (a normal height is the same
// whatever datum the point is on) and carried to the end.
class EllipsoidalToNormal : public Step {
  public:
    EllipsoidalToNormal(const System& target, const Datum& datum, bool geocentric)
        : heights_(target.heights),
          place_(*heights_, datum),
          geocentric_(geocentric),
          ellipsoid_(datum.ellipsoid),
          name_(RouteName(target)),
          datum_(datum.name) {}
    void Convert(RoutePoint& point) const override {
        engine::GeodeticPoint place;
        const double zeta =
            geocentric_ ? place_.AtGeocentric(point, place) : place_.AtGeodetic(point, place);
        point.normalHeight = place.H - zeta;
    }
    std::vector<Words> Describe() const override {
        return place_.Describe(Both(kStepEllipsoidalToNormal, {name_, datum_, place_.modelName()}));
    }
    // H found and kept (push), the height put back to h for the datum steps.
    bool Proj(std::vector<std::string>& steps, std::string& why) const override {
        std::string vgridshift;
        if (!place_.Proj(vgridshift, why)) return false;
        const std::string cart = "+proj=cart " + ProjEllipsoid(ellipsoid_);
        if (geocentric_) steps.push_back("+inv " + cart);
        steps.insert(steps.end(), {"+inv " + vgridshift, "+proj=push +v_3", vgridshift});
        if (geocentric_) steps.push_back(cart);
        return true;
    }

  private:
    std::shared_ptr<const Heights> heights_;
    ModelPlace place_;
    bool geocentric_;
    engine::Ellipsoid ellipsoid_;
    Words name_, datum_;
};

// The last step towards a system with normal heights: its H in place of the route's h.
class NormalHeightOut : public Step {
  public:
    NormalHeightOut(const System& target, bool sameModel)
        : name_(RouteName(target)), sameModel_(sameModel) {}
    void Convert(RoutePoint& point) const override { point.values[2] = point.normalHeight; }
    std::vector<Words> Describe() const override {
        return {Both(sameModel_ ? kStepSameModel : kStepNormalHeightOut, {name_})};
    }
    bool Proj(std::vector<std::string>& steps, std::string&) const override {
        steps.push_back("+proj=pop +v_3");
        return true;
    }

  private:
    Words name_;
    bool sameModel_;
};

// Nothing to do but bring the angles into the window's turn.
class Unchanged : public Step {
  public:
    explicit Unchanged(const System& system)
        : geodetic_(system.form == CoordinateForm::Geodetic), form_(FormOf(system)) {}
    void Convert(RoutePoint& point) const override {
        if (!geodetic_) return;
        point.values[0] = InTurn(point.values[0]);
        point.values[1] = InTurn(point.values[1]);
    }
    std::vector<Words> Describe() const override { return {Both(kStepUnchanged, {form_})}; }
    bool Proj(std::vector<std::string>&, std::string&) const override { return true; }

  private:
    bool geodetic_;
    Words form_;
};

// One of the window's chains, between values in decimal degrees.
class WindowPair : public Step {
  public:
    WindowPair(CoordinateSystem from, CoordinateSystem to, bool readsEastingsZone)
        : from_(from), to_(to), readsEastingsZone_(readsEastingsZone) {}
    void Convert(RoutePoint& point) const override {
        int eastingsOwn = 0;  // plane to plane: the easting is read in the zone it names
        controller::ConvertPoint(from_, to_, point.values,
                                 readsEastingsZone_ ? eastingsOwn : point.zone,
                                 controller::AngleForm::Degrees);
        if (controller::FormOf(to_) != CoordinateForm::Geodetic) return;
        // Near the centre the window's iteration, and far beyond the pole its series, leave
        // the latitudes (the southern ones it writes from 270° to 360°); near the pole its
        // Molodensky step overshoots by a second or so, which its texts keep.
        constexpr double kPoleOvershoot = 0.01;
        const double latitude = point.values[0];
        const auto beyondPole = [latitude](double margin) {
            return !(std::fabs(latitude) <= 90 + margin ||
                     (latitude >= 270 - margin && latitude <= 360));
        };
        if (beyondPole(kPoleOvershoot)) {
            point.fault = Fault::NoWindowLatitude;
            point.latitude = latitude;
        } else if (beyondPole(0)) {
            point.beyondPole = true;
        }
    }
    std::vector<Words> Describe() const override {
        using enum CoordinateSystem;
        const auto a = controller::FormOf(from_), b = controller::FormOf(to_);
        Words how;
        if (a == CoordinateForm::Plane || b == CoordinateForm::Plane) {
            how = kWindowGaussKrueger;
        } else if (a == CoordinateForm::Geodetic && b == CoordinateForm::Geocentric) {
            how = kWindowClosedForm;
        } else if (a == CoordinateForm::Geocentric && b == CoordinateForm::Geodetic) {
            how = kWindowIteration;
        } else {
            const bool sk42 =
                from_ == Sk42Xyz || to_ == Sk42Xyz || from_ == Sk42Blh || to_ == Sk42Blh;
            how = Both(a == CoordinateForm::Geodetic ? kWindowMolodensky : kWindowSevenParameters,
                       {sk42 ? kWindowSk42Set : kWindowWgs84Set});
        }
        const std::string names = std::string(controller::DisplayName(from_)) + " -> " +
                                  std::string(controller::DisplayName(to_)) + ": ";
        return {{names + how.english, names + how.russian}};
    }
    bool Proj(std::vector<std::string>&, std::string& why) const override {
        why =
            "the window's chains (its Molodensky formulas, series and iteration) have no exact "
            "PROJ form: use the parameters of GOST 32453-2017";
        return false;
    }

  private:
    CoordinateSystem from_, to_;
    bool readsEastingsZone_;
};

// The window's own pair of one system with itself: the values as they are, a plane point in
// the zone its easting names (an absurd easting names none).
class WindowUnchanged : public Step {
  public:
    explicit WindowUnchanged(CoordinateSystem system)
        : plane_(controller::FormOf(system) == CoordinateForm::Plane) {}
    void Convert(RoutePoint& point) const override {
        if (!plane_) return;
        const double easting = point.values[1];
        point.zone = std::fabs(easting) < 1e15 ? static_cast<int>(easting / 1e6) : 0;
    }
    std::vector<Words> Describe() const override { return {kUnchanged}; }
    bool Proj(std::vector<std::string>&, std::string&) const override { return true; }

  private:
    bool plane_;
};

}  // namespace

const System* ZoneNamedBy(const System& from, const System& to) {
    const bool fromZoned = from.form == CoordinateForm::Plane && from.zones != Zones::None;
    const bool toZoned = to.form == CoordinateForm::Plane && to.zones != Zones::None;
    if (fromZoned && (from.zones == Zones::Utm || !toZoned)) return &from;
    return toZoned ? &to : nullptr;
}

std::optional<Route> Route::Build(const System& from, const System& to, Parameters parameters,
                                  int zone, Words& refusal) {
    Route route(from, to, parameters);
    auto add = [&route](auto step) {
        route.steps_.push_back(std::make_shared<decltype(step)>(std::move(step)));
    };
    switch (parameters) {
        case Parameters::Window: {
            if (from.heights || to.heights) {
                refusal = kRouteNoWindowHeights;
                return std::nullopt;
            }
            if (!from.window || !to.window) {
                refusal = Both(kRouteNoWindow, {RouteName(from), RouteName(to)});
                return std::nullopt;
            }
            // Into another zone the window goes as the surveyor does with it: to geodetic
            // coordinates, moved over, projected into the zone asked for.
            std::vector<CoordinateSystem> chain =
                controller::FormOf(*from.window) == CoordinateForm::Plane &&
                        controller::FormOf(*to.window) == CoordinateForm::Plane && zone != 0
                    ? std::vector{*from.window, CoordinateSystem::Sk42Blh, *to.window}
                    : controller::ShortestRoute(*from.window, *to.window);
            if (chain.size() == 1) add(WindowUnchanged(chain.front()));
            for (std::size_t i = 1; i < chain.size(); ++i) {
                const bool replane = i == 1 && from.form == CoordinateForm::Plane &&
                                     to.form == CoordinateForm::Plane;
                add(WindowPair(chain[i - 1], chain[i], replane));
            }
            route.windowSteps_ = static_cast<int>(chain.size()) - 1;
            route.targetZone_ = to.form == CoordinateForm::Plane ? zone : 0;
            return route;
        }
        case Parameters::Gost2017:
            break;
    }
    const bool sameDatum = SameDatum(from, to);
    const bool viaGeocentric = !sameDatum || from.form == CoordinateForm::Geocentric ||
                               to.form == CoordinateForm::Geocentric;
    if (from.form == CoordinateForm::Plane) {
        // The zone asked for is the source's where its eastings do not carry it (UTM) or
        // the route ends in another form; else it is the target's.
        const bool sourcesZone = ZoneNamedBy(from, to) == &from;
        if (from.zones == Zones::Utm && zone == 0) {
            refusal = Both(kRouteNeedsZone, {RouteName(from)});
            return std::nullopt;
        }
        if (from.keys) add(ApplyKeys(from, true));
        add(PlaneToGeodetic(from, sourcesZone, !sourcesZone,
                            !viaGeocentric && to.form == CoordinateForm::Geodetic,
                            sourcesZone ? zone : 0));
        route.targetZone_ = sourcesZone ? 0 : zone;
    } else if (to.form == CoordinateForm::Plane) {
        route.targetZone_ = zone;
    }
    // Heights: the source's made ellipsoidal at the start; the target's normal ones found
    // where the route first holds the point on the model's datum (a normal height is the same
    // on any datum), at the start unless only the target's datum is the model's.
    std::size_t heightSteps = 0;
    const bool sameModel = SameModel(from.heights.get(), to.heights.get());
    if (from.heights) add(NormalToEllipsoidal(from, sameModel)), ++heightSteps;
    const bool normalAtTarget = to.heights && !sameModel && !SameDatum(from, to) &&
                                to.heights->datum.id == to.datum.id &&
                                to.heights->datum.id != from.datum.id;
    if (to.heights && !sameModel && !normalAtTarget) {
        add(EllipsoidalToNormal(to, from.datum, from.form == CoordinateForm::Geocentric));
        ++heightSteps;
    }
    if (viaGeocentric) {
        if (from.form != CoordinateForm::Geocentric) add(GeodeticToGeocentric(from.datum));
        if (!sameDatum) add(DatumShift(from.datum, to.datum));
        if (normalAtTarget) add(EllipsoidalToNormal(to, to.datum, true)), ++heightSteps;
        switch (to.form) {
            case CoordinateForm::Geocentric:
                break;
            case CoordinateForm::Plane:
                add(GeocentricToPlane(to, route.targetZone_));
                break;
            case CoordinateForm::Geodetic:
                add(GeocentricToGeodetic(to.datum));
                break;
        }
    } else if (to.form == CoordinateForm::Plane) {
        add(GeodeticToPlane(to, route.targetZone_));
    }
    if (to.form == CoordinateForm::Plane && to.keys) add(ApplyKeys(to, false));
    if (route.steps_.size() == heightSteps) add(Unchanged(from));
    if (to.heights) add(NormalHeightOut(to, sameModel));
    return route;
}

std::optional<std::string> Route::ProjPipeline(std::string& why) const {
    std::vector<std::string> steps;
    // Angles come and go in degrees; PROJ's steps take radians.
    if (from_.form == CoordinateForm::Geodetic)
        steps.emplace_back("+proj=unitconvert +xy_in=deg +xy_out=rad");
    for (const auto& step : steps_) {
        if (!step->Proj(steps, why)) return std::nullopt;
    }
    if (to_.form == CoordinateForm::Geodetic)
        steps.emplace_back("+proj=unitconvert +xy_in=rad +xy_out=deg");
    std::string pipeline = "+proj=pipeline";
    for (const std::string& step : steps)
        pipeline += " +step " + step;
    return pipeline;
}

std::string Route::Describe(Language language) const {
    std::string steps;
    int n = 0;
    for (const auto& step : steps_) {
        for (const Words& line : step->Describe()) {
            steps += "  " + std::to_string(++n) + ". " + line.In(language) + "\n";
        }
    }
    const Words fromName = RouteName(from_), toName = RouteName(to_);
    switch (parameters_) {
        case Parameters::Window: {
            // Every chain between WGS-84 and SK-42 runs through the window's unpublished set.
            const auto ends = [&](std::string_view a, std::string_view b) {
                return from_.datum.id == a && to_.datum.id == b;
            };
            const bool differs = ends("wgs84", "sk42") || ends("sk42", "wgs84");
            return Fill(language, kRouteWindow.In(language),
                        {fromName.In(language), toName.In(language)}) +
                   steps + (differs ? kRouteWindowDiffers.In(language) : "");
        }
        case Parameters::Gost2017:
            break;
    }
    const Words& head = SameDatum(from_, to_) ? kRouteOfficialOneDatum : kRouteOfficial;
    const Words through = MeetingOf(from_.datum, to_.datum).name;
    return Fill(language, head.In(language),
                {fromName.In(language), toName.In(language), through.In(language)}) +
           steps + kRouteOfficialEnd.In(language) +
           (from_.heights || to_.heights ? kRouteHeightsEnd.In(language) : "");
}

}  // namespace systems
