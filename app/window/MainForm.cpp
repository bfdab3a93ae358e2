#include "app/window/MainForm.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QFontInfo>
#include <QMenu>
#include <QScopeGuard>
#include <QSessionManager>
#include <QTimer>

#include "app/cli/CommandLine.h"
#include "app/common/Formats.h"
#include "app/settings/IniPath.h"
#include "app/settings/SettingFrm.h"
#include "components/novellabel/NovelLbl.h"
#include "profile/ProfileFile.h"
#include "ui_MainForm.h"

namespace kelvo {
namespace {

// Sees the quits sent to the application object; `onQuit` returning true takes the quit away.
class QuitFilter : public QObject {
  public:
    QuitFilter(QObject* parent, std::function<bool()> onQuit)
        : QObject(parent), onQuit_(std::move(onQuit)) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        return watched == QCoreApplication::instance() && event->type() == QEvent::Quit &&
               onQuit_();
    }

  private:
    std::function<bool()> onQuit_;
};

}  // namespace

TMainForm::TMainForm(Platform& platform, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      platform_(platform),
      ui_(std::make_unique<Ui::TMainForm>()) {
    {
        TNovelLabel::FormReadScope reading;
        ui_->setupUi(this);
    }
    setFixedSize(200, 80);
    move(206, 187);  // design position; the settings file overrides it
    applyDesignFonts();
    buildPopupMenu();
    readoutLabels_ = {ui_->nlblPhysicalFree, ui_->nlblPhysicalUse, ui_->nlblPhysicalTotal,
                      ui_->nlblVirtualFree,  ui_->nlblVirtualUse,  ui_->nlblVirtualTotal,
                      ui_->nlblPageFree,     ui_->nlblPageUse,     ui_->nlblPageTotal,
                      ui_->nlblUsePer};
    connect(ui_->sbtnClose, &QAbstractButton::clicked, this, &TMainForm::MenuClose);
    connect(ui_->sbtnConfig, &QAbstractButton::clicked, this, &TMainForm::sbtnConfigClick);
    connect(ui_->sbtnGetMem, &QAbstractButton::clicked, this, &TMainForm::sbtnGetMemClick);
    connect(ui_->sbtnMinimize, &QAbstractButton::clicked, this, &TMainForm::sbtnMinimizeClick);
    connect(ui_->btnStop, &QAbstractButton::clicked, this, &TMainForm::btnStopClick);

    platform_.GlobalMemoryStatus(MemStat);
    CleanSize = static_cast<int64_t>(MemStat.dwTotalPhys / 2);
    settingFrm_ = std::make_unique<TSettingFrm>(platform_);
    Cleaning = false;
    // Fixed once: the program file may be replaced or removed while the program runs.
    const IniLocation ini = IniPath(platform_);
    iniPath_ = ini.path;
    if (!ini.notice.empty()) {
        qWarning("%s", ini.notice.c_str());
        iniNotice_ = QString::fromStdString(ini.notice);
    }
    // Only one instance runs, so a temporary file found now was left by a crashed save.
    removeLeftoverTempFiles(platform_.fileSystem(), iniPath_);
    LoadSettings();
    ModalOpen = false;
    FirstTick = true;
    StopRequest = false;
    FreeResources = platform_.loadFreeResources();
    if (!FreeResources)
        hideResourcesColumn();
    fitFigureFont();

    // The starting point of the first processor figure, which the first tick measures.
    if (platform_.IsWinNT())
        cpuUsage_.sample(platform_.queryCpuTimes());
    // The session manager asks for saves that end nothing (checkpoints, log-outs cancelled
    // later): they keep what the user confirmed and leave a running clean alone. The session's
    // end comes as the toolkit's quit, which takes the close path. The program starts at log-in
    // from its autostart entry only: a session that restarted it as well would start a second.
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        connect(app, &QGuiApplication::commitDataRequest, this, [this](QSessionManager& manager) {
            manager.setRestartHint(QSessionManager::RestartNever);
            SaveSettings(true);
        });
        connect(app, &QGuiApplication::saveStateRequest, this, [](QSessionManager& manager) {
            manager.setRestartHint(QSessionManager::RestartNever);
        });
        app->installEventFilter(new QuitFilter(this, [this] { return toolkitQuit(); }));
    }

    timMain_ = new QTimer(this);
    timMain_->setInterval(100);
    connect(timMain_, &QTimer::timeout, this, &TMainForm::timMainTimer);
    // Qt never re-enters a timer whose handler is still running, so a clean started in a tick
    // (the execute option, a trigger) takes its ticks from this one while it runs. A posted call
    // per tick would do the same at a fifth of the idle program's cost.
    timNested_ = new QTimer(this);
    timNested_->setInterval(timMain_->interval());
    connect(timNested_, &QTimer::timeout, this, &TMainForm::timMainTimer);
    timSub_ = new QTimer(this);
    timSub_->setInterval(2000);
    connect(timSub_, &QTimer::timeout, this, &TMainForm::timSubTimer);
    timMain_->start();
    timSub_->start();
}

