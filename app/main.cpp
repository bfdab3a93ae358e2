#include <QApplication>
#include <cstdio>
#include <exception>

#include "app/clean/CleanCommand.h"
#include "app/cli/Autostart.h"
#include "app/cli/CommandLine.h"
#include "app/cli/DisplayChoice.h"
#include "app/cli/SecondInstance.h"
#include "app/cli/StatusReport.h"
#include "app/common/ErrorBox.h"
#include "app/window/Fonts.h"
#include "app/window/MainForm.h"
#include "platform/Platform.h"

namespace {

// The parameters as given. The toolkit takes its own options (-platform, -display, -reverse…)
// out of argv, but only the program's own first parameter counts.
QStringList arguments(int argc, char** argv) {
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    return args;
}

}  // namespace

// The options that print and exit, which need no display: the exit code.
int runTerminalAction(const QStringList& args, int argc, char** argv) {
    auto platform = kelvo::createSystemPlatform();
    const auto print = [&platform](const QString& text,
                                   kelvo::StandardStream stream = kelvo::StandardStream::Output) {
        platform->writeText(stream, text.toStdString());
    };
    if (kelvo::isAutostartOption(args)) {
        const kelvo::AutostartOutcome done = kelvo::runAutostartCommand(args, *platform);
        print(done.out);
        print(done.err, kelvo::StandardStream::Error);
        return done.exitCode;
    }
    switch (kelvo::commandLineAction(args)) {
        case kelvo::CommandLineAction::Help:
            print(kelvo::helpText());
            return 0;
        case kelvo::CommandLineAction::Version:
            print(QStringLiteral("kelvo %1\n").arg(QStringLiteral(KELVO_VERSION)));
            return 0;
        case kelvo::CommandLineAction::Status:
            print(kelvo::statusReport(*platform));
            return 0;
        case kelvo::CommandLineAction::Clean: {
            QCoreApplication app(argc, argv);  // delivers the stop requests; no display
            const auto out = [&platform](const QByteArray& text) {
                platform->writeText(kelvo::StandardStream::Output, text.toStdString());
            };
            return kelvo::runCleanCommand(*platform, out, kelvo::cleanProgressFor(*platform));
        }
        case kelvo::CommandLineAction::Unknown:
        case kelvo::CommandLineAction::Run:  // not asked for: a window start never comes here
            break;
    }
    print(QStringLiteral("kelvo: unknown option %1\n\n").arg(args.value(1)) + kelvo::helpText(),
          kelvo::StandardStream::Error);
    return kelvo::kUsageErrorExitCode;
}

int main(int argc, char** argv) {
    kelvo::restrictLibrarySearch();
    const QStringList rawArguments = arguments(argc, argv);
    if (kelvo::printsAndExits(rawArguments)) {
        kelvo::attachParentConsole();
        return runTerminalAction(rawArguments, argc, argv);
    }
    kelvo::detachConsole();
    auto platform = kelvo::createSystemPlatform();
    const kelvo::DisplayChoice display = kelvo::chooseDisplay(rawArguments, *platform);
    if (display.kind == kelvo::DisplayChoice::Kind::NoDisplay) {
        std::fprintf(stderr,
                     "kelvo: no display found; run it on a desktop, or under a virtual one such as "
                     "'xvfb-run -a build/kelvo'.\n");
        return 1;
    }
    kelvo::applyDisplayChoice(display);
    kelvo::keepOffAbsentSessionBus(*platform);
    Q_INIT_RESOURCE(kelvo);
    auto lock = platform->createInstanceLock("KELVO_EXE");

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kelvo"));
    QApplication::setQuitOnLastWindowClosed(false);  // the main window may hide in the tray
    // Each size drawn for itself: the tray takes 16 or 32, a task bar 32 or 48.
    QIcon icon;
    for (const int size : {16, 32, 48})
        icon.addFile(QStringLiteral(":/icons/kelvo-%1.png").arg(size));
    icon.addFile(QStringLiteral(":/icons/kelvo.png"));
    QApplication::setWindowIcon(icon);
    kelvo::installFontFallbacks();

    if (kelvo::refuseSecondInstance(*lock))
        return 0;
    const QString limits = kelvo::displayLimitsNotice(display, QGuiApplication::platformName());
    std::fputs(limits.toUtf8().constData(), stderr);

    std::unique_ptr<kelvo::TMainForm> mainForm;
    try {
        mainForm = std::make_unique<kelvo::TMainForm>(*platform);
        mainForm->SetCommandLine(rawArguments);
        kelvo::TMainForm* form = mainForm.get();
        platform->onTerminationRequest([form] { form->ExternalClose(); });
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
