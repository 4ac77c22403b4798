#include "batch/stream.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "batch/line_blocks.h"
#include "batch/line_converter.h"

namespace batch {

namespace {

// Bytes written one line at a time, growing when a line needs more room.
class OutputBytes {
  public:
    // Room for at least n more bytes at the returned place.
    char* Reserve(std::size_t n) {
        if (used_ + n > bytes_.size()) {
            bytes_.Reserve(std::max({2 * BlockBytes, 2 * bytes_.size(), used_ + n}), used_);
        }
        return bytes_.data() + used_;
    }
    void Commit(char* end) { used_ = end - bytes_.data(); }
    void Append(std::string_view text) {
        char* at = Reserve(text.size());
        Commit(std::copy(text.begin(), text.end(), at));
    }
    std::string_view view() const { return {bytes_.data(), used_}; }
    void Clear() { used_ = 0; }

  private:
    // Room for a full block's results once more is needed: a short input costs no megabytes.
    Bytes bytes_{16 * 1024};
    std::size_t used_ = 0;
};

// A block of input lines and what their conversion gave.
struct Block {
    LineBlock lines;
    OutputBytes output;
    std::vector<LineNote> notes;   // warnings, and bad lines written as "# error: ..."
    LineNote stop;                 // the bad line that ends the run; line 0 when none
    std::uint64_t points = 0;      // lines converted
    std::uint64_t badLines = 0;    // "# error: …" lines written (--keep-going)
    bool converted = false;        // guarded by the workers' mutex
    std::string written, recoded;  // a line on its way into the output's encoding
};

// Converts blocks of lines; one converter serves every worker (it holds no state of a run).
class BlockConverter {
  public:
    explicit BlockConverter(const ConversionOptions& options)
        : keepGoing_(options.keepGoing), skip_(options.skip), lines_(options) {}

    // True while text, the whole lines read from firstLine on, ends within the headers or
    // before the first point line: the headers wait for it, to be named for its fields.
    bool AwaitsPoints(std::string_view text, std::uint64_t firstLine) const {
        return firstLine <= skip_ && !lines_.FirstPointLayout(text, firstLine);
    }

    // Converts the lines of block into its output, one output line for each; without
    // keepGoing the first bad line ends the block, and is its stop.
    void Convert(Block& block) const {
        block.output.Clear();
        block.notes.clear();
        block.stop = {};
        block.points = block.badLines = 0;
        std::string_view text = block.lines.text;
        std::uint64_t lineNumber = block.lines.firstLine;
        // Headers are named for the points when they split as the first point line does.
        std::optional<FieldLayout> points;
        if (lineNumber <= skip_) points = lines_.FirstPointLayout(text, lineNumber);
        ConvertedLine line;
        bool named = false;  // only the first header line that splits as the points is named
        for (; !text.empty(); ++lineNumber) {
            const std::size_t newline = std::min(text.find('\n'), text.size());
            lines_.Convert(text.substr(0, newline), lineNumber, line, points ? &*points : nullptr);
            if (line.kind == LineKind::Header && std::exchange(named, true))
                line.kind = LineKind::PassThrough;
            text.remove_prefix(std::min(newline + 1, text.size()));
            if (!Write(line, lineNumber, block)) return;
        }
        if (block.lines.endsWithOverlongLine) {
            lines_.Overlong(line);
            Write(line, lineNumber, block);
        }
    }

  private:
    // The output line of a converted line; false when it ends the block.
    bool Write(ConvertedLine& line, std::uint64_t lineNumber, Block& block) const {
        const std::string_view lineEnd = line.crlf ? "\r\n" : "\n";
        const bool recodes = lines_.Recodes();
        if (recodes && line.kind != LineKind::Error && !WriteRecoded(line, block)) {
            line.kind = LineKind::Error;
        }
        if (line.warning && line.kind != LineKind::Point)
            block.notes.push_back({lineNumber, line.warning, true});
        switch (line.kind) {
            case LineKind::PassThrough:
                if (!recodes) block.output.Append(line.text);
                break;
            case LineKind::Header:
                if (!recodes) {
                    char* at =
                        block.output.Reserve(line.text.size() + LineConverter::MaxPointGrowth);
                    block.output.Commit(lines_.WriteHeader(at, line));
                }
                break;
            case LineKind::Point: {
                if (!recodes) {
                    char* at =
                        block.output.Reserve(line.text.size() + LineConverter::MaxPointGrowth);
                    block.output.Commit(lines_.WritePoint(at, line));
                }
                ++block.points;
                if (line.warning) block.notes.push_back({lineNumber, line.warning, true});
                break;
            }
            case LineKind::Error:
                if (!keepGoing_) {
                    block.stop = {lineNumber, line.error};
                    return false;
                }
                ++block.badLines;
                block.notes.push_back({lineNumber, line.error});
                block.output.Append(lines_.BadLine(line, lineNumber));
                break;
        }
        block.output.Append(lineEnd);
        return true;
    }

