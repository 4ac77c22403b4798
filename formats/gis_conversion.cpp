#include "formats/gis_conversion.h"

#include <sys/stat.h>

#include <cpl_conv.h>
#include <cpl_string.h>
#include <gdal_priv.h>
#include <ogr_featurestyle.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <span>

#include "batch/messages.h"
#include "formats/formats.h"
#include "formats/gdal_messages.h"
#include "formats/gis_rows.h"
#include "formats/output_place.h"
#include "formats/text.h"
#include "formats/vertices.h"
#include "systems/spatial_reference.h"
#include "systems/text.h"

namespace formats {

namespace {

using controller::CoordinateForm;

// Features a transaction holds: each commit of a GeoPackage syncs the disk.
constexpr std::uint64_t kTransactionFeatures = 1 << 20;
// Features between two looks at the progress and at a cancel.
constexpr std::uint64_t kProgressFeatures = 4096;
// An output GeoPackage or SQLite file is SQLite's, and most of its time goes into the R-tree
// of its spatial index. A page cache of 512 MB (GDAL's OGR_SQLITE_CACHE) keeps the tree's pages
// in memory: in the default 2 MB they are read and written again and again, 6 s of a 19 s run
// of a million points. Pages of 64 KiB, the largest SQLite has, take 15 % off the rest of a
// large file, but make a small one of thirty tables 2 MB: they are for inputs of many
// features. The file needs no journal, being private until the whole run has succeeded.
constexpr const char* kSqliteCacheMegabytes = "512";
constexpr const char* kSqlitePragmas = "journal_mode=OFF,synchronous=OFF";
constexpr const char* kSqliteLargePragmas = "page_size=65536,journal_mode=OFF,synchronous=OFF";
constexpr GIntBig kLargeFeatures = 100000;

constexpr const char* kCancelled = "the run was cancelled";

// A GPX file's point layers (kGpxLines) hold each point with its own fields (its time, its
// satellites ...): in general the lines are written and these left out unless asked for by
// name, so that a track is not written twice. But GDAL's GPX writer makes routes and tracks of
// such points (by route_fid, track_fid and track_seg_id), each with its fields: a GPX written
// from a GPX takes the points, and loses only the lines' own fields (a track's name), said.
// The fields of a GPX point that its line holds too, or that say which line it is on.
constexpr std::string_view kGpxPointKeys[] = {"route_fid",    "route_point_id",     "track_fid",
                                              "track_seg_id", "track_seg_point_id", "ele"};

// Where a layer's points are: its geometry fields, coordinate columns of a table, or nowhere
// (a table of other things, copied as it is).
enum class Source { Geometry, Columns, None };

// One layer's way from the input to the output.
struct LayerPlan {
    OGRLayer* input = nullptr;
    OGRLayer* output = nullptr;
    Source source = Source::None;
    TableColumns columns;         // Source::Columns
    bool columnsInPlace = false;  // converted in their own fields (a table written as a table)
    std::vector<int> fields;      // the output field of each input field, −1: none
    std::vector<int> geometries;  // the output geometry field of each input one, −1: none
    // A geometry written into a table's columns (XLSX, ODS): a point's X, Y, Z or the WKT.
    int xColumn = -1, yColumn = -1, zColumn = -1, wktColumn = -1;
    int elevation = -1;                    // a GPX point's "ele" field, its height (output field)
    std::uint64_t elevationsLeftOut = 0;   // "ele" of points without Z, not written to GPX
    std::uint64_t withoutCoordinates = 0;  // features with empty geometries or none
    GIntBig firstWithout = 0;
    bool keepsFids = false;
};

// Whether any feature of the layer has a field set other than those named.
bool HoldsFields(OGRLayer& layer, std::span<const std::string_view> ignored = {}) {
    const OGRFeatureDefn& definition = *layer.GetLayerDefn();
    std::vector<int> fields;
    for (int i = 0; i < definition.GetFieldCount(); ++i) {
        if (std::find(ignored.begin(), ignored.end(), definition.GetFieldDefn(i)->GetNameRef()) ==
            ignored.end())
            fields.push_back(i);
    }
    layer.ResetReading();
    bool holds = false;
    while (!holds) {
        const OGRFeatureUniquePtr feature{layer.GetNextFeature()};
        if (!feature) break;
        holds = std::any_of(fields.begin(), fields.end(),
                            [&](int i) { return feature->IsFieldSetAndNotNull(i); });
    }
    return holds;  // the run reads each layer from its start again
}

// Whether any geometry of the feature holds a coordinate.
bool HasCoordinates(const OGRFeature& feature) {
    for (int i = 0; i < feature.GetGeomFieldCount(); ++i) {
        const OGRGeometry* geometry = feature.GetGeomFieldRef(i);
        if (geometry != nullptr && !geometry->IsEmpty()) return true;
    }
    return false;
}

void WriteColumn(OGRFeature& feature, int field, double value) {
    if (feature.GetFieldDefnRef(field)->GetType() == OFTString) {
        feature.SetField(field, Shortest(value).c_str());
    } else {
        feature.SetField(field, value);
    }
}

// GDAL 3.6's LIBKML driver aborts on a symbol without an icon, as it reads KML's own
// <IconStyle> holding a colour alone (SYMBOL(c:#00FF00FF)); an empty id writes that very
// <IconStyle>. Other styles pass as they are.
std::string WithSymbolIds(const char* style) {
    if (style == nullptr || *style == '@' || std::strstr(style, "SYMBOL(") == nullptr)
        return style == nullptr ? "" : style;
    OGRStyleMgr in, out;
    in.InitStyleString(style);
    for (int i = 0; i < in.GetPartCount(); ++i) {
        const std::unique_ptr<OGRStyleTool> tool(in.GetPart(i));
        if (!tool) continue;
        if (tool->GetType() == OGRSTCSymbol) {
            auto* symbol = static_cast<OGRStyleSymbol*>(tool.get());
            GBool none = FALSE;
            symbol->Id(none);
            if (none) symbol->SetId("");
        }
        out.AddPart(tool.get());
    }
    return out.GetStyleString();
}

// The SRS the output's layers record: the target's, in the order of GIS files (x east).
std::unique_ptr<OGRSpatialReference> MakeSpatialReference(const systems::CrsDefinition& crs,
                                                          std::string& fault) {
    auto horizontal = std::make_unique<OGRSpatialReference>();
    OGRErr error = OGRERR_NONE;
    if (crs.epsg != 0) {
        error = horizontal->importFromEPSG(crs.epsg);
    } else if (!crs.localName.empty()) {
        error = horizontal->SetLocalCS(crs.localName.c_str());
    } else {
        error = horizontal->importFromProj4(crs.proj.c_str());
    }
    if (error != OGRERR_NONE) {
        fault = "GDAL cannot make the CRS " + crs.Text();
        return nullptr;
    }
    if (crs.verticalEpsg != 0 || !crs.verticalName.empty()) {
        OGRSpatialReference vertical;
        error = crs.verticalEpsg != 0 ? vertical.importFromEPSG(crs.verticalEpsg)
                                      : vertical.SetVertCS((crs.verticalName + " height").c_str(),
                                                           crs.verticalName.c_str());
        auto compound = std::make_unique<OGRSpatialReference>();
        const std::string name =
            std::string(horizontal->GetName()) + " + " + std::string(vertical.GetName());
        if (error != OGRERR_NONE ||
            compound->SetCompoundCS(name.c_str(), horizontal.get(), &vertical) != OGRERR_NONE) {
            fault = "GDAL cannot make the CRS " + crs.Text();
            return nullptr;
        }
        horizontal = std::move(compound);
    }
    horizontal->SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    return horizontal;
}

// What a layer's own CRS says against FROM: "" when it agrees (or says nothing comparable),
// else why it seems not to be FROM's. The form and the ellipsoid are compared, the commonest
// slips (a WGS-84 file read as SK-42, a plane file read as geodetic).
std::string CrsDisagreement(const OGRSpatialReference& crs, const systems::System& from,
                            batch::Language language) {
    using batch::MessageId;
    const std::optional<MessageId> kind = crs.IsGeocentric()   ? MessageId::GisGeocentric
                                          : crs.IsProjected()  ? MessageId::GisProjected
                                          : crs.IsGeographic() ? MessageId::GisGeodetic
                                                               : std::optional<MessageId>();
    if (!kind) return "";
    const MessageId expected = from.form == CoordinateForm::Geocentric ? MessageId::GisGeocentric
                               : from.form == CoordinateForm::Plane    ? MessageId::GisProjected
                                                                       : MessageId::GisGeodetic;
    OGRErr error = OGRERR_NONE;
    const double a = crs.GetSemiMajor(&error), invF = crs.GetInvFlattening(&error);
    const engine::Ellipsoid& own = from.datum.ellipsoid;
    // Ellipsoids apart by 1 cm in a or 10⁻⁶ in 1/f are different ones.
    const bool sameEllipsoid =
        error == OGRERR_NONE && std::fabs(a - own.a) < 0.01 && std::fabs(invF - own.invF) < 1e-6;
    if (*kind == expected && sameEllipsoid) return "";
    char ellipsoid[96];
    std::snprintf(ellipsoid, sizeof ellipsoid, "a = %.3f m, 1/f = %.9g", a, invF);
    return batch::Message(language, MessageId::GisCrsDisagrees,
                          {crs.GetName() ? crs.GetName() : "", batch::MessageText(language, *kind),
                           ellipsoid, from.id, batch::MessageText(language, expected)});
}

// Whether a driver takes a layer creation option.
bool TakesLayerOption(GDALDriver& driver, const char* option) {
    const char* list = driver.GetMetadataItem(GDAL_DS_LAYER_CREATIONOPTIONLIST);
    return list != nullptr &&
           std::string(list).find("name=\"" + std::string(option) + "\"") != std::string::npos;
}

class Conversion {
  public:
    Conversion(const GisRequest& request, GisObserver& observer)
        : request_(request),
          observer_(observer),
          messages_([&observer](const std::string& text) { observer.Say(text); }),
          converter_(request.conversion) {}

