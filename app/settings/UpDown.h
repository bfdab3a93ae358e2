#pragma once

#include <QLineEdit>
#include <QPointer>
#include <QWidget>

class QToolButton;

namespace kelvo {

// A pair of arrow buttons that steps a number between Min and Max and writes it into an attached
// edit, whose text the user may also type. The edit keeps its own text and change events; the
// up-down reads the number back from it: an in-range integer typed there is the position, any
// other text leaves the last position. Positions are signed 16-bit values.
class TUpDown : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int Min READ Min WRITE setMin)
    Q_PROPERTY(int Max READ Max WRITE setMax)
    Q_PROPERTY(int Position READ Position WRITE setPosition)
    Q_PROPERTY(int Increment READ Increment WRITE setIncrement)
    Q_PROPERTY(bool Wrap READ Wrap WRITE setWrap)
    Q_PROPERTY(bool ArrowKeys READ ArrowKeys WRITE setArrowKeys)

  public:
    explicit TUpDown(QWidget* parent = nullptr);

    int Min() const { return min_; }
    void setMin(int value);
    int Max() const { return max_; }
    // The range is not re-applied to the position: the next step or set does that.
    void setMax(int value);
    // The edit's number when it is an in-range integer, else the last position set or stepped.
    int Position() const;
    // Holds `value` within Min..Max and writes it into the edit.
    void setPosition(int value);
    int Increment() const { return increment_; }
    void setIncrement(int value) { increment_ = value; }
    bool Wrap() const { return wrap_; }
    void setWrap(bool on) { wrap_ = on; }
    bool ArrowKeys() const { return arrowKeys_; }
    void setArrowKeys(bool on) { arrowKeys_ = on; }

    QLineEdit* Associate() const { return associate_; }
    void setAssociate(QLineEdit* edit);

    // One step up (+1) or down (-1), as a click on an arrow does.
    void step(int direction);

  signals:
    // The position moved by a step.
    void Click(int position);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    static int clamp16(int value);
    void writeAssociate();

    int min_ = 0;
    int max_ = 100;
    int position_ = 0;
    int increment_ = 1;
    bool wrap_ = false;
    bool arrowKeys_ = true;
    QPointer<QLineEdit> associate_;
    QToolButton* up_;
    QToolButton* down_;
};

}  // namespace kelvo