    // A line passing through, or a header's or a point's output line, appended in the
    // output's encoding; false, with line.error saying why, when it has no form there.
    bool WriteRecoded(ConvertedLine& line, Block& block) const {
        std::string_view text = line.text;
        if (line.kind == LineKind::Point || line.kind == LineKind::Header) {
            block.written.resize(line.text.size() + LineConverter::MaxPointGrowth);
            char* const start = block.written.data();
            char* const end = line.kind == LineKind::Point ? lines_.WritePoint(start, line)
                                                           : lines_.WriteHeader(start, line);
            text = {start, static_cast<std::size_t>(end - start)};
        }
        block.recoded.clear();
        if (!lines_.Recode(text, block.recoded, line.error)) return false;
        block.output.Append(block.recoded);
        return true;
    }

    const bool keepGoing_;
    const std::uint64_t skip_;
    const LineConverter lines_;
};

// Threads that convert the blocks handed to them, in any order; started at the first block
// handed over, so that a short input never starts one.
class Workers {
  public:
    Workers(const BlockConverter& converter, unsigned count)
        : converter_(converter), count_(count) {}
    ~Workers() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
            queue_.clear();
        }
        handedOver_.notify_all();
        for (std::thread& thread : threads_)
            thread.join();
    }

    void HandOver(Block& block) {
        {
            std::lock_guard lock(mutex_);
            block.converted = false;
            queue_.push_back(&block);
        }
        while (threads_.size() < count_)
            threads_.emplace_back([this] { Work(); });
        handedOver_.notify_one();
    }

    void WaitFor(Block& block) {
        std::unique_lock lock(mutex_);
        converted_.wait(lock, [&] { return block.converted; });
    }

  private:
    void Work() {
        std::unique_lock lock(mutex_);
        while (true) {
            handedOver_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            if (stopping_) return;
            Block& block = *queue_.front();
            queue_.pop_front();
            lock.unlock();
            converter_.Convert(block);
            lock.lock();
            block.converted = true;
            converted_.notify_all();
        }
    }

    const BlockConverter& converter_;
    const unsigned count_;
    std::vector<std::thread> threads_;
    std::mutex mutex_;
    std::condition_variable handedOver_, converted_;
    std::deque<Block*> queue_;
    bool stopping_ = false;
};

}  // namespace

// All of text to fd; false with errno set when the write fails.
bool WriteAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t wrote = write(fd, text.data(), text.size());
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote <= 0) {
            if (wrote == 0) errno = EIO;
            return false;
        }
        text.remove_prefix(static_cast<std::size_t>(wrote));
    }
    return true;
}

unsigned DefaultJobs() {
    return std::max(1u, std::thread::hardware_concurrency());
}

StreamResult ConvertStream(const ConversionOptions& options, int input, int output,
                           Observer& observer) {
    CountMathErrors();

    // Blocks go round a ring: read, handed to a worker, written in order, read again. With
    // twice as many blocks as workers, each has one to convert while the next waits.
    const unsigned jobs = options.jobs > 0 ? options.jobs : DefaultJobs();
    const BlockConverter converter(options);
    std::vector<Block> ring(jobs == 1 ? 1 : 2 * jobs);
    Workers workers(converter, jobs);
    BlockReader reader(input);
    // From a pipe, the headers wait for the first point line rather than go on alone: what they
    // are named never depends on when the input came.
    if (options.skip > 0) {
        reader.WaitWhile([&converter](std::string_view text, std::uint64_t firstLine) {
            return converter.AwaitsPoints(text, firstLine);
        });
    }
    StreamResult result;
    std::uint64_t read = 0, written = 0;
    bool inputWaits = false;  // nothing more was ready: write what was read before reading on
    while (true) {
        if (written == read) inputWaits = false;
        while (!inputWaits && read - written < ring.size()) {
            if (observer.Cancelled()) {
                result.outcome = Outcome::Cancelled;
                return result;
            }
            Block& block = ring[read % ring.size()];
            if (!reader.Next(block.lines)) break;
            ++read;
            inputWaits = reader.waiting();
            // One block alone is converted here, without starting a thread.
            if (jobs == 1 || (read == 1 && reader.AtEnd())) {
                converter.Convert(block);
                block.converted = true;
            } else {
                workers.HandOver(block);
            }
        }
        if (written == read) break;
        Block& block = ring[written++ % ring.size()];
        workers.WaitFor(block);
        for (const LineNote& note : block.notes)
            observer.Note(note);
        if (!WriteAll(output, block.output.view())) {
            result.outcome = Outcome::WriteFailed;
            result.systemError = errno;
            return result;
        }
        result.points += block.points;
        result.badLines += block.badLines;
        observer.Progress(result.points, reader.bytesRead());
        if (block.stop.line != 0) {
            result.outcome = Outcome::BadLine;
            result.stop = block.stop;
            return result;
        }
    }
    if (reader.failed()) {
        result.outcome = Outcome::ReadFailed;
        result.systemError = reader.error();
        result.bytesRead = reader.bytesRead();
        result.bytesExpected = reader.bytesExpected();
    }
    return result;
}

}  // namespace batch
