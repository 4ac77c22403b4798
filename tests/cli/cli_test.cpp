// coordconv-cli run as a program: the runs of the command-line table, and every
// conversion of the dialog's table printed as the dialog shows it.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "case_file.h"

namespace {

struct CliRun {
    std::string output, messages;
    int status = -1;
};

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// The program with arguments as a shell reads them, input on its standard input. Its files are
// capped at 1 GiB (2097152 blocks of 512 bytes, as sh counts them): a run that writes without end
// is stopped there instead of filling the disk before the test is killed.
CliRun RunCli(const std::string& arguments, const std::string& input) {
    const auto dir = std::filesystem::temp_directory_path() /
                     ("coordconv-cli-test-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "in", std::ios::binary) << input;
    // The user's own catalogue stays out of the runs: each finds none in its own directory.
    const std::string command =
        "ulimit -f 2097152; DATA=" COORDCONV_TEST_DATA "; export DATA; XDG_CONFIG_HOME=" +
        dir.string() + "; export XDG_CONFIG_HOME; " + std::string(COORDCONV_CLI) + " " + arguments +
        " <" + (dir / "in").string() + " >" + (dir / "out").string() + " 2>" +
        (dir / "err").string();
    const int raw = std::system(command.c_str());
    CliRun run{ReadFile(dir / "out"), ReadFile(dir / "err"),
               WIFEXITED(raw) ? WEXITSTATUS(raw) : -1};
    std::filesystem::remove_all(dir);
    return run;
}

// Fields: arguments | input | output ("<FILE": FILE's bytes) | a text the messages hold | exit
// status.
TEST(CoordconvCli, EveryRunOfTheTable) {
    const std::string file = COORDCONV_TEST_DATA "/cli.cases";
    for (auto& c : testing_support::ReadCases(file)) {
        SCOPED_TRACE(c.Where(file) + ": coordconv-cli " + c.fields.at(0));
        const CliRun run = RunCli(c.fields.at(0), c.fields.at(1));
        EXPECT_EQ(run.status, std::stoi(c.fields.at(4))) << run.messages;
        if (c.fields.at(2).starts_with('<')) {  // the bytes of a file under tests/data
            c.fields.at(2) = ReadFile(COORDCONV_TEST_DATA "/" + c.fields.at(2).substr(1));
            ASSERT_FALSE(c.fields.at(2).empty());
        }
        if (c.fields.at(0).find("--help") == 0 || c.fields.at(0).find("--describe") == 0 ||
            c.fields.at(0) == "--version") {  // texts: their beginning
            EXPECT_EQ(run.output.find(c.fields.at(2)), 0u);
        } else if (run.output != c.fields.at(2)) {  // megabytes of output: no full diff
            const auto [at, _] = std::mismatch(run.output.begin(), run.output.end(),
                                               c.fields.at(2).begin(), c.fields.at(2).end());
            const auto from = static_cast<std::size_t>(at - run.output.begin());
            ADD_FAILURE() << "the output differs from byte " << from << ": \""
                          << run.output.substr(from, 60) << "\", expected \""
                          << c.fields.at(2).substr(from, 60) << '"';
        }
        if (c.fields.at(3).empty()) {
            EXPECT_EQ(run.messages, "");
        } else {
            EXPECT_NE(run.messages.find(c.fields.at(3)), std::string::npos) << run.messages;
        }
    }
}

// With the window's parameters, a pair the window offers prints exactly its result texts (and the
// zone used for plane coordinates), for every row of the dialog's table whose texts and zone a
// command line takes (the window also reads "12.5.3", "" and "75").
TEST(CoordconvCli, PrintsWhatTheWindowShows) {
    const std::string file = COORDCONV_TEST_DATA "/dialog.cases";
    int compared = 0;
    for (const auto& c : testing_support::ReadCases(file)) {
        const CliRun run = RunCli("--parameters window -k --zone '" + c.fields.at(3) + "' '" +
                                      c.fields.at(0) + "' '" + c.fields.at(1) + "'",
                                  c.fields.at(2) + "\n");
        if (run.status == 64 || run.status == 65) continue;  // refused, or its line marked
        const bool plane = c.fields.at(1) == "СК-42  (XYH)";
        EXPECT_EQ(run.output, c.fields.at(4) + (plane ? " " + c.fields.at(5) : "") + "\n")
            << c.Where(file);
        ++compared;
    }
    EXPECT_GE(compared, 81);  // the rest are nonsense the command line refuses
}

// -o FILE gets the whole output of a run that succeeds, and nothing of one that fails.
TEST(CoordconvCli, OutputFileOnlyForAWholeRun) {
    const auto dir = std::filesystem::temp_directory_path() /
                     ("coordconv-cli-output-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const auto file = dir / "out";
    const std::string data = COORDCONV_TEST_DATA "/points/";
    EXPECT_EQ(RunCli("--parameters window -o " + file.string() + " wgs84-blh wgs84-xyz " + data +
                         "two.txt",
                     "")
                  .output,
              "");
    EXPECT_EQ(ReadFile(file), ReadFile(data + "two.txt").substr(0, 13) +
                                  "2849972.61724 2196095.35833 5248909.51103\n"
                                  "2850017.1977 2196129.71057 5248992.17\n");
    std::filesystem::remove(file);
    const CliRun failed =
        RunCli("-o " + file.string() + " wgs84-blh wgs84-xyz " + data + "bad.txt", "");
    EXPECT_EQ(failed.status, 65);
    EXPECT_TRUE(std::filesystem::is_empty(dir)) << "a failed run left a file in " << dir;
    std::filesystem::remove_all(dir);
}

// Results that cannot be written fail the run.
TEST(CoordconvCli, FullDeviceFailsTheRun) {
    const int raw = std::system("echo 554500 373700 100 | " COORDCONV_CLI
                                " wgs84-blh wgs84-xyz >/dev/full 2>/dev/null");
    EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 74);
}

// A FILE that is no regular file is written in place, never replaced by one: a pipe keeps
// being a pipe and gets the results.
TEST(CoordconvCli, OutputToAPipeInPlace) {
    const auto pipe = std::filesystem::temp_directory_path() /
                      ("coordconv-cli-pipe-" + std::to_string(::getpid()));
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const int reader = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
    const CliRun run = RunCli("--parameters window -o " + pipe.string() + " wgs84-blh wgs84-xyz",
                              "554500 373700 100\n");
    char bytes[128] = {};
    const auto got = ::read(reader, bytes, sizeof bytes - 1);
    ::close(reader);
    EXPECT_EQ(run.status, 0) << run.messages;
    EXPECT_TRUE(std::filesystem::is_fifo(pipe));
    EXPECT_EQ(std::string(bytes, got > 0 ? got : 0), "2849972.61724 2196095.35833 5248909.51103\n");
    std::filesystem::remove(pipe);
}

// -o through a symbolic link: the link stays a link, and its file gets the results.
TEST(CoordconvCli, OutputThroughASymbolicLink) {
    const auto dir = std::filesystem::temp_directory_path() /
                     ("coordconv-cli-link-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "points.out") << "old\n";
    std::filesystem::create_symlink("points.out", dir / "link.out");
    const CliRun run =
        RunCli("--parameters window -o " + (dir / "link.out").string() + " wgs84-blh wgs84-xyz",
               "554500 373700 100\n");
    EXPECT_EQ(run.status, 0) << run.messages;
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.out"));
    EXPECT_EQ(ReadFile(dir / "points.out"), "2849972.61724 2196095.35833 5248909.51103\n");
    std::filesystem::remove_all(dir);
}

// Blocks converted in parallel are written as one converter writes them: the same bytes and the
// same messages in the same order, whether the run goes on after bad lines or stops at the first.
// The input mixes points, warnings, bad, blank, comment, CRLF and overlong lines over several
// megabytes, so every worker gets blocks, some cut by their count of lines.
TEST(CoordconvCli, EveryJobsCountWritesTheSameBytes) {
    const std::string kinds[] = {"2849972.61724 2196095.35833 5248909.51103\n", "\n",
                                 "1000 0 1000\n", "# a comment\r\n",
                                 "2922429.24809,2251928.05993,5185452.6771\r\n"};
    std::string input;
    for (unsigned i = 0; input.size() < 6'000'000; i = i * 1103515245 + 12345) {
        const unsigned kind = (i >> 16) % 64;
        input += kind < 40 ? kinds[0] : kind < 58 ? kinds[1] : kinds[kind % 3 + 2];
        if (input.size() > 2'500'000 && input.size() % 1'500'000 < 40)
            input += std::string(70'000, '7') + "\n";
        if (input.size() % 2'000'000 < 40) input += std::string(200'000, '\n');
        if (input.size() > 3'000'000 && input.size() % 700'000 < 40) input += "x 1 2\n";
    }
    for (const std::string keepGoing : {"-k ", ""}) {
        const std::string arguments = keepGoing + "--parameters window wgs84-xyz wgs84-blh";
        const CliRun one = RunCli("--jobs 1 " + arguments, input);
        EXPECT_EQ(one.status, 65);
        EXPECT_NE(one.messages.find("warning"), std::string::npos);
        for (const char* jobs : {"2", "3", "8"}) {
            SCOPED_TRACE(keepGoing + "--jobs " + jobs);
            const CliRun many = RunCli(std::string("--jobs ") + jobs + " " + arguments, input);
            EXPECT_EQ(many.status, one.status);
            EXPECT_TRUE(many.output == one.output) << "the outputs differ";
            EXPECT_EQ(many.messages, one.messages);
        }
    }
}

}  // namespace
