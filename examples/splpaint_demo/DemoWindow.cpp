#include "examples/splpaint_demo/DemoWindow.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QVBoxLayout>

namespace kelvo::demo {
namespace {

constexpr int kSprites = 3;
constexpr int kFrameMs = 40;
constexpr int kStep = 8;

const char* kHelp =
    "Tab: next sprite   arrows or drag: move   H: hide/show   Home: show the scene   B: pattern "
    "set   "
    "Space: abort   Return: go on\n"
    "1 in  2 out  3 cross   Q W E R: dissolve from black, to black, from white, to white\n"
    "A S D F: contrast from white, to black, from black, to white   Z X C V: the same by RGB\n"
    "U I O P: slit in left, in right, out left, out right";

}  // namespace

DemoWindow::DemoWindow(const std::string& pictures) : pictures_(pictures) {
    setWindowTitle("Kelvo sprite painter");
    paint_ = new TSplPaint(this);
    status_ = new QLabel(this);
    auto* help = new QLabel(kHelp, this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(paint_);
    layout->addWidget(status_);
    layout->addWidget(help);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    paint_->installEventFilter(this);
    connect(paint_, &TSplPaint::OnPaint, this, [this] { paint_->DrawToScreen(true); });
    connect(&timer_, &QTimer::timeout, this, [this] { frame(); });
    setFocusPolicy(Qt::StrongFocus);

    TSplPaint& p = *paint_;
    transitions_ = {
        // A dissolve in shows a hidden sprite for good; one out hides it at its end, so that
        // later redraws agree with what the transition left.
        {'1',
         {"FadeInSplite",
          [this] {
              bakeScene(selected_, -1);
              paint_->SetVisible(selected_, true);
              paint_->FadeInSplite(selected_);
          }}},
        {'2',
         {"FadeOutSplite",
          [this] {
              bakeScene(selected_, -1);
              hideAtEnd_ = selected_;
              paint_->FadeOutSplite(selected_);
          }}},
        // The ball and the star have one size, so they cross-dissolve cleanly: the one not
        // selected turns into the selected one.
        {'3',
         {"FadeSplite",
          [this] {
              const int to = selected_ == 1 ? 1 : 0, from = 1 - to;
              bakeScene(from, to);
              hideAtEnd_ = from;
              paint_->SetVisible(to, true);
              paint_->FadeSplite(from, to);
          }}},
        {'Q', {"FadeFromBlack", [&p] { p.FadeFromBlack(); }}},
        {'W', {"FadeToBlack", [&p] { p.FadeToBlack(); }}},
        {'E', {"FadeFromWhite", [&p] { p.FadeFromWhite(); }}},
        {'R', {"FadeToWhite", [&p] { p.FadeToWhite(); }}},
        {'A', {"FadeFromWhiteContrast", [&p] { p.FadeFromWhiteContrast(); }}},
        {'S', {"FadeToBlackContrast", [&p] { p.FadeToBlackContrast(); }}},
        {'D', {"FadeFromBlackContrast", [&p] { p.FadeFromBlackContrast(); }}},
        {'F', {"FadeToWhiteContrast", [&p] { p.FadeToWhiteContrast(); }}},
        {'Z', {"FadeFromBlackRGB", [&p] { p.FadeFromBlackRGB(); }}},
        {'X', {"FadeToBlackRGB", [&p] { p.FadeToBlackRGB(); }}},
        {'C', {"FadeFromWhiteRGB", [&p] { p.FadeFromWhiteRGB(); }}},
        {'V', {"FadeToWhiteRGB", [&p] { p.FadeToWhiteRGB(); }}},
        {'U', {"SlitInLeft", [&p] { p.SlitInLeft(); }}},
        {'I', {"SlitInRight", [&p] { p.SlitInRight(); }}},
        {'O', {"SlitOutLeft", [&p] { p.SlitOutLeft(); }}},
        {'P', {"SlitOutRight", [&p] { p.SlitOutRight(); }}},
    };

    const char* names[kSprites] = {"ball.bmp", "star.bmp", "block.bmp"};
    loaded_ = p.LoadBkGnd(pictures_ + "/background.bmp", true);
    for (int i = 0; i < kSprites && loaded_; ++i)
        loaded_ = p.LoadSplite(i, pictures_ + "/" + names[i]);
    // The painter sizes itself to the background; the layout keeps that size.
    p.setFixedSize(p.size());
    p.MoveSplite(0, 120, 200);
    p.MoveSplite(1, 300, 120);
    p.MoveSplite(2, 440, 260);
    redraw();
    showStatus();
}

// After a fade to black or white the scene comes back at once.
void DemoWindow::restore() {
    if (paint_->GetFadeing())
        return;
    redraw();
}

void DemoWindow::bakeScene(int skipA, int skipB) {
    clean_ = paint_->OrgBkGnd;
    baked_ = true;
    paint_->PatchSplite();
    for (int i = 0; i < kSprites; ++i)
        if (i != skipA && i != skipB)
            paint_->DrawSplite(i, true);
    const raster::Bitmap scene = paint_->BkGnd;
    paint_->SetBkGnd(&scene, true);
}

void DemoWindow::transitionEnded() {
    if (baked_)
        paint_->SetBkGnd(&clean_, false);
    baked_ = false;
    if (hideAtEnd_ >= 0)
        paint_->SetVisible(hideAtEnd_, false);
    hideAtEnd_ = -1;
}

void DemoWindow::redraw() {
    paint_->DrawAll(-1);
    paint_->DrawToScreen(true);
}

void DemoWindow::frame() {
    const bool more = paint_->FadeExecute(false);
    paint_->DrawToScreen(true);
    if (!more) {
        timer_.stop();
        transitionEnded();
    }
    showStatus();
}

void DemoWindow::showStatus() {
    status_->setText(QString("sprite %1%2   pattern set %3   last transition: %4%5")
                         .arg(selected_)
                         .arg(paint_->GetVisible(selected_) ? "" : " (hidden)")
                         .arg(patternSet_)
                         .arg(QString::fromStdString(last_))
                         .arg(paint_->GetFadeing() ? " (running)" : ""));
}

bool DemoWindow::play(char key, int frames) {
    auto it = transitions_.find(key);
    if (it == transitions_.end() || paint_->GetFadeing())
        return false;
    last_ = it->second.first;
    // The whole-picture transitions fade the scene as composed; the sprite ones bake it too.
    if (key != '1' && key != '2' && key != '3')
        bakeScene(-1, -1);
    it->second.second();
    for (int i = 0; i < frames && paint_->FadeExecute(false); ++i) {
    }
    if (!paint_->GetFadeing())
        transitionEnded();
    paint_->DrawToScreen(true);
    if (paint_->GetFadeing() && frames == 0)
        timer_.start(kFrameMs);
    showStatus();
    return true;
}

int DemoWindow::spriteAt(int x, int y) const {
    for (int i = kSprites - 1; i >= 0; --i)
        if (paint_->GetVisible(i) && paint_->Splites[size_t(i)].PosRect.contains(x, y))
            return i;
    return -1;
}

void DemoWindow::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    int dx = 0, dy = 0;
    switch (key) {
        case Qt::Key_Tab:
            selected_ = (selected_ + 1) % kSprites;
            break;
        case Qt::Key_Left:
            dx = -kStep;
            break;
        case Qt::Key_Right:
            dx = kStep;
            break;
        case Qt::Key_Up:
            dy = -kStep;
            break;
        case Qt::Key_Down:
            dy = kStep;
            break;
        case Qt::Key_H:
            paint_->SetVisible(selected_, !paint_->GetVisible(selected_));
            if (!paint_->GetFadeing())
                redraw();
            break;
        case Qt::Key_Home:
            restore();
            break;
        case Qt::Key_B:
            patternSet_ = (patternSet_ + 1) % TSplPaint::kPatternSets;
            paint_->ChangeFadeBrush(patternSet_);
            break;
        case Qt::Key_Space:
            paint_->FadeAbort();
            break;
        case Qt::Key_Return:
            if (paint_->GetFadeing())
                timer_.start(kFrameMs);
            break;
        default:
            if (key >= 0x20 && key < 0x7F && play(char(key), 0))
                return;
            QWidget::keyPressEvent(event);
            return;
    }
    if ((dx || dy) && !paint_->GetFadeing()) {
        paint_->MoveSplite2(selected_, dx, dy);
        redraw();
    }
    showStatus();
}

// Dragging a sprite on the painter moves it.
bool DemoWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched != paint_)
        return false;
    if (event->type() == QEvent::MouseButtonPress) {
        const QPoint pos = static_cast<QMouseEvent*>(event)->position().toPoint();
        dragged_ = spriteAt(pos.x(), pos.y());
        if (dragged_ >= 0) {
            selected_ = dragged_;
            dragX_ = pos.x();
            dragY_ = pos.y();
            showStatus();
        }
        return true;
    }
    if (event->type() == QEvent::MouseMove && dragged_ >= 0 && !paint_->GetFadeing()) {
        const QPoint pos = static_cast<QMouseEvent*>(event)->position().toPoint();
        paint_->MoveSplite2(dragged_, pos.x() - dragX_, pos.y() - dragY_);
        dragX_ = pos.x();
        dragY_ = pos.y();
        redraw();
        return true;
    }
    if (event->type() == QEvent::MouseButtonRelease) {
        dragged_ = -1;
        return true;
    }
    return false;
}

}  // namespace kelvo::demo
