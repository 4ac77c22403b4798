// A file that gets results only from a whole run: they are written to a new file beside
// it, which takes its name at the end, so a failed or cancelled run leaves no partial file.
// A name that exists and is no regular file (/dev/null, a pipe, a terminal) is written in
// place: renaming over it would replace the device with a file. A symbolic link keeps
// pointing at its file.
#pragma once

#include <string>

namespace batch {

class OutputFile {
  public:
    // Opens the file to write; fd() is negative when that fails (errno says why).
    explicit OutputFile(const std::string& name);
    // Removes what Commit did not put in place.
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    int fd() const { return fd_; }
    // Closes the file and gives it its name; false with errno set when that fails.
    bool Commit();

  private:
    std::string target_;
    std::string partial_;  // "" when written in place
    int fd_ = -1;
};

}  // namespace batch
