// A GIS dataset that takes its name only when the whole run succeeds. GDAL writes it into a new
// private directory beside the target (".coordconv-XXXXXX"), under the target's own name; at
// the end each entry there (the file; a Shapefile's .shp, .shx, .dbf, .prj and .cpg; the
// directory of a multi-layer Shapefile) is renamed into the target's directory. Whatever a
// failed or cancelled run wrote goes with the private directory.
#pragma once

#include <string>
#include <vector>

namespace formats {

class OutputPlace {
  public:
    // Makes the private directory; path() is empty when that fails (error() says why).
    explicit OutputPlace(const std::string& target);
    // Removes the private directory and what Commit did not put in place.
    ~OutputPlace();
    OutputPlace(const OutputPlace&) = delete;
    OutputPlace& operator=(const OutputPlace&) = delete;

    // Where GDAL is to write the dataset.
    const std::string& path() const { return path_; }
    int error() const { return error_; }
    // The target's directory.
    const std::string& directory() const { return directory_; }

    enum class Refusal { None, IsInput, Directory, System };
    // Renames every entry into place. Refused before any is moved when one would replace a file
    // of `inputs` (the same file, by device and inode) or a directory; `what` names it (and
    // for System, errno says why).
    Refusal Commit(const std::vector<std::string>& inputs, std::string& what);

  private:
    std::string directory_;  // the target's
    std::string prefix_;     // the target's name up to its file name ("" or "dir/")
    std::string private_;    // ours, "" once removed
    std::string path_;
    int error_ = 0;
};

// True when the two names are one file (device and inode); false when either is missing.
bool SameFile(const std::string& a, const std::string& b);

}  // namespace formats
