#include "app/cli/DisplayChoice.h"

#include <QtGlobal>

#include "platform/Platform.h"

namespace kelvo {
namespace {

// The toolkit reads "-platform NAME" anywhere on the command line, with one dash or two.
bool namesPlatform(const QStringList& arguments) {
    for (qsizetype i = 1; i + 1 < arguments.size(); ++i) {
        const QString& a = arguments.at(i);
        if (a == QLatin1String("-platform") || a == QLatin1String("--platform"))
            return true;
    }
    return false;
}

}  // namespace

DisplayChoice chooseDisplay(const QStringList& arguments, Platform& platform) {
    const DesktopSession session = platform.desktopSession();
    if (namesPlatform(arguments) || !session.qtPlatform.empty())
        return {DisplayChoice::Kind::AsAsked, {}};
    if (session.native)
        return {DisplayChoice::Kind::Native, {}};
    if (platform.isX11ServerReachable(session.x11Display))
        return {DisplayChoice::Kind::X11, QStringLiteral("xcb")};
    // Without WAYLAND_DISPLAY a Wayland session's compositor listens on its default socket.
    if (!session.waylandDisplay.empty() || session.sessionType == "wayland")
        return {DisplayChoice::Kind::Wayland, QStringLiteral("wayland")};
    return {DisplayChoice::Kind::NoDisplay, {}};
}

void applyDisplayChoice(const DisplayChoice& choice) {
    if (!choice.qtPlatform.isEmpty())
        qputenv("QT_QPA_PLATFORM", choice.qtPlatform.toLatin1());
    // A repaint through an X shared-memory image waits for the server's answer before the
    // image is used again: one round trip, and two threads woken, for each change of the
    // readout. The window is small, so sending its few kilobytes with the request costs less.
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM"))
        qputenv("QT_XCB_NO_MITSHM", "1");
}

void keepOffAbsentSessionBus(Platform& platform) {
    if (!platform.hasSessionBus())
        qputenv("DBUS_SESSION_BUS_ADDRESS", "disabled:");
}

QString displayLimitsNotice(const DisplayChoice& choice, const QString& platformName) {
    if (!platformName.startsWith(QLatin1String("wayland")))
        return {};
    const QString why = choice.kind == DisplayChoice::Kind::Wayland
                            ? QStringLiteral("no X server answers (DISPLAY is unset or stale)")
                            : QStringLiteral("QT_QPA_PLATFORM or -platform asks for it");
    return QStringLiteral(
               "kelvo: running as a native Wayland client because %1.\n"
               "kelvo: Wayland lets no program place its window, stay above others, leave the "
               "task bar or follow the pointer, so these do not work here: the saved window "
               "position (the compositor places the window; the saved one is kept), "
               "常に前面に表示 (stay on top), タスクバーを表示しない (no task-bar button) and "
               "マウスが重なった時に隠す (hide under the pointer).\n"
               "kelvo: the readout, the clean, the settings, the tray icon and dragging work. "
               "Start Xwayland (most desktops do) to have everything.\n")
        .arg(why);
}

}  // namespace kelvo
