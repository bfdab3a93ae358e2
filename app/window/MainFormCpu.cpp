// Processor usage: the two-second sample and its label.
#include "app/common/Formats.h"
#include "app/settings/SettingFrm.h"
#include "app/window/MainForm.h"
#include "components/novellabel/NovelLbl.h"
#include "ui_MainForm.h"

namespace kelvo {
namespace {

constexpr uint32_t HKEY_DYN_DATA = 0x80000006;
const std::string kCpuUsageValue = "KERNEL\\CPUUsage";

}  // namespace

int TMainForm::GetNtCpuUsage() {
    return cpuUsage_.sample(platform_.queryCpuTimes());
}

bool TMainForm::measureCpuUsage() {
    int usage = 0;
    if (platform_.IsWinNT()) {
        usage = GetNtCpuUsage();
    } else {
        // A statistic that cannot be read is no new sample: the last one stands.
        const std::optional<uint32_t> value =
            platform_.ReadDynDataValue(HKEY_DYN_DATA, "PerfStats\\StatData", kCpuUsageValue);
        if (!value)
            return false;
        usage = static_cast<int32_t>(*value);
    }
    CpuUsePer = cappedCpuUsage(usage);
    return true;
}

void TMainForm::SampleCpuUsage() {
    TNovelLabel* label = ui_->nlblCpuUsePer;
    const bool wanted = SettingFrm().showCpuUsage();
    if (wanted == label->isHidden())
        label->setVisible(wanted);
    if (!measureCpuUsage())
        return;
    const QString text = formatInt("CPU:%3d%", CpuUsePer);
    if (!label->isHidden() && label->Caption() != text)
        label->setCaption(text);
}

void TMainForm::startCpuStatistics() {
    if (!platform_.IsWinNT())
        platform_.ReadDynDataValue(HKEY_DYN_DATA, "PerfStats\\StartStat", kCpuUsageValue);
}

void TMainForm::stopCpuStatistics() {
    if (!platform_.IsWinNT())
        platform_.ReadDynDataValue(HKEY_DYN_DATA, "PerfStats\\StopStat", kCpuUsageValue);
}

}  // namespace kelvo
