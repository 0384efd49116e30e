#pragma once

#include <string>
#include <string_view>

// The environment that decides where Qt shows a window, as read at start.
// Each text is "" when its variable is unset.
struct DisplayEnvironment {
    std::string_view display = {};          // DISPLAY: an X server
    std::string_view waylandDisplay = {};   // WAYLAND_DISPLAY: a Wayland compositor
    std::string_view platform = {};         // QT_QPA_PLATFORM: Qt's choice of platform
    bool waylandPlatformInstalled = false;  // Qt's Wayland plugin (Debian's qt6-wayland)
};

// What to do when Qt could show no window in `environment`: which package to
// install or which variable to set, as one line without the program's name.
// Qt's own message says only that no platform could start, and suggests
// reinstalling the application, which never helps here.
std::string NoDisplayAdvice(const DisplayEnvironment& environment);

// Whether Qt's Wayland platform plugin is installed where Qt looks for it.
bool WaylandPlatformInstalled();
