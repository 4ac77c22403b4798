// The catalogue file is TOML. Its tables are read in the order they stand, so a datum
// stands above the tables that use it; ids are lower-case letters, digits and '-'.
//
//   [datum.ID]
//   name = "…"                     optional (the id)
//   ellipsoid = "krassovsky"       krass, wgs84, grs80, pz90, pz9011, gsk2011, or { a = …, rf = … }
//   to = "sk42"                    a datum known above: built-in, this file's or an earlier file's
//   parameters = [dX, dY, dZ, wX, wY, wZ, m]   m, ″, ppm; or [dX, dY, dZ]
//   convention = "position-vector" or "coordinate-frame"; required with seven parameters
//   source = "…"                   optional: where the set is published
//
//   [system.ID]
//   name = "…"                     required; name_en = "…" for English lists (optional)
//   datum = "sk42"                 and one of
//     tmerc = { lon_0 = …, lat_0 = 0, k = 1, x_0 = 0, y_0 = 0 }   (k_0 for k; x_0 is the
//                                  false easting, y_0 the false northing, as in PROJ)
//     form = "geodetic"            or "geocentric"
//   proj = "+proj=tmerc …"         instead of both: systems/proj_string.h's subset; with
//                                  datum = "…" beside it exactly when it has no +towgs84
//   keys = { dx = …, dy = …, rotation = … (″), scale_ppm = … }   plane keys of a transverse
//   affine = [x0, a, b, y0, c, d]  Mercator, one or the other: x′ = x0 + a·x + b·y,
//                                  y′ = y0 + c·x + d·y (x north, y east)
#include "systems/catalogue_file.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "engine/constants.h"
#include "engine/datums.h"
#include "systems/proj_string.h"

// toml++ compiled into this file alone (its header-only form), so that the installed library
// asks nothing of its users; faults come back as values.
#define TOML_HEADER_ONLY 1
#define TOML_EXCEPTIONS 0
#include <toml++/toml.h>

