// GIS and CAD files through coordconv-cli, read back with GDAL: the tables of round trips
// against ogr2ogr running the route as a PROJ pipeline, of refusals, and of the CRS each
// system records against EPSG's dataset.
#include <gdal_priv.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "case_file.h"
#include "engine/zones.h"
#include "systems/catalogue.h"
#include "systems/spatial_reference.h"

namespace {

namespace fs = std::filesystem;
using testing_support::ReadCases;

// A vertex as GIS files hold it: x east, y north, z and m (0 where the geometry has none).
struct Vertex {
    double x = 0, y = 0, z = 0, m = 0;
};
struct Feature {
    std::vector<Vertex> vertices;
    std::map<std::string, std::string> fields;
};
struct Layer {
    std::string name;
    std::vector<Feature> features;
    std::string crs;  // "EPSG:n", "EPSG:n+m", else the PROJ string
};

class Points : public OGRDefaultConstGeometryVisitor {
  public:
    explicit Points(std::vector<Vertex>& out) : out_(out) {}
    using OGRDefaultConstGeometryVisitor::visit;
    void visit(const OGRPoint* point) override {
        if (!point->IsEmpty())
            out_.push_back({point->getX(), point->getY(), point->getZ(), point->getM()});
    }

  private:
    std::vector<Vertex>& out_;
};

// A table's coordinate columns, by the names GIS tools give them.
bool NameAmong(std::string name, std::initializer_list<const char*> names) {
    for (char& c : name)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const char* each : names)
        if (name == each) return true;
    return false;
}

