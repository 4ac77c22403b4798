#include "cli/batch.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "cli/dms.h"
#include "cli/point_converter.h"
#include "cli/point_line.h"
#include "controller/number_text.h"
#include "engine/math_error.h"

namespace cli {

namespace {

constexpr std::size_t kChunk = 1 << 20;

// A buffer of bytes left uninitialised: it is always written before it is read.
class Buffer {
  public:
    explicit Buffer(std::size_t size) : bytes_(new char[size]), size_(size) {}
    char* data() { return bytes_.get(); }
    std::size_t size() const { return size_; }

  private:
    std::unique_ptr<char[]> bytes_;
    std::size_t size_;
};

// Input lines from a file descriptor, read a megabyte at a time.
class LineReader {
  public:
    explicit LineReader(int fd) : fd_(fd), buffer_(kChunk + MaxLineLength) {}

    // The next line without its '\n'; false at the end. A line longer than MaxLineLength
    // comes back empty with tooLong set, and is skipped whole.
    bool Next(std::string_view& line, bool& tooLong) {
        tooLong = false;
        while (true) {
            const char* start = data() + begin_;
            const char* newline = static_cast<const char*>(std::memchr(start, '\n', end_ - begin_));
            if (newline) {
                line = std::string_view(start, newline - start);
                begin_ = newline - data() + 1;
                if (line.size() > MaxLineLength) {
                    line = {};
                    tooLong = true;
                }
                return true;
            }
            if (end_ - begin_ > MaxLineLength) {
                line = {};
                tooLong = true;
                SkipToNextLine();
                return true;
            }
            if (eof_) {
                if (begin_ == end_) return false;
                line = std::string_view(start, end_ - begin_);
                begin_ = end_;
                return true;
            }
            Fill();
        }
    }

    bool failed() const { return failed_; }

  private:
    char* data() { return buffer_.data(); }

    void Fill() {
        if (begin_ > 0) {
            std::memmove(data(), data() + begin_, end_ - begin_);
            end_ -= begin_;
            begin_ = 0;
        }
        Read(end_);
    }

    // Reads at the given offset; at the end of the input (or on a failure) sets eof_.
    void Read(std::size_t at) {
        while (true) {
            const ssize_t got = read(fd_, data() + at, buffer_.size() - at);
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) {
                eof_ = true;
                failed_ = got < 0;
                end_ = at;
            } else {
                end_ = at + static_cast<std::size_t>(got);
            }
            return;
        }
    }

    // Drops the rest of an overlong line, up to and including its '\n'.
    void SkipToNextLine() {
        begin_ = end_ = 0;
        while (!eof_) {
            Read(0);
            const char* newline = static_cast<const char*>(std::memchr(data(), '\n', end_));
            if (newline) {
                begin_ = newline - data() + 1;
                return;
            }
            end_ = 0;
        }
    }

    int fd_;
    Buffer buffer_;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    bool eof_ = false;
    bool failed_ = false;
};

// Output written a megabyte at a time.
class Output {
  public:
    explicit Output(int fd) : fd_(fd), buffer_(kChunk + MaxLineLength + 256) {}
    ~Output() { Flush(); }

    // Room for at least n more bytes at Cursor().
    char* Reserve(std::size_t n) {
        if (used_ + n > buffer_.size()) Flush();
        return buffer_.data() + used_;
    }
    void Commit(char* end) {
        used_ = end - buffer_.data();
        if (used_ >= kChunk) Flush();
    }
    void Write(std::string_view text) {
        char* at = Reserve(text.size());
        std::memcpy(at, text.data(), text.size());
        Commit(at + text.size());
    }
    bool Flush() {
        std::size_t done = 0;
        while (done < used_ && !failed_) {
            const ssize_t wrote = write(fd_, buffer_.data() + done, used_ - done);
            if (wrote < 0 && errno == EINTR) continue;
            if (wrote <= 0) {
                failed_ = true;
                break;
            }
            done += static_cast<std::size_t>(wrote);
        }
        used_ = 0;
        return !failed_;
    }
    bool failed() const { return failed_; }

  private:
    int fd_;
    Buffer buffer_;
    std::size_t used_ = 0;
    bool failed_ = false;
};

// Reports of the mathematics library during one point.
int mathErrors = 0;
void CountMathError(const char*, const char*) {
    ++mathErrors;
}

// "12345 points, 2.5 M points/s" on a terminal, at most four times a second, once the
// run has lasted a second.
class Progress {
  public:
    explicit Progress(int fd) : fd_(fd), enabled_(isatty(fd) == 1) {}
    void Point(std::uint64_t points) {
        if (!enabled_ || (points & 0xFFFF) != 0) return;
        const auto now = Clock::now();
        if (now - start_ < std::chrono::seconds(1) ||
            now - shown_ < std::chrono::milliseconds(250)) {
            return;
        }
        shown_ = now;
        const double seconds = std::chrono::duration<double>(now - start_).count();
        char text[96];
        const int n =
            std::snprintf(text, sizeof text, "\r%llu points, %.2f M points/s ",
                          static_cast<unsigned long long>(points), points / seconds / 1e6);
        Show(text, n);
        shownOnce_ = true;
    }
    ~Progress() {
        if (shownOnce_) Show("\r\033[K", 4);
    }

