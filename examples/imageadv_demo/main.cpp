#include <QApplication>
#include <QMessageBox>

#include "components/imageadv/ImageAdv.h"
#include "components/imageadv/SurfaceForm.h"
#include "examples/imageadv_demo/DemoScene.h"

// imageadv_demo [assets folder]
int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString assets = argc > 1 ? QString::fromLocal8Bit(argv[1]) : KELVO_DEMO_ASSETS;
    kelvo::TSurfaceForm form;
    form.setWindowTitle("Kelvo image component demo");
    form.setFixedSize(640, 480);
    auto* adv = new kelvo::TImageAdv(&form);
    adv->setGeometry(0, 0, 640, 480);
    kelvo::demo::DemoScene scene(adv, assets);
    if (!scene.start()) {
        QMessageBox::critical(nullptr, "Kelvo", "The demo's pictures cannot be read.");
        return 1;
    }
    form.show();
    return app.exec();
}