namespace systems {

namespace {

using controller::CoordinateForm;

// The range a number of the file must lie in; anything outside is a typing error, not geodesy.
struct Bounds {
    double low;
    double high;
    std::string_view unit;
};
constexpr Bounds kLatitude{-90, 90, "°"};
constexpr Bounds kLongitude{-360, 360, "°"};
// Transverse Mercator scales in use lie within 0.9996 (UTM) to about 1.001 (local zones).
constexpr Bounds kScale{0.5, 2, ""};
// Every Earth ellipsoid in use has a within 6 377 km to 6 378.4 km and 1/f within 293 to 300.
constexpr Bounds kSemiMajorAxis{6'300'000, 6'400'000, " m"};
constexpr Bounds kInverseFlattening{250, 350, ""};
// Published sets between terrestrial datums stay below about 1 km, 10″ and 30 ppm.
constexpr Bounds kTranslation{-10'000, 10'000, " m"};
constexpr Bounds kRotation{-60, 60, "″"};
constexpr Bounds kScalePpm{-1000, 1000, " ppm"};
// Plane keys: a shift within 20 000 km (half a meridian), a turn within a half turn.
constexpr Bounds kPlaneShift{-20'000'000, 20'000'000, " m"};
constexpr Bounds kPlaneRotation{-648'000, 648'000, "″"};
// Below this |a·d − b·c| an affine map folds the plane onto a line.
constexpr double kSmallestAffineDeterminant = 1e-12;

// Where a PROJ string's ellipsoid and the named datum's count as one: 1 mm in a, and 1/f
// within 1e-5, under 1 mm on the ground (PROJ's PZ90 and the PZ-90 datum differ by 7e-7).
constexpr double kSameAxis = 0.001;
constexpr double kSameInverseFlattening = 1e-5;

// The ellipsoids a datum may name.
struct NamedEllipsoid {
    std::string_view name;
    engine::Ellipsoid ellipsoid;
};
constexpr NamedEllipsoid kEllipsoids[] = {
    {"krassovsky", engine::EllipsoidKrasovsky},
    {"krass", engine::EllipsoidKrasovsky},
    {"wgs84", engine::EllipsoidWgs84Defined},
    {"grs80", EllipsoidGrs80},
    {"pz90", engine::EllipsoidPz90},
    {"pz9011", engine::EllipsoidPz9011},
    {"gsk2011", engine::EllipsoidGsk2011},
};

struct NamedConvention {
    std::string_view name;
    Convention convention;
};
constexpr NamedConvention kConventions[] = {
    {"coordinate-frame", Convention::CoordinateFrame},
    {"position-vector", Convention::PositionVector},
};

struct NamedForm {
    std::string_view name;
    CoordinateForm form;
};
constexpr NamedForm kForms[] = {
    {"geodetic", CoordinateForm::Geodetic},
    {"geocentric", CoordinateForm::Geocentric},
};

// The first fault ends the reading of a file.
struct Refusal {
    CatalogueFault fault;
};

// A number as short as it reads back exactly.
std::string Shortest(double value) {
    char text[32];
    const auto end = std::to_chars(std::begin(text), std::end(text), value).ptr;
    return std::string(text, end);
}

// A number as a message shows it: without an exponent in the range people write.
std::string Readable(double value) {
    const bool plain = value == 0 || (std::fabs(value) >= 1e-4 && std::fabs(value) < 1e15);
    char text[32];
    const auto end =
        plain ? std::to_chars(std::begin(text), std::end(text), value, std::chars_format::fixed).ptr
              : std::to_chars(std::begin(text), std::end(text), value).ptr;
    return std::string(text, end);
}

std::string Quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

// What is wrong with a number of a named range, or nothing.
std::optional<std::string> OutOfBounds(std::string_view label, double value, const Bounds& bounds) {
    if (value >= bounds.low && value <= bounds.high) return std::nullopt;
    return std::string(label) + " = " + Readable(value) + std::string(bounds.unit) +
           " is outside " + Readable(bounds.low) + " to " + Readable(bounds.high) +
           std::string(bounds.unit);
}

// A scale factor: above 0, then within reason.
std::optional<std::string> ScaleFault(std::string_view label, double k) {
    if (k <= 0) return std::string(label) + " must be above 0";
    return OutOfBounds(label, k, kScale);
}

template <typename Named, std::size_t N>
auto FindNamed(const Named (&table)[N], std::string_view name) {
    const auto found = std::find_if(std::begin(table), std::end(table),
                                    [&](const Named& n) { return n.name == name; });
    return found == std::end(table) ? nullptr : found;
}

template <typename Named, std::size_t N>
std::string Names(const Named (&table)[N]) {
    std::string names;
    for (const Named& named : table)
        names += (names.empty() ? "" : ", ") + std::string(named.name);
    return names;
}

int LineOf(const toml::node& node) {
    return static_cast<int>(node.source().begin.line);
}

std::optional<double> AsNumber(const toml::node& node) {
    if (const auto* integer = node.as_integer()) return static_cast<double>(integer->get());
    if (const auto* real = node.as_floating_point()) return real->get();
    return std::nullopt;
}

// One table of the file at its key path ("system.msk-1.tmerc"), read key by key.
class Table {
  public:
    Table(const toml::table& table, std::string path, const std::string& file)
        : table_(table), path_(std::move(path)), file_(file) {}

    const std::string& path() const { return path_; }
    int line() const { return LineOf(table_); }
    bool Has(std::string_view key) const { return table_.contains(key); }
    std::string Where(int line) const { return file_ + ":" + std::to_string(line); }

    [[noreturn]] void Fail(int line, std::string_view key, std::string message) const {
        const std::string full = key.empty()     ? path_
                                 : path_.empty() ? std::string(key)
                                                 : path_ + "." + std::string(key);
        throw Refusal{{file_, line, full, std::move(message)}};
    }
    [[noreturn]] void Fail(std::string_view key, std::string message) const {
        Fail(LineOf(Required(key)), key, std::move(message));
    }
    void Check(std::string_view key, const std::optional<std::string>& fault) const {
        if (fault) Fail(key, *fault);
    }

    // The first key (in the file's order) that is none of `known`.
    void OnlyKeys(std::initializer_list<std::string_view> known) const {
        const toml::key* unknown = nullptr;
        for (const auto& [key, node] : table_) {
            if (std::find(known.begin(), known.end(), key.str()) != known.end()) continue;
            if (unknown == nullptr || key.source().begin < unknown->source().begin) unknown = &key;
        }
        if (unknown != nullptr) {
            Fail(static_cast<int>(unknown->source().begin.line), unknown->str(), "unknown key");
        }
    }

    const toml::node* Optional(std::string_view key) const { return table_.get(key); }
    const toml::node& Required(std::string_view key) const {
        const toml::node* node = table_.get(key);
        if (node == nullptr) Fail(line(), key, "missing");
        return *node;
    }

