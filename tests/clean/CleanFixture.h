#pragma once

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <functional>
#include <memory>
#include <string>

#include "app/settings/SettingFrm.h"
#include "app/window/MainForm.h"
#include "platform/fake/FakePlatform.h"
#include "tests/support/MainFormSeam.h"
#include "ui_MainForm.h"
#include "ui_SettingFrm.h"

namespace kelvo::test {

inline constexpr int64_t MiB = 1048576;
inline const std::string kIni = "/opt/kelvo/kelvo.ini";
// A clean that waits while the processor is fully busy.
inline const std::string kPausing = "Memory=10\nStopCpuUsePer=1\n";

// A whole clean of `size` bytes writes 100 passes, and the rest if the size does not divide.
inline size_t fullWrites(int64_t size) {
    return 100u + (size % 100 ? 1 : 0);
}

// What `action` writes to standard error.
inline QString stderrOf(const std::function<void()>& action) {
    testing::internal::CaptureStderr();
    action();
    return QString::fromStdString(testing::internal::GetCapturedStderr());
}

// The main window on a fake 4 GiB machine with 3 GiB free and a load of 25. Its message
// processing is a counted hook: nothing else runs in between unless a test says so.
class CleanFixture : public testing::Test {
  protected:
    CleanFixture() { platform.setMemoryMB(4096, 3072, 25); }

    // Starts with the given "DEFAULT" keys in the settings file.
    TMainForm& start(const std::string& defaults = "Memory=10\n") {
        platform.files.put(kIni, "[DEFAULT]\n" + defaults);
        form = std::make_unique<TMainForm>(platform);
        MainFormSeam::FirstTick(*form) = false;
        form->SetProcessMessagesHook([this] {
            ++messages;
            if (onMessages)
                onMessages();
        });
        return *form;
    }

    Ui::TMainForm& u() { return form->ui(); }
    Ui::TSettingFrm& s() { return form->SettingFrm().ui(); }
    QString caption() { return u().stcInfo->text(); }
    bool topButtonsShown() {
        return !u().sbtnConfig->isHidden() && !u().sbtnGetMem->isHidden() &&
               !u().sbtnMinimize->isHidden() && !u().sbtnClose->isHidden();
    }
    bool topButtonsHidden() {
        return u().sbtnConfig->isHidden() && u().sbtnGetMem->isHidden() &&
               u().sbtnMinimize->isHidden() && u().sbtnClose->isHidden();
    }

    FakePlatform platform;
    std::unique_ptr<TMainForm> form;
    int messages = 0;
    std::function<void()> onMessages;
};

}  // namespace kelvo::test
