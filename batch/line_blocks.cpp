#include "batch/line_blocks.h"

#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace batch {

namespace {

// A block's bytes: a full block plus the partial line that may have to wait for the next.
// The buffers start small and grow to that once an input fills them, so that a short input
// (a pipe of a few lines, a fuzzer's input) costs no megabytes.
constexpr std::size_t kCapacity = BlockBytes + MaxLineLength + 1;
constexpr std::size_t kFirstCapacity = 16 * 1024;

}  // namespace

LineBlock::LineBlock() : input(kFirstCapacity) {}

BlockReader::BlockReader(int fd) : fd_(fd), carry_(kFirstCapacity) {
    struct stat about {};
    if (fstat(fd, &about) != 0) return;
    interactive_ = S_ISFIFO(about.st_mode) || S_ISCHR(about.st_mode) || S_ISSOCK(about.st_mode);
    const off_t start = lseek(fd, 0, SEEK_CUR);
    if (S_ISREG(about.st_mode) && start >= 0 && about.st_size > start)
        bytesExpected_ = static_cast<std::uint64_t>(about.st_size - start);
}

bool BlockReader::Next(LineBlock& block) {
    block.input.Reserve(carried_, 0);
    char* data = block.input.data();
    std::size_t size = carried_;
    std::memcpy(data, carry_.data(), carried_);
    carried_ = 0;
    // A point typed, or appended to a file followed by tail -f, goes on once its line has
    // ended and nothing more is ready; a file or a busy pipe fills whole blocks.
    waiting_ = false;
    bool lineEnded = interactive_ && std::memchr(data, '\n', size) != nullptr;
    while (size < BlockBytes && !ended_) {
        if (lineEnded && !InputReady() && !Incomplete(data, size)) {
            waiting_ = true;
            break;
        }
        if (size == block.input.size()) {
            block.input.Reserve(kCapacity, size);
            data = block.input.data();
        }
        const std::size_t got = Read(data + size, block.input.size() - size);
        if (interactive_ && !lineEnded) lineEnded = std::memchr(data + size, '\n', got) != nullptr;
        size += got;
    }

    // Cut after the last whole line (at the end of the input the last line needs no '\n'),
    // or after BlockLines lines; what follows waits for the next block.
    std::uint64_t lines = 0;
    const char* cut = data;
    for (const char* end = data + size; lines < BlockLines; ++lines) {
        const char* newline = static_cast<const char*>(std::memchr(cut, '\n', end - cut));
        if (!newline) break;
        cut = newline + 1;
    }
    block.endsWithOverlongLine = false;
    const std::size_t partial = data + size - cut;  // bytes of a line not ended yet
    if (lines < BlockLines && partial > 0) {
        if (shortened_) {  // a line cut where another program truncated the file: dropped
            size = cut - data;
        } else if (ended_) {  // the last line, without its '\n'
            cut += partial;
            ++lines;
        } else if (partial > MaxLineLength) {  // too long already: dropped
            block.endsWithOverlongLine = true;
            ++lines;
            size = cut - data;
            SkipRestOfLine();
        }
    }
    carry_.Reserve(carried_ + (data + size - cut), carried_);
    std::memcpy(carry_.data() + carried_, cut, data + size - cut);
    carried_ += data + size - cut;

    block.text = std::string_view(data, cut - data);
    block.firstLine = nextLine_;
    block.lines = lines;
    nextLine_ += lines;
    return lines > 0;
}

std::size_t BlockReader::Read(char* to, std::size_t room) {
    while (true) {
        const ssize_t got = read(fd_, to, room);
        if (got > 0) {
            bytesRead_ += static_cast<std::size_t>(got);
            return static_cast<std::size_t>(got);
        }
        if (got < 0 && errno == EINTR) continue;
        ended_ = true;
        if (got < 0) error_ = errno;
        shortened_ = got == 0 && bytesRead_ < bytesExpected_;  // truncated by someone else
        return 0;
    }
}

bool BlockReader::Incomplete(const char* data, std::size_t size) const {
    if (!incomplete_) return false;
    const std::string_view text(data, size);
    return incomplete_(text.substr(0, text.rfind('\n') + 1), nextLine_);
}

bool BlockReader::InputReady() const {
    pollfd input{fd_, POLLIN, 0};
    return poll(&input, 1, 0) != 0;  // an error too: the next read says what it is
}

// Drops the rest of an overlong line, up to and including its '\n'; what follows is carried.
void BlockReader::SkipRestOfLine() {
    carry_.Reserve(kCapacity, 0);
    while (!ended_) {
        const std::size_t got = Read(carry_.data(), kCapacity);
        if (const void* newline = std::memchr(carry_.data(), '\n', got)) {
            const std::size_t after = static_cast<const char*>(newline) - carry_.data() + 1;
            std::memmove(carry_.data(), carry_.data() + after, got - after);
            carried_ = got - after;
            return;
        }
    }
}

}  // namespace batch