    std::string Text(std::string_view key) const {
        const auto* text = Required(key).as_string();
        if (text == nullptr) Fail(key, "must be a string");
        return text->get();
    }
    std::optional<std::string> OptionalText(std::string_view key) const {
        return Has(key) ? std::optional(Text(key)) : std::nullopt;
    }

    double Number(std::string_view key) const { return NumberAt(Required(key), key); }
    double NumberOr(std::string_view key, double absent) const {
        return Has(key) ? Number(key) : absent;
    }
    double Number(std::string_view key, const Bounds& bounds) const {
        const double value = Number(key);
        Check(key, OutOfBounds(key, value, bounds));
        return value;
    }
    double NumberOr(std::string_view key, double absent, const Bounds& bounds) const {
        return Has(key) ? Number(key, bounds) : absent;
    }

    // An array of one of the sizes given, of finite numbers.
    std::vector<double> Numbers(std::string_view key, std::initializer_list<std::size_t> sizes,
                                std::string_view sizesText) const {
        const auto* array = Required(key).as_array();
        if (array == nullptr ||
            std::find(sizes.begin(), sizes.end(), array->size()) == sizes.end()) {
            Fail(key, "must be an array of " + std::string(sizesText) + " numbers");
        }
        std::vector<double> numbers;
        for (const toml::node& element : *array)
            numbers.push_back(NumberAt(element, key));
        return numbers;
    }

    Table Subtable(std::string_view key) const {
        const auto* table = Required(key).as_table();
        if (table == nullptr) Fail(key, "must be a table");
        return Table(*table, path_ + "." + std::string(key), file_);
    }

  private:
    double NumberAt(const toml::node& node, std::string_view key) const {
        const auto number = AsNumber(node);
        if (!number) Fail(LineOf(node), key, "must be a number");
        if (!std::isfinite(*number)) Fail(LineOf(node), key, "must be a finite number");
        return *number;
    }

    const toml::table& table_;
    std::string path_;
    const std::string& file_;
};

bool IsUserId(std::string_view id) {
    return !id.empty() && std::all_of(id.begin(), id.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-';
    });
}

// "the built-in datum" or "the datum of FILE:LINE": where a clashing id was defined.
std::string DefinedWhere(std::string_view what, const std::string& definedIn) {
    return definedIn.empty() ? "a built-in " + std::string(what)
                             : "the " + std::string(what) + " of " + definedIn;
}

// Adds the datums and systems of one file to a catalogue.
class Reader {
  public:
    Reader(const std::string& file, Catalogue& catalogue) : file_(file), catalogue_(catalogue) {}

    void Read(const toml::table& root) {
        // Tables in the file's order, each kind of table by its reader.
        struct Entry {
            int line;
            std::string kind;
            std::string id;
            const toml::node* node;
        };
        std::vector<Entry> entries;
        for (const auto& [key, node] : root) {
            const bool definitions = key == "datum" || key == "system";
            if (definitions && node.is_table()) {
                for (const auto& [id, definition] : *node.as_table())
                    entries.push_back({LineOf(definition), std::string(key.str()),
                                       std::string(id.str()), &definition});
            } else {
                entries.push_back({LineOf(node), std::string(key.str()), "", &node});
            }
        }
        std::stable_sort(entries.begin(), entries.end(),
                         [](const Entry& a, const Entry& b) { return a.line < b.line; });

        for (const Entry& entry : entries) {
            const Table top(root, "", file_);
            if (entry.kind == "geoid") {
                top.Fail(entry.line, entry.kind,
                         "geoid models are not read from catalogue files yet");
            }
            if (entry.kind != "datum" && entry.kind != "system") {
                top.Fail(entry.line, entry.kind,
                         entry.node->is_table() ? "unknown table kind (datum or system)"
                                                : "unknown key");
            }
            if (!entry.node->is_table()) {
                top.Fail(entry.line, entry.id.empty() ? entry.kind : entry.kind + "." + entry.id,
                         entry.id.empty() ? "must hold tables [" + entry.kind + ".ID]"
                                          : "must be a table");
            }
            const Table table(*entry.node->as_table(), entry.kind + "." + entry.id, file_);
            if (entry.kind == "datum") {
                ReadDatum(entry.id, table);
            } else {
                ReadSystem(entry.id, table);
            }
        }
    }

