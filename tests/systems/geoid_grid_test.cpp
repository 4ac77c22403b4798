// Geoid grids: interpolation computed by hand on grids the test writes (GTX, ISG), EGM96 from
// proj-data against PROJ's cs2cs, a PGM against GeographicLib's GeoidEval, GeoTIFF files
// written with libtiff in every layout against the same grid as GTX, and files refused.
#include <gtest/gtest.h>
#include <tiffio.h>
#include <unistd.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "case_file.h"
#include "systems/geoid_grid.h"
#include "systems/heights.h"

namespace systems {
namespace {

using testing_support::Meets;
using testing_support::Numbers;
using testing_support::ReadCases;
using testing_support::Split;

const float kHole = NAN;
// interpolation.cases' "regional" grid and "world" grid, rows from the south.
const GeoidGrid::Extent kRegional{50, 30, 1, 2, 3, 4};
const std::vector<float> kRegionalNodes = {1, 2, 4, 8, 16, 32, kHole, 128, 256, 512, 640, 768};
const GeoidGrid::Extent kWorld{-90, -180, 90, 90, 3, 4};
const std::vector<float> kWorldNodes = {1, 1, 1, 1, 10, 20, 30, 40, 7, 7, 7, 7};

class GeoidGridFiles : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        directory_ = std::filesystem::temp_directory_path() /
                     ("geoid_grid_test." + std::to_string(getpid()));
        std::filesystem::create_directories(directory_);
    }
    static void TearDownTestSuite() { std::filesystem::remove_all(directory_); }