// Every layer of a dataset as GDAL reads it: the vertices of each feature (a table's from its
// coordinate columns) and its fields as texts.
std::vector<Layer> Read(const std::string& path) {
    GDALAllRegister();
    std::vector<Layer> layers;
    GDALDatasetUniquePtr dataset(
        GDALDataset::Open(path.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY, nullptr, nullptr));
    if (!dataset) return layers;
    for (OGRLayer* source : dataset->GetLayers()) {
        Layer& layer = layers.emplace_back();
        layer.name = source->GetName();
        if (const OGRSpatialReference* srs = source->GetSpatialRef()) {
            if (srs->IsCompound()) {
                OGRSpatialReference horizontal(*srs);
                horizontal.StripVertical();
                const char* h = horizontal.GetAuthorityCode(nullptr);
                const char* v = srs->GetAuthorityCode("COMPD_CS|VERT_CS");
                layer.crs = std::string("EPSG:") + (h ? h : "?") + "+" + (v ? v : "?");
            } else if (const char* code = srs->GetAuthorityCode(nullptr)) {
                layer.crs = std::string("EPSG:") + code;
            } else {
                char* proj = nullptr;
                srs->exportToProj4(&proj);
                layer.crs = proj ? proj : "";
                CPLFree(proj);
            }
        }
        const OGRFeatureDefn& definition = *source->GetLayerDefn();
        int columns[3] = {-1, -1, -1};
        for (int i = 0; i < definition.GetFieldCount(); ++i) {
            const std::string name = definition.GetFieldDefn(i)->GetNameRef();
            if (columns[0] < 0 && NameAmong(name, {"x", "lon"})) columns[0] = i;
            if (columns[1] < 0 && NameAmong(name, {"y", "lat"})) columns[1] = i;
            if (columns[2] < 0 && NameAmong(name, {"z", "h"})) columns[2] = i;
        }
        for (auto& source_feature : *source) {
            Feature& feature = layer.features.emplace_back();
            for (int i = 0; i < definition.GetFieldCount(); ++i) {
                feature.fields[definition.GetFieldDefn(i)->GetNameRef()] =
                    source_feature->GetFieldAsString(i);
            }
            Points points(feature.vertices);
            for (int i = 0; i < source_feature->GetGeomFieldCount(); ++i) {
                if (const OGRGeometry* geometry = source_feature->GetGeomFieldRef(i))
                    geometry->accept(&points);
            }
            if (definition.GetGeomFieldCount() == 0 && columns[0] >= 0 && columns[1] >= 0) {
                feature.vertices.push_back(
                    {source_feature->GetFieldAsDouble(columns[0]),
                     source_feature->GetFieldAsDouble(columns[1]),
                     columns[2] >= 0 ? source_feature->GetFieldAsDouble(columns[2]) : 0});
            }
        }
    }
    return layers;
}

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// A directory of its own for each case, where commands run.
class Work {
  public:
    Work() {
        dir_ = fs::temp_directory_path() / ("coordconv-gis-test-" + std::to_string(getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    ~Work() { fs::remove_all(dir_); }
    const fs::path& dir() const { return dir_; }
    std::string operator/(const std::string& name) const { return (dir_ / name).string(); }

    // A shell command in the directory, with $DATA and $ROOT; its exit status, its standard
    // error in `messages`. The user's own catalogue stays out (XDG_CONFIG_HOME).
    int Run(const std::string& command, std::string* messages = nullptr) const {
        const std::string line = "cd '" + dir_.string() +
                                 "' && DATA=" COORDCONV_TEST_DATA " ROOT=" COORDCONV_SOURCE_DIR
                                 " XDG_CONFIG_HOME='" +
                                 dir_.string() + "' && export DATA ROOT XDG_CONFIG_HOME && " +
                                 command + " >stdout 2>stderr";
        const int raw = std::system(line.c_str());
        if (messages != nullptr) *messages = ReadText(dir_ / "stderr");
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }
    // The input of a case: the source itself, or made from it by ogr2ogr.
    void Make(const std::string& source, const std::string& made, const std::string& input) {
        if (source == "-") return;
        const std::string from = COORDCONV_TEST_DATA "/gis/" + source;
        if (made == "-") {
            fs::copy_file(from, dir_ / input);
            return;
        }
        // "{source}" places the source (and the layers after it), else it goes last.
        std::string command = made;
        if (const auto at = command.find("{source}"); at != std::string::npos) {
            command.replace(at, 8, input + " " + from);
        } else {
            command += " " + input + " " + from;
        }
        std::string messages;
        ASSERT_EQ(Run("ogr2ogr " + command, &messages), 0) << messages;
    }
    // What a failed run may leave behind: nothing of coordconv's own.
    bool HoldsTemporaries() const {
        for (const auto& entry : fs::directory_iterator(dir_))
            if (entry.path().filename().string().starts_with(".coordconv-")) return true;
        return false;
    }

  private:
    fs::path dir_;
};

std::string Cli() {
    return COORDCONV_CLI;
}

// The systems and zone as coordconv-cli's text path takes them, for the same vertices.
std::vector<Vertex> TextPath(const Work& work, const std::vector<Vertex>& vertices,
                             const std::string& from, const std::string& to,
                             const std::string& options) {
    const bool geocentricFrom = from.find("-xyz") != std::string::npos;
    const bool geocentricTo = to.find("-xyz") != std::string::npos;
    {
        std::ofstream points(work / "points.txt");
        char line[128];
        for (const Vertex& v : vertices) {
            // Latitude and northing first on the text path.
            const double first = geocentricFrom ? v.x : v.y, second = geocentricFrom ? v.y : v.x;
            std::snprintf(line, sizeof line, "%.17g %.17g %.17g\n", first, second, v.z);
            points << line;
        }
    }
    std::string messages;
    EXPECT_EQ(work.Run(Cli() + " --angles degrees --precision 17 " + options + " " + from + " " +
                           to + " points.txt -o results.txt",
                       &messages),
              0)
        << messages;
    std::vector<Vertex> results;
    std::istringstream in(ReadText(work.dir() / "results.txt"));
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        double a = 0, b = 0, c = 0;
        fields >> a >> b >> c;
        results.push_back(geocentricTo ? Vertex{a, b, c} : Vertex{b, a, c});
    }
    return results;
}

// The layer of `layers` that stands for `layer`: of the same name, or the only one of each (a
// Shapefile's layer is named after its file).
const Layer* Counterpart(const std::vector<Layer>& layers, const Layer& layer, bool only) {
    for (const Layer& each : layers)
        if (each.name == layer.name) return &each;
    return only && layers.size() == 1 ? &layers[0] : nullptr;
}

// Options of coordconv-cli that reach the text path unchanged.
std::string RouteOptions(const std::string& options) {
    std::istringstream words(options);
    std::string kept;
    for (std::string word; words >> word;) {
        if (word == "--zone" || word == "--systems") {
            std::string value;
            words >> value;
            kept += " " + word + " " + value;
        }
    }
    return kept;
}

TEST(GisFiles, EachFormatAgainstOgr2ogrWithThePipeline) {
    const std::string file = COORDCONV_TEST_DATA "/gis/formats.cases";
    CPLSetConfigOption("GPX_ELE_AS_25D", "YES");  // as coordconv-cli and the oracle read GPX
    for (const auto& c : ReadCases(file)) {
        const auto& f = c.fields;
        SCOPED_TRACE(c.Where(file) + ": " + f.at(0) + " as " + f.at(2) + ", " + f.at(3) + " -> " +
                     f.at(4) + " into " + f.at(6));
        Work work;
        work.Make(f.at(0), f.at(1), f.at(2));
        std::string messages;
        ASSERT_EQ(work.Run(Cli() + " " + f.at(5) + " " + f.at(3) + " " + f.at(4) + " " + f.at(2) +
                               " -o " + f.at(6),
                           &messages),
                  0)
            << messages;
        EXPECT_FALSE(work.HoldsTemporaries());
        // The oracle: PROJ runs the route's steps; coordinates in the order of GIS files on
        // both sides, as a PROJ longlat CRS has them.
        const std::string systems = RouteOptions(f.at(5));
        const std::string zone = f.at(7) == "-" ? "" : " --zone " + f.at(7);
        std::string oracleInput = f.at(8);
        if (const auto at = oracleInput.find("{in}"); at != std::string::npos)
            oracleInput.replace(at, 4, f.at(2));
        ASSERT_EQ(work.Run("ogr2ogr -f GPKG oracle.gpkg -s_srs '+proj=longlat +ellps=WGS84' "
                           "-t_srs '+proj=longlat +ellps=WGS84' -ct \"$(" +
                               Cli() + systems + " --proj-pipeline " + f.at(3) + " " + f.at(4) +
                               zone + ")\" " + oracleInput,
                           &messages),
                  0)
            << messages;
        const std::vector<Layer> ours = Read(work / f.at(6)), oracle = Read(work / "oracle.gpkg");
        const std::vector<Layer> input = Read(work / f.at(2));
        ASSERT_FALSE(oracle.empty());
        std::size_t vertices = 0;
        // Degrees or metres: 0.1 mm on the ground either way.
        const bool degrees = f.at(4).find("-blh") != std::string::npos;
        const double tolerance = degrees ? 1e-9 : 1e-4;
        std::vector<std::pair<const Layer*, const Layer*>> written;  // ours, the input's
        for (const Layer& expected : oracle) {
            SCOPED_TRACE("layer " + expected.name);
            const Layer* got = Counterpart(ours, expected, oracle.size() == 1);
            const Layer* held = Counterpart(input, expected, oracle.size() == 1);
            ASSERT_TRUE(got != nullptr && held != nullptr);
            written.emplace_back(got, held);
            ASSERT_EQ(got->features.size(), expected.features.size());
            ASSERT_EQ(got->features.size(), held->features.size());
            if (f.at(9).starts_with("PROJ:")) {
                EXPECT_NE(got->crs.find(f.at(9).substr(5)), std::string::npos) << got->crs;
            } else if (f.at(9) != "-") {
                EXPECT_EQ(got->crs, f.at(9));
            }
            for (std::size_t i = 0; i < got->features.size(); ++i) {
                const Feature &a = got->features[i], &b = expected.features[i];
                ASSERT_EQ(a.vertices.size(), b.vertices.size()) << "feature " << i;
                for (std::size_t v = 0; v < a.vertices.size(); ++v, ++vertices) {
                    EXPECT_NEAR(a.vertices[v].x, b.vertices[v].x, tolerance);
                    EXPECT_NEAR(a.vertices[v].y, b.vertices[v].y, tolerance);
                    EXPECT_NEAR(a.vertices[v].z, b.vertices[v].z, 1e-4);
                    EXPECT_EQ(a.vertices[v].m, b.vertices[v].m);
                }
                // The attributes, as the input holds them.
                std::istringstream names(f.at(10));
                for (std::string name; names >> name;) {
                    if (!held->features[i].fields.count(name)) continue;  // not in this layer
                    ASSERT_TRUE(a.fields.count(name)) << name;
                    EXPECT_EQ(a.fields.at(name), held->features[i].fields.at(name)) << name;
                }
            }
        }
        EXPECT_GT(vertices, 0u);
        if (f.at(11) != "exact") continue;
        // Bit for bit the text path's results for the input's very numbers.
        for (const auto& [got, held] : written) {
            std::vector<Vertex> before, after;
            for (std::size_t i = 0; i < held->features.size(); ++i) {
                before.insert(before.end(), held->features[i].vertices.begin(),
                              held->features[i].vertices.end());
                after.insert(after.end(), got->features[i].vertices.begin(),
                             got->features[i].vertices.end());
            }
            const std::vector<Vertex> text =
                TextPath(work, before, f.at(3), f.at(4), RouteOptions(f.at(5)) + zone);
            ASSERT_EQ(text.size(), after.size());
            for (std::size_t v = 0; v < text.size(); ++v) {
                EXPECT_EQ(after[v].x, text[v].x) << "vertex " << v;
                EXPECT_EQ(after[v].y, text[v].y) << "vertex " << v;
                // A 2D vertex goes with height 0 and comes back without one.
                if (after[v].z != 0) {
                    EXPECT_EQ(after[v].z, text[v].z) << "vertex " << v;
                }
            }
        }
    }
}

TEST(GisFiles, RefusalsNameTheVertexAndWriteNothing) {
    const std::string file = COORDCONV_TEST_DATA "/gis/refusals.cases";
    for (const auto& c : ReadCases(file)) {
        const auto& f = c.fields;
        SCOPED_TRACE(c.Where(file) + ": coordconv-cli " + f.at(3));
        Work work;
        work.Make(f.at(0), f.at(1), f.at(2));
        if (f.at(6) == "old") std::ofstream(work / "old.gpkg") << "old";
        std::string messages;
        EXPECT_EQ(work.Run(Cli() + " " + f.at(3), &messages), std::stoi(f.at(4))) << messages;
        EXPECT_NE(messages.find(f.at(5)), std::string::npos) << messages;
        EXPECT_FALSE(work.HoldsTemporaries());
        // The output: none, the old file as it was, or the features written.
        std::string output;
        std::istringstream words(f.at(3));
        for (std::string word; words >> word;)
            if (word == "-o") words >> output;
        if (f.at(6) == "-") {
            if (!output.empty()) {
                EXPECT_FALSE(fs::exists(work.dir() / output)) << output;
            }
        } else if (f.at(6) == "old") {
            EXPECT_EQ(ReadText(work.dir() / "old.gpkg"), "old");
        } else if (f.at(6) != "*") {
            const std::vector<Layer> layers = Read(work / output);
            ASSERT_EQ(layers.size(), 1u);
            EXPECT_EQ(layers[0].features.size(), std::stoul(f.at(6)));
        }
    }
}

// The CRS of each built-in system against EPSG's dataset: a code where EPSG has a CRS of the
// system's name (every zone's looked up by name, deprecated ones left out), its parameters the
// zone's own; none, and a PROJ string PROJ reads, where it has none.
TEST(GisFiles, EveryZoneRecordsEpsgsCrsOfItsName) {
    const std::string file = COORDCONV_TEST_DATA "/gis/crs.cases";
    // The current CRSs by name and kind.
    int count = 0;
    OSRCRSInfo** list = OSRGetCRSInfoListFromDatabase("EPSG", nullptr, &count);
    const std::map<std::string, OSRCRSType> kinds = {{"geographic", OSR_CRS_TYPE_GEOGRAPHIC_2D},
                                                     {"geocentric", OSR_CRS_TYPE_GEOCENTRIC},
                                                     {"projected", OSR_CRS_TYPE_PROJECTED}};
    std::multimap<std::pair<std::string, OSRCRSType>, int> codes;
    for (int i = 0; i < count; ++i) {
        if (!list[i]->bDeprecated)
            codes.emplace(std::pair{list[i]->pszName, list[i]->eType}, std::atoi(list[i]->pszCode));
    }
    OSRDestroyCRSInfoList(list);
    for (const auto& c : ReadCases(file)) {
        const auto& f = c.fields;
        SCOPED_TRACE(c.Where(file) + ": " + f.at(0));
        const systems::System& system = *systems::BuiltIn().Find(f.at(0));
        const bool zoned = f.at(1).find("%d") != std::string::npos;
        const bool south = f.at(1).ends_with("%dS");
        for (int n = zoned ? 1 : 0; n <= (zoned ? systems::LargestZone(system) : 0); ++n) {
            const int zone = south ? -n : n;
            char name[96];
            std::snprintf(name, sizeof name, f.at(1).c_str(), n);
            const auto [first, last] = codes.equal_range({name, kinds.at(f.at(2))});
            const systems::CrsDefinition crs = systems::SpatialReference(system, zone);
            if (first == last) {
                EXPECT_EQ(crs.epsg, 0) << name;
            } else {
                EXPECT_EQ(std::count_if(first, last,
                                        [&](const auto& each) { return each.second == crs.epsg; }),
                          1)
                    << name << ": " << crs.Text();
            }
            OGRSpatialReference srs;
            ASSERT_EQ(crs.epsg != 0 ? srs.importFromEPSG(crs.epsg)
                                    : srs.importFromProj4(crs.proj.c_str()),
                      OGRERR_NONE)
                << crs.Text();
            EXPECT_EQ(f.at(2) == "geocentric", srs.IsGeocentric() != 0);
            EXPECT_EQ(f.at(2) == "projected", srs.IsProjected() != 0);
            EXPECT_EQ(f.at(2) == "geographic", srs.IsGeographic() != 0);
            if (f.at(2) == "geographic") {
                EXPECT_EQ(srs.GetAxesCount(), 2);
            }
            if (!zoned) continue;
            const engine::TransverseMercatorParameters own =
                engine::ZoneParameters(system.scheme, zone);
            EXPECT_NEAR(std::remainder(
                            srs.GetProjParm(SRS_PP_CENTRAL_MERIDIAN) - own.centralMeridian, 360.0),
                        0, 1e-12)
                << name;
            EXPECT_EQ(srs.GetProjParm(SRS_PP_FALSE_EASTING), own.falseEasting) << name;
            EXPECT_EQ(srs.GetProjParm(SRS_PP_FALSE_NORTHING), own.falseNorthing) << name;
            EXPECT_EQ(srs.GetProjParm(SRS_PP_SCALE_FACTOR, 1), own.scale) << name;
        }
    }
}

}  // namespace