    GisResult Run();

  private:
    GisResult Fail(GisOutcome outcome, std::string message) {
        result_.outcome = outcome;
        result_.message = std::move(message);
        return result_;
    }
    // GDAL's reason, or what was tried when it gave none.
    std::string Reason(const std::string& otherwise) {
        const std::string failures = messages_.TakeFailures();
        return failures.empty() ? otherwise : failures;
    }
    std::string Where(OGRLayer& layer) const {
        return request_.input + ": layer " + Quoted(layer.GetName());
    }
    FeatureNote About(OGRLayer& layer, std::string text,
                      std::optional<std::int64_t> fid = std::nullopt, std::uint64_t vertex = 0,
                      FeatureNote::Kind kind = FeatureNote::Kind::Warning) const {
        return {kind, request_.input, layer.GetName(), fid, vertex, std::move(text)};
    }
    void Warn(OGRLayer& layer, std::string text) { observer_.Note(About(layer, std::move(text))); }
    // A message in the run's language.
    std::string Words(batch::MessageId id,
                      std::initializer_list<std::string_view> arguments = {}) const {
        return batch::Message(language_, id, arguments);
    }

    bool OpenInput();
    bool ChooseLayers();
    void FixZone();
    bool CreateLayer(LayerPlan& plan, GDALDriver& driver);
    bool CopyFeatures(LayerPlan& plan);
    // The feature's points through the route; false with `fault` set at the first bad one,
    // and `vertex` its number (0 for a table's point).
    bool ConvertFeature(LayerPlan& plan, OGRFeature& in, OGRFeature& out, std::string& fault,
                        std::uint64_t& faultVertex);

