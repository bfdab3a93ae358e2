#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QSignalSpy>

#include "components/NovelLbl.h"
#include "components/SysColors.h"

namespace kelvo {
namespace {

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
  public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

class NovelLabelTest : public ::testing::Test {
  protected:
    void SetUp() override {
        parent_.resize(300, 100);
        QPalette pal = parent_.palette();
        pal.setColor(QPalette::Window, syscolor::clBtnFace);
        parent_.setPalette(pal);
        parent_.setAutoFillBackground(true);
        font_.setFamily("DejaVu Sans");
        font_.setPixelSize(12);
        font_.setStyleStrategy(QFont::NoAntialias);  // pixels are exactly the text colours
        parent_.setFont(font_);
    }
    TNovelLabel* make(const QString& caption, QRect geometry = QRect(10, 10, 120, 17)) {
        auto* l = new TNovelLabel(&parent_);
        l->setAutoSize(false);
        l->setGeometry(geometry);
        l->setCaption(caption);
        return l;
    }
    QImage render(TNovelLabel* l) {
        QImage img(l->size(), QImage::Format_RGB32);
        img.fill(syscolor::clBtnFace);
        l->render(&img, QPoint(), QRegion(), QWidget::DrawChildren);
        return img;
    }
    static std::set<std::pair<int, int>> pixelsOf(const QImage& img, const QColor& c) {
        std::set<std::pair<int, int>> out;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (img.pixelColor(x, y) == c)
                    out.insert({x, y});
        return out;
    }
    static int firstInkRow(const QImage& img, const QColor& background) {
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (img.pixelColor(x, y) != background)
                    return y;
        return -1;
    }

