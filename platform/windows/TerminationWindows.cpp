// Ctrl+C in the console the program was started from, and the end of the session, as a close
// request on the GUI thread.
#include <windows.h>

#include <cstdio>

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QMetaObject>

#include "platform/windows/WindowsPlatform.h"

namespace kelvo {
namespace {

std::function<void()>* g_handler = nullptr;
// Set for the options that print: only they heed the console they were started from.
bool g_consoleJoined = false;

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
    if (g_consoleJoined)
        SetConsoleCtrlHandler(onConsoleEvent, TRUE);
    QCoreApplication::instance()->installNativeEventFilter(new SessionEndFilter);
}

void attachParentConsole() {
    // A program started by a console program may have its console already.
    g_consoleJoined = AttachConsole(ATTACH_PARENT_PROCESS) || GetLastError() == ERROR_ACCESS_DENIED;
    if (!g_consoleJoined)
        return;
    // A handle inherited from the parent (a redirection to a file or a pipe, or the console
    // handed on by kelvo.com) stays as it is.
    const auto join = [](DWORD which, FILE* stream) {
        const HANDLE h = GetStdHandle(which);
        if (h && h != INVALID_HANDLE_VALUE && GetFileType(h) != FILE_TYPE_UNKNOWN)
            return;
        // Read access too: the console's mode and cursor are read through it.
        const HANDLE console =
            CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
        if (console != INVALID_HANDLE_VALUE)
            SetStdHandle(which, console);
        (void)freopen("CONOUT$", "w", stream);
    };
    join(STD_OUTPUT_HANDLE, stdout);
    join(STD_ERROR_HANDLE, stderr);
}

// A windowed program has no console of its own; one it was handed (Wine gives a console
// program's children its console) would end it on Ctrl+C or when closed, without saving.
void detachConsole() {
    FreeConsole();
}

}  // namespace kelvo
