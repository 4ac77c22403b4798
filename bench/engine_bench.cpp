// Points per second of every engine operation on a realistic set of 1 000 000 points,
// and of PROJ's equivalent operation (proj_trans_generic) on the same points.
//   build/bench/engine_bench --benchmark_min_time=1   or   bench/engine_table.sh
#include <benchmark/benchmark.h>
#include <proj.h>

#include <random>
#include <vector>

#include "engine/engine.h"

namespace {

using namespace engine;

constexpr std::size_t kPoints = 1'000'000;

// SK-42 territory: latitudes 40°–75° N, longitudes 20°–180° E, heights 0–3000 m; the
// plane points lie in zone 7, up to 3° from its axial meridian.
struct PointSet {
    std::vector<GeodeticPoint> geodetic;
    std::vector<GeocentricPoint> geocentric;
    std::vector<GeodeticPoint> zone7;
    std::vector<PlanePoint> plane;
    std::vector<double> packed;
    std::vector<double> radians;

    PointSet() {
        std::mt19937_64 random(42);
        std::uniform_real_distribution<double> latitude(40, 75), longitude(20, 180),
            height(0, 3000), offset(-2.99, 2.99);
        for (std::size_t i = 0; i < kPoints; ++i) {
            const GeodeticPoint g{latitude(random), longitude(random), height(random)};
            geodetic.push_back(g);
            GeocentricPoint c;
            GeodeticToGeocentric(g, c, EllipsoidKrasovsky);
            geocentric.push_back(c);
            const GeodeticPoint z{g.B, 39 + offset(random), g.H};
            zone7.push_back(z);
            PlanePoint p;
            int zone = 7;
            GeodeticToPlane(z, p, zone);
            plane.push_back(p);
            packed.push_back(DegreesToPacked(g.L));
            radians.push_back(g.L / DegreesPerRadian() * (i % 2 ? 1 : -1));
        }
    }
};

const PointSet& Points() {
    static const PointSet points;
    return points;
}

void CountPoints(benchmark::State& state) {
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kPoints));
}

// Runs step(i) for every point on every iteration.
template <typename Step>
void ForEachPoint(benchmark::State& state, Step step) {
    Points();
    for (auto _ : state) {
        for (std::size_t i = 0; i < kPoints; ++i)
            step(i);
        benchmark::ClobberMemory();
    }
    CountPoints(state);
}

// ---------------------------------------------------------------- ours

void Ours_PackedToDegrees(benchmark::State& state) {
    std::vector<double> out(kPoints);
    ForEachPoint(state, [&](std::size_t i) { out[i] = PackedToDegrees(Points().packed[i]); });
}

void Ours_DegreesToPacked(benchmark::State& state) {
    std::vector<double> out(kPoints);
    ForEachPoint(state, [&](std::size_t i) { out[i] = DegreesToPacked(Points().geodetic[i].L); });
}

void Ours_NormalizeAngle(benchmark::State& state) {
    std::vector<double> out(kPoints);
    ForEachPoint(state, [&](std::size_t i) { out[i] = NormalizeAngle(Points().radians[i]); });
}

void Ours_VectorAngle(benchmark::State& state) {
    std::vector<double> out(kPoints);
    ForEachPoint(state, [&](std::size_t i) {
        const auto& c = Points().geocentric[i];
        out[i] = VectorAngle(c.Y, c.X);
    });
}

void Ours_GeodeticToGeocentric(benchmark::State& state) {
    std::vector<GeocentricPoint> out(kPoints);
    ForEachPoint(state, [&](std::size_t i) {
        GeodeticToGeocentric(Points().geodetic[i], out[i], EllipsoidKrasovsky);
    });
}

void Ours_GeocentricToGeodetic(benchmark::State& state) {
    std::vector<GeodeticPoint> out(kPoints);
    ForEachPoint(state, [&](std::size_t i) {
        GeocentricToGeodetic(Points().geocentric[i], out[i], EllipsoidKrasovsky, LatitudeTolerance);
    });
}

void Ours_ShiftGeocentric(benchmark::State& state) {
    std::vector<GeocentricPoint> out(kPoints);
    ForEachPoint(state, [&](std::size_t i) {
        ShiftGeocentric(Points().geocentric[i], out[i], ShiftPz90ToSk42);
    });
}

void Ours_ShiftGeodetic(benchmark::State& state) {
    std::vector<GeodeticPoint> out(kPoints);
    ForEachPoint(state, [&](std::size_t i) {
        ShiftGeodetic(Points().geodetic[i], EllipsoidPz90, out[i], EllipsoidKrasovsky,
                      ShiftPz90ToSk42);
    });
}

