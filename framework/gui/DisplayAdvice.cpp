#include "framework/gui/DisplayAdvice.h"

#include "framework/core/QuotedName.h"
#include "framework/core/Translate.h"

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

    // Each advice is one line on standard error after "stockpicker: cannot show a window: ..." and "stockpicker: ".
    // Variable names, package names, values and commands stay as they are.
    if (wantsWayland && !environment.waylandPlatformInstalled) {
        if (chosen)
            return Tr(
                // TRANSLATORS: Wayland was asked for through QT_QPA_PLATFORM, and Qt's Wayland platform is missing.
                "to show a window on Wayland, install the package qt6-wayland (Qt's Wayland platform), "
                "or set QT_QPA_PLATFORM=xcb and DISPLAY to an X server");
        if (display.empty())
            return Tr(
                // TRANSLATORS: WAYLAND_DISPLAY is set, DISPLAY is not, and Qt's Wayland platform is missing.
                "to show a window on Wayland, install the package qt6-wayland (Qt's Wayland platform), "
                "or set DISPLAY to an X server");
        return Tr(
            // TRANSLATORS: both are set, Qt's Wayland platform is missing and the X server did not answer.
            // {0}: the setting, such as DISPLAY=":1".
            "to show a window on Wayland, install the package qt6-wayland (Qt's Wayland platform), "
            "or check that {0} names a running X server",
            Setting("DISPLAY", display));
    }
    if (chosen && !wantsWayland && !wantsX11)
        // TRANSLATORS: QT_QPA_PLATFORM names a platform that could not start. {0}: the setting, such as
        // QT_QPA_PLATFORM="eglfs".
        return Tr("check {0}: unset it, or name a platform Qt lists above", Setting("QT_QPA_PLATFORM", platform));
    if (display.empty() && wayland.empty())
        return Tr(
            // TRANSLATORS: neither DISPLAY nor WAYLAND_DISPLAY is set.
            "no display is set: set DISPLAY to an X server or WAYLAND_DISPLAY to a Wayland compositor, "
            "or run it in a virtual X server with xvfb-run -a stockpicker");
    if (chosen && wantsX11 && display.empty())
        // TRANSLATORS: X11 was asked for, but DISPLAY is not set.
        return Tr("QT_QPA_PLATFORM=xcb needs DISPLAY set to an X server; unset QT_QPA_PLATFORM to use WAYLAND_DISPLAY");
    if (chosen && wantsWayland && wayland.empty())
        // TRANSLATORS: Wayland was asked for, but WAYLAND_DISPLAY is not set. {0}: the setting, such as
        // QT_QPA_PLATFORM="wayland".
        return Tr("{0} needs WAYLAND_DISPLAY set to a Wayland compositor; unset QT_QPA_PLATFORM to use DISPLAY",
                  Setting("QT_QPA_PLATFORM", platform));

    // The variables in use are set, yet nothing answered there.
    const bool checkWayland = wantsWayland && !wayland.empty();
    const bool checkX11 = wantsX11 && !display.empty();
    if (checkWayland && checkX11)
        // TRANSLATORS: neither display answered. {0}: the setting WAYLAND_DISPLAY="..."; {1}: DISPLAY="...".
        return Tr("check that {0} names a running Wayland compositor or {1} names a running X server that you may use",
                  Setting("WAYLAND_DISPLAY", wayland), Setting("DISPLAY", display));
    if (checkWayland)
        // TRANSLATORS: the Wayland compositor did not answer. {0}: the setting, such as WAYLAND_DISPLAY="wayland-1".
        return Tr("check that {0} names a running Wayland compositor that you may use",
                  Setting("WAYLAND_DISPLAY", wayland));
    // TRANSLATORS: the X server did not answer. {0}: the setting, such as DISPLAY=":1".
    return Tr("check that {0} names a running X server that you may use", Setting("DISPLAY", display));
}

bool WaylandPlatformInstalled()
{
    const QString plugins = QLibraryInfo::path(QLibraryInfo::PluginsPath);
    return QFileInfo::exists(plugins + QStringLiteral("/platforms/libqwayland-generic.so"));
}
