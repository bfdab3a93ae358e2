#include "app/CleanNotice.h"

#include <algorithm>

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

QString titleOf(CleanOutcome outcome) {
    switch (outcome) {
        case CleanOutcome::Finished:
            return QStringLiteral("掃除しました");
        case CleanOutcome::Stopped:
            return QStringLiteral("掃除を中断しました");
        case CleanOutcome::SafetyStop:
            return QStringLiteral("メモリが足りなくなったため掃除を途中で止めました");
        case CleanOutcome::OutOfMemory:
            break;
    }
    return QStringLiteral("メモリ不足のため掃除しませんでした");
}

// Why nothing was pushed out, as far as the figures before the clean tell.
QString whyNothing(const CleanResult& r) {
    const uint64_t free = freeOf(r.before);
    const uint64_t available = r.before.memAvailable.value_or(free);
    const uint64_t cache = available > free ? available - free : 0;
    const bool noSwap = r.before.swapTotal.value_or(0) == 0;
    // Inside a memory group its limit, not the machine's free memory, decides.
    if (!r.groupLimited && free >= static_cast<uint64_t>(std::max<int64_t>(r.size, 0)))
        return QStringLiteral("掃除の量より空きが多かったため、何も追い出されませんでした。");
    if (noSwap && cache < static_cast<uint64_t>(r.size) / 20)
        return QStringLiteral(
            "スワップがなく、追い出せるキャッシュもないため、空きは増えませんでし"
            "た。");
    return QStringLiteral("空きは増えませんでした。");
}

}  // namespace

bool freedNothing(const CleanResult& r) {
    const auto grew = [](uint64_t before, uint64_t after) {
        return static_cast<double>(after) - static_cast<double>(before);
    };
    // Other programs move a few pages meanwhile: a change under 5 % of the clean is none.
    const double noise = static_cast<double>(std::max<int64_t>(r.size, 0)) / 20;
    return grew(freeOf(r.before), freeOf(r.after)) < noise &&
           grew(swapUsed(r.before), swapUsed(r.after)) < noise;
}

CleanNotice describeClean(const CleanResult& r) {
    CleanNotice n;
    n.title = titleOf(r.outcome);
    if (r.outcome == CleanOutcome::OutOfMemory) {
        n.body = QStringLiteral("利用可能 ") + mb(r.before.memAvailable.value_or(0)) +
                 QStringLiteral("、スワップの空き ") + mb(r.before.swapFree.value_or(0)) +
                 QStringLiteral("：掃除に回せるのは ") + mb(r.holdable) +
                 QStringLiteral(" まで（掃除の量 ") +
                 mb(static_cast<uint64_t>(std::max<int64_t>(r.size, 0))) + QStringLiteral("）\n");
        return n;
    }
    n.body = beforeAfter(QStringLiteral("利用可能"), r.before.memAvailable.value_or(0),
                         r.after.memAvailable.value_or(0)) +
             beforeAfter(QStringLiteral("未使用"), freeOf(r.before), freeOf(r.after)) +
             beforeAfter(QStringLiteral("スワップ使用"), swapUsed(r.before), swapUsed(r.after)) +
             QStringLiteral("かかった時間 ") +
             QString::number(static_cast<double>(r.elapsedNs) / 1e9, 'f', 1) +
             QStringLiteral(" 秒\n");
    if (freedNothing(r))
        n.body += whyNothing(r) + QStringLiteral("\n");
    return n;
}

}  // namespace kelvo