void Ours_GeodeticToPlane(benchmark::State& state) {
    std::vector<PlanePoint> out(kPoints);
    ForEachPoint(state, [&](std::size_t i) {
        int zone = 0;
        GeodeticToPlane(Points().zone7[i], out[i], zone);
    });
}

void Ours_PlaneToGeodetic(benchmark::State& state) {
    std::vector<GeodeticPoint> out(kPoints);
    ForEachPoint(state, [&](std::size_t i) { PlaneToGeodetic(Points().plane[i], out[i], 0); });
}

void Ours_GeocentricToGeodeticExact(benchmark::State& state) {
    std::vector<GeodeticPoint> out(kPoints);
    ForEachPoint(state, [&](std::size_t i) {
        GeocentricToGeodeticExact(Points().geocentric[i], out[i], EllipsoidKrasovsky);
    });
}

void Ours_UnshiftGeocentric(benchmark::State& state) {
    std::vector<GeocentricPoint> out(kPoints);
    ForEachPoint(state, [&](std::size_t i) {
        UnshiftGeocentric(Points().geocentric[i], out[i], ShiftSk42ToPz9011);
    });
}

void Ours_TransverseMercator(benchmark::State& state) {
    const TransverseMercator projection(EllipsoidKrasovsky);
    std::vector<PlanePoint> out(kPoints);
    ForEachPoint(state, [&](std::size_t i) {
        const auto& g = Points().zone7[i];
        projection.Forward(g.B, g.L - 39, out[i].x, out[i].y);
    });
}

void Ours_TransverseMercatorReverse(benchmark::State& state) {
    const TransverseMercator projection(EllipsoidKrasovsky);
    std::vector<GeodeticPoint> out(kPoints);
    ForEachPoint(state, [&](std::size_t i) {
        const auto& p = Points().plane[i];
        projection.Reverse(p.x, p.y - 7500000, out[i].B, out[i].L);
    });
}

// The general projection: three-degree zone 13 of Pulkovo 1942 (meridian 39°) and UTM zone
// 37N on WGS-84, over the points of zone 7 (within 3° of 39°).
const TransverseMercatorMap& Map3Degree() {
    static const TransverseMercatorMap map(EllipsoidKrasovsky,
                                           ZoneParameters(GaussKruger3Pulkovo, 13));
    return map;
}
const TransverseMercatorMap& MapUtm() {
    static const TransverseMercatorMap map(EllipsoidWgs84Defined, ZoneParameters(Utm, 37));
    return map;
}
// The plane points of a map, for its reverse.
std::vector<PlanePoint> PlanePoints(const TransverseMercatorMap& map) {
    std::vector<PlanePoint> plane(kPoints);
    for (std::size_t i = 0; i < kPoints; ++i)
        map.Forward(Points().zone7[i], plane[i]);
    return plane;
}

void Ours_Map3Degree(benchmark::State& state) {
    std::vector<PlanePoint> out(kPoints);
    ForEachPoint(state, [&](std::size_t i) { Map3Degree().Forward(Points().zone7[i], out[i]); });
}

void Ours_Map3DegreeReverse(benchmark::State& state) {
    static const std::vector<PlanePoint> in = PlanePoints(Map3Degree());
    std::vector<GeodeticPoint> out(kPoints);
    ForEachPoint(state, [&](std::size_t i) { Map3Degree().Reverse(in[i], out[i]); });
}

void Ours_MapUtm(benchmark::State& state) {
    std::vector<PlanePoint> out(kPoints);
    ForEachPoint(state, [&](std::size_t i) { MapUtm().Forward(Points().zone7[i], out[i]); });
}

void Ours_MapUtmReverse(benchmark::State& state) {
    static const std::vector<PlanePoint> in = PlanePoints(MapUtm());
    std::vector<GeodeticPoint> out(kPoints);
    ForEachPoint(state, [&](std::size_t i) { MapUtm().Reverse(in[i], out[i]); });
}

// The zone chosen for each point (UTM's exceptions and hemisphere), then projected.
void Ours_ZonePlaneUtm(benchmark::State& state) {
    const TransverseMercator projection(EllipsoidWgs84Defined);
    std::vector<PlanePoint> out(kPoints);
    ForEachPoint(state, [&](std::size_t i) {
        int zone = 0;
        GeodeticToZonePlane(Points().zone7[i], out[i], zone, projection, Utm);
    });
}

// ---------------------------------------------------------------- PROJ