  private:
    void CheckId(const std::string& id, const Table& table) const {
        if (!IsUserId(id)) {
            table.Fail(table.line(), "",
                       "an id is lower-case letters, digits and '-', not " + Quoted(id));
        }
    }

    void ReadDatum(const std::string& id, const Table& table) {
        table.OnlyKeys({"name", "ellipsoid", "to", "parameters", "convention", "source"});
        CheckId(id, table);
        if (const Datum* taken = catalogue_.FindDatum(id)) {
            table.Fail(table.line(), "",
                       "the id is taken by " + DefinedWhere("datum", taken->definedIn));
        }
        Datum datum;
        datum.id = id;
        const std::string name = table.OptionalText("name").value_or(id);
        datum.name = {name, name};
        datum.ellipsoid = ReadEllipsoid(table);
        datum.definedIn = table.Where(table.line());

        DatumLink link;
        link.to = table.Text("to");
        if (catalogue_.FindDatum(link.to) == nullptr)
            table.Fail("to", "unknown datum " + Quoted(link.to));
        const std::vector<double> values = table.Numbers("parameters", {3, 7}, "3 or 7");
        for (std::size_t i = 0; i < values.size(); ++i) {
            constexpr std::string_view kLabels[] = {"dX", "dY", "dZ", "wX", "wY", "wZ", "m"};
            const Bounds& bounds = i < 3 ? kTranslation : i < 6 ? kRotation : kScalePpm;
            table.Check("parameters", OutOfBounds(kLabels[i], values[i], bounds));
        }
        if (values.size() == 7 && !table.Has("convention")) {
            table.Fail(
                table.line(), "convention",
                "missing: seven parameters need \"coordinate-frame\" or \"position-vector\"");
        }
        Convention convention = Convention::CoordinateFrame;  // of no account for translations
        if (table.Has("convention")) {
            const std::string text = table.Text("convention");
            const auto* named = FindNamed(kConventions, text);
            if (named == nullptr) table.Fail("convention", "must be " + Names(kConventions));
            convention = named->convention;
        }
        const engine::DatumShift published{values[0],
                                           values[1],
                                           values[2],
                                           values.size() == 7 ? values[3] : 0,
                                           values.size() == 7 ? values[4] : 0,
                                           values.size() == 7 ? values[5] : 0,
                                           values.size() == 7 ? values[6] * 1e-6 : 0};
        link.shift = InCoordinateFrame(published, convention);
        const std::string source = table.OptionalText("source").value_or(datum.definedIn);
        link.source = {source, source};
        datum.toPz9011 = {link};
        catalogue_.AddDatum(std::move(datum));
    }

    engine::Ellipsoid ReadEllipsoid(const Table& table) const {
        const toml::node& node = table.Required("ellipsoid");
        if (const auto* name = node.as_string()) {
            const auto* named = FindNamed(kEllipsoids, name->get());
            if (named == nullptr) {
                table.Fail("ellipsoid", "unknown ellipsoid " + Quoted(name->get()) + " (" +
                                            Names(kEllipsoids) + ", or { a = …, rf = … })");
            }
            return named->ellipsoid;
        }
        if (!node.is_table()) table.Fail("ellipsoid", "must be a name or { a = …, rf = … }");
        const Table numbers = table.Subtable("ellipsoid");
        numbers.OnlyKeys({"a", "rf"});
        return {numbers.Number("a", kSemiMajorAxis), numbers.Number("rf", kInverseFlattening)};
    }

