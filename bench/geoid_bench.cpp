// Geoid heights: points per second of GeoidGrid::Anomaly on EGM96 15′ (proj-data's
// egm96_15.gtx) over 1 000 000 points, beside PROJ's vgridshift on the same file and points,
// and the time to read the file.
//   build/bench/geoid_bench --benchmark_min_time=1
#include <benchmark/benchmark.h>
#include <proj.h>

#include <cmath>
#include <random>
#include <vector>

#include "systems/geoid_grid.h"

namespace {

constexpr std::size_t kPoints = 1'000'000;
constexpr const char* kEgm96 = "/usr/share/proj/egm96_15.gtx";

// Anywhere on the Earth, latitudes and longitudes in degrees.
struct Points {
    std::vector<double> latitude, longitude;
    Points() {
        std::mt19937_64 random(42);
        std::uniform_real_distribution<double> lat(-90, 90), lon(-180, 180);
        for (std::size_t i = 0; i < kPoints; ++i)
            latitude.push_back(lat(random)), longitude.push_back(lon(random));
    }
};

const Points& ThePoints() {
    static const Points points;
    return points;
}

void Ours_ReadEgm96(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(systems::ReadGeoidGrid(kEgm96));
}

void Ours_GeoidAnomaly(benchmark::State& state) {
    const systems::GridFile file = systems::ReadGeoidGrid(kEgm96);
    if (!file.grid) return state.SkipWithError(file.reason.c_str());
    const Points& p = ThePoints();
    for (auto _ : state) {
        double sum = 0;
        for (std::size_t i = 0; i < kPoints; ++i)
            sum += file.grid->Anomaly(p.latitude[i], p.longitude[i]);
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kPoints));
}

// PROJ's vgridshift over arrays of the same points (radians, longitude first), as cct runs it.
void Proj_GeoidAnomaly(benchmark::State& state) {
    PJ_CONTEXT* context = proj_context_create();
    PJ* operation = proj_create(context, "+proj=vgridshift +grids=egm96_15.gtx +multiplier=1");
    if (!operation) {
        proj_context_destroy(context);
        return state.SkipWithError("PROJ refused the operation");
    }
    const Points& p = ThePoints();
    std::vector<double> x0, y0, x(kPoints), y(kPoints), z(kPoints);
    for (std::size_t i = 0; i < kPoints; ++i)
        x0.push_back(p.longitude[i] * M_PI / 180), y0.push_back(p.latitude[i] * M_PI / 180);
    for (auto _ : state) {
        state.PauseTiming();
        x = x0, y = y0, z.assign(kPoints, 0);
        state.ResumeTiming();
        proj_trans_generic(operation, PJ_FWD, x.data(), sizeof(double), kPoints, y.data(),
                           sizeof(double), kPoints, z.data(), sizeof(double), kPoints, nullptr, 0,
                           0);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kPoints));
    proj_destroy(operation);
    proj_context_destroy(context);
}

}  // namespace

BENCHMARK(Ours_ReadEgm96)->Unit(benchmark::kMillisecond);
BENCHMARK(Ours_GeoidAnomaly)->Unit(benchmark::kMillisecond);
BENCHMARK(Proj_GeoidAnomaly)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
