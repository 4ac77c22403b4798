// Runs tests/data/oracle.cases: each line one engine operation over a grid of points,
// against PROJ running the same operation.
#include <gtest/gtest.h>
#include <proj.h>

#include <cmath>
#include <memory>
#include <string>

#include "engine_operations.h"
#include "systems/catalogue_file.h"
#include "systems/route.h"

namespace {

using testing_support::Values;

// One PROJ operation, created from a PROJ string with its own context.
class ProjOperation {
  public:
    // A PROJ string, or two CRSs "EPSG:4979 -> EPSG:4326+5773" as cs2cs joins them (in
    // their authorities' axis order).
    explicit ProjOperation(const std::string& definition)
        : context_(proj_context_create(), &proj_context_destroy),
          operation_(Create(context_.get(), definition), &proj_destroy) {
        if (!operation_) ADD_FAILURE() << "PROJ refused " << definition;
    }
    Values Run(const Values& in) const {
        const PJ_XYZ out =
            proj_trans(operation_.get(), PJ_FWD, proj_coord(in.at(0), in.at(1), in.at(2), 0)).xyz;
        return {out.x, out.y, out.z};
    }

  private:
    static PJ* Create(PJ_CONTEXT* context, const std::string& definition) {
        const std::size_t arrow = definition.find(" -> ");
        if (arrow == std::string::npos) return proj_create(context, definition.c_str());
        return proj_create_crs_to_crs(context, definition.substr(0, arrow).c_str(),
                                      definition.substr(arrow + 4).c_str(), nullptr);
    }

    std::unique_ptr<PJ_CONTEXT, decltype(&proj_context_destroy)> context_;
    std::unique_ptr<PJ, decltype(&proj_destroy)> operation_;
};

// coordconv-cli's route under GOST 32453-2017 between two systems of the catalogue (with
// the test catalogue's), "FROM TO [ZONE]", and the zone it asks for.
std::optional<systems::Route> RouteOf(const std::string& parameters, int* asked = nullptr) {
    static const systems::Catalogue catalogue = [] {
        systems::Catalogue read;
        systems::ReadCatalogueFile(COORDCONV_TEST_DATA "/systems/user.toml", read);
        return read;
    }();
    std::istringstream names(parameters);
    std::string from, to, zone = "0";
    names >> from >> to >> zone;
    const auto source = systems::FindSystem(catalogue, from).system;
    const auto target = systems::FindSystem(catalogue, to).system;
    const systems::System* zoned = systems::ZoneNamedBy(*source, *target);
    const int number = zoned ? *systems::ParseZone(*zoned, zone) : 0;
    if (asked) *asked = number;
    systems::Words refusal;
    return systems::Route::Build(*source, *target, systems::Parameters::Gost2017, number, refusal);
}

// The route as its own PROJ pipeline says it, in the order of the engine's values: latitude
// before longitude, north before east.
std::string PipelineOf(const std::string& parameters) {
    const auto route = RouteOf(parameters);
    std::string why;
    const auto pipeline = route->ProjPipeline(why);
    if (!pipeline) ADD_FAILURE() << parameters << ": " << why;
    const auto swapped = [](const systems::System& system) {
        return system.form != controller::CoordinateForm::Geocentric;
    };
    const std::string swap = " +step +proj=axisswap +order=2,1";
    return "+proj=pipeline" + std::string(swapped(route->from()) ? swap : "") +
           pipeline.value_or("").substr(std::string("+proj=pipeline").size()) +
           (swapped(route->to()) ? swap : "");
}

// An engine operation by name, or "official FROM TO [ZONE]": coordconv-cli's route, angles in
// degrees.
Values Apply(const std::string& op, const std::string& parameters, const Values& in) {
    if (op != "official") return testing_support::Apply(op, parameters, in);
    int zone = 0;
    const auto route = RouteOf(parameters, &zone);
    systems::RoutePoint point{{in.at(0), in.at(1), in.at(2)}, zone};
    route->Convert(point);
    if (point.fault != systems::Fault::None) return {NAN, NAN, NAN};
    return {point.values[0], point.values[1], point.values[2]};
}

// "first:last:step", or one value.
Values Range(const std::string& text) {
    double first = 0, last = 0, step = 1;
    if (std::sscanf(text.c_str(), "%lf:%lf:%lf", &first, &last, &step) == 1) last = first;
    Values values;
    for (int i = 0; first + i * step <= last + 1e-9; ++i)
        values.push_back(first + i * step);
    return values;
}

// Fields: operation | parameters | input ranges | PROJ set-up | PROJ operation ("grid": the
// grid point from which the set-up made the input) | tolerances.
TEST(ProjOracle, EveryOperationOfTheTable) {
    const std::string file = COORDCONV_TEST_DATA "/oracle.cases";
    for (const auto& c : testing_support::ReadCases(file)) {
        std::istringstream words(c.fields.at(2) + " " + c.fields.at(5));
        std::string w[6];
        for (auto& word : w)
            words >> word;
        const ProjOperation setup(c.fields.at(3) == "-" ? "+proj=noop" : c.fields.at(3));
        const bool grid = c.fields.at(4) == "grid";  // the grid point itself is the truth
        // "pipeline": the route's own --proj-pipeline text, run by PROJ.
        const ProjOperation oracle(grid                           ? "+proj=noop"
                                   : c.fields.at(4) == "pipeline" ? PipelineOf(c.fields[1])
                                                                  : c.fields.at(4));
        int failures = 0;
        for (double a : Range(w[0])) {
            for (double b : Range(w[1])) {
                for (double h : Range(w[2])) {
                    const Values in = setup.Run({a, b, h});
                    const Values ours = Apply(c.fields[0], c.fields[1], in);
                    const Values theirs = grid ? Values{a, b, h} : oracle.Run(in);
                    for (int i = 0; i < 3 && failures < 5; ++i) {
                        if (w[3 + i] == "*") continue;
                        const bool angle = w[3 + i].find("°") != std::string::npos;
                        double apart = std::fabs(ours.at(i) - theirs[i]);
                        if (angle) apart = std::fabs(std::remainder(ours[i] - theirs[i], 360));
                        if (angle && w[3 + i].back() == 'm') {  // metres along the surface
                            apart *=
                                6371000 / engine::DegreesPerRadian() *
                                (i == 1 ? std::cos(theirs[0] / engine::DegreesPerRadian()) : 1);
                        }
                        if (!(apart <= std::stod(w[3 + i])) && ++failures)
                            ADD_FAILURE() << c.Where(file) << ": at " << a << " " << b << " " << h
                                          << " output " << i + 1 << " is " << ours[i] << ", PROJ "
                                          << theirs[i] << ", " << apart << " apart";
                    }
                }
            }
        }
    }
}

}  // namespace