  private:
    using Clock = std::chrono::steady_clock;
    void Show(const char* text, int n) { [[maybe_unused]] auto ignored = write(fd_, text, n); }
    int fd_;
    bool enabled_;
    bool shownOnce_ = false;
    Clock::time_point start_ = Clock::now();
    Clock::time_point shown_{};
};

void Message(int fd, const std::string& text) {
    const std::string line = "coordconv-cli: " + text + "\n";
    [[maybe_unused]] auto ignored = write(fd, line.data(), line.size());
}

}  // namespace

int ConvertStream(const Options& options, int input, int output, int messages,
                  std::string_view name) {
    const std::string where = name.empty() ? "" : std::string(name) + ": ";
    const bool readsDms =
        options.dms && Info(options.from).form == controller::CoordinateForm::Geodetic;
    const bool writesDms =
        options.dms && Info(options.to).form == controller::CoordinateForm::Geodetic;
    const PointConverter converter(options);
    const auto previousHandler = engine::SetMathErrorHandler(&CountMathError);
    struct RestoreHandler {
        engine::MathErrorHandler handler;
        ~RestoreHandler() { engine::SetMathErrorHandler(handler); }
    } restore{previousHandler};

    LineReader reader(input);
    Output out(output);
    Progress progress(messages);
    std::string error;
    std::array<double, 3> values;
    std::array<FieldSpan, 3> spans;
    const bool picked = options.columns[0] != 0;
    std::uint64_t lineNumber = 0;
    std::uint64_t points = 0;
    std::uint64_t badLines = 0;

    std::string_view line;
    bool tooLong = false;
    while (reader.Next(line, tooLong)) {
        ++lineNumber;
        if (lineNumber == 1 && line.substr(0, 3) == "\xEF\xBB\xBF") line.remove_prefix(3);
        const bool crlf = !line.empty() && line.back() == '\r';
        if (crlf) line.remove_suffix(1);
        const std::string_view lineEnd = crlf ? "\r\n" : "\n";

        LineKind kind = LineKind::Error;
        if (lineNumber <= static_cast<std::uint64_t>(options.skip) && !tooLong) {
            kind = LineKind::PassThrough;  // a header
        } else if (tooLong) {
            error = "longer than " + std::to_string(MaxLineLength) + " bytes";
        } else {
            kind = ReadPointLine(line, values, error, readsDms, options.columns, &spans);
        }
        int zone = 0;
        if (kind == LineKind::Point && !(error = converter.AngleProblem(values)).empty()) {
            kind = LineKind::Error;
        }
        if (kind == LineKind::Point) {
            mathErrors = 0;
            if (!converter.Convert(values, zone)) {
                kind = LineKind::Error;
                error = "the result is not a finite number";
            } else if (options.zone != 0 && converter.WritesZone() && zone != options.zone) {
                kind = LineKind::Error;
                error = "zone " + std::to_string(options.zone) +
                        " was asked for, the point is in zone " + std::to_string(zone);
            } else if (mathErrors > 0) {
                Message(messages, where + "line " + std::to_string(lineNumber) +
                                      ": warning: asin: DOMAIN error (a point within about 21 km "
                                      "of the centre of the Earth)");
            }
        }

        switch (kind) {
            case LineKind::PassThrough:
                out.Write(line);
                out.Write(lineEnd);
                break;
            case LineKind::Point: {
                constexpr std::size_t kLongestResult = 4 * (controller::MaxFixedLength + 1);
                char* at = out.Reserve(line.size() + kLongestResult + 40);
                const bool fixed = options.decimals >= 0;
                const int digits = fixed ? options.decimals : options.precision;
                const auto writeValue = [&](char* to, int i) {
                    if (i < 2 && writesDms) return WriteDms(to, values[i]);
                    if (i < 2 && converter.WritesPackedAngles())
                        return controller::WritePackedAngle(to, values[i], digits, fixed);
                    return fixed ? controller::WriteFixed(to, values[i], digits)
                                 : controller::WriteGeneral(to, values[i], digits);
                };
                const auto writeZone = [&](char* to, std::string_view separator) {
                    if (!converter.WritesZone()) return to;
                    to = std::copy(separator.begin(), separator.end(), to);
                    return controller::WriteZone(to, zone);
                };
                if (picked) {  // the line as it stands, its three coordinates replaced
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
                at = std::copy(lineEnd.begin(), lineEnd.end(), at);
                out.Commit(at);
                progress.Point(++points);
                break;
            }
            case LineKind::Error: {
                const std::string what = "line " + std::to_string(lineNumber) + ": " + error;
                if (!options.keepGoing) {
                    out.Flush();
                    Message(messages, where + what);
                    return out.failed() ? ExitIoError : ExitBadInput;
                }
                ++badLines;
                out.Write("# error: " + what);
                out.Write(lineEnd);
                break;
            }
        }
        if (out.failed()) break;
    }
    if (!out.Flush()) {
        Message(messages, std::string("cannot write the results: ") + std::strerror(errno));
        return ExitIoError;
    }
    if (reader.failed()) {
        Message(messages, where + "cannot read the points: " + std::strerror(errno));
        return ExitIoError;
    }
    if (badLines > 0) {
        Message(messages, where + std::to_string(badLines) + (badLines == 1 ? " line" : " lines") +
                              " with errors");
        return ExitBadInput;
    }
    return ExitOk;
}

}  // namespace cli
