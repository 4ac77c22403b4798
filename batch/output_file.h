// A file that gets results only from a whole run: they are written to a new file beside
// it, which takes its name at the end, so a failed or cancelled run leaves no partial file.
// The new file gets the old one's mode and owner (a file of another user is refused unless the
// process may give it back: the new one would be the writer's); a file with
// other hard links is replaced under this name only. A symbolic link, dangling or not, keeps
// pointing where it did: the file it names is written. A name that exists and is no regular
// file (/dev/null, a pipe, a terminal) is written in place, and a descriptor of this process
// (/dev/stdout, /dev/fd/N, /proc/self/fd/N) is written through that descriptor: renaming over
// either would replace a device or the shell's log with a file.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <string>

namespace batch {

class OutputFile {
  public:
    // Why fd() is negative.
    enum class Failure { None, ReadOnlyFile, ReadOnlyDirectory, OtherOwner, System };
    // Why, in words ("the file is read-only"); directory: the one the file is written in.
    static std::string Reason(Failure failure, const std::string& directory, int error);

    // Opens the file to write; fd() is negative when that fails (failure() and error() say why).
    explicit OutputFile(const std::string& name);
    // Removes what Commit did not put in place.
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    int fd() const { return fd_; }
    Failure failure() const { return failure_; }
    int error() const { return error_; }  // errno of the failure
    // The file written (where the name's symbolic links lead), and its directory.
    const std::string& target() const { return target_; }
    std::string directory() const;
    // True when the results replace a file only at Commit (false: written in place).
    bool replaces() const { return !partial_.empty(); }
    bool existed() const { return existed_; }

    // Closes the file and gives it its name; false with errno set when that fails.
    bool Commit();

  private:
    void Fail(Failure failure, int error);
    void Forget();  // the partial file is no longer for the signal handler to remove

    std::string target_;
    std::string partial_;  // "" when written in place
    int fd_ = -1;
    Failure failure_ = Failure::None;
    int error_ = 0;
    bool existed_ = false;
    bool registered_ = false;  // partial_ is the one the signal handler removes
    mode_t mode_ = 0;          // the target's, or a new file's (0666 less the umask)
    uid_t owner_ = -1;
    gid_t group_ = -1;
};

// Follows path's symbolic links, as many as the kernel would, each relative to its own
// directory, to the name of the file a write reaches (which may not exist yet); stops at a
// descriptor of this process (own ≥ 0: /dev/stdout, /dev/fd/N, /proc/self/fd/N). Returns 0,
// or the errno that stopped it.
int FollowSymbolicLinks(std::string& path, int& own);

// Whether the existing regular file `path` (about: its stat) may be replaced by a new file
// under its name: None, or ReadOnlyFile or OtherOwner with error set. Root may write any file,
// so a mode without a write bit for anyone marks it read-only too; only root may give the new
// file the old one's owner: for anyone else it would change hands (or, in a sticky directory,
// fail only at the end).
OutputFile::Failure ReplacementRefusal(const std::string& path, const struct stat& about,
                                       int& error);

// SIGINT, SIGTERM, SIGHUP and SIGQUIT remove the partial file of the OutputFile being written (one
// at a time), then end the process as they would have. Signals ignored stay ignored.
void RemovePartialFileOnSignals();

}  // namespace batch
