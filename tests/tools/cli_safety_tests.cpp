// The tool when things go wrong around it: output that cannot be written is an error, an
// argument full of terminal escapes is echoed escaped on one line, render --out never loses
// what was at PATH, the picture's size bounds are the 3D device's, and Ctrl+C stops a count
// or a search that would run for years with a word and exit code 130.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/tools/cli_process.h"
#include "tools/cli/cli.h"

namespace {

namespace fs = std::filesystem;

int LineCount(const std::string& text) {
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

// One line, ended by its newline, with no other byte below 0x20 and no DEL.
bool IsOneSafeLine(const std::string& text) {
    if (text.empty() || text.back() != '\n') return false;
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x20 || byte == 0x7F) return false;
    }
    return true;
}

std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void Write(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// A fresh directory of our own, removed with everything in it.
class ScratchDirectory {
  public:
    ScratchDirectory() {
        char name[] = "/tmp/zantobel-cli-safety-XXXXXX";
        path_ = mkdtemp(name);
    }
    ~ScratchDirectory() { fs::remove_all(path_); }
    const fs::path& path() const { return path_; }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(path_))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

  private:
    fs::path path_;
};

const std::string kPngSignature = "\x89PNG\r\n\x1a\n";

CliSetting OutputTo(const std::string& path) {
    CliSetting setting;
    setting.outPath = path;
    return setting;
}

CliSetting FilesUpTo(long bytes) {
    CliSetting setting;
    setting.fileSizeLimit = bytes;
    return setting;
}

CliSetting InterruptedOnceWatching() {
    CliSetting setting;
    setting.interruptOnceWatching = true;
    return setting;
}

TEST(CliOutput, AFailedWriteOfTheAnswerIsAnErrorWithExitTwo) {
    const std::vector<std::vector<std::string>> commands = {
        {"legal", "start"},        // through the C++ stream
        {"perft", "3", "--time"},  // through printf as well
        {"squares"},               // a long answer
        {"--help"},
        {"--version"},
        {"legal", "--help"},
    };
    for (const auto& arguments : commands) {
        SCOPED_TRACE(arguments.front());
        const CliRun run = RunCli(OutputTo("/dev/full"), arguments);
        EXPECT_FALSE(run.signalled);
        EXPECT_EQ(run.exitCode, cli::kExitBadInput);
        EXPECT_EQ(LineCount(run.err), 1) << run.err;
        EXPECT_NE(run.err.find("cannot write the output: No space left on device"),
                  std::string::npos)
            << run.err;
    }
    // The same commands with somewhere to write succeed.
    EXPECT_EQ(RunCli({"legal", "start"}).exitCode, 0);
}

TEST(CliOutput, PrintableEscapesWhatCouldSteerATerminal) {
    struct Case {
        std::string raw;
        std::string shown;
    };
    const Case cases[] = {
        {"plain text, 黒と白", "plain text, 黒と白"},
        {"x\x1b[2J\nfake", "x\\x1B[2J\\nfake"},
        {"tab\there\rback", "tab\\there\\rback"},
        {"bell\x07 del\x7f", "bell\\x07 del\\x7F"},
        {"c1 \xc2\x9b"
         "31m",
         "c1 \\xC2\\x9B31m"},  // CSI as a UTF-8 C1 control
        {"raw \x9b"
         "31m",
         "raw \\x9B31m"},  // CSI as a lone 8-bit byte
        {"not utf-8 \xff\xfe", "not utf-8 \\xFF\\xFE"},
        {"cut \xe3\x81", "cut \\xE3\\x81"},  // a sequence cut short
        {"overlong \xc0\xaf", "overlong \\xC0\\xAF"},
        {"turned \xe2\x80\xaetxt", "turned \\xE2\\x80\\xAEtxt"},  // right-to-left override
    };
    for (const Case& c : cases)
        EXPECT_EQ(cli::Printable(c.raw), c.shown) << c.shown;
}

TEST(CliOutput, ArgumentsAreEchoedEscapedOnOneLine) {
    const std::string nasty = "x\x1b[2J\nfake\x07";
    const std::string shown = "x\\x1B[2J\\nfake\\x07";
    const std::vector<std::vector<std::string>> commands = {
        {nasty},                           // an unknown command
        {"play", "--black", nasty},        // an unknown level
        {"perft", nasty},                  // not a number
        {"perft", "3", "start", nasty},    // an extra argument
        {"legal", "start", "--" + nasty},  // an unknown option
        {"render", "--out", "x.png", "--quality", nasty},
    };
    for (const auto& arguments : commands) {
        const CliRun run = RunCli(arguments);
        SCOPED_TRACE(cli::Printable(run.err));
        EXPECT_EQ(run.exitCode, cli::kExitBadInput);
        EXPECT_TRUE(IsOneSafeLine(run.err));
        EXPECT_NE(run.err.find(shown), std::string::npos);
        EXPECT_EQ(run.out, "");
    }
}