    static std::string Write(const std::string& name, const std::string& bytes) {
        const std::string path = (directory_ / name).string();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    static inline std::filesystem::path directory_;
};

std::string BigEndian(std::uint64_t value, int size) {
    std::string bytes;
    for (int i = size - 1; i >= 0; --i)
        bytes += static_cast<char>(value >> (8 * i) & 0xFF);
    return bytes;
}

std::string Gtx(const GeoidGrid::Extent& e, const std::vector<float>& nodes) {
    std::string bytes;
    for (double d : {e.south, e.west, e.latitudeStep, e.longitudeStep})
        bytes += BigEndian(std::bit_cast<std::uint64_t>(d), 8);
    bytes += BigEndian(e.rows, 4) + BigEndian(e.columns, 4);
    for (float v : nodes)
        bytes += BigEndian(std::bit_cast<std::uint32_t>(std::isnan(v) ? -88.8888f : v), 4);
    return bytes;
}

// The regional grid as ISG 1.01, its header keys changed by "K=V;K=V" (see refusals.cases).
std::string Isg(const std::string& changes) {
    std::vector<std::pair<std::string, std::string>> keys;
    for (const std::string& change :
         Split("model name=regional;lat min=50.000000;lat max=52.000000;lon min=30.000000;"
               "lon max=36.000000;delta lat=1.000000;delta lon=2.000000;nrows=3;ncols=4;"
               "nodata=-9999.0000;ISG format=1.01;" +
                   changes,
               ';')) {
        const std::size_t equals = change.find('=');
        if (equals == std::string::npos) continue;
        const std::string key = change.substr(0, equals), value = change.substr(equals + 1);
        const auto found =
            std::find_if(keys.begin(), keys.end(), [&](auto& k) { return k.first == key; });
        found == keys.end() ? keys.emplace_back(key, value) : * found = {key, value};
    }
    std::string text = "ISG test grid\nbegin_of_head ===========\n", end = "end_of_head ===\n",
                data =
                    "  256.000  512.000  640.000  768.000\n   16.000   32.000 -9999.0000 128.000\n"
                    "    1.000    2.000    4.000    8.000\n";
    for (const auto& [key, value] : keys) {
        if (key == "data" || key == "end")
            (key == "data" ? data : end) = value;
        else if (!value.empty())
            text += key + " = " + value + "\n";
    }
    return text + end + data;
}

// Every point of a table "latitude longitude | ζ | …" on the grid, within the tolerance.
void ExpectPoints(const GeoidGrid& grid, const std::string& name, double tolerance) {
    const std::string table = COORDCONV_TEST_DATA "/geoid/" + name;
    for (const auto& c : ReadCases(table)) {
        SCOPED_TRACE(c.Where(table));
        const std::vector<double> point = Numbers(c.fields.at(0));
        const double value = grid.Anomaly(point.at(0), point.at(1));
        EXPECT_TRUE(Meets(value, Numbers(c.fields.at(1)).at(0), tolerance)) << value;
    }
}

TEST_F(GeoidGridFiles, InterpolationByHand) {
    Write("regional.gtx", Gtx(kRegional, kRegionalNodes));
    Write("world.gtx", Gtx(kWorld, kWorldNodes));
    Write("regional.isg", Isg(""));
    Write("dms.isg", Isg("coord units=dms;lat min=50°00'00\";lat max=52°00'00\";lon min=30°00'00\";"
                         "lon max=36°00'00\";delta lat=1°00'00\";delta lon=2°00'00\""));
    Write("cells.isg", Isg("lat min=49.5;lat max=52.5;lon min=29;lon max=37"));
    std::map<std::string, GridFile> files;
    const std::string table = COORDCONV_TEST_DATA "/geoid/interpolation.cases";
    for (const auto& c : ReadCases(table)) {
        SCOPED_TRACE(c.Where(table));
        const std::vector<double> point = Numbers(c.fields.at(1));
        const double expected = Numbers(c.fields.at(2)).at(0);
        for (const std::string& name : Split(c.fields.at(0), ' ')) {
            if (!files.count(name)) files[name] = ReadGeoidGrid((directory_ / name).string());
            const GridFile& file = files[name];
            ASSERT_TRUE(file.grid) << name << ": " << file.reason;
            const double value = file.grid->Anomaly(point.at(0), point.at(1));
            EXPECT_TRUE(Meets(value, expected, 1e-12)) << name << ": " << value;
        }
    }
    EXPECT_EQ(files["cells.isg"].format, "ISG");
    EXPECT_TRUE(files["world.gtx"].grid->GoesRound());
    EXPECT_FALSE(files["regional.gtx"].grid->GoesRound());
}

TEST(GeoidGrid, Egm96AgainstCs2cs) {
    const GridFile file = ReadGeoidGrid("/usr/share/proj/egm96_15.gtx");
    ASSERT_TRUE(file.grid) << "proj-data's EGM96: " << file.reason;
    EXPECT_EQ(file.format, "GTX");
    const GeoidGrid::Extent& e = file.grid->extent();
    EXPECT_EQ(std::vector<double>({e.south, e.west, e.latitudeStep, e.longitudeStep}),
              std::vector<double>({-90, -180, 0.25, 0.25}));
    EXPECT_EQ(e.rows * 10000 + e.columns, 721 * 10000 + 1440);
    EXPECT_TRUE(file.grid->GoesRound());
    ExpectPoints(*file.grid, "egm96.cases", 1e-6);
}

TEST_F(GeoidGridFiles, PgmAgainstGeoidEval) {
    std::string bytes = "P5\n# Offset -100\n# Scale 0.003\n36 19\n65535\n";
    for (int r = 0; r < 19; ++r) {
        for (int c = 0; c < 36; ++c)
            bytes += BigEndian((3571 * r + 1237 * c + 17 * r * c) % 65536, 2);
    }
    const GridFile file = ReadGeoidGrid(Write("ten.pgm", bytes));
    ASSERT_TRUE(file.grid) << file.reason;
    EXPECT_EQ(file.format, "PGM");
    EXPECT_TRUE(file.grid->GoesRound());
    // GeoidEval's four decimals, and the nodes held as floats (4e-6 m at 100 m).
    ExpectPoints(*file.grid, "pgm.cases", 5e-5 + 4e-6);
}

// The GeoTIFF tags the writer sets, told to libtiff as the reader tells them.
TIFFExtendProc parentExtender = nullptr;
void ExtendTags(TIFF* tiff) {
    static const TIFFFieldInfo fields[] = {
        {33550, -1, -1, TIFF_DOUBLE, FIELD_CUSTOM, 1, 1, const_cast<char*>("ModelPixelScaleTag")},
        {33922, -1, -1, TIFF_DOUBLE, FIELD_CUSTOM, 1, 1, const_cast<char*>("ModelTiepointTag")},
        {34264, -1, -1, TIFF_DOUBLE, FIELD_CUSTOM, 1, 1,
         const_cast<char*>("ModelTransformationTag")},
        {34735, -1, -1, TIFF_SHORT, FIELD_CUSTOM, 1, 1, const_cast<char*>("GeoKeyDirectoryTag")},
        {42112, -1, -1, TIFF_ASCII, FIELD_CUSTOM, 1, 0, const_cast<char*>("GDALMetadata")},
        {42113, -1, -1, TIFF_ASCII, FIELD_CUSTOM, 1, 0, const_cast<char*>("GDALNoDataValue")},
    };
    if (parentExtender) parentExtender(tiff);
    TIFFMergeFieldInfo(tiff, fields, std::size(fields));
}

// Writes the regional grid as tiff.cases' line describes it.
void WriteTiff(const std::string& path, const std::vector<std::string>& f) {
    const std::vector<std::string> blocks = Split(f[0], ' '), sample = Split(f[2], ' ');
    const std::vector<std::string> bands = Split(f[4], ' ');
    const bool tiled = blocks[0] == "tiles", fromSouth = f[3] == "south";
    const bool point = f[1] == "point", apart = bands.size() > 1 && bands[1] == "separate";
    const int count = bands[0] == "2" ? 2 : 1,
              geoid = bands.size() > 1 && bands[1] != "plain" ? 1 : 0;
    const std::string& type = sample[0];
    const int bits = std::stoi(type.substr(type.find_first_of("0123456789")));
    const int size = bits / 8;
    const double nodata = std::stod(sample[1]),
                 offset = sample.size() > 2 ? std::stod(sample[2]) : 0,
                 scale = sample.size() > 2 ? std::stod(sample[3]) : 1;
    const auto encode = [&](float v, unsigned char* into) {
        const double raw = std::isnan(v) ? nodata : (v - offset) / scale;
        const auto put = [&](auto typed) { std::memcpy(into, &typed, sizeof typed); };
        type == "float32"   ? put(static_cast<float>(raw))
        : type == "float64" ? put(raw)
        : type == "int16"   ? put(static_cast<std::int16_t>(raw))
        : type == "uint16"  ? put(static_cast<std::uint16_t>(raw))
        : type == "int32"   ? put(static_cast<std::int32_t>(raw))
                            : put(static_cast<std::int8_t>(static_cast<int>(raw)));
    };

    TIFF* tiff = TIFFOpen(path.c_str(), "w");
    ASSERT_NE(tiff, nullptr);
    for (int grid = 0; grid < (f[4] == "subgrid" ? 2 : 1); ++grid) {
        TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, 4);
        TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, 3);
        TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, count);
        TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, bits);
        TIFFSetField(tiff, TIFFTAG_SAMPLEFORMAT,
                     type[0] == 'f'   ? SAMPLEFORMAT_IEEEFP
                     : type[0] == 'u' ? SAMPLEFORMAT_UINT
                                      : SAMPLEFORMAT_INT);
        TIFFSetField(tiff, TIFFTAG_PLANARCONFIG,
                     apart ? PLANARCONFIG_SEPARATE : PLANARCONFIG_CONTIG);
        TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
        const std::string compression = blocks.back();
        TIFFSetField(tiff, TIFFTAG_COMPRESSION,
                     compression == "deflate" ? COMPRESSION_ADOBE_DEFLATE
                     : compression == "lzw"   ? COMPRESSION_LZW
                                              : COMPRESSION_NONE);
        const int rowsPerBlock = tiled ? 16 : std::stoi(blocks[1]), blockWidth = tiled ? 16 : 4;
        if (tiled) {
            TIFFSetField(tiff, TIFFTAG_TILEWIDTH, 16);
            TIFFSetField(tiff, TIFFTAG_TILELENGTH, 16);
        } else {
            TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, rowsPerBlock);
        }
        // GeoKeyDirectory 1.1.0: GTModelTypeGeoKey, GTRasterTypeGeoKey.
        std::vector<std::uint16_t> keys = {1,    1, 0, 1,
                                           1024, 0, 1, std::uint16_t(f[1] == "projected" ? 1 : 2)};
        if (f[1] != "none") keys.insert(keys.end(), {1025, 0, 1, std::uint16_t(point ? 2 : 1)});
        keys[3] = static_cast<std::uint16_t>(keys.size() / 4 - 1);
        TIFFSetField(tiff, 34735, static_cast<int>(keys.size()), keys.data());
        // The first pixel's corner (area) or the node itself (point).
        const double half = point ? 0 : 0.5, west = 30 - 2 * half;
        if (fromSouth) {
            const double matrix[16] = {2, 0, 0, west, 0, 1, 0, 50 - half, 0, 0, 0, 0, 0, 0, 0, 1};
            TIFFSetField(tiff, 34264, 16, matrix);
        } else {
            const double pixel[3] = {2, 1, 0}, tie[6] = {0, 0, 0, west, 52 + half, 0};
            TIFFSetField(tiff, 33550, 3, pixel);
            TIFFSetField(tiff, 33922, 6, tie);
        }
        std::string metadata = "<GDALMetadata>";
        if (count == 2 && bands[1] != "plain") {
            metadata +=
                "<Item name=\"DESCRIPTION\" sample=\"0\" role=\"description\">accuracy</Item>";
            metadata +=
                std::string("<Item name=\"DESCRIPTION\" sample=\"1\" role=\"description\">") +
                (bands[1] == "other" ? "error" : "geoid_undulation") + "</Item>";
        }
        if (sample.size() > 2) {
            const std::string band = std::to_string(geoid);
            metadata += "<Item name=\"OFFSET\" sample=\"" + band + "\" role=\"offset\">" +
                        sample[2] + "</Item><Item name=\"SCALE\" sample=\"" + band +
                        "\" role=\"scale\">" + sample[3] + "</Item>";
        }
        TIFFSetField(tiff, 42112, (metadata + "</GDALMetadata>").c_str());
        if (sample[1] != "nan") TIFFSetField(tiff, 42113, sample[1].c_str());

        // Block by block, each row of the file from the north unless from the south.
        const int planes = apart ? count : 1, perPixel = apart ? 1 : count;
        const int down = (3 + rowsPerBlock - 1) / rowsPerBlock;
        for (int plane = 0; plane < planes; ++plane) {
            for (int by = 0; by < down; ++by) {
                const int rows = tiled ? 16 : std::min(rowsPerBlock, 3 - by * rowsPerBlock);
                std::vector<unsigned char> block(rows * blockWidth * perPixel * size);
                for (int r = 0; r < rows && by * rowsPerBlock + r < 3; ++r) {
                    const int row = by * rowsPerBlock + r, ours = fromSouth ? row : 2 - row;
                    for (int c = 0; c < 4; ++c) {
                        for (int b = 0; b < perPixel; ++b) {
                            const int band = apart ? plane : b;
                            encode(band == geoid ? kRegionalNodes[ours * 4 + c] : 99,
                                   &block[((r * blockWidth + c) * perPixel + b) * size]);
                        }
                    }
                }
                const std::uint32_t id = plane * down + by;
                ASSERT_GE(tiled ? TIFFWriteEncodedTile(tiff, id, block.data(), block.size())
                                : TIFFWriteEncodedStrip(tiff, id, block.data(), block.size()),
                          0);
            }
        }
        TIFFWriteDirectory(tiff);
    }
    TIFFClose(tiff);
}