    QWidget parent_;
    QFont font_;
};

TEST_F(NovelLabelTest, NewLabelIsOpaqueAutoSizedAnd65By17) {
    TNovelLabel l;
    EXPECT_FALSE(l.Transparent());
    EXPECT_TRUE(l.AutoSize());
    EXPECT_TRUE(l.ShowAccelChar());
    EXPECT_FALSE(l.DrawRefresh());
    EXPECT_EQ(l.size(), QSize(65, 17));
}

// An auto-sized label with `caption`, to compare measurements with.
TNovelLabel* NovelLabelTestSized(QWidget* parent, const QString& caption, bool accel = true) {
    auto* l = new TNovelLabel(parent);
    l->setShowAccelChar(accel);
    l->setCaption("?");  // a new label's caption is already empty
    l->setCaption(caption);
    return l;
}

TEST_F(NovelLabelTest, EmptyCaptionAndLoneAmpersandMeasureOneSpaceByOneLine) {
    QSize space = NovelLabelTestSized(&parent_, " ")->size();
    EXPECT_GT(space.width(), 0);
    EXPECT_EQ(space.height(), QFontMetrics(font_).height());
    EXPECT_EQ(NovelLabelTestSized(&parent_, "")->size(), space);
    EXPECT_EQ(NovelLabelTestSized(&parent_, "&")->size(), space);
    // Without the accelerator a lone ampersand is real text.
    EXPECT_EQ(NovelLabelTestSized(&parent_, "&", false)->size(),
              NovelLabelTestSized(&parent_, "&&")->size());
}

TEST_F(NovelLabelTest, AmpersandsMarkTheAcceleratorOnlyWhenShown) {
    EXPECT_EQ(NovelLabelTestSized(&parent_, "a&&b")->size(),
              NovelLabelTestSized(&parent_, "a&b", false)->size());
    EXPECT_EQ(NovelLabelTestSized(&parent_, "&File")->size(),
              NovelLabelTestSized(&parent_, "File")->size());
    EXPECT_GT(NovelLabelTestSized(&parent_, "&File", false)->width(),
              NovelLabelTestSized(&parent_, "File")->width());
    // The accelerator underlines its letter: the picture differs from the plain word's.
    TNovelLabel* accel = make("&File");
    TNovelLabel* plain = make("File");
    EXPECT_NE(render(accel), render(plain));
    plain->setCaption("&File");
    plain->setShowAccelChar(false);
    accel->setCaption("&&File");
    EXPECT_EQ(render(accel), render(plain));
}

TEST_F(NovelLabelTest, DisabledTextIsEmbossedAndIgnoresTheShadow) {
    TNovelLabel* l = make("Memory");
    l->setFontColor(Qt::black);
    l->setEnabled(false);
    QImage img = render(l);
    auto light = pixelsOf(img, syscolor::clBtnHighlight);
    auto dark = pixelsOf(img, syscolor::clBtnShadow);
    ASSERT_FALSE(dark.empty());
    EXPECT_FALSE(light.empty());
    EXPECT_TRUE(pixelsOf(img, Qt::black).empty());
    // Every shadow-coloured pixel at the true position has its highlight twin one down-right,
    // unless the shadow pass painted over it.
    for (auto [x, y] : dark) {
        bool twin = light.count({x + 1, y + 1}) || dark.count({x + 1, y + 1}) ||
                    x + 1 >= img.width() || y + 1 >= img.height();
        EXPECT_TRUE(twin) << x << "," << y;
    }
    l->setTextShadow(true);
    EXPECT_EQ(render(l), img);
}

TEST_F(NovelLabelTest, ShadowIsTheLabelColourOnePixelDownRight) {
    TNovelLabel* l = make("Memory");
    l->setFontColor(Qt::black);
    l->setTransparent(true);
    QImage plain = render(l);
    l->setColor(Qt::red);  // no longer the parent's colour
    l->setTextShadow(true);
    QImage shadowed = render(l);
    auto ink = pixelsOf(plain, Qt::black);
    ASSERT_FALSE(ink.empty());
    EXPECT_EQ(pixelsOf(shadowed, Qt::black), ink);
    for (auto [x, y] : pixelsOf(shadowed, Qt::red))
        EXPECT_TRUE(ink.count({x - 1, y - 1})) << x << "," << y;
    for (auto [x, y] : ink) {
        if (!ink.count({x + 1, y + 1}) && x + 1 < l->width() && y + 1 < l->height()) {
            EXPECT_EQ(shadowed.pixelColor(x + 1, y + 1), QColor(Qt::red));
        }
    }
}

TEST_F(NovelLabelTest, RightJustifiedAutoSizeKeepsTheRightEdge) {
    TNovelLabel* l = make("", QRect(100, 10, 50, 17));
    l->setAlignment(TNovelLabel::taRightJustify);
    l->setCaption("40wide");
    l->setAutoSize(true);
    const int w = NovelLabelTestSized(&parent_, "40wide")->width();
    EXPECT_EQ(l->geometry(), QRect(150 - w, 10, w, QFontMetrics(font_).height()));
    TNovelLabel* left = make("", QRect(100, 40, 50, 17));
    left->setCaption("40wide");
    left->setAutoSize(true);
    EXPECT_EQ(left->x(), 100);
}

TEST_F(NovelLabelTest, VerticalLayoutMovesTheTextByTheSpareHeight) {
    const int h = QFontMetrics(font_).height();
    TNovelLabel* l = make("Xg", QRect(0, 0, 40, 17));
    l->setFontColor(Qt::black);
    const int top = firstInkRow(render(l), syscolor::clBtnFace);
    ASSERT_GE(top, 0);
    l->setLayout(TNovelLabel::tlCenter);
    EXPECT_EQ(firstInkRow(render(l), syscolor::clBtnFace), top + (17 - h) / 2);
    l->setLayout(TNovelLabel::tlBottom);
    EXPECT_EQ(firstInkRow(render(l), syscolor::clBtnFace), top + 17 - h);
    TNovelLabel* tall = make("Xg\nXg\nXg", QRect(0, 0, 40, 17));
    tall->setLayout(TNovelLabel::tlBottom);
    EXPECT_LT(17 - 3 * h, 0);  // the text is taller than the label and moves up
    tall->setLayout(TNovelLabel::tlCenter);
    EXPECT_EQ((17 - 3 * h) / 2, -(3 * h - 17) / 2);  // truncation toward zero
}

class ShownLabelTest : public NovelLabelTest {
  protected:
    void SetUp() override {
        NovelLabelTest::SetUp();
        label_ = make("old");
        label_->installEventFilter(&counter_);
        parent_.show();
        settle();
        counter_.paints = 0;
    }
    void settle() {
        for (int i = 0; i < 3; ++i)
            QApplication::processEvents();
    }
    TNovelLabel* label_ = nullptr;
    PaintCounter counter_;
};

TEST_F(ShownLabelTest, CaptionChangeRepaintsOnlyWithDrawRefresh) {
    label_->setCaption("new");
    settle();
    EXPECT_EQ(counter_.paints, 0);  // the old picture stays until something else repaints
    label_->setDrawRefresh(true);
    label_->setCaption("newer");
    settle();
    EXPECT_EQ(counter_.paints, 1);
}

TEST_F(ShownLabelTest, UnchangedValuesCauseNoMessageResizeOrRepaint) {
    label_->setDrawRefresh(true);
    QSignalSpy changed(label_, &TNovelLabel::captionChanged);
    const QRect before = label_->geometry();
    label_->setCaption("old");
    label_->setAlignment(label_->Alignment());
    label_->setLayout(label_->Layout());
    label_->setWordWrap(label_->WordWrap());
    label_->setShowAccelChar(label_->ShowAccelChar());
    label_->setTransparent(label_->Transparent());
    label_->setAutoSize(label_->AutoSize());
    settle();
    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(counter_.paints, 0);
    EXPECT_EQ(label_->geometry(), before);
}

TEST_F(ShownLabelTest, AcceleratorMovesFocusUntilTheControlIsDestroyed) {
    auto* edit = new QLineEdit(&parent_);
    edit->setGeometry(10, 50, 100, 20);
    edit->show();
    label_->setCaption("&Name");
    label_->setFocusControl(edit);
    EXPECT_FALSE(label_->CMDialogChar('x'));
    EXPECT_TRUE(label_->CMDialogChar('n'));
    label_->setEnabled(false);
    EXPECT_FALSE(label_->CMDialogChar('n'));
    label_->setEnabled(true);
    delete edit;
    EXPECT_EQ(label_->FocusControl(), nullptr);
    EXPECT_FALSE(label_->CMDialogChar('n'));
}

TEST_F(NovelLabelTest, FormReadingDefersAutoSizeToLoaded) {
    TNovelLabel* l = nullptr;
    {
        TNovelLabel::FormReadScope reading;
        l = new TNovelLabel(&parent_);
        l->setGeometry(5, 5, 100, 30);
        l->setCaption("abc");
        EXPECT_EQ(l->size(), QSize(100, 30));  // no auto-size while the form is read
    }
    QFontMetrics fm(font_);
    EXPECT_EQ(l->size(), QSize(fm.horizontalAdvance("abc"), fm.height()));
}

}  // namespace
}  // namespace kelvo
