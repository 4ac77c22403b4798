// A GIS or CAD file through GDAL: every layer (or those asked for) copied into a new dataset of
// the output's format with its fields and styles, every vertex of every geometry converted by
// coordconv's route, the target's CRS recorded. Nothing is written unless the whole run
// succeeds (output_place.h); with keepGoing a feature with a faulty vertex is left out, said,
// and the rest written.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "batch/conversion_options.h"

namespace formats {

struct GisRequest {
    // The systems, parameters and zone; keepGoing; columns: a table's coordinate fields.
    batch::ConversionOptions conversion;
    std::string input, output;
    std::string inputFormat;          // a GDAL driver; "": GDAL's choice
    std::string outputFormat;         // a GDAL driver; "": the output's extension's
    std::vector<std::string> layers;  // none: every layer (a GPX file's waypoints, routes, tracks)
};

enum class GisOutcome {
    Done,
    BadInput,      // a faulty vertex or coordinate (without keepGoing)
    Usage,         // a request the formats cannot serve: the message says what to ask instead
    NoInput,       // the input cannot be opened, or holds no layer asked for
    CannotCreate,  // GDAL refuses the output, a layer, a field or a feature
    WriteFailed,   // the output could not be finished or put in place
    Cancelled,
};

// What a run says of a layer or of one of its features, in parts, so that a window can say it
// in its own words; Text() as coordconv-cli says it.
struct FeatureNote {
    enum class Kind {
        Warning,  // the run goes on, the feature written
        LeftOut,  // a fault of the feature's, which keepGoing leaves out
        Fault,    // a fault that ends the run
    };
    Kind kind = Kind::Warning;
    std::string input;  // the file
    std::string layer;
    std::optional<std::int64_t> fid;  // none: the note is the layer's
    std::uint64_t vertex = 0;         // 0: none named (a table's point, or the whole feature)
    std::string text;                 // what, in English (the route's words in its language)

    // "IN: layer "L", feature F, vertex V: warning: TEXT"; "...: TEXT; the feature is left out".
    std::string Text() const;
};

struct GisResult {
    GisOutcome outcome = GisOutcome::Done;
    std::string message;  // what ended the run, naming the file, the layer and the feature
    std::optional<FeatureNote> fault;  // the same in parts, where a feature's fault ended it
    std::uint64_t features = 0;        // written
    std::uint64_t vertices = 0;        // converted
    std::uint64_t dropped = 0;         // left out (keepGoing)
};

// What a run says as it goes.
class GisObserver {
  public:
    virtual ~GisObserver() = default;
    // A message of GDAL's, or of the run's about the files.
    virtual void Say(const std::string&) {}
    // A warning about a layer or a feature, or a feature left out.
    virtual void Note(const FeatureNote& note) { Say(note.Text()); }
    virtual void Progress(std::uint64_t /*features*/, std::uint64_t /*vertices*/) {}
    // Every feature is written; GDAL finishes the file (a GeoPackage's spatial index: most of
    // a large file's time).
    virtual void Finishing() {}
    // Asked between features, and once the file is finished; true ends the run, nothing
    // written.
    virtual bool Cancelled() { return false; }
};

GisResult ConvertGisFile(const GisRequest& request, GisObserver& observer);

}  // namespace formats
