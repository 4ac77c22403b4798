// GeoTIFF geoid grids (PROJ-data's format, e.g. us_nga_egm96_15.tif) through libtiff, read as
// PROJ 9.1 reads them (src/grids.cpp, GTiffDataset::nextGrid and GTiffVGridShiftSet::open):
// the georeferencing from ModelTransformationTag or from ModelPixelScaleTag and one
// ModelTiepointTag, nodes moved half a pixel to the cells' centres unless the raster type is
// PixelIsPoint, rows north first unless the vertical scale is negative, GDAL's nodata and its
// metadata's offset and scale applied to the band that holds the geoid.
#include <tiffio.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdarg>
#include <cstring>
#include <limits>
#include <map>
#include <memory>
#include <mutex>
#include <utility>

#include "systems/geoid_formats.h"

namespace systems::geoid {
namespace {

// GeoTIFF's tags and keys (OGC GeoTIFF 1.1, 19-008r4) and GDAL's tags, which libtiff reads
// only once told their types.
constexpr ttag_t kPixelScaleTag = 33550, kTiepointTag = 33922, kTransformationTag = 34264,
                 kGeoKeyDirectoryTag = 34735, kGdalMetadataTag = 42112, kGdalNodataTag = 42113;
constexpr std::uint16_t kModelTypeKey = 1024, kRasterTypeKey = 1025;
constexpr std::uint16_t kModelProjected = 1, kModelGeographic = 2;
constexpr std::uint16_t kPixelIsArea = 1, kPixelIsPoint = 2;

// The bands PROJ takes as the geoid, by their GDAL description.
constexpr const char* kGeoidBands[] = {"geoid_undulation", "vertical_offset", "hydroid_height",
                                       "ellipsoidal_height_offset"};

// Limits on what a file may make us hold (a block) and on how far its data may be
// compressed: deflate stays below 1032:1, LZW below 1400:1 on any data.
constexpr std::uint64_t kMaxBlockBytes = 256u << 20;
constexpr std::uint64_t kMaxExpansion = 4096;

TIFFExtendProc parentExtender = nullptr;

void ExtendTags(TIFF* tiff) {
    static const TIFFFieldInfo fields[] = {
        {kPixelScaleTag, -1, -1, TIFF_DOUBLE, FIELD_CUSTOM, 1, 1,
         const_cast<char*>("ModelPixelScaleTag")},
        {kTiepointTag, -1, -1, TIFF_DOUBLE, FIELD_CUSTOM, 1, 1,
         const_cast<char*>("ModelTiepointTag")},
        {kTransformationTag, -1, -1, TIFF_DOUBLE, FIELD_CUSTOM, 1, 1,
         const_cast<char*>("ModelTransformationTag")},
        {kGeoKeyDirectoryTag, -1, -1, TIFF_SHORT, FIELD_CUSTOM, 1, 1,
         const_cast<char*>("GeoKeyDirectoryTag")},
        {kGdalMetadataTag, -1, -1, TIFF_ASCII, FIELD_CUSTOM, 1, 0,
         const_cast<char*>("GDALMetadata")},
        {kGdalNodataTag, -1, -1, TIFF_ASCII, FIELD_CUSTOM, 1, 0,
         const_cast<char*>("GDALNoDataValue")},
    };
    if (parentExtender) parentExtender(tiff);
    TIFFMergeFieldInfo(tiff, fields, sizeof fields / sizeof fields[0]);
}

// libtiff's first error about this file, its name taken out.
struct Messages {
    std::string path, first;
};

int KeepError(TIFF*, void* data, const char*, const char* format, va_list arguments) {
    auto& messages = *static_cast<Messages*>(data);
    if (!messages.first.empty()) return 1;
    char text[512];
    std::vsnprintf(text, sizeof text, format, arguments);
    messages.first = text;
    for (std::size_t at;
         !messages.path.empty() && (at = messages.first.find(messages.path)) != std::string::npos;)
        messages.first.replace(at, messages.path.size(), "the file");
    return 1;
}

// Refuses the file, with libtiff's word on it if it said one.
[[noreturn]] void Fail(const Messages& messages, const std::string& what) {
    Refuse("GeoTIFF: " + (messages.first.empty() ? what : what + " (" + messages.first + ")"));
}

int Silence(TIFF*, void*, const char*, const char*, va_list) {
    return 1;
}

// The sample types PROJ reads, decoded by libtiff to this machine's byte order.
template <class T>
double Sample(const unsigned char* at) {
    T value;
    std::memcpy(&value, at, sizeof value);
    return static_cast<double>(value);
}

struct SampleType {
    std::uint16_t format, bits;
    double (*read)(const unsigned char*);
};

constexpr SampleType kSampleTypes[] = {
    {SAMPLEFORMAT_INT, 16, Sample<std::int16_t>}, {SAMPLEFORMAT_UINT, 16, Sample<std::uint16_t>},
    {SAMPLEFORMAT_INT, 32, Sample<std::int32_t>}, {SAMPLEFORMAT_UINT, 32, Sample<std::uint32_t>},
    {SAMPLEFORMAT_IEEEFP, 32, Sample<float>},     {SAMPLEFORMAT_IEEEFP, 64, Sample<double>},
};

// GDAL's metadata tag: <GDALMetadata><Item name="N" sample="S" role="R">V</Item>…, read as PROJ
// does (no XML parser); an item of no sample has sample −1.
std::map<std::pair<int, std::string>, std::string> GdalMetadata(TIFF* tiff) {
    std::map<std::pair<int, std::string>, std::string> items;
    const char* text = nullptr;
    if (!TIFFGetField(tiff, kGdalMetadataTag, &text) || !text) return items;
    const std::string_view xml(text);
    const auto attribute = [](std::string_view tag, std::string_view name) -> std::string {
        const std::size_t at = tag.find(std::string(name) + "=\"");
        if (at == std::string_view::npos) return "";
        const std::size_t start = at + name.size() + 2, end = tag.find('"', start);
        return std::string(tag.substr(start, end == std::string_view::npos ? 0 : end - start));
    };
    for (std::size_t at = xml.find("<Item "); at != std::string_view::npos;
         at = xml.find("<Item ", at)) {
        const std::size_t tagEnd = xml.find('>', at);
        const std::size_t valueEnd = xml.find('<', tagEnd);
        if (valueEnd == std::string_view::npos) break;
        const std::string_view tag = xml.substr(at, tagEnd - at);
        double sample = -1;
        const std::string written = attribute(tag, "sample");
        if (!written.empty() && !(ReadNumber(written, sample) && sample >= 0 && sample < 65536))
            Refuse("GeoTIFF: metadata of sample " + written);
        std::string name = attribute(tag, "role");  // "offset", "scale"
        if (name.empty()) name = attribute(tag, "name");
        for (char& c : name)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        items[{static_cast<int>(sample), name}] =
            std::string(xml.substr(tagEnd + 1, valueEnd - tagEnd - 1));
        at = valueEnd;
    }
    return items;
}

// The band that holds the geoid as PROJ chooses it: the first when no band is described,
// else the one described as a geoid (or vertical offset); −1 when bands are described but
// none so.
int GeoidBand(const std::map<std::pair<int, std::string>, std::string>& items, int samples) {
    int described = 0, band = -1;
    for (int sample = 0; sample < samples; ++sample) {
        const auto found = items.find({sample, "DESCRIPTION"});
        if (found == items.end() || found->second.empty()) continue;
        ++described;
        for (const char* name : kGeoidBands)
            band = found->second == name ? sample : band;
    }
    return described == 0 ? 0 : band;
}

}  // namespace

Nodes ReadGeoTiff(const std::string& path) {
    static std::once_flag tagsKnown;
    std::call_once(tagsKnown, [] { parentExtender = TIFFSetTagExtender(ExtendTags); });
    Messages messages{path, ""};
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    TIFFOpenOptionsSetErrorHandlerExtR(options, KeepError, &messages);
    TIFFOpenOptionsSetWarningHandlerExtR(options, Silence, nullptr);
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, kMaxBlockBytes);
    const std::unique_ptr<TIFF, void (*)(TIFF*)> file(TIFFOpenExt(path.c_str(), "r", options),
                                                      TIFFClose);
    TIFFOpenOptionsFree(options);
    TIFF* tiff = file.get();
    if (!tiff) Fail(messages, "not a TIFF libtiff reads");

