#include "formats/output_place.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <set>

namespace formats {

namespace {

using Failure = batch::OutputFile::Failure;

// The private directories in use, for RemoveUnfinishedOutputs; the lock also keeps a Commit
// whole.
std::mutex g_placesLock;
std::set<std::string>& Places() {
    static std::set<std::string> places;
    return places;
}

std::vector<std::string> Entries(const std::string& directory) {
    std::vector<std::string> names;
    if (DIR* dir = opendir(directory.c_str())) {
        while (const dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..") names.push_back(name);
        }
        closedir(dir);
    }
    return names;
}

// A file's data on the disk before its rename gives it the name: a power loss cannot leave the
// name to an empty file.
bool Sync(const std::string& path, int flags) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | flags);
    if (fd < 0) return false;
    const bool synced = fsync(fd) == 0;
    close(fd);
    return synced;
}

constexpr const char* kNotRegular =
    "not a regular file: GDAL writes a GIS file by its name, seeking and reopening it";

}  // namespace

bool SameFile(const std::string& a, const std::string& b) {
    struct stat first {
    }, second{};
    return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

OutputPlace::OutputPlace(const std::string& target, std::span<const std::string_view> companions)
    : name_(target), companions_(companions.begin(), companions.end()) {
    std::string path = target;
    int own = -1;
    if (const int error = batch::FollowSymbolicLinks(path, own); error != 0) {
        failure_ = Failure::System;
        error_ = error;
        return;
    }
    if (own >= 0) {
        failure_ = Failure::System;
        failureText_ = "a descriptor of this process: GDAL writes a GIS file by its name";
        return;
    }
    const std::size_t slash = path.find_last_of('/');
    directory_ = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    prefix_ = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    struct stat about {};
    if (stat(path.c_str(), &about) == 0) {
        if (S_ISREG(about.st_mode)) {
            failure_ = batch::ReplacementRefusal(path, about, error_);
            if (failure_ != Failure::None) return;
        } else {
            failure_ = Failure::System;
            failureText_ = S_ISDIR(about.st_mode)
                               ? "it is a directory: remove it first, or name another output"
                               : kNotRegular;
            return;
        }
    }
    const std::string name = path.substr(prefix_.size());
    stem_ = name.substr(0, std::min(name.find_last_of('.'), name.size()));
    std::string pattern = prefix_ + ".coordconv-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
        error_ = errno;
        failure_ = error_ == EACCES || error_ == EPERM || error_ == EROFS
                       ? Failure::ReadOnlyDirectory
                       : Failure::System;
        return;
    }
    private_ = pattern;
    path_ = private_ + "/" + path.substr(prefix_.size());
    const std::lock_guard lock(g_placesLock);
    Places().insert(private_);
}

OutputPlace::~OutputPlace() {
    if (private_.empty()) return;
    const std::lock_guard lock(g_placesLock);
    Places().erase(private_);
    std::error_code ignored;
    std::filesystem::remove_all(private_, ignored);
}

std::string OutputPlace::Why() const {
    return name_ + ": cannot write: " +
           (failureText_.empty() ? batch::OutputFile::Reason(failure_, directory_, error_)
                                 : failureText_);
}

OutputPlace::Refusal OutputPlace::Commit(const std::vector<std::string>& inputs,
                                         std::string& what) {
    const std::lock_guard lock(g_placesLock);
    if (Places().count(private_) == 0) {  // removed: the process is ending on a signal
        what = name_ + ": cannot write: the run was interrupted";
        return Refusal::System;
    }
    struct Entry {
        std::string from, to;
        bool replaces = false;
        struct stat old {};
    };
    std::vector<Entry> entries;
    for (const std::string& name : Entries(private_)) {
        Entry& entry = entries.emplace_back();
        entry.from = private_ + "/" + name;
        entry.to = prefix_ + name;
        int own = -1;
        if (const int error = batch::FollowSymbolicLinks(entry.to, own); error != 0 || own >= 0) {
            what = entry.to + ": cannot write: " + (own >= 0 ? kNotRegular : std::strerror(error));
            return Refusal::Replacement;
        }
        if (stat(entry.to.c_str(), &entry.old) != 0) continue;
        entry.replaces = true;
        if (S_ISDIR(entry.old.st_mode)) {
            what = entry.to + ": is a directory; remove it first, or name another output";
            return Refusal::Directory;
        }
        for (const std::string& input : inputs) {
            if (SameFile(input, entry.to)) {
                what = entry.to + ": is also an input; write the results to another file";
                return Refusal::IsInput;
            }
        }
        int error = 0;
        const Failure refusal = S_ISREG(entry.old.st_mode)
                                    ? batch::ReplacementRefusal(entry.to, entry.old, error)
                                    : Failure::System;
        if (refusal != Failure::None) {
            what = entry.to + ": cannot write: " +
                   (refusal == Failure::System
                        ? kNotRegular
                        : batch::OutputFile::Reason(refusal, directory_, error));
            return Refusal::Replacement;
        }
    }
    for (const Entry& entry : entries) {
        struct stat made {};
        const bool file = lstat(entry.from.c_str(), &made) == 0 && S_ISREG(made.st_mode);
        // The old file's owner where the process may (a user may still give one of its
        // groups), then its permission bits (a change of owner may clear them).
        if (entry.replaces && file) {
            if (chown(entry.from.c_str(), entry.old.st_uid, entry.old.st_gid) != 0 &&
                chown(entry.from.c_str(), -1, entry.old.st_gid) != 0) {
                // not the process's to give: the file stays its own
            }
            chmod(entry.from.c_str(), entry.old.st_mode & 0777);
        }
        if ((file && !Sync(entry.from, 0)) || rename(entry.from.c_str(), entry.to.c_str()) != 0) {
            what = entry.to + ": cannot put it in place: " + std::strerror(errno);
            return Refusal::System;
        }
    }
    for (const std::string& companion : companions_) {
        const std::string name = stem_ + "." + companion;
        const std::string old = prefix_ + name;
        struct stat about {};
        if (std::none_of(entries.begin(), entries.end(),
                         [&](const Entry& entry) { return entry.to == old; }) &&
            lstat(old.c_str(), &about) == 0 && S_ISREG(about.st_mode)) {
            unlink(old.c_str());
        }
    }
    Sync(directory_, O_DIRECTORY);  // the renames reach the disk with the directory
    rmdir(private_.c_str());
    Places().erase(private_);
    private_.clear();
    return Refusal::None;
}

void RemoveUnfinishedOutputs() {
    const std::lock_guard lock(g_placesLock);
    for (const std::string& place : Places()) {
        std::error_code ignored;
        std::filesystem::remove_all(place, ignored);
    }
    Places().clear();
}

}  // namespace formats
