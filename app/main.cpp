#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "app/CommandLine.h"
#include "app/ErrorBox.h"
#include "app/Fonts.h"
#include "app/MainForm.h"
#include "app/SecondInstance.h"
#include "app/StatusReport.h"
#include "platform/Platform.h"

namespace {

bool haveDisplay() {
    auto set = [](const char* name) {
        const char* v = std::getenv(name);
        return v && *v;
    };
    return set("DISPLAY") || set("WAYLAND_DISPLAY") || set("QT_QPA_PLATFORM");
}

// The parameters as given. The toolkit takes its own options (-platform, -display, -reverse…)
// out of argv, but only the program's own first parameter counts.
QStringList rawArguments(int argc, char** argv) {
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    return args;
}

}  // namespace

// The terminal actions, which need no display: true when one ran.
bool runTerminalAction(const QStringList& args) {
    switch (kelvo::commandLineAction(args)) {
        case kelvo::CommandLineAction::Help:
            std::fputs(kelvo::helpText().toUtf8().constData(), stdout);
            return true;
        case kelvo::CommandLineAction::Version:
            std::printf("kelvo %s\n", KELVO_VERSION);
            return true;
        case kelvo::CommandLineAction::Status: {
            auto platform = kelvo::createSystemPlatform();
            std::fputs(kelvo::statusReport(*platform).toUtf8().constData(), stdout);
            return true;
        }
        case kelvo::CommandLineAction::Run:
            return false;
    }
    return false;
}

int main(int argc, char** argv) {
    const QStringList arguments = rawArguments(argc, argv);
    if (runTerminalAction(arguments))
        return 0;
    if (!haveDisplay()) {
        std::fprintf(stderr,
                     "kelvo: no display found; run it on a desktop, or under a virtual one such as "
                     "'xvfb-run -a build/kelvo'.\n");
        return 1;
    }
    Q_INIT_RESOURCE(kelvo);
    auto platform = kelvo::createSystemPlatform();
    auto lock = platform->createInstanceLock("KELVO_EXE");

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kelvo"));
    QApplication::setQuitOnLastWindowClosed(false);  // the main window may hide in the tray
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/kelvo.png")));
    kelvo::installFontFallbacks();

    if (kelvo::refuseSecondInstance(*lock))
        return 0;

    std::unique_ptr<kelvo::TMainForm> mainForm;
    try {
        mainForm = std::make_unique<kelvo::TMainForm>(*platform);
        mainForm->CommandLine = arguments;
        kelvo::TMainForm* form = mainForm.get();
        platform->onTerminationRequest([form] { form->MenuClose(); });
        mainForm->FormCreate();
        QApplication::exec();
    } catch (const std::exception& e) {
        kelvo::ShowError(QString::fromUtf8(e.what()));
    }
    lock.reset();
    if (mainForm)
        mainForm->FormDestroy();
    mainForm.reset();
    return 0;
}
