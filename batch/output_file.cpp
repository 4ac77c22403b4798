#include "batch/output_file.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace batch {

namespace {

// Symbolic links followed from the name, as many as the kernel follows (MAXSYMLINKS).
constexpr int kMostLinks = 40;

// The partial file the signal handler removes: its path, and whether it is set (an atomic
// free of locks, safe in a handler).
char g_partial[PATH_MAX];
enum : int { kFree, kClaimed, kSet };
std::atomic<int> g_partialState{kFree};
static_assert(std::atomic<int>::is_always_lock_free);

void RemovePartialAndResignal(int signal) {
    if (g_partialState.load() == kSet) unlink(g_partial);
    struct sigaction standard {};
    standard.sa_handler = SIG_DFL;
    sigaction(signal, &standard, nullptr);
    raise(signal);  // delivered, and ends the process, when the handler returns
}

// "." for a name without a directory.
std::string DirectoryOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The descriptor that name stands for when it is one of this process's own (/dev/stdout,
// /dev/fd/N, /proc/self/fd/N, /proc/PID/fd/N); -1 otherwise. Opening such a name anew would
// reach the file behind the descriptor, not the descriptor with its offset and append mode.
int OwnDescriptor(const std::string& name) {
    std::error_code ignored;
    const std::string path = std::filesystem::absolute(name, ignored).lexically_normal().string();
    if (path == "/dev/stdin") return STDIN_FILENO;
    if (path == "/dev/stdout") return STDOUT_FILENO;
    if (path == "/dev/stderr") return STDERR_FILENO;
    for (const std::string& directory :
         {std::string("/dev/fd/"), std::string("/proc/self/fd/"),
          std::string("/proc/thread-self/fd/"), "/proc/" + std::to_string(getpid()) + "/fd/"}) {
        if (path.size() <= directory.size() || path.compare(0, directory.size(), directory) != 0)
            continue;
        int fd = -1;
        const char* end = path.data() + path.size();
        const auto [at, error] = std::from_chars(path.data() + directory.size(), end, fd);
        if (error == std::errc() && at == end) return fd;
    }
    return -1;
}

// The process's umask, read without setting it (umask() would race other threads' files).
mode_t CurrentUmask() {
    if (FILE* status = std::fopen("/proc/self/status", "re")) {
        char line[256];
        unsigned mask = 0;
        while (std::fgets(line, sizeof line, status)) {
            if (std::sscanf(line, "Umask: %o", &mask) == 1) {
                std::fclose(status);
                return static_cast<mode_t>(mask);
            }
        }
        std::fclose(status);
    }
    const mode_t mask = umask(022);
    umask(mask);
    return mask;
}

}  // namespace

int FollowSymbolicLinks(std::string& path, int& own) {
    for (int links = 0;; ++links) {
        own = OwnDescriptor(path);
        struct stat link {};
        if (own >= 0 || lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) return 0;
        if (links == kMostLinks) return ELOOP;
        char next[PATH_MAX];
        const ssize_t length = readlink(path.c_str(), next, sizeof next);
        if (length < 0) return errno;
        if (static_cast<std::size_t>(length) == sizeof next) return ENAMETOOLONG;
        path = next[0] == '/' ? std::string(next, length)
                              : DirectoryOf(path) + "/" + std::string(next, length);
    }
}

