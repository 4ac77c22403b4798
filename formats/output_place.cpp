#include "formats/output_place.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

namespace formats {

namespace {

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

}  // namespace

bool SameFile(const std::string& a, const std::string& b) {
    struct stat first {
    }, second{};
    return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

OutputPlace::OutputPlace(const std::string& target) {
    const std::size_t slash = target.find_last_of('/');
    directory_ = slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);
    prefix_ = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    std::string pattern = prefix_ + ".coordconv-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
        error_ = errno;
        return;
    }
    private_ = pattern;
    path_ = private_ + "/" + name;
}

OutputPlace::~OutputPlace() {
    if (private_.empty()) return;
    std::error_code ignored;
    std::filesystem::remove_all(private_, ignored);
}

OutputPlace::Refusal OutputPlace::Commit(const std::vector<std::string>& inputs,
                                         std::string& what) {
    const std::vector<std::string> names = Entries(private_);
    for (const std::string& name : names) {
        const std::string target = prefix_ + name;
        struct stat about {};
        if (lstat(target.c_str(), &about) != 0) continue;
        what = target;
        if (S_ISDIR(about.st_mode)) return Refusal::Directory;
        for (const std::string& input : inputs)
            if (SameFile(input, target)) return Refusal::IsInput;
    }
    for (const std::string& name : names) {
        const std::string target = prefix_ + name;
        if (rename((private_ + "/" + name).c_str(), target.c_str()) != 0) {
            what = target;
            return Refusal::System;
        }
    }
    rmdir(private_.c_str());
    private_.clear();
    return Refusal::None;
}

}  // namespace formats
