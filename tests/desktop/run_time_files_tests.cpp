// Finding the program's run-time files from its own folder: the installed layouts (programs in
// bin or games, files in share/zantobel), the build tree's copy, and every way a file can be
// unusable, which must be reported, never taken.
#include "platform/desktop/core/run_time_files.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

namespace fs = std::filesystem;
using desktop::core::FindRunTimeFile;

namespace {

class RunTimeFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/zantobel-run-time-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root_ = pattern;
    }
    void TearDown() override { fs::remove_all(root_); }

    fs::path Folder(const std::string& relative) {
        fs::create_directories(root_ / relative);
        return root_ / relative;
    }
    fs::path File(const std::string& relative) {
        fs::create_directories((root_ / relative).parent_path());
        std::ofstream(root_ / relative) << "<fontconfig/>\n";
        return root_ / relative;
    }

    fs::path root_;
};

TEST_F(RunTimeFiles, FoundFromTheInstalledProgramsFolderAndFromTheBuildTree) {
    struct Case {
        const char* programs;
        const char* file;
    };
    const Case cases[] = {
        {"usr/games", "usr/share/zantobel/fonts.conf"},
        {"usr/bin", "usr/share/zantobel/fonts.conf"},
        {"opt/zantobel/bin", "opt/zantobel/share/zantobel/fonts.conf"},
        {"build", "build/share/zantobel/fonts.conf"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.programs);
        const fs::path expected = File(c.file);
        fs::path found;
        std::string problem;
        EXPECT_TRUE(FindRunTimeFile(Folder(c.programs), "fonts.conf", found, problem)) << problem;
        EXPECT_TRUE(fs::equivalent(found, expected)) << found;
        fs::remove(expected);
    }
}

TEST_F(RunTimeFiles, TheInstalledCopyComesBeforeOneBesideThePrograms) {
    const fs::path installed = File("usr/share/zantobel/fonts.conf");
    File("usr/games/share/zantobel/fonts.conf");
    fs::path found;
    std::string problem;
    ASSERT_TRUE(FindRunTimeFile(Folder("usr/games"), "fonts.conf", found, problem));
    EXPECT_TRUE(fs::equivalent(found, installed)) << found;
}

TEST_F(RunTimeFiles, AnUnusableFileIsReportedWithItsPathAndReason) {
    struct Case {
        const char* name;
        void (*make)(const fs::path& file);
        const char* reason;
    };
    const Case cases[] = {
        {"missing", [](const fs::path&) {}, "not found"},
        {"a folder", [](const fs::path& file) { fs::create_directories(file); },
         "not a regular file"},
        {"a dangling link",
         [](const fs::path& file) { fs::create_symlink(file.parent_path() / "gone", file); },
         "not found"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path programs = Folder("usr/games");
        const fs::path file = Folder("usr/share/zantobel") / "fonts.conf";
        c.make(file);
        fs::path found;
        std::string problem;
        EXPECT_FALSE(FindRunTimeFile(programs, "fonts.conf", found, problem));
        EXPECT_TRUE(found.empty());
        EXPECT_NE(problem.find(file.lexically_normal().string() + ": " + c.reason),
                  std::string::npos)
            << problem;
        EXPECT_EQ(problem.find('\n'), std::string::npos);
        fs::remove_all(root_ / "usr");
    }
}

TEST_F(RunTimeFiles, AnUnknownProgramFolderIsAProblemNotACrash) {
    fs::path found;
    std::string problem;
    EXPECT_FALSE(FindRunTimeFile(fs::path(), "fonts.conf", found, problem));
    EXPECT_FALSE(problem.empty());
}

TEST(ProgramFolder, IsTheFolderOfTheRunningProgram) {
    const fs::path folder = desktop::core::ProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_TRUE(fs::exists(folder / "desktop_tests"));
}

}  // namespace