    std::uint32_t width = 0, height = 0;
    std::uint16_t samples = 1, bits = 1, format = SAMPLEFORMAT_UINT, planar = PLANARCONFIG_CONTIG;
    TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLEFORMAT, &format);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_PLANARCONFIG, &planar);
    const std::size_t count = CheckedNodes(height, width, "GeoTIFF");
    const SampleType* type = nullptr;
    for (const SampleType& candidate : kSampleTypes)
        type = candidate.format == format && candidate.bits == bits ? &candidate : type;
    if (!type)
        Fail(messages, std::to_string(bits) + "-bit samples of format " + std::to_string(format) +
                           " (int16, uint16, int32, uint32, float32 or float64 are read)");
    if (samples == 0) Fail(messages, "no samples per pixel");
    const auto metadata = GdalMetadata(tiff);
    const int band = GeoidBand(metadata, samples);
    if (band < 0) Fail(messages, "no band described as geoid_undulation, vertical_offset, …");

    // The georeferencing keys: a geographic model (assumed without keys, as PROJ does), and
    // PixelIsArea unless PixelIsPoint is said (GeoTIFF's default).
    bool pixelIsArea = true;
    std::uint16_t keyCount = 0;
    std::uint16_t* keys = nullptr;
    if (TIFFGetField(tiff, kGeoKeyDirectoryTag, &keyCount, &keys)) {
        if (keyCount < 4 || keyCount % 4 != 0 || keys[0] != 1)
            Fail(messages, "malformed GeoKeyDirectoryTag");
        for (int i = 4; i + 3 < keyCount; i += 4) {
            if (keys[i + 1] != 0) continue;  // a value held elsewhere: none of ours
            if (keys[i] == kModelTypeKey && keys[i + 3] == kModelProjected)
                Fail(messages, "projected CRS");
            if (keys[i] == kModelTypeKey && keys[i + 3] != kModelGeographic)
                Fail(messages, "model type " + std::to_string(keys[i + 3]) + ", not geographic");
            if (keys[i] == kRasterTypeKey && keys[i + 3] != kPixelIsArea &&
                keys[i + 3] != kPixelIsPoint)
                Fail(messages, "raster type " + std::to_string(keys[i + 3]));
            if (keys[i] == kRasterTypeKey) pixelIsArea = keys[i + 3] == kPixelIsArea;
        }
    }
    // The pixel (0, 0) at (west, north), steps east and south; a negative vertical step has
    // the rows from the south (GDAL writes such grids with a transformation matrix).
    double west, north, xStep, yStep;
    std::uint16_t n = 0;
    double* numbers = nullptr;
    if (TIFFGetField(tiff, kTransformationTag, &n, &numbers) && n == 16) {
        if (numbers[1] != 0 || numbers[4] != 0) Fail(messages, "rotated ModelTransformationTag");
        west = numbers[3], xStep = numbers[0], north = numbers[7], yStep = -numbers[5];
    } else {
        if (!TIFFGetField(tiff, kPixelScaleTag, &n, &numbers) || n != 3)
            Fail(messages, "no ModelPixelScaleTag of 3 values");
        xStep = numbers[0], yStep = numbers[1];
        if (!TIFFGetField(tiff, kTiepointTag, &n, &numbers) || n != 6)
            Fail(messages, "no ModelTiepointTag of one tie point");
        west = numbers[3] - numbers[0] * xStep, north = numbers[4] + numbers[1] * yStep;
    }
    if (pixelIsArea) west += xStep / 2, north -= yStep / 2;
    if (!(xStep > 0)) Fail(messages, "pixel width " + Number(xStep) + ", not positive");
    if (!(yStep != 0)) Fail(messages, "pixel height 0");
    const bool fromSouth = yStep < 0;
    Nodes nodes;
    nodes.extent = {.south = fromSouth ? north : north - (height - 1.0) * yStep,
                    .west = west,
                    .latitudeStep = std::fabs(yStep),
                    .longitudeStep = xStep,
                    .rows = static_cast<int>(height),
                    .columns = static_cast<int>(width)};
    CheckExtent(nodes.extent, "GeoTIFF");

    // GDAL's nodata (compared as a float, as PROJ does) and the band's offset and scale.
    bool hasNodata = false;
    double nodata = 0, offset = 0, scale = 1;
    const char* text = nullptr;
    if (TIFFGetField(tiff, kGdalNodataTag, &text) && text) {
        std::string_view written(text);
        while (!written.empty() && std::isspace(static_cast<unsigned char>(written.back())))
            written.remove_suffix(1);
        if (!ReadNumber(written, nodata))
            Fail(messages, "unreadable GDAL_NODATA " + Quoted(written));
        hasNodata = true;
    }
    for (auto [name, value] : {std::pair{"OFFSET", &offset}, {"SCALE", &scale}}) {
        const auto found = metadata.find({band, name});
        if (found != metadata.end() &&
            !(ReadNumber(found->second, *value) && std::isfinite(*value)))
            Fail(messages, std::string("unreadable ") + name + " " + Quoted(found->second));
    }

    // The blocks: tiles, or strips of whole rows; the band's own blocks when the bands lie
    // apart (planar configuration 2), else every pixel's samples side by side.
    const bool tiled = TIFFIsTiled(tiff);
    std::uint32_t blockWidth = width, blockHeight = height;
    if (tiled) {
        TIFFGetField(tiff, TIFFTAG_TILEWIDTH, &blockWidth);
        TIFFGetField(tiff, TIFFTAG_TILELENGTH, &blockHeight);
    } else {
        TIFFGetFieldDefaulted(tiff, TIFFTAG_ROWSPERSTRIP, &blockHeight);
        blockHeight = std::min(blockHeight, height);
    }
    if (blockWidth == 0 || blockHeight == 0) Fail(messages, "blocks of no pixels");
    const std::uint64_t blockBytes = tiled ? TIFFTileSize64(tiff) : TIFFStripSize64(tiff);
    if (blockBytes == 0 || blockBytes > kMaxBlockBytes)
        Fail(messages, "blocks of " + std::to_string(blockBytes) + " bytes");
    const std::uint32_t blocks = tiled ? TIFFNumberOfTiles(tiff) : TIFFNumberOfStrips(tiff);
    std::uint64_t stored = 0;
    for (std::uint32_t k = 0; k < blocks; ++k)
        stored += TIFFGetStrileByteCount(tiff, k);
    const std::uint64_t size = type->bits / 8, decoded = count * samples * size;
    if (decoded > kMaxExpansion * stored + (1u << 20))
        Fail(messages, std::to_string(stored) + " bytes of data cannot hold " +
                           std::to_string(width) + " × " + std::to_string(height) + " pixels");

    const bool apart = planar == PLANARCONFIG_SEPARATE;
    const std::uint64_t across = (width + blockWidth - 1) / blockWidth,
                        down = (height + blockHeight - 1) / blockHeight;
    const std::uint64_t stride = apart ? 1 : samples, first = apart ? 0 : band;
    nodes.values = Allocate(count);
    std::vector<unsigned char> block(blockBytes);
    for (std::uint64_t by = 0; by < down; ++by) {
        for (std::uint64_t bx = 0; bx < across; ++bx) {
            const auto id =
                static_cast<std::uint32_t>((apart ? band * across * down : 0) + by * across + bx);
            const tmsize_t got = tiled ? TIFFReadEncodedTile(tiff, id, block.data(), block.size())
                                       : TIFFReadEncodedStrip(tiff, id, block.data(), block.size());
            const std::uint64_t rows =
                                    std::min<std::uint64_t>(blockHeight, height - by * blockHeight),
                                columns =
                                    std::min<std::uint64_t>(blockWidth, width - bx * blockWidth);
            const std::uint64_t last = ((rows - 1) * blockWidth + columns - 1) * stride + first;
            if (got < 0 || static_cast<std::uint64_t>(got) < (last + 1) * size)
                Fail(messages, "block " + std::to_string(id) + " unreadable");
            for (std::uint64_t r = 0; r < rows; ++r) {
                const std::uint64_t row = by * blockHeight + r;
                float* into = nodes.values.data() + (fromSouth ? row : height - 1 - row) * width +
                              bx * blockWidth;
                const unsigned char* from = block.data() + (r * blockWidth * stride + first) * size;
                for (std::uint64_t c = 0; c < columns; ++c) {
                    const double raw = type->read(from + c * stride * size);
                    // Nodata and NaN hold no value, nor what a float cannot hold.
                    const bool none = hasNodata && ToFloat(raw) == ToFloat(nodata);
                    into[c] = none ? std::numeric_limits<float>::quiet_NaN()
                                   : ToFloat(raw * scale + offset);
                }
            }
        }
    }

    // Grids further on, as PROJ's subgrids, are not read: refused rather than left out.
    // Reduced-resolution images (overviews) and grids without the geoid band are no grids.
    while (TIFFReadDirectory(tiff)) {
        std::uint32_t subfile = 0;
        TIFFGetField(tiff, TIFFTAG_SUBFILETYPE, &subfile);
        std::uint16_t more = 1;
        TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &more);
        if ((subfile == 0 || subfile == FILETYPE_PAGE) && GeoidBand(GdalMetadata(tiff), more) >= 0)
            Fail(messages, "more than one grid (subgrids are not read)");
    }
    return nodes;
}

}  // namespace systems::geoid