TEST_F(GeoidGridFiles, GeoTiffLayoutsAsGtx) {
    static const TIFFExtendProc parent = parentExtender = TIFFSetTagExtender(ExtendTags);
    (void)parent;
    const GridFile gtx = ReadGeoidGrid(Write("regional.gtx", Gtx(kRegional, kRegionalNodes)));
    ASSERT_TRUE(gtx.grid) << gtx.reason;
    const std::string table = COORDCONV_TEST_DATA "/geoid/tiff.cases";
    int line = 0;
    for (const auto& c : ReadCases(table)) {
        SCOPED_TRACE(c.Where(table));
        const std::string path = (directory_ / ("t" + std::to_string(++line) + ".tif")).string();
        WriteTiff(path, c.fields);
        const GridFile file = ReadGeoidGrid(path);
        const std::string& expected = c.fields.at(5);
        if (expected != "regional") {
            EXPECT_EQ(file.fault, GridFault::Malformed);
            EXPECT_EQ(file.reason.substr(0, expected.size()), expected) << file.reason;
            continue;
        }
        ASSERT_TRUE(file.grid) << file.reason;
        EXPECT_EQ(file.format, "GeoTIFF");
        const GeoidGrid::Extent& e = file.grid->extent();
        EXPECT_EQ(std::vector<double>({e.south, e.west, e.latitudeStep, e.longitudeStep}),
                  std::vector<double>({50, 30, 1, 2}));
        ASSERT_EQ(e.rows * 10 + e.columns, 34);
        for (int i = 0; i < 3; ++i) {
            for (int j = 0; j < 4; ++j)
                EXPECT_TRUE(Meets(file.grid->At(i, j), gtx.grid->At(i, j), 0)) << i << " " << j;
        }
    }
}

