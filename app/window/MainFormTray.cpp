// The tray: its icon, the icon's clicks, its menu and the tip of the free memory.
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QSystemTrayIcon>

#include "app/window/MainForm.h"

namespace kelvo {

void TMainForm::buildPopupMenu() {
    popupMenu_ = new QMenu(this);
    popupMenu_->setObjectName("PopupMenu");
    auto add = [this](const char* name, const QString& caption, auto handler) {
        QAction* action = popupMenu_->addAction(caption);
        action->setObjectName(name);
        connect(action, &QAction::triggered, this,
                [this, handler] { trayMenuChoice(std::function<void()>(handler)); });
        return action;
    };
    QAction* restore =
        add("pmRestore", QStringLiteral("元の大きさに戻す"), [this] { pmRestoreClick(); });
    popupMenu_->setDefaultAction(restore);
    popupMenu_->addSeparator()->setObjectName("N2");
    add("pmConfig", QStringLiteral("設定"), [this] { sbtnConfigClick(); });
    add("pmClean", QStringLiteral("掃除"), [this] { sbtnGetMemClick(); });
    popupMenu_->addSeparator()->setObjectName("N1");
    add("pmExit", QStringLiteral("終了"), [this] { MenuClose(); });
}

// The menu goes to the icon: a StatusNotifierItem host gets it exported over D-Bus and draws it
// itself on a right click; an XEmbed tray has the toolkit open it at the pointer on a right
// press. Either way its showing and hiding tell whether it is open.
void TMainForm::createTrayIcon() {
    trayIcon_ = new QSystemTrayIcon(windowIcon(), this);
    trayIcon_->setToolTip(QStringLiteral("Kelvo"));
    trayIcon_->setContextMenu(popupMenu_);
    connect(popupMenu_, &QMenu::aboutToShow, this, [this] {
        trayMenu_.opened(platform_.monotonicNs());
        updateModalOpen();
    });
    connect(popupMenu_, &QMenu::aboutToHide, this, [this] {
        trayMenu_.closed();
        updateModalOpen();
    });
    connect(trayIcon_, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) { trayActivated(reason); });
    trayIcon_->show();
}

void TMainForm::trayActivated(int reason) {
    // A D-Bus tray reaches the program past the settings dialog, which the whole program waits
    // for (an XEmbed tray is held back by the dialog like any window).
    if (dialogOpen_)
        return;
    switch (reason) {
        case QSystemTrayIcon::DoubleClick:
            trayClicks_.reset();
            pmRestoreClick();
            break;
        case QSystemTrayIcon::Trigger:
            if (trayClicks_.secondOfPair(platform_.monotonicNs(),
                                         QApplication::doubleClickInterval()))
                pmRestoreClick();
            platform_.GlobalMemoryStatus(MemStat);
            refreshTrayTip();
            break;
        case QSystemTrayIcon::Context:
            // After the press handler has returned, so the menu gets the release.
            QMetaObject::invokeMethod(this, &TMainForm::trayPopup, Qt::QueuedConnection);
            break;
        default:
            platform_.GlobalMemoryStatus(MemStat);
            refreshTrayTip();
            break;
    }
}

void TMainForm::trayMenuChoice(const std::function<void()>& handler) {
    trayMenu_.closed();
    updateModalOpen();
    if (dialogOpen_)
        return;
    handler();
}

// The items are greyed while the dialog is open, on a host that draws the menu too.
void TMainForm::setDialogOpen(bool open) {
    dialogOpen_ = open;
    for (QAction* action : popupMenu_->actions())
        action->setEnabled(!open);
    updateModalOpen();
}

void TMainForm::updateModalOpen() {
    ModalOpen = dialogOpen_ || trayMenu_.isOpen();
}

// A menu the host draws is followed on the screen, where the host does not say it closed.
void TMainForm::followTrayMenu() {
    if (!trayMenu_.isOpen() || popupMenu_->isVisible())
        return;
    trayMenu_.hostMenuShown(platform_.isPopupMenuShown(), platform_.monotonicNs());
    updateModalOpen();
}

void TMainForm::refreshTrayTip() {
    if (!trayIcon_)
        return;
    if (std::optional<QString> tip = trayTip_.update(MemStat.dwAvailPhys, platform_.monotonicNs()))
        trayIcon_->setToolTip(*tip);
}

// Where the tray asks for the menu (an XEmbed tray's right click opened it already): at the
// pointer, in a loop of its own; ModalOpen follows its showing and hiding.
void TMainForm::trayPopup() {
    if (dialogOpen_ || popupMenu_->isVisible())
        return;
    CursorPos = platform_.GetCursorPos();
    popupMenu_->exec(QPoint(CursorPos.x, CursorPos.y));
}

}  // namespace kelvo
