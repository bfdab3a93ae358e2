// The desktop session as the environment describes it, and whether its X server answers.
#include <sys/stat.h>
#include <xcb/xcb.h>

#include <QGuiApplication>
#include <cstdlib>

#include "platform/linux/LinuxPlatform.h"

namespace kelvo {
namespace {

std::string variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

}  // namespace

DesktopSession LinuxPlatform::desktopSession() {
    return {variable("QT_QPA_PLATFORM"), variable("DISPLAY"), variable("WAYLAND_DISPLAY"),
            variable("XDG_SESSION_TYPE")};
}

// A real connection, not a look at the socket: a stale DISPLAY, a server that refuses our
// authority, or an Xwayland started on demand all answer as they would answer the toolkit.
bool LinuxPlatform::isX11ServerReachable(const std::string& display) {
    if (display.empty())
        return false;
    xcb_connection_t* c = xcb_connect(display.c_str(), nullptr);
    const bool ok = xcb_connection_has_error(c) == 0;
    xcb_disconnect(c);
    return ok;
}

// Where neither is there, the bus library would start a bus of its own for the display, and
// leave it running after the program ends.
bool LinuxPlatform::hasSessionBus() {
    if (!variable("DBUS_SESSION_BUS_ADDRESS").empty())
        return true;
    const std::string runtime = variable("XDG_RUNTIME_DIR");
    struct stat st {};
    return !runtime.empty() && stat((runtime + "/bus").c_str(), &st) == 0 && S_ISSOCK(st.st_mode);
}

bool LinuxPlatform::hasGlobalCoordinates() {
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

}  // namespace kelvo
