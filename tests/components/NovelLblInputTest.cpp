#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <memory>

#include "components/novellabel/NovelLbl.h"

namespace kelvo {
namespace {

// A shown window with two line edits and a button; labels are added by the tests.
class LabelInputTest : public ::testing::Test {
  protected:
    void SetUp() override {
        window_.resize(300, 200);
        first_ = new QLineEdit(&window_);
        first_->setGeometry(100, 10, 100, 20);
        second_ = new QLineEdit(&window_);
        second_->setGeometry(100, 40, 100, 20);
        button_ = new QPushButton("Go", &window_);
        button_->setGeometry(100, 70, 60, 20);
        window_.show();
        QApplication::setActiveWindow(&window_);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
        button_->setFocus();
    }
    TNovelLabel* label(const QString& caption, QWidget* focus, int y) {
        auto* l = new TNovelLabel(&window_);
        l->move(10, y);
        l->setCaption(caption);
        l->setFocusControl(focus);
        l->show();
        return l;
    }

    QWidget window_;
    QLineEdit* first_ = nullptr;
    QLineEdit* second_ = nullptr;
    QPushButton* button_ = nullptr;
};

TEST_F(LabelInputTest, TheFirstOfTwoLabelsWithOneAcceleratorTakesIt) {
    label("&Name", first_, 10);
    label("&Number", second_, 40);
    QTest::keyClick(button_, Qt::Key_N, Qt::AltModifier);
    EXPECT_TRUE(first_->hasFocus());
    // Alt with the character works from inside a line edit too, and types nothing.
    QTest::keyClick(first_, Qt::Key_N, Qt::AltModifier);
    EXPECT_TRUE(first_->hasFocus());
    EXPECT_EQ(first_->text(), "");
}

TEST_F(LabelInputTest, APlainCharacterCountsOnlyWhenTheFocusedControlDoesNotUseIt) {
    label("&Name", first_, 10);
    label("E&xtra", second_, 40);
    QTest::keyClick(button_, Qt::Key_X);  // a button has no use for letters
    EXPECT_TRUE(second_->hasFocus());
    QTest::keyClick(second_, Qt::Key_N);  // a line edit types it
    EXPECT_TRUE(second_->hasFocus());
    EXPECT_EQ(second_->text(), "n");
    button_->setFocus();
    QTest::keyClick(button_, Qt::Key_N, Qt::ControlModifier);  // not a dialog character
    EXPECT_TRUE(button_->hasFocus());
}

TEST_F(LabelInputTest, AcceleratorNeedsAnEnabledLabelShownPrefixAndALiveControl) {
    TNovelLabel* l = label("&Name", first_, 10);
    EXPECT_FALSE(l->CMDialogChar('x'));
    EXPECT_TRUE(l->CMDialogChar('N'));  // letters match in either case
    l->setEnabled(false);
    EXPECT_FALSE(l->CMDialogChar('n'));
    l->setEnabled(true);
    l->setShowAccelChar(false);
    EXPECT_FALSE(l->CMDialogChar('n'));
    l->setShowAccelChar(true);
    l->setCaption("&&Name");  // an escaped ampersand marks nothing
    EXPECT_FALSE(l->CMDialogChar('n'));
    l->setCaption("&Name");
    first_->setEnabled(false);
    EXPECT_FALSE(l->CMDialogChar('n'));
    first_->setEnabled(true);
    delete first_;
    EXPECT_EQ(l->FocusControl(), nullptr);
    EXPECT_FALSE(l->CMDialogChar('n'));
    button_->setFocus();
    QTest::keyClick(button_, Qt::Key_N, Qt::AltModifier);
    EXPECT_TRUE(button_->hasFocus());
}

TEST_F(LabelInputTest, ClicksDoubleClicksAndTheMouseEvents) {
    TNovelLabel* l = label("Click me", nullptr, 100);
    QSignalSpy click(l, &TNovelLabel::OnClick), dbl(l, &TNovelLabel::OnDblClick),
        down(l, &TNovelLabel::OnMouseDown), up(l, &TNovelLabel::OnMouseUp);
    QTest::mouseClick(l, Qt::LeftButton, Qt::ShiftModifier, QPoint(3, 4));
    ASSERT_EQ(down.count(), 1);
    EXPECT_EQ(down[0][0].value<Qt::MouseButton>(), Qt::LeftButton);
    EXPECT_EQ(down[0][1].value<Qt::KeyboardModifiers>(), Qt::ShiftModifier);
    EXPECT_EQ(down[0][2].toInt(), 3);
    EXPECT_EQ(down[0][3].toInt(), 4);
    EXPECT_EQ(up.count(), 1);
    EXPECT_EQ(click.count(), 1);

    QTest::mouseClick(l, Qt::RightButton);  // only the left button clicks
    EXPECT_EQ(click.count(), 1);
    EXPECT_EQ(up.count(), 2);

    QTest::mousePress(l, Qt::LeftButton, {}, QPoint(3, 4));
    QTest::mouseRelease(l, Qt::LeftButton, {}, QPoint(3, 400));  // released outside
    EXPECT_EQ(click.count(), 1);

    click.clear();
    QTest::mouseDClick(l, Qt::LeftButton, {}, QPoint(3, 4));
    EXPECT_EQ(dbl.count(), 1);
    EXPECT_LE(click.count(), 1);  // the second press of a double click is no click

    QSignalSpy move(l, &TNovelLabel::OnMouseMove);
    QTest::mouseMove(l, QPoint(5, 6));
    ASSERT_GE(move.count(), 1);  // followed without a press once someone listens
    EXPECT_EQ(move.last()[2].toInt(), 5);
}

TEST_F(LabelInputTest, PopupMenuShowsAtThePointerOrTheParentGetsTheRequest) {
    TNovelLabel* l = label("Menu", nullptr, 100);
    QMenu menu;
    menu.addAction("Item");
    l->setPopupMenu(&menu);
    QContextMenuEvent request(QContextMenuEvent::Mouse, QPoint(2, 2), l->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(l, &request);
    EXPECT_TRUE(request.isAccepted());
    EXPECT_TRUE(menu.isVisible());
    menu.hide();
    l->setPopupMenu(nullptr);
    QContextMenuEvent again(QContextMenuEvent::Mouse, QPoint(2, 2), l->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(l, &again);
    EXPECT_FALSE(again.isAccepted());
}

TEST_F(LabelInputTest, ALabelTakesTheDragItsOnDragOverAccepts) {
    TNovelLabel* source = label("Source", nullptr, 100);
    TNovelLabel* target = label("Target", nullptr, 150);
    EXPECT_FALSE(target->acceptDrops());  // nobody listens yet
    QSignalSpy drop(target, &TNovelLabel::OnDragDrop);
    QList<TNovelLabel::TDragState> states;
    bool acceptIt = true;
    QObject::connect(target, &TNovelLabel::OnDragOver,
                     [&](QWidget* from, int x, int, TNovelLabel::TDragState state, bool* accept) {
                         EXPECT_EQ(from, source);
                         states.append(state);
                         if (state != TNovelLabel::dsDragLeave) {
                             EXPECT_EQ(x, 6);
                         }
                         *accept = acceptIt;
                     });
    EXPECT_TRUE(target->acceptDrops());
    std::unique_ptr<QMimeData> data(TNovelLabel::DragData(source));
    QDragEnterEvent enter(QPoint(6, 5), Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    EXPECT_TRUE(enter.isAccepted());
    acceptIt = false;
    QDragMoveEvent refused(QPoint(6, 5), Qt::MoveAction, data.get(), Qt::LeftButton,
                           Qt::NoModifier);
    QApplication::sendEvent(target, &refused);
    EXPECT_FALSE(refused.isAccepted());
    acceptIt = true;
    QDropEvent dropped(QPoint(6, 5), Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &dropped);
    ASSERT_EQ(drop.count(), 1);
    EXPECT_EQ(drop[0][0].value<QWidget*>(), source);
    EXPECT_EQ(drop[0][1].toInt(), 6);
    EXPECT_EQ(drop[0][2].toInt(), 5);
    // A drag that enters and leaves again.
    QDragEnterEvent again(QPoint(6, 5), Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &again);
    QDragLeaveEvent leave;
    QApplication::sendEvent(target, &leave);
    EXPECT_EQ(states,
              (QList<TNovelLabel::TDragState>{TNovelLabel::dsDragEnter, TNovelLabel::dsDragMove,
                                              TNovelLabel::dsDragEnter, TNovelLabel::dsDragLeave}));
    EXPECT_EQ(drop.count(), 1);
    // Other data, such as a file from another program, is not offered.
    QMimeData text;
    text.setText("x");
    QDragEnterEvent foreign(QPoint(6, 5), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &foreign);
    EXPECT_FALSE(foreign.isAccepted());
    EXPECT_EQ(states.size(), 4);
}

TEST_F(LabelInputTest, AnAutomaticLabelStartsDraggingPastTheDragDistance) {
    TNovelLabel* source = label("Source", nullptr, 100);
    QSignalSpy start(source, &TNovelLabel::OnStartDrag);
    QSignalSpy end(source, &TNovelLabel::OnEndDrag);
    QSignalSpy click(source, &TNovelLabel::OnClick);
    QWindow* w = window_.windowHandle();
    const QPoint from = source->mapTo(&window_, QPoint(4, 4));
    // A manual label does not drag by itself.
    QTest::mousePress(w, Qt::LeftButton, {}, from);
    QTest::mouseMove(w, from + QPoint(QApplication::startDragDistance() + 2, 0));
    QTest::mouseRelease(w, Qt::LeftButton, {}, from);
    EXPECT_EQ(start.count(), 0);
    EXPECT_EQ(click.count(), 1);

    source->setDragMode(TNovelLabel::dmAutomatic);
    // The drag runs its own loop; the button is let go from inside it, over no target.
    QTimer::singleShot(50, [&] { QTest::mouseRelease(w, Qt::LeftButton, {}, QPoint(290, 190)); });
    QTest::mousePress(w, Qt::LeftButton, {}, from);
    QTest::mouseMove(w, from + QPoint(1, 0));
    EXPECT_EQ(start.count(), 0);  // not yet past the distance
    QTest::mouseMove(w, from + QPoint(QApplication::startDragDistance() + 2, 0));
    QTRY_COMPARE(end.count(), 1);
    EXPECT_EQ(start.count(), 1);
    EXPECT_EQ(end[0][0].value<QWidget*>(), nullptr);
    EXPECT_EQ(click.count(), 1);  // a drag is no click
}

}  // namespace
}  // namespace kelvo
