#include "batch/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace batch {

OutputFile::OutputFile(const std::string& name) : target_(name) {
    struct stat about {};
    if (stat(name.c_str(), &about) == 0 && !S_ISREG(about.st_mode)) {
        fd_ = open(name.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
        return;
    }
    if (char* resolved = realpath(name.c_str(), nullptr)) {
        target_ = resolved;
        std::free(resolved);
    }
    partial_ = target_ + ".partial-" + std::to_string(getpid());
    fd_ = open(partial_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
}

OutputFile::~OutputFile() {
    if (fd_ < 0) return;
    close(fd_);
    if (!partial_.empty()) unlink(partial_.c_str());
}

bool OutputFile::Commit() {
    const int fd = fd_;
    fd_ = -1;
    const bool closed = close(fd) == 0;
    if (partial_.empty()) return closed;
    if (closed && std::rename(partial_.c_str(), target_.c_str()) == 0) return true;
    unlink(partial_.c_str());
    return false;
}

}  // namespace batch
