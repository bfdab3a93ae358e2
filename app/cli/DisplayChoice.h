#pragma once

#include <QString>
#include <QStringList>

namespace kelvo {

class Platform;

// Which of the toolkit's platforms the program runs on. Every window behaviour needs X11, so an
// X server is preferred wherever one answers, Xwayland included.
struct DisplayChoice {
    enum class Kind {
        NoDisplay,  // neither an X server nor a Wayland compositor to talk to
        AsAsked,    // QT_QPA_PLATFORM or -platform names one: the user's choice stands
        X11,
        Wayland,  // no X server answers; a native Wayland client with fewer window behaviours
        Native,   // the system's own window system (Windows)
    };
    Kind kind = Kind::NoDisplay;
    // The platform to hand the toolkit; empty to leave its own choice alone.
    QString qtPlatform;
};

// Decides from the command line (the program's arguments, with the program name first) and the
// session; asks the X server only when the user named no platform.
DisplayChoice chooseDisplay(const QStringList& arguments, Platform& platform);

// Hands the choice to the toolkit, with X11 repaints sent whole rather than through shared
// memory (QT_XCB_NO_MITSHM; one the user set is left as it is). Call before the application
// object is made.
void applyDisplayChoice(const DisplayChoice& choice);

// Where the session has no message bus, the toolkit's bus library would start one for the
// display (for the tray and the desktop's services) and leave it running after the program
// ends: it is given an address that names no bus instead. Call before the application object
// is made.
void keepOffAbsentSessionBus(Platform& platform);

// What cannot work on the toolkit platform named `platformName` (its name once running), for
// standard error; empty where everything works.
QString displayLimitsNotice(const DisplayChoice& choice, const QString& platformName);

}  // namespace kelvo
