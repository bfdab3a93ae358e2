// The main window's side of the settings: loading the file into the dialog's controls, saving
// them, and the settings button.
#include <QGuiApplication>
#include <QScreen>

#include "app/common/ErrorBox.h"
#include "app/settings/SaveFailureText.h"
#include "app/settings/SettingFrm.h"
#include "app/settings/UpDown.h"
#include "app/window/MainForm.h"
#include "profile/FileTrust.h"
#include "profile/ProfileFile.h"
#include "profile/SettingsKeys.h"
#include "ui_SettingFrm.h"

namespace kelvo {
namespace {

QSize screenSize() {
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize();
}

// The up-down's maximum goes first, so that a stored value above the form's initial maximum
// is not cut down to it.
void loadUpDown(TUpDown* upDown, QLineEdit* edit, int32_t stored, int maximum) {
    upDown->setMax(maximum);
    upDown->setPosition(stored);
    if (upDown->Position() < limits::kUpDownMin)
        upDown->setPosition(limits::kUpDownMin);
    edit->setText(QString::number(upDown->Position()));
}

std::string describe(SaveResult r, FileSystem& fs, const std::string& path) {
    switch (r) {
        case SaveResult::Untrusted:
            return trustFile(fs, path).refusal + "; it was not read and will not be changed";
        case SaveResult::ReadOnly:
            return "it is read-only; it was left as it is";
        case SaveResult::WouldBeTooLarge:
            return "the saved file would be larger than 1 MiB, which is not read as a settings "
                   "file; it was left as it is";
        case SaveResult::ReadFailed:
            return "the file could not be read";
        case SaveResult::TooLarge:
            return "it is larger than 1 MiB, so not a settings file; it was ignored and will not "
                   "be changed";
        case SaveResult::CreateFailed:
            return "no new file could be created in its folder";
        case SaveResult::WriteFailed:
            return "writing failed (is the disk full?)";
        case SaveResult::RenameFailed:
            return "the new file could not replace the old one";
        case SaveResult::FolderSyncFailed:
            return "the folder could not be synced";
        default:
            return "";
    }
}

}  // namespace

void TMainForm::sbtnConfigClick() {
    showFromUnderPointer();
    show();
    SmallMode = false;
    restoreApplication();
    SaveSettings(true);
    LoadSettings();
    setDialogOpen(true);
    const std::optional<TSettingFrm::ModalResult> result = SettingFrm().ShowModal();
    if (!result)
        return;  // the dialog was already open; its own call finishes the job
    setDialogOpen(false);
    const SaveResult saved =
        *result == TSettingFrm::mrOk ? SaveSettings(false) : SaveResult::Unchanged;
    LoadSettings();
    if (!savedToFile(saved))
        ShowError(settingsNotSavedMessage(saved, QString::fromStdString(iniPath_)), this);
}

Profile TMainForm::currentSettings() {
    return unsaved_ ? *unsaved_ : readProfileFile(platform_.fileSystem(), iniPath_);
}

void TMainForm::LoadSettings() {
    const Profile ini = currentSettings();
    auto read = [&ini](const SettingKey& key) { return readSetting(ini, key); };
    Ui::TSettingFrm& s = SettingFrm().ui();
    const QSize screen = screenSize();

    // Where the compositor places the window, a position of ours would only shift the frame
    // in which the pointer's positions are read.
    if (platform_.hasGlobalCoordinates()) {
        const int32_t x = read(keys::XPos);
        if (x != this->x())
            move(x, y());
        if (limits::windowCoordinate(x, screen.width()) != x)
            move(0, y());
        const int32_t y = read(keys::YPos);
        if (y != this->y())
            move(this->x(), y);
        if (limits::windowCoordinate(y, screen.height()) != y)
            move(this->x(), 0);
    }

    const bool onTop = read(keys::StayOnTop) != 0;
    applyStayOnTop(onTop);
    s.ckbStayOnTop->setChecked(onTop);
    s.ckbDontCatch->setChecked(read(keys::DontCatch) != 0);
    s.ckbCpuPer->setChecked(read(keys::ShowCpuUsePer) != 0);
    s.ckbStopCpuPer->setChecked(read(keys::StopCpuUsePer) != 0);
    const bool noButton = read(keys::TaskBarHide) != 0;
    s.ckbTaskBarHide->setChecked(noButton);
    applyTaskBarButtonHidden(noButton);
    s.chkbAutoMem->setChecked(read(keys::AutoMemSize) != 0);

    // The clean size takes the percentage within the track bar's range too: a stored 0 or -5
    // would ask for no memory at all.
    const int32_t percent = limits::memoryPercent(read(keys::Memory));
    s.trkberMemPer->setValue(percent);
    platform_.GlobalMemoryStatus(MemStat);
    CleanSize = limits::cleanSize(percent, MemStat.dwTotalPhys);

    // One by one, so the rule that keeps a condition checked may act between them.
    s.chkbAuto->setChecked(read(keys::AutoMemClear) != 0);
    s.chkbMinExec->setChecked(read(keys::AutoMemMin) != 0);
    s.chkbFreeInc->setChecked(read(keys::AutoMemUsed) != 0);
    s.chkbNot100Per->setChecked(read(keys::Not100Per) != 0);
    SettingFrm().chkbAutoClick();

    const int maximum = limits::upDownMaximum(MemStat.dwTotalPhys);
    loadUpDown(s.udMem, s.edtMem, read(keys::AutoExeSize), maximum);
    // A drop in percentage points can be no more than 100, whatever the memory.
    loadUpDown(s.udUsePer, s.edtUsePer, read(keys::AutoMemUsePer), limits::kLoadDropMax);

    const bool hideHints = read(keys::Hint) != 0;
    s.chkbHideHint->setChecked(hideHints);
    applyHints(!hideHints);
}

SaveResult TMainForm::SaveSettings(bool positionOnly) {
    if (settingsFinal_)
        return SaveResult::Unchanged;
    const TSettingFrm& f = SettingFrm();
    const auto edit = [&](Profile& ini) {
        // What the file could not take before is what the user confirmed: it goes in first.
        if (unsaved_)
            for (const SettingKey& key : keys::kSaveOrder)
                if (const std::optional<std::string> v = unsaved_->value(key.section, key.name))
                    ini.write(key.section, key.name, *v);
        // Where the compositor places the window, its position reads as 0, 0: keep the
        // saved one for the next X11 session.
        if (platform_.hasGlobalCoordinates()) {
            writeSetting(ini, keys::XPos, x());
            writeSetting(ini, keys::YPos, y());
        }
        writeSetting(ini, keys::Small, SmallMode ? 1 : 0);
        if (positionOnly)
            return;
        writeSetting(ini, keys::StayOnTop, f.stayOnTop());
        writeSetting(ini, keys::DontCatch, f.dontCatch());
        writeSetting(ini, keys::ShowCpuUsePer, f.showCpuUsage());
        writeSetting(ini, keys::StopCpuUsePer, f.pauseCleanAtFullCpu());
        writeSetting(ini, keys::TaskBarHide, f.hideTaskBarButton());
        writeSetting(ini, keys::Memory, f.cleanPercent());
        writeSetting(ini, keys::AutoMemClear, f.autoClean());
        writeSetting(ini, keys::AutoMemMin, f.autoOnLowMemory());
        writeSetting(ini, keys::AutoMemUsed, f.autoOnLoadDrop());
        writeSetting(ini, keys::AutoMemSize, f.autoCleanSize());
        writeSetting(ini, keys::AutoExeSize, static_cast<int16_t>(f.lowMemoryMB()));
        writeSetting(ini, keys::AutoMemUsePer, static_cast<int16_t>(f.loadDropPoints()));
        writeSetting(ini, keys::Not100Per, f.noAutoCleanAtFullLoad());
        writeSetting(ini, keys::Hint, f.hideHints());
    };
    const SaveResult result = saveProfileFile(platform_.fileSystem(), iniPath_, edit);
    if (result != SaveResult::Saved && result != SaveResult::Unchanged)
        qWarning("kelvo: settings not saved to %s: %s", iniPath_.c_str(),
                 describe(result, platform_.fileSystem(), iniPath_).c_str());
    if (savedToFile(result)) {
        unsaved_.reset();
        return result;
    }
    // The old file stays as it was; what it could not take stays in use for this run, and every
    // later save tries again.
    Profile intended = currentSettings();
    edit(intended);
    unsaved_ = std::move(intended);
    return result;
}

int TMainForm::readSmallSetting() {
    return readSetting(currentSettings(), keys::Small);
}

bool TMainForm::optionShowCpuUsage() const {
    return SettingFrm().showCpuUsage();
}

}  // namespace kelvo
