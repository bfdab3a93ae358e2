#include <QApplication>
#include <cstdio>
#include <exception>
#include <optional>

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

// The terminal actions, which need no display: the exit code when one ran.
std::optional<int> runTerminalAction(int argc, char** argv) {
    const QStringList args = arguments(argc, argv);
    switch (kelvo::commandLineAction(args)) {
        case kelvo::CommandLineAction::Help:
            std::fputs(kelvo::helpText().toUtf8().constData(), stdout);
            return 0;
        case kelvo::CommandLineAction::Version:
            std::printf("kelvo %s\n", KELVO_VERSION);
            return 0;
        case kelvo::CommandLineAction::Status: {
            auto platform = kelvo::createSystemPlatform();
            std::fputs(kelvo::statusReport(*platform).toUtf8().constData(), stdout);
            return 0;
        }
        case kelvo::CommandLineAction::Clean: {
            QCoreApplication app(argc, argv);  // delivers SIGINT and SIGTERM; no display
            auto platform = kelvo::createSystemPlatform();
            return kelvo::runCleanCommand(
                *platform,
                [](const QByteArray& text) {
                    std::fwrite(text.constData(), 1, static_cast<size_t>(text.size()), stdout);
                    std::fflush(stdout);
                },
                platform->standardOutputIsTerminal());
        }
        case kelvo::CommandLineAction::Unknown:
            std::fprintf(stderr, "kelvo: unknown option %s\n\n", argv[1]);
            std::fputs(kelvo::helpText().toUtf8().constData(), stderr);
            return 2;
        case kelvo::CommandLineAction::Run:
            return std::nullopt;
    }
    return std::nullopt;
}

int main(int argc, char** argv) {
    kelvo::attachParentConsole();
    const QStringList rawArguments = arguments(argc, argv);
    if (kelvo::isAutostartOption(rawArguments)) {
        auto platform = kelvo::createSystemPlatform();
        const kelvo::AutostartOutcome done = kelvo::runAutostartCommand(rawArguments, *platform);
        std::fputs(done.out.toUtf8().constData(), stdout);
        std::fputs(done.err.toUtf8().constData(), stderr);
        return done.exitCode;
    }
    if (const std::optional<int> code = runTerminalAction(argc, argv))
        return *code;
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
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/kelvo.png")));
    kelvo::installFontFallbacks();

    if (kelvo::refuseSecondInstance(*lock))
        return 0;
    const QString limits = kelvo::displayLimitsNotice(display, QGuiApplication::platformName());
    std::fputs(limits.toUtf8().constData(), stderr);

    std::unique_ptr<kelvo::TMainForm> mainForm;
    try {
        mainForm = std::make_unique<kelvo::TMainForm>(*platform);
        mainForm->CommandLine = rawArguments;
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
