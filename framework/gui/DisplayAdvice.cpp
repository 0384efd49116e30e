#include "framework/gui/DisplayAdvice.h"

#include "framework/core/QuotedName.h"

#include <QFileInfo>
#include <QLibraryInfo>

namespace {

std::string Setting(std::string_view variable, std::string_view value)
{
    return std::string(variable) + "=" + QuotedName(value);
}

}  // namespace

std::string NoDisplayAdvice(const DisplayEnvironment& environment)
{
    const std::string_view display = environment.display;
    const std::string_view wayland = environment.waylandDisplay;
    const std::string_view platform = environment.platform;
    // Left to itself, Qt tries Wayland first when WAYLAND_DISPLAY is set,
    // then X11.
    const bool chosen = !platform.empty();
    const bool wantsWayland = chosen ? platform.starts_with("wayland") : !wayland.empty();
    const bool wantsX11 = !chosen || platform == "xcb";

    if (wantsWayland && !environment.waylandPlatformInstalled) {
        const std::string install =
            "to show a window on Wayland, install the package qt6-wayland (Qt's Wayland platform)";
        if (chosen)
            return install + ", or set QT_QPA_PLATFORM=xcb and DISPLAY to an X server";
        if (display.empty())
            return install + ", or set DISPLAY to an X server";
        return install + ", or check that " + Setting("DISPLAY", display) + " names a running X server";
    }
    if (chosen && !wantsWayland && !wantsX11)
        return "check " + Setting("QT_QPA_PLATFORM", platform) + ": unset it, or name a platform Qt lists above";
    if (display.empty() && wayland.empty())
        return "no display is set: set DISPLAY to an X server or WAYLAND_DISPLAY to a Wayland compositor, "
               "or run it in a virtual X server with xvfb-run -a stockpicker";
    if (chosen && wantsX11 && display.empty())
        return "QT_QPA_PLATFORM=xcb needs DISPLAY set to an X server; unset QT_QPA_PLATFORM to use WAYLAND_DISPLAY";
    if (chosen && wantsWayland && wayland.empty())
        return Setting("QT_QPA_PLATFORM", platform) +
               " needs WAYLAND_DISPLAY set to a Wayland compositor; unset QT_QPA_PLATFORM to use DISPLAY";

    // The variables in use are set, yet nothing answered there.
    std::string check = "check that ";
    if (wantsWayland && !wayland.empty())
        check += Setting("WAYLAND_DISPLAY", wayland) + " names a running Wayland compositor";
    if (wantsWayland && !wayland.empty() && wantsX11 && !display.empty())
        check += " or ";
    if (wantsX11 && !display.empty())
        check += Setting("DISPLAY", display) + " names a running X server";
    return check + " that you may use";
}

bool WaylandPlatformInstalled()
{
    const QString plugins = QLibraryInfo::path(QLibraryInfo::PluginsPath);
    return QFileInfo::exists(plugins + QStringLiteral("/platforms/libqwayland-generic.so"));
}
