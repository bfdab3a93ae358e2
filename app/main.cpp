#include <QApplication>
#include <QMessageBox>
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "app/ErrorBox.h"
#include "app/Fonts.h"
#include "app/MainForm.h"
#include "platform/Platform.h"

namespace {

bool haveDisplay() {
    auto set = [](const char* name) {
        const char* v = std::getenv(name);
        return v && *v;
    };
    return set("DISPLAY") || set("WAYLAND_DISPLAY") || set("QT_QPA_PLATFORM");
}

}  // namespace

int main(int argc, char** argv) {
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

    if (lock->alreadyExists()) {
        QMessageBox::information(nullptr, QStringLiteral("Kelvo"),
                                 QStringLiteral("プログラムの二重起動はできません。"));
        return 0;
    }

    std::unique_ptr<kelvo::TMainForm> mainForm;
    try {
        mainForm = std::make_unique<kelvo::TMainForm>(*platform);
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
