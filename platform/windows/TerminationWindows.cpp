// Ctrl+C in the console the program was started from, and the end of the session, as a close
// request on the GUI thread.
#include <windows.h>

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QMetaObject>

#include "platform/windows/WindowsPlatform.h"

namespace kelvo {
namespace {

std::function<void()>* g_handler = nullptr;

void postToGuiThread() {
    if (QCoreApplication* app = QCoreApplication::instance())
        QMetaObject::invokeMethod(
            app, [] { (*g_handler)(); }, Qt::QueuedConnection);
}

// Runs on a thread of the system's own.
BOOL WINAPI onConsoleEvent(DWORD event) {
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT || event == CTRL_CLOSE_EVENT) {
        postToGuiThread();
        return TRUE;
    }
    return FALSE;
}

// The session ends (log-off, shut-down): the close request runs before the system goes on,
// since the process may end as soon as WM_ENDSESSION returns.
class SessionEndFilter : public QAbstractNativeEventFilter {
  public:
    bool nativeEventFilter(const QByteArray& type, void* message, qintptr* result) override {
        if (type != "windows_generic_MSG" || !message)
            return false;
        const MSG* msg = static_cast<const MSG*>(message);
        if (msg->message == WM_QUERYENDSESSION) {
            *result = TRUE;
            return true;
        }
        if (msg->message == WM_ENDSESSION && msg->wParam && !ended_) {
            ended_ = true;
            (*g_handler)();
            QCoreApplication::sendPostedEvents();
            *result = 0;
            return true;
        }
        return false;
    }

  private:
    bool ended_ = false;
};

}  // namespace

void WindowsPlatform::onTerminationRequest(std::function<void()> handler) {
    if (g_handler || !QCoreApplication::instance())
        return;
    g_handler = new std::function<void()>(std::move(handler));
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
    QCoreApplication::instance()->installNativeEventFilter(new SessionEndFilter);
}

void attachParentConsole() {
    // A handle inherited from the parent (a redirection to a file or a pipe) stays as it is.
    const auto leadsSomewhere = [](DWORD which) {
        const HANDLE h = GetStdHandle(which);
        return h && h != INVALID_HANDLE_VALUE && GetFileType(h) != FILE_TYPE_UNKNOWN;
    };
    const bool out = leadsSomewhere(STD_OUTPUT_HANDLE);
    const bool err = leadsSomewhere(STD_ERROR_HANDLE);
    if ((out && err) || !AttachConsole(ATTACH_PARENT_PROCESS))
        return;
    if (!out)
        (void)freopen("CONOUT$", "w", stdout);
    if (!err)
        (void)freopen("CONOUT$", "w", stderr);
}

}  // namespace kelvo