OutputFile::OutputFile(const std::string& name) : target_(name) {
    std::string path = name;
    int own = -1;
    if (const int error = FollowSymbolicLinks(path, own); error != 0) {
        Fail(Failure::System, error);
        return;
    }
    if (own >= 0) {
        fd_ = fcntl(own, F_DUPFD_CLOEXEC, 0);
        if (fd_ < 0) Fail(Failure::System, errno);
        return;
    }
    target_ = path;
    // The partial file's name is short; the target's own must fit where it will be renamed.
    if (path.size() - path.find_last_of('/') - 1 > NAME_MAX) {
        Fail(Failure::System, ENAMETOOLONG);
        return;
    }

    struct stat about {};
    existed_ = stat(path.c_str(), &about) == 0;
    if (existed_ && !S_ISREG(about.st_mode)) {
        fd_ = open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
        if (fd_ < 0) Fail(Failure::System, errno);
        return;
    }
    if (existed_) {
        int error = 0;
        if (const Failure refusal = ReplacementRefusal(path, about, error);
            refusal != Failure::None) {
            Fail(refusal, error);
            return;
        }
        // The permission bits: set-id bits do not belong on a file of results.
        mode_ = about.st_mode & 0777;
        owner_ = about.st_uid;
        group_ = about.st_gid;
    } else {
        mode_ = 0666 & ~CurrentUmask();
    }

    // Private, and a name nobody can have prepared (O_EXCL, no symbolic link followed); short,
    // so that a target whose name is as long as names may be still gets one.
    std::string pattern = directory() + "/.coordconv-XXXXXX";
    fd_ = mkostemp(pattern.data(), O_CLOEXEC | O_NOFOLLOW);
    if (fd_ < 0) {
        const int why = errno;
        Fail(why == EACCES || why == EPERM || why == EROFS ? Failure::ReadOnlyDirectory
                                                           : Failure::System,
             why);
        return;
    }
    partial_ = pattern;
    int unclaimed = kFree;
    if (partial_.size() < sizeof g_partial &&
        g_partialState.compare_exchange_strong(unclaimed, kClaimed)) {
        std::memcpy(g_partial, partial_.c_str(), partial_.size() + 1);
        g_partialState.store(kSet);
        registered_ = true;
    }
}

OutputFile::~OutputFile() {
    if (fd_ < 0) return;
    close(fd_);
    if (partial_.empty()) return;
    unlink(partial_.c_str());
    Forget();
}

std::string OutputFile::directory() const {
    return DirectoryOf(target_);
}

void OutputFile::Fail(Failure failure, int error) {
    failure_ = failure;
    error_ = error;
    errno = error;
}

void OutputFile::Forget() {
    if (registered_) g_partialState.store(kFree);
    registered_ = false;
}

bool OutputFile::Commit() {
    const int fd = fd_;
    fd_ = -1;
    if (partial_.empty()) return close(fd) == 0;
    // The old file's owner where the process may (a user may still give one of its groups),
    // then its mode (a change of owner may clear bits); synced before the rename, so that a
    // power loss cannot leave the name to an empty file.
    if (existed_ && fchown(fd, owner_, group_) != 0 && fchown(fd, -1, group_) != 0) {
        // not the process's to give: the file stays its own
    }
    bool done = fchmod(fd, mode_) == 0 && fsync(fd) == 0;
    int why = errno;
    if (close(fd) != 0 && done) {
        done = false;
        why = errno;
    }
    if (done && std::rename(partial_.c_str(), target_.c_str()) != 0) {
        done = false;
        why = errno;
    }
    if (!done) unlink(partial_.c_str());
    Forget();
    if (!done) {
        errno = why;
        return false;
    }
    // The rename itself reaches the disk with the directory.
    if (const int directory = open(this->directory().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        directory >= 0) {
        [[maybe_unused]] const int synced = fsync(directory);
        close(directory);
    }
    return true;
}

std::string OutputFile::Reason(Failure failure, const std::string& directory, int error) {
    switch (failure) {
        case Failure::ReadOnlyFile:
            return "the file is read-only";
        case Failure::ReadOnlyDirectory:
            return "the directory " + directory + " is not writable";
        case Failure::OtherOwner:
            return "the file belongs to another user, and the new one would be yours";
        case Failure::System:
        case Failure::None:
            break;
    }
    return std::strerror(error);
}

OutputFile::Failure ReplacementRefusal(const std::string& path, const struct stat& about,
                                       int& error) {
    const bool mayWrite = faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
    if (!mayWrite || (about.st_mode & 0222) == 0) {
        error = mayWrite ? EACCES : errno;
        return OutputFile::Failure::ReadOnlyFile;
    }
    if (about.st_uid != geteuid() && geteuid() != 0) {
        error = EPERM;
        return OutputFile::Failure::OtherOwner;
    }
    return OutputFile::Failure::None;
}

void RemovePartialFileOnSignals() {
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
        struct sigaction old {};
        if (sigaction(signal, nullptr, &old) != 0 || old.sa_handler == SIG_IGN) continue;
        struct sigaction removing {};
        removing.sa_handler = RemovePartialAndResignal;
        sigemptyset(&removing.sa_mask);
        sigaction(signal, &removing, nullptr);
    }
}

}  // namespace batch