TEST_F(GeoidGridFiles, Refusals) {
    const std::string table = COORDCONV_TEST_DATA "/geoid/refusals.cases";
    for (const auto& c : ReadCases(table)) {
        SCOPED_TRACE(c.Where(table));
        const std::string& bytes = c.fields.at(0);
        const GridFile file = ReadGeoidGrid(
            Write("refused", bytes.rfind("isg ", 0) == 0 ? Isg(bytes.substr(4)) : bytes));
        const std::string& expected = c.fields.at(1);
        EXPECT_EQ(file.grid, nullptr);
        EXPECT_EQ(file.fault, GridFault::Malformed);
        EXPECT_EQ(file.reason.substr(0, expected.size()), expected) << file.reason;
    }
    const GridFile missing = ReadGeoidGrid((directory_ / "missing.gtx").string());
    EXPECT_EQ(missing.fault, GridFault::Unreadable);
    EXPECT_EQ(missing.reason, std::strerror(ENOENT));
    const GridFile folder = ReadGeoidGrid(directory_.string());
    EXPECT_EQ(folder.fault, GridFault::Unreadable);
    EXPECT_EQ(folder.reason, std::strerror(EISDIR));
}

}  // namespace
}  // namespace systems

// Where the built-in model's grid is looked for: PROJ's own variables first, each a list of
// folders apart by colons (empty ones skipped), then Debian's folder.
TEST(GeoidGrid, PlacesOfTheBuiltInGrid) {
    setenv("PROJ_DATA", "/a::/b", 1);
    setenv("PROJ_LIB", "/c", 1);
    const std::vector<std::string> places = systems::GridPlaces();
    unsetenv("PROJ_DATA");
    unsetenv("PROJ_LIB");
    EXPECT_EQ(places, (std::vector<std::string>{"/a", "/b", "/c", "/usr/share/proj"}));
}
