// The least a desktop program with Kelvo's tick can cost: a shown window of Kelvo's size and a
// 100 ms timer that does nothing. desktop_cost.sh measures it beside Kelvo as the baseline.
#include <QApplication>
#include <QTimer>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.resize(200, 80);
    window.move(300, 300);
    window.show();
    QTimer tick;
    tick.setInterval(100);
    QObject::connect(&tick, &QTimer::timeout, [] {});
    tick.start();
    return app.exec();
}
