// The main window on the desktop: small mode, dragging by the window's free areas, hiding under
// the pointer, staying on top and the task-bar button.
//
// The application's minimise, restore and deactivate events are the main window's own here:
// a window-state change to or from minimised, and the application turning inactive.
#include <QApplication>
#include <QMouseEvent>
#include <QSystemTrayIcon>
#include <QWindow>

#include "app/clean/CleanNotice.h"
#include "app/settings/SettingFrm.h"
#include "app/window/DesktopRules.h"
#include "app/window/MainForm.h"

namespace kelvo {

void TMainForm::FormCreate() {
    createTrayIcon();
    // Standard error is nowhere to be seen for a program started from the desktop.
    if (!iniNotice_.isEmpty() && platform_.hasSystemTray())
        Notify(
            {QStringLiteral("設定ファイルの場所が変わりました"), iniNotice_ + QLatin1Char('\n')});
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) {
                if (state != Qt::ApplicationActive)
                    AppDeactivate();
            });
    installEventFilter(this);
    winId();  // the native window exists from here on, so its mouse events can be watched
    windowHandle()->installEventFilter(this);
    startCpuStatistics();
}

void TMainForm::FormDestroy() {
    stopCpuStatistics();
    delete trayIcon_;
    trayIcon_ = nullptr;
}

void TMainForm::FormActivate() {
    ApplyTaskBarHide();
}

// The form's own events stand for the application's; the native window's mouse events for the
// hit test, which on this desktop has no message of its own.
bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == this) {
        switch (event->type()) {
            case QEvent::WindowActivate:
                FormActivate();
                break;
            case QEvent::Show:
                // Before the window is mapped: the window manager reads the hint as it maps it.
                ApplyTaskBarHide();
                // Showing may have given it a new native window; see once show() is done.
                QMetaObject::invokeMethod(this, &TMainForm::followNativeWindow,
                                          Qt::QueuedConnection);
                break;
            case QEvent::WindowStateChange: {
                if (changingState_)
                    break;
                const bool was =
                    static_cast<QWindowStateChangeEvent*>(event)->oldState() & Qt::WindowMinimized;
                if (isMinimized() && !was) {
                    appMinimized_ = true;
                    AppMinimize();
                } else if (!isMinimized() && was && appMinimized_) {
                    appMinimized_ = false;
                    AppRestore();
                }
                break;
            }
            case QEvent::WinIdChange:
                if (QWindow* window = windowHandle())
                    window->installEventFilter(this);
                break;
            default:
                break;
        }
        return false;
    }
    if (watched != windowHandle())
        return false;
    switch (event->type()) {
        case QEvent::Expose:
            followNativeWindow();
            break;
        case QEvent::Enter:
        case QEvent::MouseMove:
            WMNCHitTest();
            break;
        case QEvent::MouseButtonPress:
            movingByPress_ = false;
            if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton && WMNCHitTest() &&
                isVisible() && !hiddenUnderPointer_) {
                movingByPress_ = windowHandle()->startSystemMove();
                return true;
            }
            break;
        case QEvent::MouseButtonRelease:
            // A release that reaches the program came before the window manager took the pointer
            // for the move (a tap, a click of no length): the move ends here, however soon.
            if (movingByPress_ && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
                movingByPress_ = false;
                platform_.cancelWindowMove(currentNativeWindow());
                return true;
            }
            break;
        default:
            break;
    }
    return false;
}

bool TMainForm::WMNCHitTest() {
    CursorPos = platform_.GetCursorPos();
    const bool drag = isDragArea(CursorPos, x(), y());
    // Without global coordinates the pointer is only seen over the window, so a window hidden
    // under it would never learn that the pointer has left.
    if (isVisible() && !hiddenUnderPointer_ && platform_.hasGlobalCoordinates() &&
        hidesUnderPointer(SettingFrm().dontCatch(), SmallMode, platform_.GetCursorPos(), box(),
                          platform_.isShiftDown()))
        hideUnderPointer();
    return drag;
}

