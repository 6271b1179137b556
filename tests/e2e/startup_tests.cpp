// Starts that cannot succeed, as a player meets them: a damaged resource shows the "Error"
// box, which must close on OK, Return, Escape or its close box and end the program with a
// non-zero code and one line on stderr naming what did not load; a start without a display
// says why and ends non-zero. Nothing may be left running, and GTK must not complain.
#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <string>
#include <vector>

#include "tests/e2e/e2e_support.h"

using namespace e2e;

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// The box's one button spans its bottom edge; its middle, a little above the edge.
void ClickTheOnlyButton(const std::string& box) {
    std::string geometry;
    Run("xdotool getwindowgeometry --shell " + box, &geometry);
    const auto value = [&geometry](const std::string& key) {
        const size_t at = geometry.find(key + "=");
        return at == std::string::npos ? 0 : std::stoi(geometry.substr(at + key.size() + 1));
    };
    ClickAt(box, value("WIDTH") / 2, value("HEIGHT") - 22);
}

}  // namespace

TEST(StartUp, ADamagedResourceShowsTheBoxWhichClosesEveryWayAndTheProgramEndsWithAnError) {
    struct Case {
        const char* resource;
        const char* how;
        const char* named;  // what the line on stderr names
    };
    const Case cases[] = {
        {"stone", "Return", "disc mesh (XFILE resource \"stone\")"},
        {"statistics", "Escape", "pattern statistics (RCDATA resource 107)"},
        {"statistics", "OK", "pattern statistics"},
        {"stone", "close box", "disc mesh"},
        {"statistics", "alt+F4", "pattern statistics"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.resource) + " closed with " + c.how);
        Process program = Start(ZANTOBEL_BROKEN_START_PATH, {c.resource});
        std::string box;
        ASSERT_TRUE(WaitForWindow("^Error$", 20, &box)) << "no box";
        SleepSeconds(0.5);
        if (std::string(c.resource) == "stone" && std::string(c.how) == "Return") {
            SavePng(Screenshot(box), ZANTOBEL_E2E_OUT "/startup-error.png");
        }
        const std::string how = c.how;
        if (how == "OK") {
            ClickTheOnlyButton(box);
        } else if (how == "close box") {
            e2e::Run("wmctrl -c Error");
        } else {
            Keys(box, how);
        }
        const std::optional<int> code = WaitForExit(program, 10);
        if (!code) kill(program.pid, SIGKILL);
        ASSERT_TRUE(code) << "the program lived on after the box closed";
        EXPECT_NE(*code, 0) << "a failed start must not end as a success";
        EXPECT_LT(*code, 128) << "it ends, it does not crash";
        const std::vector<std::string> lines = Lines(ReadFile(program.errPath));
        ASSERT_EQ(lines.size(), 1u) << ReadFile(program.errPath);
        EXPECT_NE(lines[0].find("could not load the"), std::string::npos) << lines[0];
        EXPECT_NE(lines[0].find(c.named), std::string::npos) << lines[0];
        EXPECT_FALSE(FindWindowByTitle("^Error$"));
    }
}

TEST(StartUp, WithoutADisplayTheProgramSaysWhyAndEndsWithAnError) {
    struct Case {
        const char* environment;
        const char* said;
    };
    const Case cases[] = {
        {"env -u DISPLAY", "DISPLAY is not set"},
        {"env DISPLAY=", "DISPLAY is not set"},
        {"env DISPLAY=:4321", "cannot open display \":4321\""},
        {"env DISPLAY=$(printf ':9\\033[2J')", "cannot open display \":9\\x1B[2J\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.environment);
        const std::string err = "/tmp/zantobel-nodisplay.err";
        const int code = e2e::Run("{ " + std::string(c.environment) +
                                  " timeout 20 " ZANTOBEL_PATH " 2>" + err + "; }");
        EXPECT_NE(code, 0);
        EXPECT_NE(code, 124) << "it hung";
        const std::vector<std::string> lines = Lines(ReadFile(err));
        ASSERT_EQ(lines.size(), 1u) << ReadFile(err);
        EXPECT_EQ(lines[0].rfind("zantobel: no display: ", 0), 0u) << lines[0];
        EXPECT_NE(lines[0].find(c.said), std::string::npos) << lines[0];
        unlink(err.c_str());
    }
}
