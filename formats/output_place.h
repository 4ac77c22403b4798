// A GIS dataset that takes its name only when the whole run succeeds. GDAL writes it into a new
// private directory beside the target (".coordconv-XXXXXX"), under the target's own name; at
// the end each entry there (the file; a Shapefile's .shp, .shx, .dbf, .prj and .cpg; the
// directory of a multi-layer Shapefile) is renamed into the target's directory. Whatever a
// failed or cancelled run wrote goes with the private directory.
// As with text results (batch/output_file.h), a symbolic link keeps pointing where it did (the
// file it names is written), a file replaced keeps its mode and owner, and a file of another
// user or a read-only one is refused. A name that is no regular file (a FIFO, a device, a
// descriptor of this process) is refused: GDAL writes a dataset by name, seeking and reopening;
// so is an existing directory (a directory of Shapefiles is written anew, not into an old one).
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "batch/output_file.h"

namespace formats {

class OutputPlace {
  public:
    // Makes the private directory; path() is empty when the target is refused or that fails
    // (Why() says why). companions: the extensions of the other files of a dataset named as
    // the target (formats.h).
    explicit OutputPlace(const std::string& target,
                         std::span<const std::string_view> companions = {});
    // Removes the private directory and what Commit did not put in place.
    ~OutputPlace();
    OutputPlace(const OutputPlace&) = delete;
    OutputPlace& operator=(const OutputPlace&) = delete;

    // Where GDAL is to write the dataset.
    const std::string& path() const { return path_; }
    // Why path() is empty: the name, then the reason ("out.gpkg: cannot write: ...").
    std::string Why() const;

    enum class Refusal { None, IsInput, Directory, Replacement, System };
    // Renames every entry into place, and removes the old dataset's companions the new one has
    // not. Refused before any is moved when one would replace a file
    // of `inputs` (the same file, by device and inode), a directory, or a file that may not be
    // replaced; `what` names it and says why.
    Refusal Commit(const std::vector<std::string>& inputs, std::string& what);

  private:
    std::string name_;       // as given
    std::string directory_;  // the target's, where its symbolic links lead
    std::string prefix_;     // the target's name up to its file name ("" or "dir/")
    std::string private_;    // ours, "" once removed
    std::string path_;
    std::string stem_;  // the target's file name without its extension
    std::vector<std::string> companions_;
    batch::OutputFile::Failure failure_ = batch::OutputFile::Failure::None;
    std::string failureText_;  // a reason of our own, where failure_ is System
    int error_ = 0;
};

// True when the two names are one file (device and inode); false when either is missing.
bool SameFile(const std::string& a, const std::string& b);

// Removes the private directory of every OutputPlace in use, with whatever GDAL has written
// there: for a process about to end on a signal. From a thread of its own, never from a signal
// handler; a Commit under way finishes first.
void RemoveUnfinishedOutputs();

}  // namespace formats
