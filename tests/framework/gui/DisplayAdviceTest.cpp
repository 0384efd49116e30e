#include "framework/gui/DisplayAdvice.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Case {
    const char* name;
    DisplayEnvironment environment;
    std::string advice;
};

class NoDisplayAdviceFor : public testing::TestWithParam<Case> {};

TEST_P(NoDisplayAdviceFor, SaysWhatToInstallOrWhichVariableToSet)
{
    EXPECT_EQ(NoDisplayAdvice(GetParam().environment), GetParam().advice);
}

const std::string InstallWayland =
    "to show a window on Wayland, install the package qt6-wayland (Qt's Wayland platform)";

INSTANTIATE_TEST_SUITE_P(
    Cases, NoDisplayAdviceFor,
    testing::Values(
        Case{"NoDisplayAtAll",
             {.waylandPlatformInstalled = true},
             "no display is set: set DISPLAY to an X server or WAYLAND_DISPLAY to a Wayland compositor, "
             "or run it in a virtual X server with xvfb-run -a stockpicker"},
        Case{"AWaylandOnlySessionWithoutQtsWaylandPlatform",
             {.waylandDisplay = "wayland-0"},
             InstallWayland + ", or set DISPLAY to an X server"},
        Case{"AWaylandSessionWithXwaylandWithoutQtsWaylandPlatform",
             {.display = ":0", .waylandDisplay = "wayland-0"},
             InstallWayland + ", or check that DISPLAY=\":0\" names a running X server"},
        Case{"WaylandAskedForWithoutQtsWaylandPlatform",
             {.display = ":0", .platform = "wayland"},
             InstallWayland + ", or set QT_QPA_PLATFORM=xcb and DISPLAY to an X server"},
        Case{"AnX11SessionNeedsNoWaylandPlatform",
             {.display = ":99"},
             "check that DISPLAY=\":99\" names a running X server that you may use"},
        Case{"AWaylandSessionThatDoesNotAnswer",
             {.waylandDisplay = "gone", .waylandPlatformInstalled = true},
             "check that WAYLAND_DISPLAY=\"gone\" names a running Wayland compositor that you may use"},
        Case{"BothDisplaysThatDoNotAnswer",
             {.display = ":1", .waylandDisplay = "gone", .waylandPlatformInstalled = true},
             "check that WAYLAND_DISPLAY=\"gone\" names a running Wayland compositor or DISPLAY=\":1\" "
             "names a running X server that you may use"},
        Case{"X11AskedForInAWaylandOnlySession",
             {.waylandDisplay = "wayland-0", .platform = "xcb"},
             "QT_QPA_PLATFORM=xcb needs DISPLAY set to an X server; unset QT_QPA_PLATFORM to use WAYLAND_DISPLAY"},
        Case{"X11AskedForOnlyTheXServerIsChecked",
             {.display = ":5", .waylandDisplay = "wayland-0", .platform = "xcb", .waylandPlatformInstalled = true},
             "check that DISPLAY=\":5\" names a running X server that you may use"},
        Case{"WaylandAskedForInAnX11Session",
             {.display = ":0", .platform = "wayland", .waylandPlatformInstalled = true},
             "QT_QPA_PLATFORM=\"wayland\" needs WAYLAND_DISPLAY set to a Wayland compositor; "
             "unset QT_QPA_PLATFORM to use DISPLAY"},
        Case{"APlatformQtDoesNotHave",
             {.display = ":0", .platform = "x11", .waylandPlatformInstalled = true},
             "check QT_QPA_PLATFORM=\"x11\": unset it, or name a platform Qt lists above"},
        Case{"ControlBytesInAVariableAreShownEscaped",
             {.display = ":0\x1b[2J"},
             "check that DISPLAY=$':0\\033[2J' names a running X server that you may use"}),
    [](const testing::TestParamInfo<Case>& row) { return row.param.name; });

}  // namespace