// Unmapping the window would take its entry out of the task bar each time the pointer crosses
// it, and the task bar would shift. An empty shape hides it, an input-transparent one lets
// the pointer through; the flag is kept in the widget's flags, so that a stay-on-top change
// keeps it.
void TMainForm::hideUnderPointer() {
    hiddenUnderPointer_ = true;
    setMask(QRegion(-1, -1, 1, 1));  // outside the window: nothing of it is shown
    setInputTransparent(true);
}

void TMainForm::showFromUnderPointer() {
    if (!hiddenUnderPointer_)
        return;
    hiddenUnderPointer_ = false;
    setInputTransparent(false);
    clearMask();
    update();
}

WindowBox TMainForm::box() const {
    return {x(), y(), width(), height()};
}

// Before the readout, every tick: a window hidden under the pointer comes back once the pointer
// has left its rectangle; a minimised window whose tray went away gets its task-bar button back.
void TMainForm::desktopTick() {
    followNativeWindow();
    followTrayMenu();
    if (SmallMode) {
        if (taskBarSkipped_ && !platform_.hasSystemTray())
            setTaskBarSkipped(false);
        return;
    }
    if (!hiddenUnderPointer_ || !SettingFrm().dontCatch())
        return;
    if (reshowsAfterPointer(SettingFrm().dontCatch(), SmallMode, platform_.GetCursorPos(), box()))
        showFromUnderPointer();
    ApplyTaskBarHide();
}

void TMainForm::startDesktop(bool small) {
    showFromUnderPointer();
    if (small) {
        minimizeApplication();
        SmallMode = true;
    } else {
        SmallMode = false;
        show();
    }
    ApplyTaskBarHide();
}

// Small mode is the minimised window: its task-bar button stays unless the option hides it, and
// the tray icon or the button brings it back.
void TMainForm::sbtnMinimizeClick() {
    SmallMode = true;
    minimizeApplication();
}

void TMainForm::minimizeApplication() {
    if (appMinimized_)
        return;
    appMinimized_ = true;
    changingState_ = true;
    showMinimized();
    changingState_ = false;
    AppMinimize();
}

void TMainForm::AppMinimize() {
    SmallMode = true;
    ApplyTaskBarHide();
}

void TMainForm::pmRestoreClick() {
    restoreApplication();
}

void TMainForm::AppRestore() {
    showFromUnderPointer();
    show();
    raise();
    activateWindow();
    SmallMode = false;
    ApplyTaskBarHide();
}

void TMainForm::AppDeactivate() {
    if (SmallMode || !SettingFrm().stayOnTop())
        return;
    if (isVisible())
        raise();
    ApplyTaskBarHide();
}

// Only ever hides the button: unchecking the option shows it again at the next load.
void TMainForm::ApplyTaskBarHide() {
    if (skipsTaskBar(SettingFrm().hideTaskBarButton(), platform_.hasSystemTray()))
        setTaskBarSkipped(true);
}

// A window not created yet takes the hint when it is shown.
void TMainForm::setTaskBarSkipped(bool skip) {
    taskBarSkipped_ = skip;
    nativeWindow_ = currentNativeWindow();
    if (nativeWindow_)
        platform_.setSkipTaskBar(nativeWindow_, skip);
}

// The toolkit replaces the native window behind the same QWindow when it shows a window whose
// stay-on-top flag changed while it was hidden, and tells the widget nothing: the widget's own
// id then names a window that is gone. Ask the QWindow, which always knows the current one.
NativeWindow TMainForm::currentNativeWindow() const {
    QWindow* window = windowHandle();
    return window && testAttribute(Qt::WA_WState_Created) ? window->winId() : 0;
}

// A new native window starts without the hints the toolkit does not keep for it.
void TMainForm::followNativeWindow() {
    const NativeWindow id = currentNativeWindow();
    if (!id || id == nativeWindow_)
        return;
    nativeWindow_ = id;
    if (taskBarSkipped_)
        platform_.setSkipTaskBar(id, true);
}

}  // namespace kelvo
