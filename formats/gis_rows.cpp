#include "formats/gis_rows.h"

#include <sys/stat.h>

#include <cpl_conv.h>
#include <gdal_priv.h>
#include <ogr_geometry.h>
#include <ogrsf_frmts.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>

#include "formats/gdal_messages.h"
#include "formats/text.h"
#include "systems/text.h"

namespace formats {

namespace {

using controller::CoordinateForm;

// A table's coordinate columns as GIS tools name them (x east, y north), in lower case.
constexpr std::string_view kEastNames[] = {"x",   "lon",     "long", "longitude",
                                           "lng", "easting", "east"};
constexpr std::string_view kNorthNames[] = {"y", "lat", "latitude", "northing", "north"};
constexpr std::string_view kUpNames[] = {"z", "h", "height", "alt", "altitude", "ele", "elevation"};

template <std::size_t N>
bool Among(std::string_view name, const std::string_view (&names)[N]) {
    return std::find(std::begin(names), std::end(names), systems::Lower(name)) != std::end(names);
}

// The vertices of a geometry in the order a run converts them (vertices.cpp: points, simple
// curves, down through polygons, collections and compound curves), counted on from `vertex`,
// into rows while there is room.
class Rows : public OGRDefaultConstGeometryVisitor {
  public:
    Rows(const GisRow& feature, std::uint64_t& vertex, std::vector<GisRow>& rows, std::size_t limit)
        : feature_(feature), vertex_(vertex), rows_(rows), limit_(limit) {}

    using OGRDefaultConstGeometryVisitor::visit;
    void visit(const OGRPoint* point) override {
        if (!point->IsEmpty()) Add(point->getX(), point->getY(), point->getZ(), point->Is3D());
    }
    void visit(const OGRLineString* line) override { Curve(*line); }
    void visit(const OGRLinearRing* ring) override { Curve(*ring); }
    void visit(const OGRCircularString* arc) override { Curve(*arc); }

    bool full = false;  // a vertex found no room

  private:
    void Curve(const OGRSimpleCurve& curve) {
        for (int i = 0; i < curve.getNumPoints() && !full; ++i)
            Add(curve.getX(i), curve.getY(i), curve.getZ(i), curve.Is3D());
    }
    void Add(double x, double y, double z, bool hasZ) {
        ++vertex_;
        if (rows_.size() == limit_) {
            full = true;
            return;
        }
        GisRow& row = rows_.emplace_back(feature_);
        row.vertex = vertex_;
        row.x = x;
        row.y = y;
        row.z = hasZ ? z : 0;
        row.hasZ = hasZ;
    }

