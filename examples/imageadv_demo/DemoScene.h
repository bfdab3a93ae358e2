#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <string>
#include <vector>

#include "components/imageadv/ImageAdv.h"

namespace kelvo::demo {

// Drives the scene: background and character merged, text with a shadow, a brightness change
// and its undo, then a two-answer menu that the mouse answers through the hit test.
class DemoScene : public QObject {
    Q_OBJECT

  public:
    DemoScene(TImageAdv* adv, QString assets);
    // False when the pictures or the text cannot be read.
    bool start();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void nextStep();
    void compose();
    void showMenu(int highlight);
    std::string line(size_t i) const { return i < lines_.size() ? lines_[i] : std::string(); }

    TImageAdv* adv_;
    QString assets_;
    std::vector<std::string> lines_;
    QTimer timer_;
    int step_ = 0;
    int hovered_ = 0;
    bool menuOpen_ = false;
};

}  // namespace kelvo::demo
