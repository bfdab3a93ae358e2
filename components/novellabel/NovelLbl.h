#pragma once

#include <QColor>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QWidget>
#include <memory>

#include "components/novellabel/DrawText.h"

namespace kelvo {

// A light label without a native window: draws one caption justified in its bounds, optionally
// wrapped, transparent, auto-sized, with a one-pixel text shadow, and can hand an accelerator
// key to a companion control. Forms built by uic set every property below by name.
//
// Accelerators work as dialog characters: Alt with a character, or the plain character when the
// focused control did not use it, is offered to the labels of the window in their order, and
// the first whose caption marks it gives its FocusControl the focus.
class TNovelLabel : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
    Q_PROPERTY(QColor Color READ Color WRITE setColor)
    Q_PROPERTY(bool ParentColor READ ParentColor WRITE setParentColor)
    Q_PROPERTY(bool ParentFont READ ParentFont WRITE setParentFont)
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
    Q_PROPERTY(TDragMode DragMode READ DragMode WRITE setDragMode)
    Q_PROPERTY(QMenu* PopupMenu READ PopupMenu WRITE setPopupMenu)

  public:
    enum TAlignment { taLeftJustify, taRightJustify, taCenter };
    Q_ENUM(TAlignment)
    enum TTextLayout { tlTop, tlCenter, tlBottom };
    Q_ENUM(TTextLayout)
    enum TDragMode { dmManual, dmAutomatic };
    Q_ENUM(TDragMode)
    enum TDragState { dsDragEnter, dsDragLeave, dsDragMove };
    Q_ENUM(TDragState)

    explicit TNovelLabel(QWidget* parent = nullptr);
    ~TNovelLabel() override;

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
    // With ParentFont (the default) the text takes the window-text colour of the palette the
    // label inherits from its parent; setting FontColor turns ParentFont off.
    bool ParentFont() const { return parentFont_; }
    void setParentFont(bool on);
    QColor FontColor() const;
    void setFontColor(const QColor& c);
    // The label's own Enabled: false only when the label itself was disabled, not when an
    // ancestor was (Qt's isEnabled() is false then too).
    bool Enabled() const { return !testAttribute(Qt::WA_ForceDisabled); }
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
    // dmAutomatic: a left press that moves past the drag distance starts dragging the label.
    TDragMode DragMode() const { return dragMode_; }
    void setDragMode(TDragMode mode) { dragMode_ = mode; }
    // Shown at the pointer on a context-menu request; without one the parent gets the request.
    QMenu* PopupMenu() const { return popupMenu_; }
    void setPopupMenu(QMenu* menu) { popupMenu_ = menu; }
    // Starts dragging the label now, or once the pressed mouse has moved past the drag distance.
    void BeginDrag(bool immediately);
    // The data a drag of `source` carries; labels take drags of such data only.
    static QMimeData* DragData(QWidget* source);

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
    // Mouse events in the label's coordinates. A click is a left press and release inside the
    // label; the second press of a double click gives OnDblClick and OnMouseDown, no click.
    void OnClick();
    void OnDblClick();
    void OnMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);
    void OnMouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, int x, int y);
    void OnMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);
    // Dragging a control (a label or any widget that drags through BeginDrag's data) over and
    // onto this label. OnDragOver decides by *accept (false on entry); connecting it makes the
    // label a drop target.
    void OnDragOver(QWidget* source, int x, int y, TDragState state, bool* accept);
    void OnDragDrop(QWidget* source, int x, int y);
    // This label being dragged: before the drag, and after it with the widget it was dropped on
    // (null when none took it) and the drop position in that widget's coordinates.
    void OnStartDrag();
    void OnEndDrag(QWidget* target, int x, int y);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void connectNotify(const QMetaMethod& signal) override;

  private:
    void startDrag();
    bool offerDrag(QDropEvent* event, TDragState state);

    QString caption_;
    QColor color_;
    QColor fontColor_;
    bool parentColor_ = true;
    bool parentFont_ = true;
    bool drawRefresh_ = false;
    bool textShadow_ = false;
    QPointer<QWidget> focusControl_;
    TAlignment alignment_ = taLeftJustify;
    bool autoSize_ = true;
    TTextLayout layout_ = tlTop;
    bool wordWrap_ = false;
    bool showAccelChar_ = true;
    bool reading_ = false;
    TDragMode dragMode_ = dmManual;
    QPointer<QMenu> popupMenu_;
    bool clicked_ = false;  // a left press whose release may make a click
    bool dragArmed_ = false;
    QPoint pressPos_;
    QPointer<QWidget> dragSource_;  // of the drag now over the label
    // A caption is measured when it changes and again when painted, and drawn twice with a
    // shadow: one layout serves them all.
    std::unique_ptr<raster::qt::LayoutCache> layoutCache_;
};

}  // namespace kelvo