TMainForm::~TMainForm() = default;

void TMainForm::applyDesignFonts() {
    QFont base = font();
    base.setPixelSize(12);
    setFont(base);
    QFont stop = ui_->btnStop->font();
    stop.setPixelSize(11);
    ui_->btnStop->setFont(stop);
}

// Without a resources function its column goes and the figures move right into its room.
void TMainForm::hideResourcesColumn() {
    ui_->nlblResSys->hide();
    ui_->nlblResUser->hide();
    ui_->nlblResGdi->hide();
    ui_->Bevel3->hide();
    ui_->nlblTitleInfo->setCaption(QStringLiteral("空き   使用     合計"));
    for (TNovelLabel* l : {ui_->nlblPhysicalUse, ui_->nlblPageUse, ui_->nlblVirtualUse})
        l->move(76, l->y());
    for (TNovelLabel* l : {ui_->nlblPhysicalTotal, ui_->nlblPageTotal, ui_->nlblVirtualTotal})
        l->move(132, l->y());
    widenFigureColumns();
}

// Today's machines have six-digit megabyte figures ("131072.0", "131072.0 MB"), wider than the
// design's columns. The room the resources column leaves lets every column grow to hold them:
// free from x 28, used from 80, both 50 wide; totals from 132 to the right bevel, 66 wide.
void TMainForm::widenFigureColumns() {
    for (TNovelLabel* l : {ui_->nlblPhysicalFree, ui_->nlblPageFree, ui_->nlblVirtualFree})
        l->setGeometry(28, l->y(), 50, l->height());
    for (TNovelLabel* l : {ui_->nlblPhysicalUse, ui_->nlblPageUse, ui_->nlblVirtualUse})
        l->setGeometry(80, l->y(), 50, l->height());
    for (TNovelLabel* l : {ui_->nlblPhysicalTotal, ui_->nlblPageTotal, ui_->nlblVirtualTotal})
        l->setGeometry(132, l->y(), 66, l->height());
}

// The design's gothic draws digits 6 pixels wide at 12; a fallback face, a Latin one where no
// Japanese font is installed, draws them up to 8 and would cut the first digit of a five-digit
// figure. The figures then take the largest size at which "99999.9 MB" fits every column.
void TMainForm::fitFigureFont() {
    const std::array<TNovelLabel*, 9> figures = {
        ui_->nlblPhysicalFree, ui_->nlblPhysicalUse, ui_->nlblPhysicalTotal,
        ui_->nlblVirtualFree,  ui_->nlblVirtualUse,  ui_->nlblVirtualTotal,
        ui_->nlblPageFree,     ui_->nlblPageUse,     ui_->nlblPageTotal};
    const auto fits = [&figures](const QFont& font) {
        const QFontMetrics fm(font);
        for (size_t i = 0; i < figures.size(); ++i) {
            const QString widest =
                i % 3 == 2 ? QStringLiteral("99999.9 MB") : QStringLiteral("99999.9");
            if (fm.horizontalAdvance(widest) > figures[i]->width())
                return false;
        }
        return true;
    };
    QFont font = figures[0]->font();
    const int designSize = QFontInfo(font).pixelSize();
    font.setPixelSize(designSize);
    constexpr int kSmallest = 8;
    while (!fits(font) && font.pixelSize() > kSmallest)
        font.setPixelSize(font.pixelSize() - 1);
    if (font.pixelSize() != designSize)
        for (TNovelLabel* l : figures)
            l->setFont(font);
}