TEST(CliRenderOut, ReplacesTheFileWholeAndKeepsItsPermissions) {
    ScratchDirectory directory;
    const fs::path picture = directory.path() / "board.png";
    Write(picture, "the old picture");
    ASSERT_EQ(chmod(picture.c_str(), 0640), 0);
    const CliRun run =
        RunCli({"render", "--out", picture.string(), "--width", "64", "--height", "48"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(Slurp(picture).rfind(kPngSignature, 0), 0u);
    EXPECT_EQ(fs::status(picture).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(directory.Names(), std::vector<std::string>{"board.png"});  // no temporary left

    // Through a link: the link stays a link and its target gets the picture.
    const fs::path target = directory.path() / "target.png";
    const fs::path link = directory.path() / "link.png";
    Write(target, "old");
    fs::create_symlink(target, link);
    ASSERT_EQ(RunCli({"render", "--out", link.string(), "--width", "8", "--height", "8"}).exitCode,
              0);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(Slurp(target).rfind(kPngSignature, 0), 0u);
}

TEST(CliRenderOut, AFailedWriteLeavesWhatWasThere) {
    ScratchDirectory directory;
    const fs::path picture = directory.path() / "board.png";
    Write(picture, "the old picture");
    // Files may grow to 100 bytes only, as on a full disk: the picture cannot be written.
    const CliSetting fullDisk = FilesUpTo(100);
    CliRun run = RunCli(fullDisk, {"render", "--out", picture.string()});
    EXPECT_EQ(run.exitCode, cli::kExitBadInput);
    EXPECT_EQ(LineCount(run.err), 1) << run.err;
    EXPECT_NE(run.err.find("cannot write " + picture.string()), std::string::npos) << run.err;
    EXPECT_EQ(Slurp(picture), "the old picture");
    EXPECT_EQ(directory.Names(), std::vector<std::string>{"board.png"});

    // A new file that cannot be written is not left behind half-made.
    const fs::path fresh = directory.path() / "fresh.png";
    run = RunCli(fullDisk, {"render", "--out", fresh.string()});
    EXPECT_EQ(run.exitCode, cli::kExitBadInput);
    EXPECT_EQ(directory.Names(), std::vector<std::string>{"board.png"});

    // Neither a directory nor a place that does not exist is taken for a file.
    for (const fs::path& bad : {directory.path(), directory.path() / "missing" / "x.png"}) {
        run = RunCli({"render", "--out", bad.string()});
        EXPECT_EQ(run.exitCode, cli::kExitBadInput) << bad;
        EXPECT_EQ(LineCount(run.err), 1) << run.err;
    }
    EXPECT_EQ(directory.Names(), std::vector<std::string>{"board.png"});
}

TEST(CliRenderOut, ADeviceIsWrittenInPlaceAndNeverRemoved) {
    ScratchDirectory directory;
    // A link of our own to the full device: the tool sees a device at PATH.
    const fs::path full = directory.path() / "full.png";
    fs::create_symlink("/dev/full", full);
    const CliRun run = RunCli({"render", "--out", full.string(), "--width", "8", "--height", "8"});
    EXPECT_EQ(run.exitCode, cli::kExitBadInput);
    EXPECT_NE(run.err.find("No space left on device"), std::string::npos) << run.err;
    EXPECT_TRUE(fs::is_symlink(full));
    EXPECT_EQ(fs::read_symlink(full), "/dev/full");
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
    EXPECT_EQ(directory.Names(), std::vector<std::string>{"full.png"});

    // Standard output is a device too: the picture arrives there whole.
    const fs::path captured = directory.path() / "captured";
    const CliRun toStdout = RunCli(OutputTo(captured.string()), {"render", "--out", "/dev/stdout",
                                                                 "--width", "8", "--height", "8"});
    EXPECT_EQ(toStdout.exitCode, 0) << toStdout.err;
    EXPECT_EQ(Slurp(captured).rfind(kPngSignature, 0), 0u);
}

TEST(CliRenderOut, TheDocumentedSizesAreTheDevicesBounds) {
    ScratchDirectory directory;
    const std::string out = (directory.path() / "x.png").string();
    struct Case {
        std::vector<std::string> size;
        int exitCode;
        std::string mustMention;
    };
    const Case cases[] = {
        {{"--width", "16384", "--height", "1"}, 0, ""},
        {{"--width", "1", "--height", "16384"}, 0, ""},
        {{"--width", "16385", "--height", "1"}, 2, "out of range 1..16384"},
        {{"--width", "8192", "--height", "8192"}, 2, "67108864 pixels, more than the 40000000"},
        {{"--width", "6325", "--height", "6325"}, 2, "more than the 40000000"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> arguments = {"render", "--out", out};
        arguments.insert(arguments.end(), c.size.begin(), c.size.end());
        const CliRun run = RunCli(arguments);
        SCOPED_TRACE(c.size[1] + " x " + c.size[3]);
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
        if (c.exitCode) {
            EXPECT_NE(run.err.find(c.mustMention), std::string::npos) << run.err;
        }
        // squares takes the same sizes
        std::vector<std::string> squares = {"squares"};
        squares.insert(squares.end(), c.size.begin(), c.size.end());
        EXPECT_EQ(RunCli(squares).exitCode, c.exitCode);
    }
    // The help states the bounds.
    EXPECT_NE(RunCli({"render", "--help"}).out.find("each 1..16384 and at most 40000000"),
              std::string::npos);
}

TEST(CliInterrupt, CtrlCStopsWorkThatWouldRunForYears) {
    const std::vector<std::vector<std::string>> commands = {
        {"perft", "20"},
        {"solve", "start"},
    };
    for (const auto& arguments : commands) {
        SCOPED_TRACE(arguments.front());
        const CliRun run = RunCli(InterruptedOnceWatching(), arguments);
        EXPECT_FALSE(run.signalled) << "killed instead of stopping";
        EXPECT_EQ(run.exitCode, cli::kExitInterrupted);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(LineCount(run.err), 1) << run.err;
        EXPECT_NE(run.err.find("zantobel-cli " + arguments.front() + ": stopped by Ctrl+C after"),
                  std::string::npos)
            << run.err;
        // The help says how the time grows and what Ctrl+C does.
        const std::string help = RunCli({arguments.front(), "--help"}).out;
        EXPECT_NE(help.find("grow"), std::string::npos);
        EXPECT_NE(help.find("Ctrl+C stops"), std::string::npos);
        EXPECT_NE(help.find("exit code 130"), std::string::npos);
    }
}

}  // namespace
