// What loading the settings does to the main window itself. The window keeps its native window
// and its visibility through these changes: hiding it would make the window manager forget the
// states it holds for it.
#include <QWindow>

#include "app/common/Hints.h"
#include "app/window/DesktopRules.h"
#include "app/window/MainForm.h"
#include "ui_MainForm.h"

namespace kelvo {

// On X11 the toolkit turns the flag into the window manager's "above" state.
void TMainForm::applyStayOnTop(bool on) {
    Qt::WindowFlags flags = windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, on);
    if (flags == windowFlags())
        return;
    overrideWindowFlags(flags);
    if (QWindow* window = windowHandle())
        window->setFlags(flags);
    if (on && isVisible())
        raise();
}

// Like the stay-on-top flag, on the live native window: the toolkit turns it into an empty input
// shape.
void TMainForm::setInputTransparent(bool on) {
    Qt::WindowFlags flags = windowFlags();
    flags.setFlag(Qt::WindowTransparentForInput, on);
    if (flags == windowFlags())
        return;
    overrideWindowFlags(flags);
    if (QWindow* window = windowHandle())
        window->setFlags(flags);
}

// Loading sets the button's state outright, either way; without a tray the button stays, as
// it is then the only way back to a minimised window. A window not created yet gets the hint
// when it is shown.
void TMainForm::applyTaskBarButtonHidden(bool hidden) {
    setTaskBarSkipped(skipsTaskBar(hidden, platform_.hasSystemTray()));
}

void TMainForm::applyHints(bool show) {
    Ui::TMainForm& u = *ui_;
    for (QWidget* w : std::initializer_list<QWidget*>{
             u.sbtnConfig, u.sbtnGetMem, u.sbtnMinimize, u.sbtnClose, u.btnStop, u.nlblUsePer,
             u.nlblTitlePhysical, u.nlblPageTitle, u.nlblVirtualTitle})
        setShowHint(w, show);
}

// The restore acts only on a minimised application, and then raises its restore event.
void TMainForm::restoreApplication() {
    if (!appMinimized_)
        return;
    appMinimized_ = false;
    changingState_ = true;
    setWindowState(windowState() & ~Qt::WindowMinimized);
    changingState_ = false;
    AppRestore();
}

}  // namespace kelvo
