#include "app/clean/CleanNotice.h"

#include <algorithm>

#include "profile/SettingsKeys.h"

namespace kelvo {
namespace {

constexpr double kMiB = 1048576.0;

// QString::number formats in the C locale: a full stop under every language setting.
QString mb(uint64_t bytes) {
    return QString::number(static_cast<double>(bytes) / kMiB, 'f', 1) + QStringLiteral(" MB");
}

QString signedMb(double bytes) {
    const QString n = QString::number(bytes / kMiB, 'f', 1);
    return bytes >= 0 ? QStringLiteral("+") + n : n;
}

uint64_t swapUsed(const Meminfo& m) {
    const uint64_t total = m.swapTotal.value_or(0), free = m.swapFree.value_or(0);
    return total > free ? total - free : 0;
}

uint64_t freeOf(const Meminfo& m) {
    return m.memFree.value_or(m.memAvailable.value_or(0));
}

QString beforeAfter(const QString& label, uint64_t before, uint64_t after) {
    return label + QStringLiteral(" ") + mb(before) + QStringLiteral(" → ") + mb(after) +
           QStringLiteral("（") +
           signedMb(static_cast<double>(after) - static_cast<double>(before)) +
           QStringLiteral("）\n");
}

QString percentMark(int pass) {
    return pass > 0 ? QStringLiteral("（%1%）").arg(pass) : QString();
}

QString titleOf(const CleanResult& r) {
    switch (r.outcome) {
        case CleanOutcome::Finished:
            return QStringLiteral("掃除しました");
        case CleanOutcome::Stopped:
            return QStringLiteral("掃除を中断しました") + percentMark(r.lastPass);
        case CleanOutcome::SafetyStop:
            return QStringLiteral("メモリが足りなくなったため掃除を途中で止めました") +
                   percentMark(r.lastPass);
        case CleanOutcome::OutOfMemory:
            break;
    }
    return QStringLiteral("メモリ不足のため掃除しませんでした");
}

uint64_t sizeOf(const CleanResult& r) {
    return static_cast<uint64_t>(std::max<int64_t>(r.size, 0));
}

// The bytes the passes zeroed: all of them, or those up to the pass it stopped in.
uint64_t writtenOf(const CleanResult& r) {
    if (r.outcome == CleanOutcome::Finished)
        return sizeOf(r);
    return sizeOf(r) / 100 * static_cast<uint64_t>(std::clamp(r.lastPass, 0, 100));
}

bool noSwap(const CleanResult& r) {
    return r.before.swapTotal.value_or(0) == 0 || r.before.swapFree.value_or(0) == 0;
}

// Why nothing was pushed out, as far as the figures before the clean tell.
QString whyNothing(const CleanResult& r) {
    const uint64_t written = writtenOf(r);
    const uint64_t free = freeOf(r.before);
    const uint64_t available = r.before.memAvailable.value_or(free);
    const uint64_t cache = available > free ? available - free : 0;
    // Inside a memory group its room, not the machine's free memory, decides.
    if (r.groupRoomBefore && *r.groupRoomBefore >= written)
        return QStringLiteral(
            "掃除の量よりメモリグループの空きが多かったため、何も追い出されませんでした。");
    if (noSwap(r) && (r.groupRoomBefore || cache < written / 20))
        return QStringLiteral(
            "スワップがなく、追い出せるキャッシュもないため、空きは増えませんでした。");
    // Without swap no program's pages can go anywhere: the page cache is all a clean can empty.
    if (noSwap(r))
        return QStringLiteral(
            "スワップがないため、ほかのプログラムのページは追い出せません"
            "（空けられるのはページキャッシュだけです）。");
    if (!r.groupLimited && !r.groupRoomBefore && free >= written)
        return QStringLiteral("掃除の量より空きが多かったため、何も追い出されませんでした。");
    return QStringLiteral("空きは増えませんでした。");
}

QString whyStopped(const CleanResult& r) {
    QString line = QStringLiteral("掃除したのは ") + mb(writtenOf(r)) +
                   QStringLiteral("（掃除の量 ") + mb(sizeOf(r)) + QStringLiteral(" のうち）\n");
    if (r.outcome == CleanOutcome::SafetyStop)
        line += QStringLiteral(
            "安全のため止めました：これ以上はほかのプログラムのメモリが足りなく"
            "なります。\n");
    return line;
}

}  // namespace

bool freedNothing(const CleanResult& r) {
    const auto grew = [](uint64_t before, uint64_t after) {
        return static_cast<double>(after) - static_cast<double>(before);
    };
    // Other programs move a few pages meanwhile: a change under 5 % of the clean is none.
    const double noise = static_cast<double>(writtenOf(r)) / 20;
    const double freed = r.groupRoomBefore && r.groupRoomAfter
                             ? grew(*r.groupRoomBefore, *r.groupRoomAfter)
                             : grew(freeOf(r.before), freeOf(r.after));
    return freed < noise && grew(swapUsed(r.before), swapUsed(r.after)) < noise;
}

CleanNotice describeClean(const CleanResult& r) {
    CleanNotice n;
    n.title = titleOf(r);
    if (r.outcome == CleanOutcome::OutOfMemory) {
        n.body = (r.groupRoomBefore
                      ? QStringLiteral("メモリグループの空き ") + mb(*r.groupRoomBefore)
                      : QStringLiteral("利用可能 ") + mb(r.before.memAvailable.value_or(0))) +
                 QStringLiteral("、スワップの空き ") + mb(r.before.swapFree.value_or(0)) +
                 QStringLiteral("：掃除に回せるのは ") + mb(r.holdable) +
                 QStringLiteral(" まで（掃除の量 ") +
                 mb(static_cast<uint64_t>(std::max<int64_t>(r.size, 0))) + QStringLiteral("）\n");
        return n;
    }
    if (r.groupRoomBefore && r.groupRoomAfter)
        n.body = beforeAfter(QStringLiteral("メモリグループの空き"), *r.groupRoomBefore,
                             *r.groupRoomAfter);
    else
        n.body = beforeAfter(QStringLiteral("利用可能"), r.before.memAvailable.value_or(0),
                             r.after.memAvailable.value_or(0)) +
                 beforeAfter(QStringLiteral("未使用"), freeOf(r.before), freeOf(r.after));
    n.body += beforeAfter(QStringLiteral("スワップ使用"), swapUsed(r.before), swapUsed(r.after)) +
              QStringLiteral("かかった時間 ") +
              QString::number(static_cast<double>(r.elapsedNs) / 1e9, 'f', 1) +
              QStringLiteral(" 秒\n");
    if (r.outcome != CleanOutcome::Finished)
        n.body += whyStopped(r);
    else if (freedNothing(r))
        n.body += whyNothing(r) + QStringLiteral("\n");
    else if (noSwap(r))
        n.body += QStringLiteral("スワップがないため、空いたのはページキャッシュの分です。\n");
    return n;
}

QString memorySettingNote(int32_t stored) {
    const int32_t used = limits::memoryPercent(stored);
    if (used == stored)
        return {};
    return QStringLiteral("設定の Memory=%1 は %2〜%3 の範囲外のため、%4% として扱いました。\n")
        .arg(stored)
        .arg(limits::kMemoryMin)
        .arg(limits::kMemoryMax)
        .arg(used);
}

}  // namespace kelvo