// One PROJ operation over arrays of the same points, in place, as cct would run it.
void RunProj(benchmark::State& state, const char* definition, PJ_DIRECTION direction,
             const std::vector<double>& x0, const std::vector<double>& y0,
             const std::vector<double>& z0) {
    PJ_CONTEXT* context = proj_context_create();
    PJ* operation = proj_create(context, definition);
    if (!operation) {
        state.SkipWithError("PROJ refused the operation");
        proj_context_destroy(context);
        return;
    }
    std::vector<double> x(kPoints), y(kPoints), z(kPoints);
    for (auto _ : state) {
        state.PauseTiming();
        x = x0;
        y = y0;
        z = z0;
        state.ResumeTiming();
        proj_trans_generic(operation, direction, x.data(), sizeof(double), kPoints, y.data(),
                           sizeof(double), kPoints, z.data(), sizeof(double), kPoints, nullptr, 0,
                           0);
        benchmark::ClobberMemory();
    }
    CountPoints(state);
    proj_destroy(operation);
    proj_context_destroy(context);
}

struct Columns {
    std::vector<double> x, y, z;
};

// X, Y and Z columns of a geocentric set.
Columns Cartesian(const std::vector<GeocentricPoint>& points) {
    Columns c;
    for (const auto& p : points) {
        c.x.push_back(p.X);
        c.y.push_back(p.Y);
        c.z.push_back(p.Z);
    }
    return c;
}

// Longitude, latitude (radians) and height columns of a geodetic set.
Columns Angular(const std::vector<GeodeticPoint>& points) {
    Columns c;
    for (const auto& p : points) {
        c.x.push_back(p.L / DegreesPerRadian());
        c.y.push_back(p.B / DegreesPerRadian());
        c.z.push_back(p.H);
    }
    return c;
}

void Proj_GeodeticToGeocentric(benchmark::State& state) {
    static const Columns in = Angular(Points().geodetic);
    RunProj(state, "+proj=cart +ellps=krass", PJ_FWD, in.x, in.y, in.z);
}

void Proj_GeocentricToGeodetic(benchmark::State& state) {
    static const Columns in = Cartesian(Points().geocentric);
    RunProj(state, "+proj=cart +ellps=krass", PJ_INV, in.x, in.y, in.z);
}

void Proj_ShiftGeocentric(benchmark::State& state) {
    static const Columns in = Cartesian(Points().geocentric);
    RunProj(state,
            "+proj=helmert +convention=coordinate_frame +x=-25 +y=141 +z=80 +rx=0 +ry=0.35 "
            "+rz=0.66 +s=0",
            PJ_FWD, in.x, in.y, in.z);
}

void Proj_ShiftGeodetic(benchmark::State& state) {
    static const Columns in = Angular(Points().geodetic);
    RunProj(state,
            "+proj=molodensky +a=6378136 +rf=298.257839303 +da=109 +df=0.00000001 "
            "+dx=-25 +dy=141 +dz=80",
            PJ_FWD, in.x, in.y, in.z);
}

void Proj_GeodeticToPlane(benchmark::State& state) {
    static const Columns in = Angular(Points().zone7);
    RunProj(state, "+proj=tmerc +ellps=krass +k=1 +lon_0=39 +x_0=7500000 +y_0=0", PJ_FWD, in.x,
            in.y, in.z);
}

void Proj_PlaneToGeodetic(benchmark::State& state) {
    static const Columns in = [] {
        Columns c;
        for (const auto& p : Points().plane) {
            c.x.push_back(p.y);
            c.y.push_back(p.x);
            c.z.push_back(p.H);
        }
        return c;
    }();
    RunProj(state, "+proj=tmerc +ellps=krass +k=1 +lon_0=39 +x_0=7500000 +y_0=0", PJ_INV, in.x,
            in.y, in.z);
}

// The same PROJ operations, named after the exact ones they are measured against.
void Proj_GeocentricToGeodeticExact(benchmark::State& state) {
    Proj_GeocentricToGeodetic(state);
}
void Proj_UnshiftGeocentric(benchmark::State& state) {
    static const Columns in = Cartesian(Points().geocentric);
    RunProj(state,
            "+proj=helmert +convention=coordinate_frame +x=23.557 +y=-140.844 +z=-79.778 "
            "+rx=-0.0023 +ry=-0.34646 +rz=-0.79421 +s=-0.228",
            PJ_INV, in.x, in.y, in.z);
}
void Proj_TransverseMercator(benchmark::State& state) {
    Proj_GeodeticToPlane(state);
}
void Proj_TransverseMercatorReverse(benchmark::State& state) {
    Proj_PlaneToGeodetic(state);
}

// Easting and northing columns of a map's plane points.
Columns PlaneColumns(const TransverseMercatorMap& map) {
    Columns c;
    for (const auto& p : PlanePoints(map)) {
        c.x.push_back(p.y);
        c.y.push_back(p.x);
        c.z.push_back(p.H);
    }
    return c;
}