    void ReadSystem(const std::string& id, const Table& table) {
        table.OnlyKeys({"name", "name_en", "datum", "proj", "tmerc", "form", "keys", "affine"});
        CheckId(id, table);
        if (const System* taken = catalogue_.Find(id)) {
            table.Fail(table.line(), "",
                       "the id is taken by " + DefinedWhere("system", taken->definedIn));
        }
        System system;
        system.id = id;
        system.group = Group::User;
        system.zones = Zones::None;
        system.definedIn = table.Where(table.line());
        system.displayName = table.Text("name");
        if (system.displayName.empty()) table.Fail("name", "must not be empty");
        for (const System& other : catalogue_.systems()) {
            if (other.displayName == system.displayName) {
                table.Fail("name", "is already the name of system " + other.id);
            }
        }
        system.names = {table.OptionalText("name_en").value_or(system.displayName),
                        system.displayName};

        const std::string_view forms[] = {"proj", "tmerc", "form"};
        const auto given = std::count_if(std::begin(forms), std::end(forms),
                                         [&](std::string_view key) { return table.Has(key); });
        if (given == 0) table.Fail(table.line(), "", "give proj, tmerc or form");
        if (given > 1) table.Fail(table.line(), "", "give only one of proj, tmerc and form");
        if (table.Has("proj")) {
            ReadProjSystem(table, system);
        } else {
            system.datum = KnownDatum(table);
            if (table.Has("tmerc")) {
                system.form = CoordinateForm::Plane;
                system.projection = ReadTransverseMercator(table.Subtable("tmerc"));
            } else {
                const std::string text = table.Text("form");
                const auto* named = FindNamed(kForms, text);
                if (named == nullptr) {
                    table.Fail("form", "must be " + Names(kForms) + " (a plane is a tmerc)");
                }
                system.form = named->form;
            }
        }
        system.keys = ReadKeys(table, system.form);
        catalogue_.AddSystem(std::move(system));
    }

    Datum KnownDatum(const Table& table) const {
        const std::string id = table.Text("datum");
        const Datum* datum = catalogue_.FindDatum(id);
        if (datum == nullptr) table.Fail("datum", "unknown datum " + Quoted(id));
        return *datum;
    }

    static engine::TransverseMercatorParameters ReadTransverseMercator(const Table& tmerc) {
        tmerc.OnlyKeys({"lon_0", "lat_0", "k", "k_0", "x_0", "y_0"});
        if (tmerc.Has("k") && tmerc.Has("k_0")) tmerc.Fail("k_0", "give k or k_0, not both");
        const std::string_view scaleKey = tmerc.Has("k_0") ? "k_0" : "k";
        engine::TransverseMercatorParameters tm;
        tm.centralMeridian = tmerc.Number("lon_0", kLongitude);
        tm.originLatitude = tmerc.NumberOr("lat_0", 0, kLatitude);
        tm.scale = tmerc.NumberOr(scaleKey, 1);
        tmerc.Check(scaleKey, ScaleFault(scaleKey, tm.scale));
        tm.falseEasting = tmerc.NumberOr("x_0", 0);
        tm.falseNorthing = tmerc.NumberOr("y_0", 0);
        return tm;
    }

    // A PROJ string's numbers are judged as the tables' are, each under its PROJ name.
    void ReadProjSystem(const Table& table, System& system) {
        std::string fault;
        const auto definition = ReadProjString(table.Text("proj"), fault);
        if (!definition) table.Fail("proj", fault);
        const engine::Ellipsoid& ellipsoid = definition->ellipsoid;
        table.Check("proj", OutOfBounds("+a", ellipsoid.a, kSemiMajorAxis));
        table.Check("proj", OutOfBounds("+rf", ellipsoid.invF, kInverseFlattening));
        const engine::TransverseMercatorParameters& tm = definition->projection;
        table.Check("proj", OutOfBounds("+lon_0", tm.centralMeridian, kLongitude));
        table.Check("proj", OutOfBounds("+lat_0", tm.originLatitude, kLatitude));
        table.Check("proj", ScaleFault("+k", tm.scale));
        for (const double value :
             {tm.falseEasting, tm.falseNorthing, ellipsoid.a, ellipsoid.invF}) {
            if (!std::isfinite(value)) table.Fail("proj", "its numbers must be finite");
        }
        system.form = definition->form;
        system.projection = tm;

        const bool namesDatum = table.Has("datum");
        if (definition->toWgs84) {
            if (namesDatum)
                table.Fail("datum",
                           "must not be given: the PROJ string's +towgs84 defines the datum");
            system.datum = TowgsDatum(table, system.id, ellipsoid, *definition->toWgs84);
        } else if (definition->wgs84Datum) {
            if (namesDatum)
                table.Fail("datum", "must not be given: the PROJ string says +datum=WGS84");
            system.datum = *catalogue_.FindDatum("wgs84");
        } else {
            if (!namesDatum) {
                table.Fail(LineOf(table.Required("proj")), "datum",
                           "missing: the PROJ string has no +towgs84, so datum = \"…\" must name "
                           "its datum");
            }
            system.datum = KnownDatum(table);
            const engine::Ellipsoid& own = system.datum.ellipsoid;
            if (std::fabs(own.a - ellipsoid.a) > kSameAxis ||
                std::fabs(own.invF - ellipsoid.invF) > kSameInverseFlattening) {
                table.Fail("datum", "the PROJ string's ellipsoid (a = " + Readable(ellipsoid.a) +
                                        " m, rf = " + Readable(ellipsoid.invF) + ") is not datum " +
                                        system.datum.id + "'s");
            }
        }
    }

