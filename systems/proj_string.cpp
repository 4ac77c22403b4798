#include "systems/proj_string.h"

#include <algorithm>
#include <charconv>
#include <vector>

#include "engine/constants.h"
#include "engine/datums.h"
#include "systems/datum.h"

namespace systems {

namespace {

using controller::CoordinateForm;

// The projections of the subset; PROJ's three names of the geodetic form are one.
enum class ProjKind { TransverseMercator, Utm, Geodetic, Geocentric };

struct Projection {
    std::string_view name;
    ProjKind kind;
};
constexpr Projection kProjections[] = {
    {"tmerc", ProjKind::TransverseMercator},
    {"etmerc", ProjKind::TransverseMercator},
    {"utm", ProjKind::Utm},
    {"longlat", ProjKind::Geodetic},
    {"latlong", ProjKind::Geodetic},
    {"lonlat", ProjKind::Geodetic},
    {"geocent", ProjKind::Geocentric},
};

constexpr unsigned Bit(ProjKind kind) {
    return 1u << static_cast<unsigned>(kind);
}
constexpr unsigned kPlane = Bit(ProjKind::TransverseMercator) | Bit(ProjKind::Utm);
constexpr unsigned kMetres = kPlane | Bit(ProjKind::Geocentric);
constexpr unsigned kEvery = kMetres | Bit(ProjKind::Geodetic);

// The parameters of the subset and the projections each belongs to; a flag takes no value.
struct Parameter {
    std::string_view name;
    unsigned projections;
    bool flag = false;
};
constexpr Parameter kParameters[] = {
    {"proj", kEvery},
    {"ellps", kEvery},
    {"a", kEvery},
    {"rf", kEvery},
    {"towgs84", kEvery},
    {"datum", kEvery},
    {"no_defs", kEvery, true},
    {"type", kEvery},
    {"units", kMetres},
    {"lon_0", Bit(ProjKind::TransverseMercator)},
    {"lat_0", Bit(ProjKind::TransverseMercator)},
    {"k", Bit(ProjKind::TransverseMercator)},
    {"k_0", Bit(ProjKind::TransverseMercator)},
    {"x_0", Bit(ProjKind::TransverseMercator)},
    {"y_0", Bit(ProjKind::TransverseMercator)},
    {"zone", Bit(ProjKind::Utm)},
    {"south", Bit(ProjKind::Utm), true},
};

// PROJ's ellipsoids of the subset, each as `proj -le` lists it (PROJ 9.1): its PZ90 is the
// PZ-90.11 ellipsoid.
struct NamedEllipsoid {
    std::string_view name;
    engine::Ellipsoid ellipsoid;
};
constexpr NamedEllipsoid kEllipsoids[] = {
    {"krass", engine::EllipsoidKrasovsky},
    {"WGS84", engine::EllipsoidWgs84Defined},
    {"GRS80", EllipsoidGrs80},
    {"PZ90", engine::EllipsoidPz9011},
    {"GSK2011", engine::EllipsoidGsk2011},
};

// UTM (NIMA TM8358.2, 2-3): k₀ 0.9996, false easting 500 km, 10 000 km north in the south.
constexpr double kUtmScale = 0.9996;
constexpr double kUtmFalseEasting = 500000;
constexpr double kUtmSouthernFalseNorthing = 10000000;
constexpr int kUtmZones = 60;

// The first fault ends the reading.
struct Refusal {
    std::string message;
};

struct Token {
    std::string_view name;
    std::optional<std::string_view> value;  // none for "+south"
};

std::string Plus(std::string_view name) {
    return "+" + std::string(name);
}

// The words of the string, each "+name=value" or "+name"; PROJ takes them without "+" too.
std::vector<Token> Tokens(std::string_view text) {
    constexpr std::string_view kBlanks = " \t\r\n";
    std::vector<Token> tokens;
    for (std::size_t begin = text.find_first_not_of(kBlanks); begin != std::string_view::npos;) {
        const std::size_t end = std::min(text.find_first_of(kBlanks, begin), text.size());
        const std::string_view written = text.substr(begin, end - begin);
        begin = text.find_first_not_of(kBlanks, end);
        std::string_view word = written;
        if (word.front() == '+') word.remove_prefix(1);
        const std::size_t equals = word.find('=');
        Token token{word.substr(0, equals), std::nullopt};
        if (equals != std::string_view::npos) token.value = word.substr(equals + 1);
        if (token.name.empty())
            throw Refusal{"\"" + std::string(written) + "\" names no parameter"};
        for (const Token& earlier : tokens) {
            if (earlier.name == token.name) throw Refusal{Plus(token.name) + " is given twice"};
        }
        tokens.push_back(token);
    }
    return tokens;
}

// The whole text as a decimal number (PROJ's degrees-minutes-seconds forms are refused).
double Number(std::string_view name, std::string_view text) {
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty()) throw Refusal{Plus(name) + " has an empty number"};
    if (error != std::errc() || end != text.data() + text.size()) {
        throw Refusal{Plus(name) + "=" + std::string(text) + " is not a number"};
    }
    return value;
}

class Parameters {
  public:
    explicit Parameters(std::vector<Token> tokens) : tokens_(std::move(tokens)) {}