void TMainForm::MenuClose() {
    // A posted request, as the close button's: the handler that asked returns first.
    QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

// Every close request ends here: the close button, the menu's exit, the execute option, a
// termination signal, the end of the session. The settings are saved before it returns, since the
// system may end the process right after; a running clean stops and gives its memory back, and
// what the program has open in loops of its own (a menu, the settings dialog, a message box)
// closes, so that the clean returns and closes the window (RunCleanFrom).
void TMainForm::closeEvent(QCloseEvent* event) {
    saveSettingsForClose();
    closeNestedWindows();
    if (Cleaning) {
        closePending_ = true;
        StopRequest = true;
        event->ignore();
        return;
    }
    event->accept();
    quitting_ = true;
    QCoreApplication::quit();
}

// A quit the program did not ask for: the end of the X11 session, which the toolkit would carry
// out by closing only the windows on screen. It becomes a close request, which saves, stops a
// clean and quits when it may.
bool TMainForm::toolkitQuit() {
    if (quitting_)
        return false;
    ExternalClose();
    return true;
}

void TMainForm::saveSettingsForClose() {
    if (settingsFinal_)
        return;
    SaveSettings(false);
    // Whatever the closing still does to the window (the dialog reloading, the clean putting its
    // buttons back) is not saved over what the user left.
    settingsFinal_ = true;
}

void TMainForm::closeNestedWindows() {
    while (QWidget* popup = QApplication::activePopupWidget())
        popup->close();
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* dialog = qobject_cast<QDialog*>(w); dialog && dialog->isVisible())
            dialog->reject();
}

void TMainForm::timMainTimer() {
    ++tickDepth_;
    const auto leaveTick = qScopeGuard([this] { --tickDepth_; });
    if (FirstTick) {
        FirstTick = false;
        // The first figure measured over the time since start, before anything shows it or a
        // clean or a trigger reads it.
        SampleCpuUsage();
        QCoreApplication::processEvents();
        // A close request taken meanwhile ends the start-up here: nothing shows the window again
        // or starts the execute option's clean.
        if (settingsFinal_) {
            emit ticked();
            return;
        }
        startDesktop(readSmallSetting() != 0);
        if (executeOptionIn(CommandLine)) {
            ClosingAfterClean = true;
            sbtnGetMemClick();
            MenuClose();
            emit ticked();
            return;
        }
    }
    desktopTick();
    platform_.GlobalMemoryStatus(MemStat);
    refreshTrayTip();
    if (!SmallMode)
        UpdateReadout();
    AutoCleanStep();
    emit ticked();
}

void TMainForm::timSubTimer() {
    platform_.GlobalMemoryStatus(MemStat);
    if (SmallMode) {
        // A paused clean waits for this figure, so it is measured whatever the window shows.
        if (cleanPaused_)
            measureCpuUsage();
        return;
    }
    SampleCpuUsage();
    UpdateResources();
}

void TMainForm::setCaptionIfChanged(TNovelLabel* label, const QString& text) {
    if (label->Caption() != text)
        label->setCaption(text);
}

void TMainForm::UpdateReadout() {
    TNovelLabel* cpu = ui_->nlblCpuUsePer;
    if (optionShowCpuUsage() != cpu->isVisible())
        cpu->setVisible(optionShowCpuUsage());

    const MEMORYSTATUS& m = MemStat;
    // Used figures never wrap around when a sample reports more free than total.
    auto used = [](uint64_t total, uint64_t avail) { return total > avail ? total - avail : 0; };
    const std::array<uint64_t, kReadoutFigures> values = {
        m.dwAvailPhys,     used(m.dwTotalPhys, m.dwAvailPhys),         m.dwTotalPhys,
        m.dwAvailVirtual,  used(m.dwTotalVirtual, m.dwAvailVirtual),   m.dwTotalVirtual,
        m.dwAvailPageFile, used(m.dwTotalPageFile, m.dwAvailPageFile), m.dwTotalPageFile,
        m.dwMemoryLoad};
    for (size_t i = 0; i < kReadoutFigures; ++i) {
        // A figure whose shown tenths stay cannot change its text: no formatting, no allocation.
        const bool percent = i == kReadoutFigures - 1;
        const uint64_t shown = percent ? values[i] : megabyteTenths(values[i]);
        if (shown == shownValues_[i])
            continue;
        shownValues_[i] = shown;
        QString text = percent      ? formatInt("%3d%", static_cast<int>(values[i]))
                       : i % 3 == 2 ? formatMBUnit(values[i])
                                    : formatMB(values[i]);
        setCaptionIfChanged(readoutLabels_[i], text);
    }
}

void TMainForm::UpdateResources() {
    if (!FreeResources)
        return;
    const uint16_t a = FreeResources(0);
    const uint16_t b = FreeResources(1);
    ui_->nlblResSys->setCaption(formatInt("%d%", std::min(a, b)));
    ui_->nlblResUser->setCaption(formatInt("%d%", a));
    ui_->nlblResGdi->setCaption(formatInt("%d%", b));
}

}  // namespace kelvo