    const GisRow& feature_;
    std::uint64_t& vertex_;
    std::vector<GisRow>& rows_;
    const std::size_t limit_;
};

}  // namespace

TableColumns FindTableColumns(const OGRFeatureDefn& definition,
                              const batch::ConversionOptions& options) {
    TableColumns columns;
    const int count = definition.GetFieldCount();
    if (options.columns[0] != 0) {
        const auto field = [&](int i) {
            return options.columns[i] <= count ? options.columns[i] - 1 : -1;
        };
        const bool geocentric = options.from.form == CoordinateForm::Geocentric;
        columns.x = field(geocentric ? 0 : 1);
        columns.y = field(geocentric ? 1 : 0);
        columns.z = field(2);
        return columns;
    }
    for (int i = 0; i < count; ++i) {
        const char* name = definition.GetFieldDefn(i)->GetNameRef();
        if (columns.x < 0 && Among(name, kEastNames)) columns.x = i;
        if (columns.y < 0 && Among(name, kNorthNames)) columns.y = i;
        if (columns.z < 0 && Among(name, kUpNames)) columns.z = i;
    }
    return columns;
}

bool ReadTableColumn(const OGRFeature& feature, int field, double& value, std::string& fault) {
    const OGRFieldDefn& definition = *feature.GetFieldDefnRef(field);
    const std::string name = Quoted(definition.GetNameRef());
    if (!feature.IsFieldSetAndNotNull(field)) {
        fault = "field " + name + " is empty";
        return false;
    }
    const OGRFieldType type = definition.GetType();
    if (type == OFTInteger || type == OFTInteger64 || type == OFTReal) {
        value = feature.GetFieldAsDouble(field);
        return true;
    }
    std::string text = feature.GetFieldAsString(field);
    const auto first = text.find_first_not_of(" \t"), last = text.find_last_not_of(" \t");
    text = first == std::string::npos ? "" : text.substr(first, last - first + 1);
    const char* begin = text.c_str();
    char* end = nullptr;
    value = std::strtod(begin, &end);
    if (text.empty() || end != begin + text.size()) {
        fault = "field " + name + " " + Quoted(text) + " is not a number";
        return false;
    }
    return true;
}

bool RepeatsVertices(std::string_view driver, std::string_view layer) {
    return driver == "GPX" &&
           std::any_of(std::begin(kGpxLines), std::end(kGpxLines),
                       [layer](const GpxLines& kind) { return kind.points == layer; });
}

GisRows ReadGisRows(const std::string& path, std::size_t limit) {
    GisRows read;
    // A file or a folder (a Shapefile's): a FIFO would wait for a writer, as in a run.
    struct stat named {};
    if (stat(path.c_str(), &named) == 0 && !S_ISREG(named.st_mode) && !S_ISDIR(named.st_mode)) {
        read.error = "not a regular file or a folder";
        return read;
    }
    GDALAllRegister();
    GdalMessages messages([](const std::string&) {});  // warnings wait for the run
    CPLSetThreadLocalConfigOption("GPX_ELE_AS_25D", "YES");
    GDALDatasetUniquePtr dataset(
        GDALDataset::Open(path.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY | GDAL_OF_VERBOSE_ERROR,
                          nullptr, nullptr, nullptr));
    CPLSetThreadLocalConfigOption("GPX_ELE_AS_25D", nullptr);
    if (!dataset) {
        read.error = messages.TakeFailures();
        if (read.error.empty()) read.error = "GDAL reads no such file";
        return read;
    }
    read.driver = dataset->GetDriverName();
    read.complete = true;
    std::uint64_t features = 0;
    bool counted = true;
    const batch::ConversionOptions byNames;  // a table's fields found by their names
    for (OGRLayer* layer : dataset->GetLayers()) {
        if (RepeatsVertices(read.driver, layer->GetName())) continue;
        ++read.layers;
        const GIntBig count = layer->GetFeatureCount(FALSE);  // −1: only by reading it through
        counted = counted && count >= 0;
        if (count > 0) features += static_cast<std::uint64_t>(count);
        if (!read.complete) continue;
        const OGRFeatureDefn& definition = *layer->GetLayerDefn();
        const bool table = definition.GetGeomFieldCount() == 0;
        const TableColumns columns = table ? FindTableColumns(definition, byNames) : TableColumns{};
        if (table && !columns.Found()) continue;  // copied unchanged by a run
        layer->ResetReading();
        while (read.complete) {
            const OGRFeatureUniquePtr feature{layer->GetNextFeature()};
            if (!feature) break;
            GisRow each;
            each.layer = layer->GetName();
            each.fid = feature->GetFID();
            if (table) {
                if (read.rows.size() == limit) {
                    read.complete = false;
                    break;
                }
                each.vertex = 1;
                each.hasZ = columns.z >= 0;
                if (!ReadTableColumn(*feature, columns.x, each.x, each.fault) ||
                    !ReadTableColumn(*feature, columns.y, each.y, each.fault) ||
                    (each.hasZ && !ReadTableColumn(*feature, columns.z, each.z, each.fault))) {
                    each.x = each.y = each.z = 0;
                }
                read.rows.push_back(std::move(each));
                continue;
            }
            std::uint64_t vertex = 0;
            Rows rows(each, vertex, read.rows, limit);
            for (int i = 0; i < feature->GetGeomFieldCount() && !rows.full; ++i) {
                if (const OGRGeometry* geometry = feature->GetGeomFieldRef(i))
                    geometry->accept(&rows);
            }
            if (rows.full) read.complete = false;
        }
    }
    if (counted) read.features = features;
    messages.TakeFailures();  // a reading's trouble shows again in the run, with its feature
    return read;
}

}  // namespace formats
