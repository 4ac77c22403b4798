// The GIS and CAD file formats coordconv-cli hands to GDAL, as data: which file names are
// theirs, and what each format can hold.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace formats {

// What a format can hold, beyond what GDAL's drivers say of themselves.
struct FormatFacts {
    // The format holds WGS-84 longitudes and latitudes alone (OGC KML 2.2, GPX 1.1, RFC 8142):
    // GDAL's driver would reproject anything else through PROJ's own transformation.
    bool wgs84Only = false;
    // A table without geometry: a point's coordinates are columns (XLSX, ODS).
    bool table = false;
    // A table whose driver writes the geometry as columns of its own (CSV's GEOMETRY option).
    bool geometryColumns = false;
    // A layer creation option every layer is written with ("NAME=VALUE"; "" none): a
    // Shapefile's fields in UTF-8 (with its .cpg saying so), not GDAL's default ISO-8859-1,
    // which has no Cyrillic.
    const char* layerOption = "";
    // The other files of a dataset named NAME.EXT, by what replaces EXT: a Shapefile's index
    // and sidecars. Those the new dataset has not are removed when it replaces an old one, so
    // that an old spatial index (.qix) does not hide the new features from GIS queries.
    std::span<const std::string_view> companions = {};
};

// The GDAL driver of a file name's extension (in any case), or "" for a name that is no GIS
// file's: text files of points keep every other extension, ".csv" included (a CSV through GDAL
// is named with --format CSV or --input-format CSV), unless `csv`: a run already through GDAL
// reads and writes a .csv with GDAL's CSV driver.
std::string DriverForName(std::string_view path, bool csv = false);

// The extensions DriverForName knows, in lower case, without the dot (".csv" not among them).
std::vector<std::string_view> Extensions();

// The facts of a GDAL driver, by its short name (in any case).
FormatFacts FactsOf(std::string_view driver);

// "ESRI Shapefile" for "esri shapefile": a driver's name as GDAL spells it, or "" when GDAL
// has no such vector driver.
std::string DriverName(std::string_view name);

}  // namespace formats
