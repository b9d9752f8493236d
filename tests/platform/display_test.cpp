// The real display: the screen scaled into the host window and back, and a second window beside.
#include <gtest/gtest.h>
#include <intuition.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <tuple>
#include <vector>

#include "display/display.h"
#include "host/host.h"

bool SendToNoWindow();  // xerror.cpp

namespace {

// Every host pixel of a screen pixel maps back to it: clicks land on the gadget under them.
TEST(HostWindow, EveryHostPixelOfAScreenPixelMapsBackToIt) {
    struct Case { const char* what; int w, h, scale, left, top; };
    const Case cases[] = {
        {"scale 1", 640, 480, 1, 0, 0}, {"scale 2", 1280, 960, 2, 0, 0}, {"scale 3", 1920, 1440, 3, 0, 0},
        {"resized wider and taller", 1500, 1000, 2, 110, 20}, {"full screen, wide desktop", 2048, 800, 1, 704, 160},
        {"full screen, 1920 x 1080", 1920, 1080, 2, 320, 60}, {"smaller than the screen", 600, 400, 1, 0, 0},
    };
    // The screen's corners and the main window's close gadget.
    const int points[][2] = {{0, 0}, {639, 479}, {25, 124}, {638, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const display::Fit fit = display::FitScreen(c.w, c.h, 640, 480);
        EXPECT_EQ(std::tuple(fit.scale, fit.left, fit.top), std::tuple(c.scale, c.left, c.top));
        for (const auto& p : points)
            for (int dy = 0; dy < fit.scale; ++dy)
                for (int dx = 0; dx < fit.scale; ++dx) {
                    int x = -1, y = -1;
                    EXPECT_TRUE(display::ScreenPoint(fit, 640, 480, fit.left + p[0] * fit.scale + dx,
                                                     fit.top + p[1] * fit.scale + dy, x, y));
                    EXPECT_EQ(std::pair(x, y), std::pair(p[0], p[1]));
                }
        // The black around the picture is outside, clamped to the nearest edge.
        int x = -1, y = -1;
        EXPECT_FALSE(fit.left > 0 && display::ScreenPoint(fit, 640, 480, fit.left - 1, fit.top + 5, x, y));
        EXPECT_EQ(x, fit.left > 0 ? 0 : -1);
        EXPECT_FALSE(display::ScreenPoint(fit, 640, 480, fit.left + 640 * fit.scale, fit.top, x, y));
        EXPECT_EQ(x, 639);
    }
}

TEST(HostWindow, ASecondProgramOpensBesideItsParentOrWhereItHidesTheLeastOfIt) {
    using display::Frame;
    struct Case { const char* what; Frame parent, desktop; int asked, scale, x, y; };
    const Case cases[] = {
        {"room to the right", {704, 160, 640, 480}, {0, 0, 2048, 800}, 0, 1, 1352, 160},
        {"more room to the left", {1300, 100, 640, 480}, {0, 0, 2048, 800}, 0, 1, 652, 100},
        {"decoration counted", {4, 20, 640, 480, 4, 20, 4, 4}, {0, 0, 2000, 1100}, 0, 2, 660, 20},
        {"kept on the desktop", {0, 700, 640, 480}, {0, 0, 1400, 900}, 0, 1, 648, 420},
        {"asked scale beside", {4, 20, 640, 480, 4, 20, 4, 4}, {0, 0, 2000, 1100}, 1, 1, 660, 20},
        {"centred, no room beside: the far corner", {160, 20, 1280, 960}, {0, 0, 1600, 1000}, 0, 1, 960, 0},
        {"off centre: the corner that hides less", {100, 20, 1280, 960}, {0, 0, 1600, 1000}, 0, 1, 960, 0},
        {"off to the right: the left corner", {300, 20, 1280, 960}, {0, 0, 1600, 1000}, 0, 1, 0, 0},
        {"low on the desktop: a top corner", {200, 1000, 1280, 960}, {0, 0, 1600, 2000}, 0, 1, 960, 0},
        {"high on the desktop: a bottom corner", {200, 0, 1280, 960}, {0, 0, 1600, 2000}, 0, 1, 960, 1520},
        {"asked scale too big beside", {704, 160, 640, 480}, {0, 0, 1400, 1000}, 2, 2, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        int x = 0, y = 0;
        EXPECT_EQ(display::PlaceBeside(c.parent, c.desktop, 640, 480, c.asked, x, y), c.scale);
        EXPECT_EQ(std::pair(x, y), std::pair(c.x, c.y));
    }
}

TEST(HostWindow, TheParentsFrameSurvivesTheEnvironmentAndGarbageIsRefused) {
    display::Frame in{10, -20, 640, 480, 1, 22, 3, 4}, out;
    ASSERT_TRUE(display::ParseFrame(display::FrameText(in).c_str(), out));
    EXPECT_EQ(display::FrameText(out), display::FrameText(in));
    for (const char* bad : {"", "1 2 3", "1 2 0 480 0 0 0 0", "1 2 640 480 0 0 0 0 x", "1 2 640 480 -1 0 0 0"})
        EXPECT_FALSE(display::ParseFrame(bad, out)) << bad;
    EXPECT_FALSE(display::ParseFrame(nullptr, out));
}

// An X error that reaches the program while its host window is torn down (a request about
// a window already gone) neither ends it nor changes its exit status. Needs Xvfb.
TEST(HostWindow, AnXErrorDuringTheTeardownLeavesTheExitStatus) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    std::fflush(nullptr);
    const pid_t server = fork();
    if (server == 0) {
        close(fds[0]);
        execlp("Xvfb", "Xvfb", "-displayfd", std::to_string(fds[1]).c_str(), "-nolisten", "tcp", nullptr);
        _exit(127);
    }
    close(fds[1]);
    // The number, then a line end in a write of its own: the pipe stays open for both.
    // A server that neither answers nor ends fails the test after 20 s instead of hanging it.
    std::string number;
    pollfd p{fds[0], POLLIN, 0};
    bool answered = true;
    for (char c; (answered = poll(&p, 1, 20000) == 1) && read(fds[0], &c, 1) == 1 && c != '\n';) number += c;
    if (number.empty() || !answered) {
        kill(server, SIGTERM);
        waitpid(server, nullptr, 0);
        if (!answered) FAIL() << "Xvfb gave no display number in 20 s";
        GTEST_SKIP() << "Xvfb is not there";
    }
    const pid_t program = fork();
    if (program == 0) {
        setenv("DISPLAY", (":" + number).c_str(), 1);
        unsetenv("SDL_VIDEODRIVER");
        host::UseSdlDisplay();
        if (LockPubScreen(nullptr) == nullptr) _exit(3);
        if (!SendToNoWindow()) _exit(4);
        host::UseVirtualDisplay();  // the host window's teardown, where the error comes back
        _exit(86);
    }
    int status = 0;
    waitpid(program, &status, 0);
    kill(server, SIGTERM);
    waitpid(server, nullptr, 0);
    close(fds[0]);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 86);
}

}  // namespace