constexpr const char* kProj3Degree = "+proj=tmerc +ellps=krass +k=1 +lon_0=39 +x_0=13500000";
constexpr const char* kProjUtm = "+proj=utm +zone=37 +ellps=WGS84";

void Proj_Map3Degree(benchmark::State& state) {
    static const Columns in = Angular(Points().zone7);
    RunProj(state, kProj3Degree, PJ_FWD, in.x, in.y, in.z);
}
void Proj_Map3DegreeReverse(benchmark::State& state) {
    static const Columns in = PlaneColumns(Map3Degree());
    RunProj(state, kProj3Degree, PJ_INV, in.x, in.y, in.z);
}
void Proj_MapUtm(benchmark::State& state) {
    static const Columns in = Angular(Points().zone7);
    RunProj(state, kProjUtm, PJ_FWD, in.x, in.y, in.z);
}
void Proj_MapUtmReverse(benchmark::State& state) {
    static const Columns in = PlaneColumns(MapUtm());
    RunProj(state, kProjUtm, PJ_INV, in.x, in.y, in.z);
}
void Proj_ZonePlaneUtm(benchmark::State& state) {
    Proj_MapUtm(state);
}

}  // namespace

BENCHMARK(Ours_PackedToDegrees)->Unit(benchmark::kMillisecond);
BENCHMARK(Ours_DegreesToPacked)->Unit(benchmark::kMillisecond);
BENCHMARK(Ours_NormalizeAngle)->Unit(benchmark::kMillisecond);
BENCHMARK(Ours_VectorAngle)->Unit(benchmark::kMillisecond);
BENCHMARK(Ours_GeodeticToGeocentric)->Unit(benchmark::kMillisecond);
BENCHMARK(Proj_GeodeticToGeocentric)->Unit(benchmark::kMillisecond);
BENCHMARK(Ours_GeocentricToGeodetic)->Unit(benchmark::kMillisecond);
BENCHMARK(Proj_GeocentricToGeodetic)->Unit(benchmark::kMillisecond);
BENCHMARK(Ours_ShiftGeocentric)->Unit(benchmark::kMillisecond);
BENCHMARK(Proj_ShiftGeocentric)->Unit(benchmark::kMillisecond);
BENCHMARK(Ours_ShiftGeodetic)->Unit(benchmark::kMillisecond);
BENCHMARK(Proj_ShiftGeodetic)->Unit(benchmark::kMillisecond);
BENCHMARK(Ours_GeodeticToPlane)->Unit(benchmark::kMillisecond);
BENCHMARK(Proj_GeodeticToPlane)->Unit(benchmark::kMillisecond);
BENCHMARK(Ours_PlaneToGeodetic)->Unit(benchmark::kMillisecond);
BENCHMARK(Proj_PlaneToGeodetic)->Unit(benchmark::kMillisecond);
BENCHMARK(Ours_GeocentricToGeodeticExact)->Unit(benchmark::kMillisecond);
BENCHMARK(Proj_GeocentricToGeodeticExact)->Unit(benchmark::kMillisecond);
BENCHMARK(Ours_UnshiftGeocentric)->Unit(benchmark::kMillisecond);
BENCHMARK(Proj_UnshiftGeocentric)->Unit(benchmark::kMillisecond);
BENCHMARK(Ours_TransverseMercator)->Unit(benchmark::kMillisecond);
BENCHMARK(Proj_TransverseMercator)->Unit(benchmark::kMillisecond);
BENCHMARK(Ours_TransverseMercatorReverse)->Unit(benchmark::kMillisecond);
BENCHMARK(Proj_TransverseMercatorReverse)->Unit(benchmark::kMillisecond);

BENCHMARK(Ours_Map3Degree)->Unit(benchmark::kMillisecond);
BENCHMARK(Proj_Map3Degree)->Unit(benchmark::kMillisecond);
BENCHMARK(Ours_Map3DegreeReverse)->Unit(benchmark::kMillisecond);
BENCHMARK(Proj_Map3DegreeReverse)->Unit(benchmark::kMillisecond);
BENCHMARK(Ours_MapUtm)->Unit(benchmark::kMillisecond);
BENCHMARK(Proj_MapUtm)->Unit(benchmark::kMillisecond);
BENCHMARK(Ours_MapUtmReverse)->Unit(benchmark::kMillisecond);
BENCHMARK(Proj_MapUtmReverse)->Unit(benchmark::kMillisecond);
BENCHMARK(Ours_ZonePlaneUtm)->Unit(benchmark::kMillisecond);
BENCHMARK(Proj_ZonePlaneUtm)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