    bool Has(std::string_view name) const { return Find(name) != nullptr; }
    std::optional<std::string_view> Text(std::string_view name) const {
        const Token* token = Find(name);
        return token == nullptr ? std::nullopt : token->value;
    }
    std::optional<double> OptionalNumber(std::string_view name) const {
        const auto text = Text(name);
        return text ? std::optional(Number(name, *text)) : std::nullopt;
    }
    double NumberOr(std::string_view name, double absent) const {
        return OptionalNumber(name).value_or(absent);
    }

  private:
    const Token* Find(std::string_view name) const {
        const auto token = std::find_if(tokens_.begin(), tokens_.end(),
                                        [&](const Token& t) { return t.name == name; });
        return token == tokens_.end() ? nullptr : &*token;
    }
    std::vector<Token> tokens_;
};

const Parameter* Known(const Token& token) {
    const auto known =
        std::find_if(std::begin(kParameters), std::end(kParameters),
                     [&](const Parameter& parameter) { return parameter.name == token.name; });
    return known == std::end(kParameters) ? nullptr : known;
}

// Each word a parameter of the subset, before anything else is read.
void CheckSupported(const std::vector<Token>& tokens) {
    for (const Token& token : tokens) {
        if (Known(token) == nullptr) throw Refusal{Plus(token.name) + " is not supported"};
    }
}

// Each word a parameter of this projection, with a value unless it is a flag.
void CheckNames(const std::vector<Token>& tokens, const Projection& projection) {
    for (const Token& token : tokens) {
        const Parameter* known = Known(token);
        if ((known->projections & Bit(projection.kind)) == 0) {
            throw Refusal{Plus(token.name) +
                          " is not a parameter of +proj=" + std::string(projection.name)};
        }
        if (known->flag && token.value) throw Refusal{Plus(token.name) + " takes no value"};
        if (!known->flag && !token.value) throw Refusal{Plus(token.name) + " needs a value"};
    }
}

// The one value a parameter may have ("+units=m"), when given.
void RequireValue(const Parameters& parameters, std::string_view name, std::string_view only,
                  std::string_view why) {
    const auto value = parameters.Text(name);
    if (value && *value != only) {
        throw Refusal{Plus(name) + "=" + std::string(*value) + " is not supported (" +
                      std::string(why) + ")"};
    }
}

void ReadDatum(const Parameters& parameters, ProjDefinition& definition) {
    RequireValue(parameters, "datum", "WGS84", "+datum=WGS84 is; else +ellps and +towgs84");
    if (parameters.Has("datum")) {
        if (parameters.Has("ellps") || parameters.Has("a") || parameters.Has("rf") ||
            parameters.Has("towgs84")) {
            throw Refusal{"+datum=WGS84 already gives the ellipsoid and the shift"};
        }
        definition.wgs84Datum = true;
        definition.ellipsoid = engine::EllipsoidWgs84Defined;
        return;
    }

    if (const auto name = parameters.Text("ellps")) {
        if (parameters.Has("a") || parameters.Has("rf")) {
            throw Refusal{"give +ellps, or +a with +rf, not both"};
        }
        const auto named = std::find_if(std::begin(kEllipsoids), std::end(kEllipsoids),
                                        [&](const NamedEllipsoid& e) { return e.name == *name; });
        if (named == std::end(kEllipsoids)) {
            throw Refusal{"+ellps=" + std::string(*name) +
                          " is not supported (krass, WGS84, GRS80, PZ90, GSK2011 are)"};
        }
        definition.ellipsoid = named->ellipsoid;
    } else if (parameters.Has("a") && parameters.Has("rf")) {
        definition.ellipsoid = {*parameters.OptionalNumber("a"), *parameters.OptionalNumber("rf")};
    } else {
        throw Refusal{"the ellipsoid is missing: give +ellps, or +a with +rf"};
    }

    if (const auto text = parameters.Text("towgs84")) {
        std::vector<double> values;
        for (std::size_t begin = 0;;) {
            const std::size_t comma = text->find(',', begin);
            values.push_back(Number("towgs84", text->substr(begin, comma - begin)));
            if (comma == std::string_view::npos) break;
            begin = comma + 1;
        }
        if (values.size() != 3 && values.size() != 7) {
            throw Refusal{"+towgs84 needs 3 or 7 numbers, not " + std::to_string(values.size())};
        }
        values.resize(7, 0.0);
        // PROJ's +towgs84: translations in m, position-vector rotations in ″, scale in ppm.
        const engine::DatumShift published{values[0], values[1], values[2],       values[3],
                                           values[4], values[5], values[6] * 1e-6};
        definition.toWgs84 = InCoordinateFrame(published, Convention::PositionVector);
    }
}

void ReadProjection(const Parameters& parameters, ProjKind kind, ProjDefinition& definition) {
    switch (kind) {
        case ProjKind::TransverseMercator: {
            if (parameters.Has("k") && parameters.Has("k_0")) {
                throw Refusal{"give +k or +k_0, not both"};
            }
            definition.form = CoordinateForm::Plane;
            // PROJ's defaults for a parameter not given.
            engine::TransverseMercatorParameters& tm = definition.projection;
            tm.centralMeridian = parameters.NumberOr("lon_0", 0);
            tm.originLatitude = parameters.NumberOr("lat_0", 0);
            tm.scale = parameters.NumberOr("k", parameters.NumberOr("k_0", 1));
            tm.falseEasting = parameters.NumberOr("x_0", 0);
            tm.falseNorthing = parameters.NumberOr("y_0", 0);
            return;
        }
        case ProjKind::Utm: {
            const auto text = parameters.Text("zone");
            if (!text) throw Refusal{"+proj=utm needs +zone"};
            int zone = 0;
            const auto [end, error] =
                std::from_chars(text->data(), text->data() + text->size(), zone);
            if (error != std::errc() || end != text->data() + text->size() || zone < 1 ||
                zone > kUtmZones) {
                throw Refusal{"+zone=" + std::string(*text) + " is not a UTM zone (1 to 60)"};
            }
            definition.form = CoordinateForm::Plane;
            // Zone n's central meridian is 6n − 183° (NIMA TM8358.2, 2-3).
            definition.projection = {6.0 * zone - 183, 0, kUtmScale, kUtmFalseEasting,
                                     parameters.Has("south") ? kUtmSouthernFalseNorthing : 0};
            return;
        }
        case ProjKind::Geodetic:
            definition.form = CoordinateForm::Geodetic;
            return;
        case ProjKind::Geocentric:
            definition.form = CoordinateForm::Geocentric;
            return;
    }
}

}  // namespace

std::optional<ProjDefinition> ReadProjString(std::string_view text, std::string& fault) {
    try {
        const std::vector<Token> tokens = Tokens(text);
        const Parameters parameters(tokens);
        // The projection first: every other parameter belongs to one.
        const auto name = parameters.Text("proj");
        const auto projection = std::find_if(std::begin(kProjections), std::end(kProjections),
                                             [&](const Projection& p) { return p.name == name; });
        if (name && projection == std::end(kProjections)) {
            throw Refusal{"+proj=" + std::string(*name) +
                          " is not supported (tmerc, etmerc, utm, longlat, geocent are)"};
        }
        CheckSupported(tokens);
        if (projection == std::end(kProjections)) throw Refusal{"+proj=… is missing"};
        CheckNames(tokens, *projection);
        RequireValue(parameters, "units", "m", "metres only");
        RequireValue(parameters, "type", "crs", "+type=crs is");

        ProjDefinition definition;
        ReadDatum(parameters, definition);
        ReadProjection(parameters, projection->kind, definition);
        return definition;
    } catch (const Refusal& refusal) {
        fault = refusal.message;
        return std::nullopt;
    }
}

}  // namespace systems
