#include <gtest/gtest.h>

#include <QLocale>
#include <clocale>

#include "app/CleanNotice.h"

namespace kelvo {
namespace {

constexpr uint64_t MiB = 1048576;

Meminfo figures(uint64_t availableMB, uint64_t freeMB, uint64_t swapTotalMB, uint64_t swapFreeMB) {
    Meminfo m;
    m.memTotal = 4096 * MiB;
    m.memAvailable = availableMB * MiB;
    m.memFree = freeMB * MiB;
    m.swapTotal = swapTotalMB * MiB;
    m.swapFree = swapFreeMB * MiB;
    return m;
}

CleanResult cleaned(const Meminfo& before, const Meminfo& after, int64_t sizeMB = 400) {
    CleanResult r;
    r.outcome = CleanOutcome::Finished;
    r.size = sizeMB * static_cast<int64_t>(MiB);
    r.before = before;
    r.after = after;
    r.elapsedNs = 1'234'000'000;
    return r;
}

TEST(CleanNotice, AFinishedCleanGivesEveryFigureBeforeAndAfter) {
    const CleanNotice n =
        describeClean(cleaned(figures(300, 100, 2048, 2048), figures(900, 700, 2048, 1548)));
    EXPECT_EQ(n.title, QStringLiteral("掃除しました"));
    EXPECT_EQ(n.body, QStringLiteral("利用可能 300.0 MB → 900.0 MB（+600.0）\n"
                                     "未使用 100.0 MB → 700.0 MB（+600.0）\n"
                                     "スワップ使用 0.0 MB → 500.0 MB（+500.0）\n"
                                     "かかった時間 1.2 秒\n"));
}

TEST(CleanNotice, FiguresKeepTheirFullStopUnderAnyLocale) {
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const char* c = std::setlocale(LC_ALL, "de_DE.UTF-8");
    const CleanNotice n =
        describeClean(cleaned(figures(300, 100, 0, 0), figures(1300, 1100, 0, 0)));
    if (c)
        std::setlocale(LC_ALL, "C");
    QLocale::setDefault(saved);
    EXPECT_TRUE(n.body.contains(QStringLiteral("1300.0 MB"))) << n.body.toStdString();
    EXPECT_FALSE(n.body.contains(QLatin1Char(',')));
}

TEST(CleanNotice, ACleanThatFreedNothingSaysSoAndWhy) {
    // No swap and hardly any cache: nothing could go anywhere.
    CleanNotice n = describeClean(cleaned(figures(300, 290, 0, 0), figures(302, 291, 0, 0)));
    EXPECT_TRUE(n.body.endsWith(QStringLiteral(
        "スワップがなく、追い出せるキャッシュもないため、空きは増えませんでした。\n")))
        << n.body.toStdString();
    // Plenty free already: the clean took free memory and gave it back.
    n = describeClean(cleaned(figures(3000, 2900, 0, 0), figures(3001, 2900, 0, 0)));
    EXPECT_TRUE(n.body.endsWith(
        QStringLiteral("掃除の量より空きが多かったため、何も追い出されませんでした。\n")));
    // Inside a group whose limit the clean passed, the machine's free memory explains nothing.
    CleanResult inGroup = cleaned(figures(3000, 2900, 0, 0), figures(3001, 2900, 0, 0));
    inGroup.groupLimited = true;
    EXPECT_TRUE(describeClean(inGroup).body.endsWith(
        QStringLiteral("かかった時間 1.2 秒\n空きは増えませんでした。\n")));
    // With swap but nothing pushed out, no reason is made up.
    n = describeClean(cleaned(figures(300, 100, 2048, 2048), figures(300, 100, 2048, 2048)));
    EXPECT_TRUE(n.body.endsWith(QStringLiteral("かかった時間 1.2 秒\n空きは増えませんでした。\n")));
}

TEST(CleanNotice, AGainUnderOneTwentiethOfTheCleanIsNone) {
    // 400 MB clean: 19 MB more free is noise from other programs, 20 MB is a gain.
    EXPECT_TRUE(freedNothing(cleaned(figures(300, 100, 0, 0), figures(319, 119, 0, 0))));
    EXPECT_FALSE(freedNothing(cleaned(figures(300, 100, 0, 0), figures(320, 120, 0, 0))));
    EXPECT_TRUE(freedNothing(cleaned(figures(300, 100, 0, 0), figures(250, 50, 0, 0))));
    // Pages pushed to swap are work done, even where other programs took the memory it freed.
    EXPECT_FALSE(freedNothing(cleaned(figures(300, 100, 512, 512), figures(300, 100, 512, 300))));
}

TEST(CleanNotice, StoppedAndRefusedCleansSayWhatHappened) {
    CleanResult r = cleaned(figures(300, 100, 2048, 2048), figures(900, 700, 2048, 1548));
    r.outcome = CleanOutcome::Stopped;
    EXPECT_EQ(describeClean(r).title, QStringLiteral("掃除を中断しました"));
    r.outcome = CleanOutcome::SafetyStop;
    EXPECT_EQ(describeClean(r).title,
              QStringLiteral("メモリが足りなくなったため掃除を途中で止めました"));

    CleanResult refused;
    refused.size = 410 * static_cast<int64_t>(MiB);
    refused.holdable = 0;
    refused.before = refused.after = figures(300, 290, 0, 0);
    const CleanNotice n = describeClean(refused);
    EXPECT_EQ(n.title, QStringLiteral("メモリ不足のため掃除しませんでした"));
    EXPECT_EQ(n.body, QStringLiteral("利用可能 300.0 MB、スワップの空き 0.0 MB：掃除に回せるのは "
                                     "0.0 MB まで（掃除の量 410.0 MB）\n"));
}

}  // namespace
}  // namespace kelvo
