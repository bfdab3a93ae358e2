// What loading the settings does to the main window itself. Changing a window's flags re-creates
// its native window and hides it, so each effect acts only on a change and shows the window
// again if it was shown.
#include "app/Hints.h"
#include "app/MainForm.h"
#include "ui_MainForm.h"

namespace kelvo {
namespace {

void setFlagsKeepingVisibility(QWidget* w, Qt::WindowFlags flags) {
    if (w->windowFlags() == flags)
        return;
    const bool shown = w->isVisible();
    w->setWindowFlags(flags);
    if (shown)
        w->show();
}

}  // namespace

void TMainForm::applyStayOnTop(bool on) {
    Qt::WindowFlags flags = windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, on);
    setFlagsKeepingVisibility(this, flags);
    if (on && isVisible())
        raise();
}

// A tool window has no task-bar button.
void TMainForm::applyTaskBarButtonHidden(bool hidden) {
    const Qt::WindowFlags flags =
        (windowFlags() & ~Qt::WindowType_Mask) | (hidden ? Qt::Tool : Qt::Window);
    setFlagsKeepingVisibility(this, flags);
}

void TMainForm::applyHints(bool show) {
    Ui::TMainForm& u = *ui_;
    for (QWidget* w : std::initializer_list<QWidget*>{
             u.sbtnConfig, u.sbtnGetMem, u.sbtnMinimize, u.sbtnClose, u.btnStop, u.nlblUsePer,
             u.nlblTitlePhysical, u.nlblPageTitle, u.nlblVirtualTitle})
        setShowHint(w, show);
}

void TMainForm::restoreApplication() {
    if (isMinimized())
        setWindowState(windowState() & ~Qt::WindowMinimized);
}

}  // namespace kelvo
