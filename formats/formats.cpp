#include "formats/formats.h"

#include <gdal_priv.h>

#include <algorithm>

namespace formats {

namespace {

struct Extension {
    std::string_view extension;  // lower case, without the dot
    std::string_view driver;
};

// The extensions that make a FILE or -o a GIS file. LIBKML before KML: Debian's GDAL has both,
// and LIBKML reads and writes styles and folders.
constexpr Extension kExtensions[] = {
    {"gpx", "GPX"},
    {"kml", "LIBKML"},
    {"kmz", "LIBKML"},
    {"geojson", "GeoJSON"},
    {"json", "GeoJSON"},
    {"geojsonl", "GeoJSONSeq"},
    {"geojsons", "GeoJSONSeq"},
    {"shp", "ESRI Shapefile"},
    {"shz", "ESRI Shapefile"},
    {"gpkg", "GPKG"},
    {"dxf", "DXF"},
    {"xlsx", "XLSX"},
    {"ods", "ODS"},
    {"xls", "XLS"},
    {"fgb", "FlatGeobuf"},
    {"gml", "GML"},
    {"tab", "MapInfo File"},
    {"mif", "MapInfo File"},
    {"sqlite", "SQLite"},
};

// ESRI's Shapefile technical description (1998) and what GDAL, QGIS and ArcGIS add beside it;
// MapInfo's TAB with its data, map and index files.
constexpr std::string_view kShapefileCompanions[] = {"shx", "dbf", "prj",     "cpg", "qix", "sbn",
                                                     "sbx", "fix", "shp.xml", "qpj", "atx"};
constexpr std::string_view kMapInfoCompanions[] = {"dat", "map", "id", "ind"};

struct Facts {
    std::string_view driver;
    FormatFacts facts;
};

constexpr Facts kFacts[] = {
    {"GPX", {true, false, false, ""}},
    {"KML", {true, false, false, ""}},
    {"LIBKML", {true, false, false, ""}},
    {"GeoJSONSeq", {true, false, false, ""}},
    {"GeoRSS", {true, false, false, ""}},
    {"XLSX", {false, true, false, ""}},
    {"ODS", {false, true, false, ""}},
    {"CSV", {false, true, true, ""}},
    {"ESRI Shapefile", {false, false, false, "ENCODING=UTF-8", kShapefileCompanions}},
    {"MapInfo File", {false, false, false, "", kMapInfoCompanions}},
};

bool SameLetters(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        return lower(x) == lower(y);
    });
}

}  // namespace

std::string DriverForName(std::string_view path, bool csv) {
    const std::size_t slash = path.find_last_of('/');
    const std::string_view name = path.substr(slash == std::string_view::npos ? 0 : slash + 1);
    const std::size_t dot = name.find_last_of('.');
    if (dot == std::string_view::npos || dot == 0) return "";
    const std::string_view extension = name.substr(dot + 1);
    if (csv && SameLetters(extension, "csv")) return "CSV";
    for (const Extension& row : kExtensions) {
        if (SameLetters(row.extension, extension)) return std::string(row.driver);
    }
    return "";
}

std::vector<std::string_view> Extensions() {
    std::vector<std::string_view> extensions;
    for (const Extension& row : kExtensions)
        extensions.push_back(row.extension);
    return extensions;
}

FormatFacts FactsOf(std::string_view driver) {
    for (const Facts& row : kFacts) {
        if (SameLetters(row.driver, driver)) return row.facts;
    }
    return {};
}

std::string DriverName(std::string_view name) {
    GDALAllRegister();
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName(std::string(name).c_str());
    if (driver == nullptr || driver->GetMetadataItem(GDAL_DCAP_VECTOR) == nullptr) return "";
    return driver->GetDescription();
}

}  // namespace formats
