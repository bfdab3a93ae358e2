// The clean: the button, the stop button and the run with its progress in the top row; what it
// tells afterwards, and its watch over the memory it holds.
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QToolButton>
#include <cstdio>

#include "app/clean/CleanEngine.h"
#include "app/clean/CleanNotice.h"
#include "app/clean/CleanRequest.h"
#include "app/clean/CleanSafety.h"
#include "app/common/ErrorBox.h"
#include "app/common/Formats.h"
#include "app/settings/SettingFrm.h"
#include "app/window/MainForm.h"
#include "profile/ProfileFile.h"
#include "profile/SettingsKeys.h"
#include "ui_MainForm.h"

namespace kelvo {

// Aqua, a colour of the design's palette, for a clean that waits: yellow is one that works.
const QColor kPausedColour(0, 255, 255);

const QString kOutOfMemoryMessage = QStringLiteral(
    "メモリ不足です。確保量を調整してみてください。\n\n（空きスワップ量などを確認してみてください"
    "）");

void TMainForm::sbtnGetMemClick() {
    RunClean();
}

void TMainForm::btnStopClick() {
    StopRequest = true;
}

void TMainForm::ProcessMessages() {
    if (processMessagesHook_)
        processMessagesHook_();
    else
        QCoreApplication::processEvents();
}

void TMainForm::RunClean() {
    RunCleanFrom(CleanOrigin::User);
}

CleanSettings TMainForm::cleanSettings() {
    const TSettingFrm& options = SettingFrm();
    CleanSettings wanted;
    wanted.plainSize = CleanSize;
    // The stored percentage, not the track bar's: an unconfirmed dialog does not count.
    wanted.storedPercent = readSetting(currentSettings(), keys::Memory);
    wanted.autoSize = options.autoCleanSize();
    wanted.minimumMB = options.lowMemoryMB();
    return wanted;
}

// While a clean runs its progress and the stop button take the top row from the buttons.
void TMainForm::showCleanRow(bool cleaning) {
    Ui::TMainForm& u = *ui_;
    if (cleaning) {
        u.sbtnConfig->hide();
        u.sbtnGetMem->hide();
        u.sbtnMinimize->hide();
        u.sbtnClose->hide();
        QPalette yellow = u.stcInfo->palette();
        yellow.setColor(QPalette::Window, Qt::yellow);
        u.stcInfo->setPalette(yellow);
        u.stcInfo->move(u.stcInfo->x(), 0);
        u.btnStop->move(u.btnStop->x(), 0);
        return;
    }
    // Below the client area, also when the window sits partly above the top of the screen.
    const int outOfSight = std::max(y() + height() + 20, height());
    u.stcInfo->move(u.stcInfo->x(), outOfSight);
    u.btnStop->move(u.btnStop->x(), outOfSight);
    u.sbtnConfig->show();
    u.sbtnGetMem->show();
    u.sbtnMinimize->show();
    u.sbtnClose->show();
}

CleanHooks TMainForm::cleanHooks(CleanOrigin origin) {
    CleanHooks hooks;
    hooks.showProgress = [this](int number) {
        ui_->stcInfo->setText(formatInt("掃除中 %d% ", number));
    };
    hooks.processMessages = [this] { ProcessMessages(); };
    hooks.pauseWanted = [this] {
        return pausesForProcessor(SettingFrm().pauseCleanAtFullCpu(), CpuUsePer);
    };
    hooks.pauseChanged = [this](bool paused) { showCleanPaused(paused); };
    hooks.stopRequested = [this] { return StopRequest; };
    // A refused automatic clean tells nobody in a box: memory is short right now, and the next
    // tick would only ask again.
    hooks.outOfMemory = [this, origin] {
        if (origin == CleanOrigin::User)
            ShowError(kOutOfMemoryMessage, this);
    };
    hooks.watchHeldMemory = [this](std::function<void()> check) {
        watchCleanMemory(std::move(check));
    };
    return hooks;
}

std::optional<CleanResult> TMainForm::RunCleanFrom(CleanOrigin origin) {
    // A clean further up the call stack is running; its message processing brought us here.
    if (Cleaning)
        return std::nullopt;
    Cleaning = true;
    const bool startedInTick = tickDepth_ > 0;
    if (startedInTick)
        timNested_->start();
    const auto ticksBack = qScopeGuard([this, startedInTick] {
        if (startedInTick)
            timNested_->stop();
    });
    showCleanRow(true);

    const CleanSettings wanted = cleanSettings();
    if (wanted.autoSize)
        platform_.GlobalMemoryStatus(MemStat);
    const CleanRequest request = requestClean(wanted, MemStat);
    CleanSize = request.size;

    const CleanResult result =
        runClean(platform_, request.size, cleanHooks(origin), request.fitDownTo);
    if (wanted.autoSize)
        CleanSize = result.size;

    showCleanPaused(false);
    platform_.GlobalMemoryStatus(MemStat);
    // PeakUsePer: the load-drop trigger measures from the load after every clean.
    autoTrigger_.cleaned(static_cast<int>(MemStat.dwMemoryLoad));
    Cleaning = false;
    StopRequest = false;
    showCleanRow(false);

    const QString settingNote = memorySettingNote(wanted.storedPercent);
    if (result.outcome == CleanOutcome::OutOfMemory) {
        // The episode is over once the smallest clean that could run fits again.
        if (origin == CleanOrigin::Automatic)
            noteRefusedAutoClean(
                result,
                request.fitDownTo > 0 ? std::min(result.size, request.fitDownTo) : result.size,
                settingNote);
    } else {
        shortageProbe_.reset();
        CleanNotice notice = describeClean(result);
        notice.body += settingNote;
        Notify(notice);
    }
    if (closePending_) {
        closePending_ = false;
        MenuClose();
    }
    return result;
}

// The progress text keeps its words while the passes wait for the processor; its colour and
// its hint tell that the clean waits rather than hangs.
void TMainForm::showCleanPaused(bool paused) {
    if (paused == cleanPaused_)
        return;
    cleanPaused_ = paused;
    QLabel* info = ui_->stcInfo;
    QPalette p = info->palette();
    p.setColor(QPalette::Window, paused ? kPausedColour : QColor(Qt::yellow));
    info->setPalette(p);
    info->setToolTip(paused ? QStringLiteral("一時停止中：プロセッサ使用率が 100% の間は待ちます"
                                             "（中断で終わります）")
                            : QString());
}

// At once, not posted: at the end of the session the system may end the process as soon as the
// request returns.
void TMainForm::ExternalClose() {
    close();
}

void TMainForm::watchCleanMemory(std::function<void()> check) {
    if (!timCleanWatch_) {
        timCleanWatch_ = new QTimer(this);
        timCleanWatch_->setObjectName(QStringLiteral("timCleanWatch"));
        // A tenth of the clean's pass rate: one probe read costs about 40 µs.
        timCleanWatch_->setInterval(50);
        connect(timCleanWatch_, &QTimer::timeout, this, [this] {
            if (cleanWatch_)
                cleanWatch_();
        });
    }
    cleanWatch_ = std::move(check);
    if (cleanWatch_)
        timCleanWatch_->start();
    else
        timCleanWatch_->stop();
}

// One notification per low-memory episode: the first refusal tells, later ones stay silent until
// the machine could spare the refused size again.
void TMainForm::noteRefusedAutoClean(const CleanResult& result, int64_t needed,
                                     const QString& settingNote) {
    refusedSize_ = static_cast<uint64_t>(std::max<int64_t>(needed, 1));
    if (shortageProbe_)
        return;
    shortageProbe_ = platform_.openMemoryProbe();
    CleanNotice notice = describeClean(result);
    notice.title = QStringLiteral("メモリ不足のため自動掃除をしませんでした");
    notice.body +=
        QStringLiteral("メモリに余裕ができるまで、自動掃除はこのお知らせを繰り返しません。\n");
    notice.body += settingNote;
    Notify(notice);
}

void TMainForm::endShortageWhenOver() {
    if (shortageProbe_ && safety::holdableBytes(shortageProbe_->sample()) >= refusedSize_)
        shortageProbe_.reset();
}

// Where no notification service shows the notice, the toolkit draws a balloon of its own near the
// icon, where the pointer often stands after a click; when its time is up under the pointer it
// stays, and for good. Each balloon closes after its time wherever the pointer is; a newer one is
// left to its own timer.
void TMainForm::closeBalloonAfterItsTime() {
    const int serial = ++noticeSerial_;
    QTimer::singleShot(NoticeTimeoutMs + 100, this, [this, serial] {
        if (serial != noticeSerial_)
            return;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->inherits("QBalloonTip") && w->isVisible())
                w->close();
    });
}

void TMainForm::Notify(const CleanNotice& notice) {
    if (!ClosingAfterClean && trayIcon_ && trayIcon_->isVisible() && platform_.hasSystemTray()) {
        trayIcon_->showMessage(notice.title, notice.body.trimmed(), QSystemTrayIcon::Information,
                               NoticeTimeoutMs);
        closeBalloonAfterItsTime();
        emit noticeShownInTray(notice.title, notice.body.trimmed());
        return;
    }
    std::fprintf(stderr, "kelvo: %s\n%s", notice.title.toUtf8().constData(),
                 notice.body.toUtf8().constData());
    std::fflush(stderr);
}

}  // namespace kelvo
