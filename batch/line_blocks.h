// An input cut into blocks of whole, numbered lines, so that each block can be converted on
// its own (in parallel with the others) and the results written in input order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <string_view>

namespace batch {

// Longest line taken whole, in bytes; a longer line is an error of its own.
inline constexpr std::size_t MaxLineLength = 64 * 1024;

// A block holds about this many bytes of input, and at most BlockLines lines, which bounds
// what its conversion writes whatever the lines are.
inline constexpr std::size_t BlockBytes = 1 << 20;
inline constexpr std::uint64_t BlockLines = 1 << 17;

// Bytes left uninitialised: always written before they are read.
class Bytes {
  public:
    explicit Bytes(std::size_t size) : bytes_(new char[size]), size_(size) {}
    char* data() { return bytes_.get(); }
    const char* data() const { return bytes_.get(); }
    std::size_t size() const { return size_; }
    // Room for at least `size` bytes, the first `kept` of them as they were.
    void Reserve(std::size_t size, std::size_t kept) {
        if (size <= size_) return;
        Bytes larger(size);
        std::memcpy(larger.data(), data(), kept);
        *this = std::move(larger);
    }

  private:
    std::unique_ptr<char[]> bytes_;
    std::size_t size_;
};

struct LineBlock {
    LineBlock();

    // Whole lines; the last one lacks its '\n' only at the end of the input.
    std::string_view text;
    std::uint64_t firstLine = 1;  // the number of the first line of text
    std::uint64_t lines = 0;      // lines in the block, the overlong one included
    // A line longer than MaxLineLength follows text (its bytes were dropped).
    bool endsWithOverlongLine = false;

    Bytes input;
};

// Reads a file descriptor a block at a time. From a pipe or a terminal a block ends early, after
// its last whole line, when no more input is ready.
class BlockReader {
  public:
    explicit BlockReader(int fd);

    // Fills block with the lines that follow the previous block's; false at the end.
    bool Next(LineBlock& block);
    // From a pipe or a terminal, a block goes on past a moment of no input while `incomplete`
    // holds for its whole lines so far (text, the number of its first line).
    void WaitWhile(std::function<bool(std::string_view, std::uint64_t)> incomplete) {
        incomplete_ = std::move(incomplete);
    }
    // True once the input has ended (the block just read is the last one when nothing is
    // left over).
    bool AtEnd() const { return ended_ && carried_ == 0; }
    // The block just read ended early: nothing more was ready (pipes and terminals only).
    bool waiting() const { return waiting_; }
    // The read failed (errno as it was then, or 0: a regular file ended before bytesExpected);
    // the input counts as ended.
    bool failed() const { return error_ != 0 || shortened_; }
    int error() const { return error_; }
    std::uint64_t bytesRead() const { return bytesRead_; }
    // What a regular file held from where reading began, when the reader was made; else 0.
    std::uint64_t bytesExpected() const { return bytesExpected_; }

  private:
    std::size_t Read(char* to, std::size_t room);
    void SkipRestOfLine();
    bool InputReady() const;
    bool Incomplete(const char* data, std::size_t size) const;

    int fd_;
    Bytes carry_;  // bytes read past the previous block
    std::size_t carried_ = 0;
    std::uint64_t nextLine_ = 1;
    std::uint64_t bytesRead_ = 0;
    std::uint64_t bytesExpected_ = 0;
    bool interactive_ = false;  // a pipe, a terminal: input arrives as others write it
    std::function<bool(std::string_view, std::uint64_t)> incomplete_;
    bool waiting_ = false;
    bool ended_ = false;
    bool shortened_ = false;
    int error_ = 0;
};

}  // namespace batch
