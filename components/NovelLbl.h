#pragma once

#include <QColor>
#include <QPointer>
#include <QWidget>

#include "components/DrawText.h"

class QShortcut;

namespace kelvo {

// A light label without a native window: draws one caption justified in its bounds, optionally
// wrapped, transparent, auto-sized, with a one-pixel text shadow, and can hand an accelerator
// key to a companion control. Forms built by uic set every property below by name.
class TNovelLabel : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
    Q_PROPERTY(QColor Color READ Color WRITE setColor)
    Q_PROPERTY(bool ParentColor READ ParentColor WRITE setParentColor)
    Q_PROPERTY(QColor FontColor READ FontColor WRITE setFontColor)
    Q_PROPERTY(bool DrawRefresh READ DrawRefresh WRITE setDrawRefresh)
    Q_PROPERTY(bool TextShadow READ TextShadow WRITE setTextShadow)
    Q_PROPERTY(TAlignment Alignment READ Alignment WRITE setAlignment)
    Q_PROPERTY(bool AutoSize READ AutoSize WRITE setAutoSize)
    Q_PROPERTY(QWidget* FocusControl READ FocusControl WRITE setFocusControl)
    Q_PROPERTY(bool ShowAccelChar READ ShowAccelChar WRITE setShowAccelChar)
    Q_PROPERTY(bool Transparent READ Transparent WRITE setTransparent)
    Q_PROPERTY(TTextLayout Layout READ Layout WRITE setLayout)
    Q_PROPERTY(bool WordWrap READ WordWrap WRITE setWordWrap)

  public:
    enum TAlignment { taLeftJustify, taRightJustify, taCenter };
    Q_ENUM(TAlignment)
    enum TTextLayout { tlTop, tlCenter, tlBottom };
    Q_ENUM(TTextLayout)

    explicit TNovelLabel(QWidget* parent = nullptr);

    // While a scope is alive, labels created in it are "being read from a form": setters store
    // without auto-sizing, and the scope's end runs Loaded() on each, as a form reader does.
    class FormReadScope {
      public:
        FormReadScope();
        ~FormReadScope();
        FormReadScope(const FormReadScope&) = delete;
        FormReadScope& operator=(const FormReadScope&) = delete;
    };

    QString Caption() const { return caption_; }
    void setCaption(const QString& text);
    QColor Color() const;
    void setColor(const QColor& c);
    bool ParentColor() const { return parentColor_; }
    void setParentColor(bool on);
    QColor FontColor() const { return fontColor_; }
    void setFontColor(const QColor& c);
    bool DrawRefresh() const { return drawRefresh_; }
    void setDrawRefresh(bool on) { drawRefresh_ = on; }
    bool TextShadow() const { return textShadow_; }
    void setTextShadow(bool on) { textShadow_ = on; }
    TAlignment Alignment() const { return alignment_; }
    void setAlignment(TAlignment a);
    bool AutoSize() const { return autoSize_; }
    virtual void setAutoSize(bool on);
    QWidget* FocusControl() const { return focusControl_; }
    void setFocusControl(QWidget* control);
    bool ShowAccelChar() const { return showAccelChar_; }
    void setShowAccelChar(bool on);
    bool Transparent() const { return !testAttribute(Qt::WA_OpaquePaintEvent); }
    void setTransparent(bool on);
    TTextLayout Layout() const { return layout_; }
    void setLayout(TTextLayout l);
    bool WordWrap() const { return wordWrap_; }
    void setWordWrap(bool on);

    // The text that is drawn; a descendant may draw another.
    virtual QString GetLabelText() const { return caption_; }
    // Draws (or, with DT_CALCRECT, measures) the text in `rect`; `painter` may be null when
    // measuring. On return `rect` is the rectangle the last draw left.
    virtual void DoDrawText(QPainter* painter, TRect& rect, uint32_t flags);
    virtual void AdjustBounds();
    virtual void Loaded();

    // An accelerator key offered to the label; true when it moved the focus.
    bool CMDialogChar(QChar key);

  signals:
    void captionChanged(const QString& text);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void updateShortcut();

    QString caption_;
    QColor color_;
    QColor fontColor_;
    bool parentColor_ = true;
    bool drawRefresh_ = false;
    bool textShadow_ = false;
    QPointer<QWidget> focusControl_;
    TAlignment alignment_ = taLeftJustify;
    bool autoSize_ = true;
    TTextLayout layout_ = tlTop;
    bool wordWrap_ = false;
    bool showAccelChar_ = true;
    bool reading_ = false;
    QShortcut* shortcut_ = nullptr;
};

}  // namespace kelvo
