#pragma once

#include <QApplication>

namespace kelvo::fuzz {

// The application object a widget needs, on Qt's offscreen platform; made once, kept until the
// process ends. A host that already has one keeps its own.
struct OffscreenApplication {
    OffscreenApplication() {
        if (QCoreApplication::instance())
            return;
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "kelvo-fuzz";
        static char* argv[] = {name, nullptr};
        new QApplication(argc, argv);
    }
};

}  // namespace kelvo::fuzz
