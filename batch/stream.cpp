#include "batch/stream.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "batch/dms.h"
#include "batch/line_blocks.h"
#include "batch/point_converter.h"
#include "batch/point_line.h"
#include "controller/number_text.h"
#include "engine/math_error.h"

namespace batch {

namespace {

// Bytes written one line at a time, growing when a line needs more room.
class OutputBytes {
  public:
    // Room for at least n more bytes at the returned place.
    char* Reserve(std::size_t n) {
        if (used_ + n > bytes_.size()) {
            Bytes larger(std::max(2 * bytes_.size(), used_ + n));
            std::memcpy(larger.data(), bytes_.data(), used_);
            bytes_ = std::move(larger);
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
    Bytes bytes_{2 * BlockBytes};
    std::size_t used_ = 0;
};

// A block of input lines and what their conversion gave.
struct Block {
    LineBlock lines;
    OutputBytes output;
    std::vector<LineNote> notes;  // warnings, and bad lines written as "# error: ..."
    LineNote stop;                // the bad line that ends the run; line 0 when none
    std::uint64_t points = 0;     // lines converted
    std::uint64_t badLines = 0;   // "# error: …" lines written (--keep-going)
    bool converted = false;       // guarded by the workers' mutex
};

// Reports of the mathematics library during one point, counted by the thread converting it.
thread_local int mathErrors = 0;
void CountMathError(const char*, const char*) {
    ++mathErrors;
}

// Converts blocks of lines; one converter serves every worker (it holds no state of a run).
class BlockConverter {
  public:
    explicit BlockConverter(const Options& options)
        : options_(options),
          converter_(options),
          readsDms_(options.dms && Info(options.from).form == controller::CoordinateForm::Geodetic),
          writesDms_(options.dms && Info(options.to).form == controller::CoordinateForm::Geodetic),
          picked_(options.columns[0] != 0) {}

    // Converts the lines of block into its output, one output line for each; without
    // keepGoing the first bad line ends the block, and is its stop.
    void Convert(Block& block) const {
        block.output.Clear();
        block.notes.clear();
        block.stop = {};
        block.points = block.badLines = 0;
        std::string_view text = block.lines.text;
        std::uint64_t lineNumber = block.lines.firstLine;
        std::string error;
        for (; !text.empty(); ++lineNumber) {
            const std::size_t newline = std::min(text.find('\n'), text.size());
            const std::string_view line = text.substr(0, newline);
            text.remove_prefix(std::min(newline + 1, text.size()));
            if (!ConvertLine(line, lineNumber, block, error)) return;
        }
        if (block.lines.endsWithOverlongLine) {
            error = TooLong();
            Fail(lineNumber, error, "\n", block);
        }
    }

  private:
    static std::string TooLong() {
        return "longer than " + std::to_string(MaxLineLength) + " bytes";
    }

    // False when the line ends the block.
    bool ConvertLine(std::string_view line, std::uint64_t lineNumber, Block& block,
                     std::string& error) const {
        const bool tooLong = line.size() > MaxLineLength;
        if (lineNumber == 1 && line.substr(0, 3) == "\xEF\xBB\xBF") line.remove_prefix(3);
        const bool crlf = !line.empty() && line.back() == '\r';
        if (crlf) line.remove_suffix(1);
        const std::string_view lineEnd = crlf ? "\r\n" : "\n";

        std::array<double, 3> values;
        std::array<FieldSpan, 3> spans;
        LineKind kind = LineKind::Error;
        if (lineNumber <= static_cast<std::uint64_t>(options_.skip) && !tooLong) {
            kind = LineKind::PassThrough;  // a header
        } else if (tooLong) {
            error = TooLong();
        } else {
            kind = ReadPointLine(line, values, error, readsDms_, options_.columns, &spans);
        }
        int zone = 0;
        if (kind == LineKind::Point && !(error = converter_.AngleProblem(values)).empty()) {
            kind = LineKind::Error;
        }
        if (kind == LineKind::Point) {
            mathErrors = 0;
            if (!converter_.Convert(values, zone)) {
                kind = LineKind::Error;
                error = "the result is not a finite number";
            } else if (options_.zone != 0 && converter_.WritesZone() && zone != options_.zone) {
                kind = LineKind::Error;
                error = "zone " + std::to_string(options_.zone) +
                        " was asked for, the point is in zone " + std::to_string(zone);
            } else if (mathErrors > 0) {
                block.notes.push_back({lineNumber,
                                       "asin: DOMAIN error (a point within about 21 km of the "
                                       "centre of the Earth)",
                                       true});
            }
        }
        switch (kind) {
            case LineKind::PassThrough:
                block.output.Append(line);
                block.output.Append(lineEnd);
                return true;
            case LineKind::Point:
                WritePoint(line, values, spans, zone, lineEnd, block.output);
                ++block.points;
                return true;
            case LineKind::Error:
                return Fail(lineNumber, error, lineEnd, block);
        }
        return true;
    }

    // The error of a line: in the output with keepGoing (true: go on), else the run's end.
    bool Fail(std::uint64_t lineNumber, const std::string& error, std::string_view lineEnd,
              Block& block) const {
        if (!options_.keepGoing) {
            block.stop = {lineNumber, error};
            return false;
        }
        ++block.badLines;
        block.notes.push_back({lineNumber, error});
        block.output.Append("# error: line " + std::to_string(lineNumber) + ": " + error);
        block.output.Append(lineEnd);
        return true;
    }

    void WritePoint(std::string_view line, const std::array<double, 3>& values,
                    const std::array<FieldSpan, 3>& spans, int zone, std::string_view lineEnd,
                    OutputBytes& output) const {
        constexpr std::size_t kLongestResult = 4 * (controller::MaxFixedLength + 1);
        char* at = output.Reserve(line.size() + kLongestResult + 40);
        const bool fixed = options_.decimals >= 0;
        const int digits = fixed ? options_.decimals : options_.precision;
        const auto writeValue = [&](char* to, int i) {
            if (i < 2 && writesDms_) return WriteDms(to, values[i]);
            if (i < 2 && converter_.WritesPackedAngles())
                return controller::WritePackedAngle(to, values[i], digits, fixed);
            return fixed ? controller::WriteFixed(to, values[i], digits)
                         : controller::WriteGeneral(to, values[i], digits);
        };
        const auto writeZone = [&](char* to, std::string_view separator) {
            if (!converter_.WritesZone()) return to;
            to = std::copy(separator.begin(), separator.end(), to);
            return controller::WriteZone(to, zone);
        };
        if (picked_) {  // the line as it stands, its three coordinates replaced
            std::array<int, 3> order{0, 1, 2};
            std::sort(order.begin(), order.end(),
                      [&](int a, int b) { return spans[a].start < spans[b].start; });
            std::size_t copied = 0;
            for (const int i : order) {
                at = std::copy(line.begin() + copied, line.begin() + spans[i].start, at);
                at = writeValue(at, i);
                if (i == 2) at = writeZone(at, spans[2].separator);
                copied = spans[i].end;
            }
            at = std::copy(line.begin() + copied, line.end(), at);
        } else {
            for (int i = 0; i < 3; ++i) {
                if (i > 0) *at++ = ' ';
                at = writeValue(at, i);
            }
            at = writeZone(at, " ");
        }
        output.Commit(std::copy(lineEnd.begin(), lineEnd.end(), at));
    }

    const Options& options_;
    const PointConverter converter_;
    const bool readsDms_;
    const bool writesDms_;
    const bool picked_;
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

}  // namespace

unsigned DefaultJobs() {
    return std::max(1u, std::thread::hardware_concurrency());
}

StreamResult ConvertStream(const Options& options, int input, int output, Observer& observer) {
    const auto previousHandler = engine::SetMathErrorHandler(&CountMathError);
    struct RestoreHandler {
        engine::MathErrorHandler handler;
        ~RestoreHandler() { engine::SetMathErrorHandler(handler); }
    } restore{previousHandler};

    // Blocks go round a ring: read, handed to a worker, written in order, read again. With
    // twice as many blocks as workers, each has one to convert while the next waits.
    const unsigned jobs = options.jobs > 0 ? options.jobs : DefaultJobs();
    const BlockConverter converter(options);
    std::vector<Block> ring(jobs == 1 ? 1 : 2 * jobs);
    Workers workers(converter, jobs);
    BlockReader reader(input);
    StreamResult result;
    std::uint64_t read = 0, written = 0;
    while (true) {
        while (read - written < ring.size()) {
            if (observer.Cancelled()) {
                result.outcome = Outcome::Cancelled;
                return result;
            }
            Block& block = ring[read % ring.size()];
            if (!reader.Next(block.lines)) break;
            ++read;
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
    }
    return result;
}

}  // namespace batch
