#include "batch/describe.h"

#include <algorithm>

#include "batch/point_converter.h"
#include "controller/routes.h"

namespace batch {

namespace {

using controller::CoordinateForm;

std::string_view DatumName(Datum datum, Language language) {
    constexpr std::string_view kNames[][6] = {
        {"WGS-84", "PZ-90", "SK-42", "PZ-90.11", "GSK-2011", "SK-95"},
        {"WGS-84", "ПЗ-90", "СК-42", "ПЗ-90.11", "ГСК-2011", "СК-95"}};
    return kNames[static_cast<int>(language)][static_cast<int>(datum)];
}

// Each datum's set to PZ-90.11: its place in GOST 32453-2017, its EPSG codes and the
// accuracies the EPSG registry states for them.
MessageId SetSource(Datum datum) {
    switch (datum) {
        case Datum::Wgs84:
            return MessageId::SourceWgs84;
        case Datum::Pz90:
            return MessageId::SourcePz90;
        case Datum::Sk42:
            return MessageId::SourceSk42;
        case Datum::Sk95:
            return MessageId::SourceSk95;
        case Datum::Pz9011:
        case Datum::Gsk2011:
            return MessageId::SourcePz9011;
    }
    return MessageId::SourcePz9011;
}

// The route's texts in one language.
class RouteText {
  public:
    explicit RouteText(Language language) : language_(language) {}

    std::string operator()(MessageId id,
                           std::initializer_list<std::string_view> arguments = {}) const {
        return Message(language_, id, arguments);
    }
    std::string_view Datum(batch::Datum datum) const { return DatumName(datum, language_); }
    std::string Form(const SystemInfo& system) const {
        const MessageId form = system.form == CoordinateForm::Geocentric ? MessageId::FormGeocentric
                               : system.form == CoordinateForm::Geodetic ? MessageId::FormGeodetic
                                                                         : MessageId::FormPlane;
        return Message(language_, form, {Datum(system.datum)});
    }

  private:
    Language language_;
};

// A system as the route names it: its short name for scripts, the name the windows show
// for a reader of Russian.
std::string_view RouteName(const SystemInfo& system, Language language) {
    return language == Language::Russian ? system.displayName : system.shortName;
}

std::string Official(const ConversionOptions& options) {
    const SystemInfo& from = Info(options.from);
    const SystemInfo& to = Info(options.to);
    const RouteText text(options.language);
    std::string steps;
    int n = 0;
    const auto step = [&](const std::string& text) {
        steps += "  " + std::to_string(++n) + ". " + text + "\n";
    };
    const bool sameDatum = from.datum == to.datum;
    const bool viaGeocentric = !sameDatum || from.form == CoordinateForm::Geocentric ||
                               to.form == CoordinateForm::Geocentric;
    if (from.form == CoordinateForm::Plane) {
        step(text(MessageId::StepPlaneToGeodetic, {text.Form(from)}));
    }
    if (viaGeocentric && from.form != CoordinateForm::Geocentric) {
        step(text(MessageId::StepGeodeticToGeocentric, {text.Datum(from.datum)}));
    }
    if (!sameDatum && from.datum != Datum::Pz9011) {
        step(text(MessageId::StepToPz9011, {text.Datum(from.datum), text(SetSource(from.datum))}));
    }
    if (!sameDatum && to.datum != Datum::Pz9011) {
        step(text(MessageId::StepFromPz9011, {text.Datum(to.datum), text(SetSource(to.datum))}));
    }
    if (viaGeocentric && to.form != CoordinateForm::Geocentric) {
        step(text(MessageId::StepGeocentricToGeodetic, {text.Datum(to.datum)}));
    }
    if (to.form == CoordinateForm::Plane) {
        step(text(MessageId::StepGeodeticToPlane, {text.Datum(to.datum), text.Form(to)}));
    }
    if (n == 0) step(text(MessageId::StepUnchanged, {text.Form(from)}));
    return text(sameDatum ? MessageId::RouteOfficialOneDatum : MessageId::RouteOfficial,
                {RouteName(from, options.language), RouteName(to, options.language)}) +
           steps + text(MessageId::RouteOfficialEnd);
}

std::string Window(const ConversionOptions& options) {
    using enum controller::CoordinateSystem;
    const RouteText text(options.language);
    const auto route = WindowChain(options);
    const std::string_view fromName = RouteName(Info(options.from), options.language);
    const std::string_view toName = RouteName(Info(options.to), options.language);
    if (route.empty()) return text(MessageId::RouteNoWindow, {fromName, toName});
    std::string steps;
    for (std::size_t i = 1; i < route.size(); ++i) {
        const auto from = route[i - 1], to = route[i];
        const auto a = controller::FormOf(from), b = controller::FormOf(to);
        std::string how;
        if (a == CoordinateForm::Plane || b == CoordinateForm::Plane) {
            how = text(MessageId::WindowGaussKrueger);
        } else if (a == CoordinateForm::Geodetic && b == CoordinateForm::Geocentric) {
            how = text(MessageId::WindowClosedForm);
        } else if (a == CoordinateForm::Geocentric && b == CoordinateForm::Geodetic) {
            how = text(MessageId::WindowIteration);
        } else {
            const bool sk42 = from == Sk42Xyz || to == Sk42Xyz || from == Sk42Blh || to == Sk42Blh;
            how = text(a == CoordinateForm::Geodetic ? MessageId::WindowMolodensky
                                                     : MessageId::WindowSevenParameters,
                       {text(sk42 ? MessageId::WindowSk42Set : MessageId::WindowWgs84Set)});
        }
        steps += "  " + std::to_string(i) + ". " + std::string(controller::DisplayName(from)) +
                 " -> " + std::string(controller::DisplayName(to)) + ": " + how + "\n";
    }
    if (route.size() == 1) steps = "  1. " + text(MessageId::Unchanged) + "\n";
    const auto on = [&](Datum datum) {
        return std::any_of(route.begin(), route.end(), [&](controller::CoordinateSystem system) {
            return Info(static_cast<SystemId>(static_cast<int>(system))).datum == datum;
        });
    };
    return text(MessageId::RouteWindow, {fromName, toName}) + steps +
           (on(Datum::Wgs84) && on(Datum::Sk42) ? text(MessageId::RouteWindowDiffers) : "");
}

}  // namespace

std::string DescribeRoute(const ConversionOptions& options) {
    return options.parameters == Parameters::Window ? Window(options) : Official(options);
}

}  // namespace batch