    // The datum a +towgs84 defines: its own id, which no file can write, and a link to WGS-84.
    Datum TowgsDatum(const Table& table, const std::string& systemId,
                     const engine::Ellipsoid& ellipsoid, const engine::DatumShift& shift) {
        // The rotations as the string writes them: position vector, the engine's reversed.
        const double written[] = {shift.dX,  shift.dY,  shift.dZ,     -shift.wX,
                                  -shift.wY, -shift.wZ, shift.m * 1e6};
        constexpr std::string_view kLabels[] = {"dX", "dY", "dZ", "rX", "rY", "rZ", "ds"};
        for (std::size_t i = 0; i < std::size(written); ++i) {
            const Bounds& bounds = i < 3 ? kTranslation : i < 6 ? kRotation : kScalePpm;
            table.Check("proj",
                        OutOfBounds("+towgs84 " + std::string(kLabels[i]), written[i], bounds));
        }
        const std::string where = table.Where(LineOf(table.Required("proj")));
        Datum datum;
        datum.id = systemId + "/datum";
        datum.name = {"+towgs84 of " + systemId, "+towgs84 системы " + systemId};
        datum.ellipsoid = ellipsoid;
        datum.definedIn = where;
        datum.toPz9011 = {
            {"wgs84",
             {},
             shift,
             {"PROJ string's +towgs84 at " + where, "+towgs84 строки PROJ, " + where}}};
        catalogue_.AddDatum(std::move(datum));
        return *catalogue_.FindDatum(systemId + "/datum");
    }

    static std::optional<PlaneKeys> ReadKeys(const Table& table, CoordinateForm form) {
        const bool keys = table.Has("keys"), affine = table.Has("affine");
        if (!keys && !affine) return std::nullopt;
        const std::string_view given = keys ? "keys" : "affine";
        if (keys && affine) table.Fail("affine", "give keys or affine, not both");
        if (form != CoordinateForm::Plane)
            table.Fail(given, "plane keys need a transverse Mercator system");
        if (keys) {
            const Table similarity = table.Subtable("keys");
            similarity.OnlyKeys({"dx", "dy", "rotation", "scale_ppm"});
            return Similarity(similarity.Number("dx", kPlaneShift),
                              similarity.Number("dy", kPlaneShift),
                              similarity.Number("rotation", kPlaneRotation),
                              similarity.Number("scale_ppm", kScalePpm));
        }
        const std::vector<double> v = table.Numbers("affine", {6}, "6");
        table.Check("affine", OutOfBounds("x0", v[0], kPlaneShift));
        table.Check("affine", OutOfBounds("y0", v[3], kPlaneShift));
        if (!(std::fabs(v[1] * v[5] - v[2] * v[4]) >= kSmallestAffineDeterminant)) {
            table.Fail("affine", "is degenerate: a·d − b·c is 0");
        }
        return Affine({v[0], v[1], v[2], v[3], v[4], v[5]});
    }

    const std::string& file_;
    Catalogue& catalogue_;
};

// A TOML basic string: quotes, backslashes and control characters escaped, UTF-8 as it is.
std::string TomlString(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20 || byte == 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04X", byte);
            out += escape;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

// A TOML float that reads back as the same double: a bare integer gets its ".0".
std::string TomlNumber(double value) {
    std::string text = Shortest(value);
    if (text.find_first_not_of("-0123456789") == std::string::npos) text += ".0";
    return text;
}

// A key bare when TOML allows it, else quoted.
std::string TomlKey(std::string_view key) {
    const bool bare = !key.empty() && std::all_of(key.begin(), key.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               c == '-' || c == '_';
    });
    return bare ? std::string(key) : TomlString(key);
}

std::string InlineTable(std::initializer_list<std::pair<std::string_view, double>> entries) {
    std::string out = "{ ";
    for (const auto& [key, value] : entries)
        out +=
            std::string(out.size() > 2 ? ", " : "") + std::string(key) + " = " + TomlNumber(value);
    return out + " }";
}

}  // namespace

