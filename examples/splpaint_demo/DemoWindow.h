#pragma once

#include <QLabel>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <map>
#include <string>

#include "components/splpaint/SplPaint.h"

namespace kelvo::demo {

// A sprite painter with a background and three sprites: Tab picks a sprite, the arrows or the
// mouse move it, and each transition has a key. A timer calls FadeExecute once per frame and
// shows the composition after every call.
//
// Every transition works from OrgBkGnd, the clean background. To fade the composed scene rather
// than the bare background, the demo bakes the sprites that should stay into OrgBkGnd before it
// starts one (SetBkGnd of the composition) and gives the clean background back when the
// transition has ended.
class DemoWindow : public QWidget {
    Q_OBJECT

  public:
    explicit DemoWindow(const std::string& pictures);
    bool loaded() const { return loaded_; }
    // Starts the transition of `key` (one of the keys listed in the help). With frames > 0 it
    // draws that many frames at once and holds there (Return goes on), e.g. for a still.
    bool play(char key, int frames);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Tab picks a sprite instead of moving the focus.
    bool focusNextPrevChild(bool) override { return false; }

  private:
    void restore();
    // OrgBkGnd becomes the background with every visible sprite but `skipA` and `skipB`.
    void bakeScene(int skipA, int skipB);
    // The clean background back in OrgBkGnd and Temp; BkGnd keeps the last frame.
    void transitionEnded();
    void redraw();
    void frame();
    void showStatus();
    int spriteAt(int x, int y) const;

    TSplPaint* paint_;
    QLabel* status_;
    QTimer timer_;
    std::string pictures_;
    std::map<char, std::pair<const char*, std::function<void()>>> transitions_;
    int selected_ = 0;
    int patternSet_ = 0;
    int dragged_ = -1;
    int dragX_ = 0, dragY_ = 0;
    bool loaded_ = false;
    std::string last_ = "none";
    raster::Bitmap clean_;
    bool baked_ = false;
    int hideAtEnd_ = -1;  // the sprite a dissolve out takes away
};

}  // namespace kelvo::demo
