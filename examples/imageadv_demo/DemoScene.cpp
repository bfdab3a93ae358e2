#include "examples/imageadv_demo/DemoScene.h"

#include <QMouseEvent>

namespace kelvo::demo {
namespace {

constexpr int kPictureKey = 1234;
constexpr int kTextKey = 4321;
constexpr raster::Color kYellow = raster::rgb(255, 230, 80);

}  // namespace

DemoScene::DemoScene(TImageAdv* adv, QString assets) : adv_(adv), assets_(std::move(assets)) {
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &DemoScene::nextStep);
    adv_->installEventFilter(this);
    adv_->setMouseTracking(true);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(22);
    font.setBold(true);
    adv_->setFont(font);
    adv_->setCodePage(TextCodePage::kUtf8);  // make_assets.py writes the scene text as UTF-8
}

bool DemoScene::start() {
    auto file = [this](const char* name) { return (assets_ + "/" + name).toStdString(); };
    if (!adv_->GrpFileRead(file("background.bmp"), kPictureKey, 1) ||
        !adv_->GrpFileRead(file("character.bmp"), 0, 2))
        return false;
    const std::string text = adv_->TxtFileRead(file("scene.txt"), kTextKey);
    if (text == "0")
        return false;
    size_t from = 0;
    for (size_t at; (at = text.find('\x1e', from)) != std::string::npos; from = at + 1)
        lines_.push_back(text.substr(from, at - from));
    lines_.push_back(text.substr(from));
    compose();
    timer_.start(1500);
    return true;
}

// Background with the character merged into it, and the scene text on image 0.
void DemoScene::compose() {
    adv_->WhitePalSet(1);
    adv_->BmpBkCopy(3, 1);  // keep the clean background for later scenes
    adv_->BmpBkMarge(1, 380, 200, 2, 0);
    adv_->BmpBkCopy(0, 1);
    const TRect box{30, 360, 610, 470};
    const raster::Font font = adv_->textFont();
    adv_->NovelDrawText(adv_->BmpBkGet(0), &box, line(0), &font, true, 0);
}

void DemoScene::nextStep() {
    switch (step_++) {
        case 0:  // the sun comes out: brighten the whole palette
            adv_->RGBChg(0, 35, 0, 255, true);
            timer_.start(1200);
            break;
        case 1:  // and goes again
            adv_->RGBRestore(0);
            timer_.start(800);
            break;
        case 2:
            showMenu(0);
            break;
        default:
            break;
    }
}

void DemoScene::showMenu(int highlight) {
    menuOpen_ = true;
    adv_->BmpBkCopy(0, 1);
    adv_->NovelSelect(line(1), line(2), line(3), "0", "0", true, highlight, kYellow);
}

bool DemoScene::eventFilter(QObject* watched, QEvent* event) {
    if (watched != adv_ || !menuOpen_)
        return false;
    if (event->type() == QEvent::MouseMove) {
        const QPoint p = static_cast<QMouseEvent*>(event)->position().toPoint();
        const int k = adv_->NovelSelHitRect(2, p.x(), p.y());
        if (k != hovered_) {
            hovered_ = k;
            showMenu(k ? 1 << (k - 1) : 0);
        }
    } else if (event->type() == QEvent::MouseButtonPress) {
        const QPoint p = static_cast<QMouseEvent*>(event)->position().toPoint();
        const int k = adv_->NovelSelHitRect(2, p.x(), p.y());
        if (k == 0)
            return true;
        menuOpen_ = false;
        adv_->BmpBkCopy(0, 1);
        const TRect box{30, 360, 610, 470};
        const raster::Font font = adv_->textFont();
        adv_->NovelDrawText(adv_->BmpBkGet(0), &box, line(4) + line(1 + size_t(k)), &font, true,
                            kYellow);
        return true;
    }
    return false;
}

}  // namespace kelvo::demo