std::string CatalogueFault::Text() const {
    std::string text = file;
    if (line > 0) text += ":" + std::to_string(line);
    for (const std::string* part : {&key, &message}) {
        if (part->empty()) continue;
        text += (text.empty() ? "" : ": ") + *part;
    }
    return text;
}

std::optional<CatalogueFault> ReadCatalogueText(std::string_view text, const std::string& file,
                                                Catalogue& catalogue) {
    const toml::parse_result parsed = toml::parse(text, std::string_view(file));
    if (!parsed) {
        const toml::parse_error& error = parsed.error();
        return CatalogueFault{file, static_cast<int>(error.source().begin.line), "",
                              std::string(error.description())};
    }
    Catalogue extended = catalogue;
    try {
        Reader(file, extended).Read(parsed.table());
    } catch (const Refusal& refusal) {
        return refusal.fault;
    }
    catalogue = std::move(extended);
    return std::nullopt;
}

std::optional<CatalogueFault> ReadCatalogueFile(const std::string& file, Catalogue& catalogue) {
    const auto unreadable = [&](std::string why) {
        return CatalogueFault{file, 0, "", "cannot be read: " + std::move(why), true};
    };
    std::error_code error;
    if (std::filesystem::is_directory(file, error)) return unreadable("it is a directory");
    std::ifstream in(file, std::ios::binary);
    if (!in) return unreadable(std::strerror(errno));
    const std::string text{std::istreambuf_iterator<char>(in), {}};
    if (in.bad()) return unreadable(std::strerror(errno));
    return ReadCatalogueText(text, file, catalogue);
}

std::string UserCatalogueFile() {
    // XDG Base Directory Specification 0.8: a relative $XDG_CONFIG_HOME is to be ignored.
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config != nullptr && config[0] == '/')
        return std::string(config) + "/coordconv/systems.toml";
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] != '\0')
        return std::string(home) + "/.config/coordconv/systems.toml";
    return "";
}

std::optional<CatalogueFault> LoadCatalogue(std::span<const std::string> files,
                                            Catalogue& catalogue) {
    Catalogue loaded = BuiltIn();
    const std::string user = UserCatalogueFile();
    std::error_code error;
    if (!user.empty() && std::filesystem::exists(user, error)) {
        if (auto fault = ReadCatalogueFile(user, loaded)) return fault;
    }
    for (const std::string& file : files) {
        if (auto fault = ReadCatalogueFile(file, loaded)) return fault;
    }
    catalogue = std::move(loaded);
    return std::nullopt;
}

std::string SystemToml(const System& system) {
    std::string out = "[system." + TomlKey(system.id) + "]\n";
    out += "name = " + TomlString(system.displayName) + "\n";
    if (system.names.english != system.displayName) {
        out += "name_en = " + TomlString(system.names.english) + "\n";
    }
    out += "datum = " + TomlString(system.datum.id) + "\n";
    switch (system.form) {
        case CoordinateForm::Geodetic:
        case CoordinateForm::Geocentric: {
            const auto* named =
                std::find_if(std::begin(kForms), std::end(kForms),
                             [&](const NamedForm& n) { return n.form == system.form; });
            out += "form = " + TomlString(named->name) + "\n";
            break;
        }
        case CoordinateForm::Plane: {
            const engine::TransverseMercatorParameters& tm = system.projection;
            out += "tmerc = " +
                   InlineTable({{"lon_0", tm.centralMeridian},
                                {"lat_0", tm.originLatitude},
                                {"k", tm.scale},
                                {"x_0", tm.falseEasting},
                                {"y_0", tm.falseNorthing}}) +
                   "\n";
            break;
        }
    }
    if (system.keys) {
        const PlaneKeys& keys = *system.keys;
        switch (keys.kind) {
            case PlaneKeys::Kind::Similarity:
                out += "keys = " +
                       InlineTable({{"dx", keys.x0},
                                    {"dy", keys.y0},
                                    {"rotation", keys.rotationSeconds},
                                    {"scale_ppm", keys.scalePpm}}) +
                       "\n";
                break;
            case PlaneKeys::Kind::Affine:
                out += "affine = [" + TomlNumber(keys.x0) + ", " + TomlNumber(keys.a) + ", " +
                       TomlNumber(keys.b) + ", " + TomlNumber(keys.y0) + ", " + TomlNumber(keys.c) +
                       ", " + TomlNumber(keys.d) + "]\n";
                break;
        }
    }
    return out;
}

}  // namespace systems