    const GisRequest& request_;
    const batch::Language language_ = request_.conversion.language;
    GisObserver& observer_;
    GdalMessages messages_;
    VertexConverter converter_;
    GisResult result_;
    std::string inputDriver_, outputDriver_;
    FormatFacts outputFacts_;
    GDALDatasetUniquePtr input_;
    std::vector<std::string> inputFiles_;
    std::vector<LayerPlan> plans_;
    std::unique_ptr<OGRSpatialReference> srs_;
    // Where the output is written; GDAL closes it (output_, destroyed first) before a failed
    // run's place is removed.
    std::optional<OutputPlace> place_;
    GDALDatasetUniquePtr output_;
    bool transactions_ = false;
    std::uint64_t sinceCommit_ = 0;
};

bool Conversion::OpenInput() {
    // A file or a folder (a Shapefile's): opening a FIFO would wait for a writer beyond the
    // reach of signals, and GDAL cannot read one anyway.
    struct stat named {};
    if (stat(request_.input.c_str(), &named) == 0 && !S_ISREG(named.st_mode) &&
        !S_ISDIR(named.st_mode)) {
        result_.outcome = GisOutcome::NoInput;
        result_.message = request_.input + ": cannot open: not a regular file or a folder";
        return false;
    }
    // A GPX point's <ele> as its Z, so that heights go through the route with their points.
    CPLSetThreadLocalConfigOption("GPX_ELE_AS_25D", "YES");
    CPLStringList openOptions;
    const std::string guess =
        !request_.inputFormat.empty() ? request_.inputFormat : DriverForName(request_.input, true);
    const bool csv = systems::Lower(guess) == "csv";
    // A CSV's WKT column becomes the geometry, and not a field that would keep the old text.
    if (csv) openOptions.AddNameValue("KEEP_GEOM_COLUMNS", "NO");
    const char* const allowed[] = {request_.inputFormat.c_str(), nullptr};
    input_.reset(GDALDataset::Open(
        request_.input.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY | GDAL_OF_VERBOSE_ERROR,
        request_.inputFormat.empty() ? nullptr : allowed, openOptions.List(), nullptr));
    CPLSetThreadLocalConfigOption("GPX_ELE_AS_25D", nullptr);
    if (!input_) {
        result_.outcome = GisOutcome::NoInput;
        result_.message = request_.input + ": cannot open: " +
                          Reason(request_.inputFormat.empty()
                                     ? "GDAL reads no such file"
                                     : "GDAL's " + request_.inputFormat + " driver cannot read it");
        return false;
    }
    inputDriver_ = input_->GetDriverName();
    if (char** files = input_->GetFileList()) {
        for (char** file = files; *file != nullptr; ++file)
            inputFiles_.emplace_back(*file);
        CSLDestroy(files);
    }
    if (inputFiles_.empty()) inputFiles_.push_back(request_.input);
    return true;
}

bool Conversion::ChooseLayers() {
    if (!request_.layers.empty()) {
        for (const std::string& name : request_.layers) {
            OGRLayer* layer = input_->GetLayerByName(name.c_str());
            if (layer == nullptr) {
                std::string names;
                for (OGRLayer* each : input_->GetLayers())
                    names += (names.empty() ? "" : ", ") + Quoted(each->GetName());
                result_.outcome = GisOutcome::NoInput;
                result_.message =
                    request_.input + ": no layer " + Quoted(name) +
                    (names.empty() ? " (it has none)" : " (its layers: " + names + ")");
                return false;
            }
            if (std::none_of(plans_.begin(), plans_.end(),
                             [layer](const LayerPlan& plan) { return plan.input == layer; })) {
                plans_.emplace_back().input = layer;
            }
        }
        return true;
    }
    for (OGRLayer* layer : input_->GetLayers())
        plans_.emplace_back().input = layer;
    if (inputDriver_ != "GPX") return true;
    const auto drop = [this](std::string_view name) {
        std::erase_if(plans_,
                      [name](const LayerPlan& plan) { return plan.input->GetName() == name; });
    };
    for (const GpxLines& kind : kGpxLines) {
        OGRLayer* lines = input_->GetLayerByName(std::string(kind.lines).c_str());
        OGRLayer* points = input_->GetLayerByName(std::string(kind.points).c_str());
        if (lines == nullptr || points == nullptr || !HoldsFields(*points, kGpxPointKeys)) {
            drop(kind.points);
        } else if (outputDriver_ == "GPX") {
            drop(kind.lines);
            if (HoldsFields(*lines)) {
                Warn(*lines, Words(batch::MessageId::GisLinesOfPoints, {kind.points}));
            }
        } else {
            drop(kind.points);
            Warn(*points, Words(batch::MessageId::GisPointsLeftBehind, {kind.lines, kind.points}));
        }
    }
    return true;
}

// A zoned target's zone, where --zone does not give it: the first point's that converts.
void Conversion::FixZone() {
    if (!converter_.TargetZoned() || converter_.Zone() != 0) return;
    for (LayerPlan& plan : plans_) {
        plan.input->ResetReading();
        while (converter_.Zone() == 0) {
            const OGRFeatureUniquePtr feature{plan.input->GetNextFeature()};
            if (!feature) break;
            std::uint64_t vertex = 0;
            std::optional<VertexWarning> warning;
            std::string fault;
            double x = 0, y = 0, z = 0;
            const char* said = nullptr;
            switch (plan.source) {
                case Source::Geometry:
                    for (int i = 0; i < feature->GetGeomFieldCount() && converter_.Zone() == 0;
                         ++i) {
                        if (OGRGeometry* geometry = feature->GetGeomFieldRef(i))
                            ConvertGeometry(*geometry, converter_, vertex, warning);
                    }
                    break;
                case Source::Columns:
                    if (ReadTableColumn(*feature, plan.columns.x, x, fault) &&
                        ReadTableColumn(*feature, plan.columns.y, y, fault) &&
                        (plan.columns.z < 0 ||
                         ReadTableColumn(*feature, plan.columns.z, z, fault))) {
                        converter_.Convert(x, y, z, said);
                    }
                    break;
                case Source::None:
                    break;
            }
        }
        plan.input->ResetReading();
        if (converter_.Zone() != 0) return;
    }
}

bool Conversion::CreateLayer(LayerPlan& plan, GDALDriver& driver) {
    OGRLayer& in = *plan.input;
    const OGRFeatureDefn& definition = *in.GetLayerDefn();
    const std::string where = Where(in);
    CPLStringList options;
    const char* fidColumn = in.GetFIDColumn();
    if (fidColumn != nullptr && *fidColumn != '\0' && TakesLayerOption(driver, "FID")) {
        options.SetNameValue("FID", fidColumn);
        plan.keepsFids = true;
    }
    // The geometry type written: the input's, with Z where a geocentric end needs it, and
    // without what the output cannot hold (GDAL then linearises curves and drops M).
    const auto written = [&](OGRwkbGeometryType type) {
        if (converter_.NeedsZ()) type = OGR_GT_SetZ(type);
        if (!output_->TestCapability(ODsCCurveGeometries)) type = OGR_GT_GetLinear(type);
        if (!output_->TestCapability(ODsCMeasuredGeometries))
            type = OGR_GT_SetModifier(type, OGR_GT_HasZ(type), FALSE);
        return type;
    };
    if (*outputFacts_.layerOption != '\0') options.AddString(outputFacts_.layerOption);
    const bool tableOut = outputFacts_.table;
    // A CSV's numbers held as text (coordinates in place) are not quoted as texts.
    if (outputFacts_.geometryColumns) options.SetNameValue("STRING_QUOTING", "IF_NEEDED");
    OGRwkbGeometryType type = wkbNone;
    switch (plan.source) {
        case Source::Geometry:
            type = written(definition.GetGeomFieldDefn(0)->GetType());
            break;
        case Source::Columns:
            plan.columnsInPlace = tableOut;
            type = tableOut ? wkbNone : written(plan.columns.z >= 0 ? wkbPoint25D : wkbPoint);
            break;
        case Source::None:
            break;
    }
    // A geometry into a table: CSV's driver writes it as columns of its own; into XLSX and ODS
    // the columns are made here.
    bool geometryColumns = false;
    if (plan.source == Source::Geometry && tableOut) {
        const bool point = wkbFlatten(type) == wkbPoint;
        if (outputFacts_.geometryColumns) {
            options.SetNameValue("GEOMETRY", !point              ? "AS_WKT"
                                             : OGR_GT_HasZ(type) ? "AS_XYZ"
                                                                 : "AS_XY");
        } else {
            geometryColumns = true;
            type = point ? type : wkbUnknown;
        }
    }
    const int geometryFields = definition.GetGeomFieldCount();
    const bool several = plan.source == Source::Geometry && geometryFields > 1 && !tableOut &&
                         output_->TestCapability(ODsCCreateGeomFieldAfterCreateLayer);
    plan.output = output_->CreateLayer(
        in.GetName(), type == wkbNone || geometryColumns || several ? nullptr : srs_.get(),
        geometryColumns || several ? wkbNone : type, options.List());
    if (plan.output == nullptr) {
        result_.outcome = GisOutcome::CannotCreate;
        result_.message = where + ": GDAL's " + outputDriver_ +
                          " driver cannot create it: " + Reason("no reason given");
        return false;
    }
    plan.geometries.assign(geometryFields, -1);
    if (several) {
        for (int i = 0; i < geometryFields; ++i) {
            OGRGeomFieldDefn field(definition.GetGeomFieldDefn(i));
            field.SetType(written(field.GetType()));
            field.SetSpatialRef(srs_.get());
            if (plan.output->CreateGeomField(&field) != OGRERR_NONE) {
                result_.outcome = GisOutcome::CannotCreate;
                result_.message = where + ": cannot create the geometry field " +
                                  Quoted(field.GetNameRef()) + ": " + Reason("no reason given");
                return false;
            }
            plan.geometries[i] = plan.output->GetLayerDefn()->GetGeomFieldCount() - 1;
        }
    } else if (plan.source == Source::Geometry && !geometryColumns && geometryFields > 0) {
        plan.geometries[0] = 0;
        if (geometryFields > 1) {
            Warn(in, Words(batch::MessageId::GisOneGeometry,
                           {outputDriver_, Quoted(definition.GetGeomFieldDefn(0)->GetNameRef())}));
        }
    }
    // A field the format has of its own (GPX's "ele", "name" ...) is that field; one it cannot
    // hold (a DXF's fields are its own alone) is said and left out, as ogr2ogr does; but the
    // coordinate columns must be made.
    const auto create = [&](OGRFieldDefn& field, bool needed) {
        OGRFeatureDefn& out = *plan.output->GetLayerDefn();
        if (const int own = out.GetFieldIndex(field.GetNameRef()); own >= 0) return own;
        const int before = out.GetFieldCount();
        if (plan.output->CreateField(&field, TRUE) != OGRERR_NONE) {
            const std::string why = Reason("no reason given");
            if (needed) {
                result_.outcome = GisOutcome::CannotCreate;
                result_.message =
                    where + ": cannot create the field " + Quoted(field.GetNameRef()) + ": " + why;
                return -2;
            }
            Warn(in, Words(batch::MessageId::GisFieldLeftOut, {Quoted(field.GetNameRef()), why}));
            return -1;
        }
        return out.GetFieldCount() > before ? out.GetFieldCount() - 1 : -1;
    };
    if (geometryColumns) {
        if (wkbFlatten(type) == wkbPoint) {
            OGRFieldDefn x("X", OFTReal), y("Y", OFTReal), z("Z", OFTReal);
            if ((plan.xColumn = create(x, true)) == -2 || (plan.yColumn = create(y, true)) == -2)
                return false;
            if (OGR_GT_HasZ(type) && (plan.zColumn = create(z, true)) == -2) return false;
        } else {
            OGRFieldDefn wkt("WKT", OFTString);
            if ((plan.wktColumn = create(wkt, true)) == -2) return false;
        }
    }
    plan.fields.assign(definition.GetFieldCount(), -1);
    for (int i = 0; i < definition.GetFieldCount(); ++i) {
        OGRFieldDefn field(definition.GetFieldDefn(i));
        if (plan.source == Source::Columns && plan.columns.Holds(i)) {
            if (!plan.columnsInPlace) continue;  // the point's geometry holds them now
            // Converted coordinates are numbers of full precision: cells of a spreadsheet, a
            // CSV's text of every digit (its driver writes real numbers with 15).
            if (!(field.GetType() == OFTString && outputFacts_.geometryColumns)) {
                field.SetType(OFTReal);
                field.SetSubType(OFSTNone);
                field.SetWidth(0);
                field.SetPrecision(0);
            }
        }
        const bool coordinate = plan.source == Source::Columns && plan.columns.Holds(i);
        if ((plan.fields[i] = create(field, coordinate)) == -2) return false;
    }
    if ((inputDriver_ == "GPX" || outputDriver_ == "GPX") && plan.source == Source::Geometry) {
        const int ele = definition.GetFieldIndex("ele");
        if (ele >= 0) plan.elevation = plan.fields[ele];
    }
    if (OGRStyleTable* styles = in.GetStyleTable()) plan.output->SetStyleTable(styles);
    return true;
}

bool Conversion::ConvertFeature(LayerPlan& plan, OGRFeature& in, OGRFeature& out,
                                std::string& fault, std::uint64_t& faultVertex) {
    std::uint64_t vertex = 0;
    std::optional<VertexWarning> warning;
    switch (plan.source) {
        case Source::None:
            return true;
        case Source::Columns: {
            double x = 0, y = 0, z = 0;
            if (!ReadTableColumn(in, plan.columns.x, x, fault) ||
                !ReadTableColumn(in, plan.columns.y, y, fault) ||
                (plan.columns.z >= 0 && !ReadTableColumn(in, plan.columns.z, z, fault))) {
                return false;
            }
            const char* said = nullptr;
            fault = converter_.Convert(x, y, z, said);
            if (!fault.empty()) return false;
            if (said != nullptr) warning = VertexWarning{1, said};
            ++result_.vertices;
            if (plan.columnsInPlace) {
                WriteColumn(out, plan.fields[plan.columns.x], x);
                WriteColumn(out, plan.fields[plan.columns.y], y);
                if (plan.columns.z >= 0) WriteColumn(out, plan.fields[plan.columns.z], z);
            } else {
                out.SetGeometryDirectly(plan.columns.z >= 0 || converter_.NeedsZ()
                                            ? new OGRPoint(x, y, z)
                                            : new OGRPoint(x, y));
            }
            break;
        }
        case Source::Geometry:
            for (int i = 0; i < in.GetGeomFieldCount(); ++i) {
                OGRGeometry* geometry = in.GetGeomFieldRef(i);
                if (geometry == nullptr) continue;
                if (const auto bad = ConvertGeometry(*geometry, converter_, vertex, warning)) {
                    fault = bad->text;
                    faultVertex = bad->vertex;
                    return false;
                }
            }
            result_.vertices += vertex;
            if (plan.xColumn >= 0 || plan.wktColumn >= 0) {
                const OGRGeometry* geometry = in.GetGeometryRef();
                if (geometry == nullptr) break;
                if (plan.wktColumn >= 0) {
                    // ISO's WKT names Z and M; 17 digits read back to the very doubles.
                    OGRWktOptions wkt;
                    wkt.variant = wkbVariantIso;
                    wkt.precision = 17;
                    wkt.round = false;
                    out.SetField(plan.wktColumn, geometry->exportToWkt(wkt).c_str());
                } else if (const OGRPoint* point = geometry->toPoint(); !point->IsEmpty()) {
                    out.SetField(plan.xColumn, point->getX());
                    out.SetField(plan.yColumn, point->getY());
                    if (plan.zColumn >= 0) out.SetField(plan.zColumn, point->getZ());
                }
                break;
            }
            for (int i = 0; i < in.GetGeomFieldCount(); ++i) {
                if (plan.geometries[i] >= 0)
                    out.SetGeomFieldDirectly(plan.geometries[i], in.StealGeometry(i));
            }
            // A GPX point's height is its "ele" too, and GDAL's GPX writer writes the field
            // rather than Z: the field takes the converted height, and, written to GPX beside a
            // point without one, it is left out rather than given unconverted.
            if (plan.elevation >= 0) {
                const OGRGeometry* geometry = out.GetGeometryRef();
                if (geometry != nullptr && wkbFlatten(geometry->getGeometryType()) == wkbPoint) {
                    if (geometry->Is3D()) {
                        out.SetField(plan.elevation, geometry->toPoint()->getZ());
                    } else if (outputDriver_ == "GPX" && out.IsFieldSetAndNotNull(plan.elevation)) {
                        out.UnsetField(plan.elevation);
                        ++plan.elevationsLeftOut;
                    }
                }
            }
            break;
    }
    if (warning) {
        observer_.Note(About(*plan.input, warning->text, in.GetFID(),
                             plan.source == Source::Geometry ? warning->vertex : 0));
    }
    return true;
}

bool Conversion::CopyFeatures(LayerPlan& plan) {
    OGRLayer& in = *plan.input;
    in.ResetReading();
    while (OGRFeatureUniquePtr feature{in.GetNextFeature()}) {
        OGRFeature out(plan.output->GetLayerDefn());
        out.SetFieldsFrom(feature.get(), plan.fields.data(), TRUE);
        if (outputDriver_ == "LIBKML") {
            out.SetStyleString(WithSymbolIds(feature->GetStyleString()).c_str());
        } else {
            out.SetStyleString(feature->GetStyleString());
        }
        if (plan.keepsFids) out.SetFID(feature->GetFID());
        if (plan.source == Source::Geometry && !HasCoordinates(*feature) &&
            plan.withoutCoordinates++ == 0) {
            plan.firstWithout = feature->GetFID();
        }
        std::string fault;
        std::uint64_t vertex = 0;
        // A fault of the feature's ends the run, or with keepGoing leaves the feature out.
        const auto faulty = [&](GisOutcome outcome) {
            FeatureNote note = About(in, fault, feature->GetFID(), vertex,
                                     request_.conversion.keepGoing ? FeatureNote::Kind::LeftOut
                                                                   : FeatureNote::Kind::Fault);
            if (!request_.conversion.keepGoing) {
                result_.outcome = outcome;
                result_.message = note.Text();
                result_.fault = std::move(note);
                return true;
            }
            observer_.Note(note);
            ++result_.dropped;
            return false;
        };
        if (!ConvertFeature(plan, *feature, out, fault, vertex)) {
            if (faulty(GisOutcome::BadInput)) return false;
        } else if (plan.output->CreateFeature(&out) != OGRERR_NONE) {
            fault = Words(batch::MessageId::GisDriverRefuses,
                          {outputDriver_, Reason("no reason given")});
            vertex = 0;
            if (faulty(GisOutcome::CannotCreate)) return false;
        } else {
            ++result_.features;
        }
        if (transactions_ && ++sinceCommit_ == kTransactionFeatures) {
            sinceCommit_ = 0;
            if (output_->CommitTransaction() != OGRERR_NONE ||
                output_->StartTransaction() != OGRERR_NONE) {
                result_.outcome = GisOutcome::WriteFailed;
                result_.message = request_.output + ": cannot write: " + Reason("no reason given");
                return false;
            }
        }
        if ((result_.features + result_.dropped) % kProgressFeatures == 0) {
            observer_.Progress(result_.features, result_.vertices);
            if (observer_.Cancelled()) {
                result_.outcome = GisOutcome::Cancelled;
                result_.message = kCancelled;
                return false;
            }
        }
    }
    // A reader may give a coordinate it cannot take (GeoJSON's NaN, a CSV's WKT of "nan") as
    // an empty geometry, or none.
    if (plan.withoutCoordinates > 0) {
        Warn(in,
             Words(batch::MessageId::GisWithoutCoordinates,
                   {std::to_string(plan.withoutCoordinates), std::to_string(plan.firstWithout)}));
    }
    if (plan.elevationsLeftOut > 0) {
        Warn(in, Words(batch::MessageId::GisEleLeftOut, {std::to_string(plan.elevationsLeftOut)}));
    }
    return true;
}

GisResult Conversion::Run() {
    GDALAllRegister();
    const std::string asked = !request_.outputFormat.empty() ? request_.outputFormat
                                                             : DriverForName(request_.output, true);
    if (asked.empty()) {
        return Fail(GisOutcome::Usage, request_.output +
                                           ": which GIS format? Its extension names none: give "
                                           "--format NAME (a GDAL driver, such as GPKG)");
    }
    outputDriver_ = DriverName(asked);
    GDALDriver* driver = outputDriver_.empty()
                             ? nullptr
                             : GetGDALDriverManager()->GetDriverByName(outputDriver_.c_str());
    if (driver == nullptr || driver->GetMetadataItem(GDAL_DCAP_CREATE) == nullptr) {
        return Fail(
            GisOutcome::Usage,
            "GDAL " +
                std::string(outputDriver_.empty() ? "has no vector driver " : "cannot write ") +
                Quoted(asked) + (outputDriver_.empty() ? "" : " files"));
    }
    outputFacts_ = FactsOf(outputDriver_);
    const systems::System& to = request_.conversion.to;
    if (outputFacts_.wgs84Only &&
        !(to.datum.id == "wgs84" && to.form == CoordinateForm::Geodetic)) {
        return Fail(
            GisOutcome::Usage,
            request_.output + ": " + Words(batch::MessageId::GisWgs84Only, {outputDriver_, to.id}));
    }
    if (!OpenInput() || !ChooseLayers()) return result_;
    for (const std::string& file : inputFiles_) {
        if (SameFile(file, request_.output)) {
            return Fail(GisOutcome::Usage,
                        request_.output + ": is also an input; write the results to another file");
        }
    }
    const bool singleFile =
        outputDriver_ == "ESRI Shapefile" && !DriverForName(request_.output).empty();
    if (singleFile && plans_.size() > 1) {
        std::string names;
        for (const LayerPlan& plan : plans_)
            names += (names.empty() ? "" : ", ") + Quoted(plan.input->GetName());
        return Fail(GisOutcome::Usage,
                    request_.output + ": a Shapefile holds one layer, and " + request_.input +
                        " has " + std::to_string(plans_.size()) + " (" + names +
                        "): choose one with --layer, or write a directory of Shapefiles "
                        "(-o DIR --format \"ESRI Shapefile\")");
    }
    for (LayerPlan& plan : plans_) {
        const OGRFeatureDefn& definition = *plan.input->GetLayerDefn();
        if (const OGRSpatialReference* crs = plan.input->GetSpatialRef()) {
            if (const std::string said = CrsDisagreement(*crs, request_.conversion.from, language_);
                !said.empty()) {
                Warn(*plan.input, said);
            }
        }
        if (definition.GetGeomFieldCount() > 0) {
            plan.source = Source::Geometry;
            if (request_.conversion.columns[0] != 0) {
                return Fail(GisOutcome::Usage,
                            Where(*plan.input) +
                                " has geometry; --columns names the coordinate fields of tables");
            }
            continue;
        }
        plan.columns = FindTableColumns(definition, request_.conversion);
        const auto& asked = request_.conversion.columns;
        if (asked[0] != 0 &&
            *std::max_element(asked.begin(), asked.end()) > definition.GetFieldCount()) {
            return Fail(GisOutcome::Usage, Where(*plan.input) + " has " +
                                               std::to_string(definition.GetFieldCount()) +
                                               " fields, fewer than --columns asks for");
        }
        // A table keeps its columns: geocentric X, Y, Z need a third one to be written in.
        if (plan.columns.Found() && plan.columns.z < 0 && converter_.NeedsZ() &&
            outputFacts_.table) {
            return Fail(GisOutcome::Usage,
                        Where(*plan.input) +
                            " has no height field (z, h, height ...) to hold the third "
                            "coordinate of " +
                            (request_.conversion.to.form == CoordinateForm::Geocentric
                                 ? request_.conversion.to.id
                                 : request_.conversion.from.id));
        }
        if (plan.columns.Found()) {
            plan.source = Source::Columns;
        } else {
            Warn(*plan.input, Words(batch::MessageId::GisNoCoordinates));
        }
    }
    FixZone();
    std::string fault;
    const bool zoneUnknown = converter_.TargetZoned() && converter_.Zone() == 0;
    if (!zoneUnknown) {
        srs_ = MakeSpatialReference(systems::SpatialReference(to, converter_.Zone()), fault);
        if (!srs_) return Fail(GisOutcome::CannotCreate, request_.output + ": " + fault);
    }
    // A dataset of one file and its companions (out.shp); a directory of them (out/) has none.
    const OutputPlace& place =
        place_.emplace(request_.output, DriverForName(request_.output).empty()
                                            ? std::span<const std::string_view>()
                                            : outputFacts_.companions);
    if (place.path().empty()) return Fail(GisOutcome::CannotCreate, place.Why());
    CPLSetThreadLocalConfigOption("OGR_SQLITE_CACHE", kSqliteCacheMegabytes);
    GIntBig features = 0;  // as far as the input knows them without reading it through
    for (const LayerPlan& plan : plans_)
        features += std::max<GIntBig>(0, plan.input->GetFeatureCount(FALSE));
    CPLSetThreadLocalConfigOption(
        "OGR_SQLITE_PRAGMA", features >= kLargeFeatures ? kSqliteLargePragmas : kSqlitePragmas);
    output_.reset(driver->Create(place.path().c_str(), 0, 0, 0, GDT_Unknown, nullptr));
    CPLSetThreadLocalConfigOption("OGR_SQLITE_CACHE", nullptr);
    CPLSetThreadLocalConfigOption("OGR_SQLITE_PRAGMA", nullptr);
    if (!output_) {
        return Fail(GisOutcome::CannotCreate,
                    request_.output + ": GDAL's " + outputDriver_ +
                        " driver cannot create it: " + Reason("no reason given"));
    }
    if (OGRStyleTable* styles = input_->GetStyleTable()) output_->SetStyleTable(styles);
    for (LayerPlan& plan : plans_) {
        if (!CreateLayer(plan, *driver)) return result_;
    }
    transactions_ =
        output_->TestCapability(ODsCTransactions) && output_->StartTransaction() == OGRERR_NONE;
    for (LayerPlan& plan : plans_) {
        if (!CopyFeatures(plan)) return result_;
    }
    if (transactions_ && output_->CommitTransaction() != OGRERR_NONE) {
        return Fail(GisOutcome::WriteFailed,
                    request_.output + ": cannot write: " + Reason("no reason given"));
    }
    observer_.Progress(result_.features, result_.vertices);
    messages_.TakeFailures();  // said with the features they refused
    observer_.Finishing();
    output_.reset();
    if (const std::string failures = messages_.TakeFailures(); !failures.empty()) {
        return Fail(GisOutcome::WriteFailed, request_.output + ": cannot write: " + failures);
    }
    if (observer_.Cancelled()) return Fail(GisOutcome::Cancelled, kCancelled);
    std::string what;
    switch (place_->Commit(inputFiles_, what)) {
        case OutputPlace::Refusal::None:
            break;
        case OutputPlace::Refusal::IsInput:
            return Fail(GisOutcome::Usage, what);
        case OutputPlace::Refusal::Directory:
        case OutputPlace::Refusal::Replacement:
            return Fail(GisOutcome::CannotCreate, what);
        case OutputPlace::Refusal::System:
            return Fail(GisOutcome::WriteFailed, what);
    }
    return result_;
}

}  // namespace

std::string FeatureNote::Text() const {
    std::string text = input + ": layer " + Quoted(layer);
    if (fid) text += ", feature " + std::to_string(*fid);
    if (vertex != 0) text += ", vertex " + std::to_string(vertex);
    switch (kind) {
        case Kind::Warning:
            return text + ": warning: " + this->text;
        case Kind::LeftOut:
            return text + ": " + this->text + "; the feature is left out";
        case Kind::Fault:
            return text + ": " + this->text;
    }
    return text;
}

GisResult ConvertGisFile(const GisRequest& request, GisObserver& observer) {
    return Conversion(request, observer).Run();
}

}  // namespace formats
