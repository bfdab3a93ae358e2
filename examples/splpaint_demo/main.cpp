#include <QApplication>
#include <QCommandLineParser>
#include <cstdio>

#include "examples/splpaint_demo/DemoWindow.h"

// splpaint_demo [--pictures DIR] [--play KEY [--frames N]]
int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption(
        {"pictures", "Folder of the background and sprites.", "dir", KELVO_DEMO_PICTURES});
    parser.addOption({"play", "Starts the transition of this key at once.", "key"});
    parser.addOption({"frames", "Frames of it to draw before showing.", "n", "0"});
    parser.process(app);

    kelvo::demo::DemoWindow window(parser.value("pictures").toStdString());
    if (!window.loaded()) {
        std::fprintf(stderr, "cannot load the pictures from %s\n",
                     qPrintable(parser.value("pictures")));
        return 1;
    }
    const QString key = parser.value("play").toUpper();
    if (!key.isEmpty())
        window.play(key.at(0).toLatin1(), parser.value("frames").toInt());
    window.show();
    return app.exec();
}
