#include <gtest/gtest.h>

#include <QLocale>
#include <clocale>

#include "app/clean/CleanNotice.h"

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
    n = describeClean(cleaned(figures(3000, 2900, 2048, 2048), figures(3001, 2900, 2048, 2048)));
    EXPECT_TRUE(n.body.endsWith(
        QStringLiteral("掃除の量より空きが多かったため、何も追い出されませんでした。\n")));
    // With swap but nothing pushed out, no reason is made up.
    n = describeClean(cleaned(figures(300, 100, 2048, 2048), figures(300, 100, 2048, 2048)));
    EXPECT_TRUE(n.body.endsWith(QStringLiteral("かかった時間 1.2 秒\n空きは増えませんでした。\n")));
}

// Without swap (none, or all of it full) other programs' pages have nowhere to go: that is the
// reason, also where the machine had more free memory than the clean took.
TEST(CleanNotice, WithoutSwapItSaysOnlyThePageCacheCouldGo) {
    const QString onlyCache = QStringLiteral(
        "スワップがないため、ほかのプログラムのページは追い出せません（空けられるのはページキャッシ"
        "ュ"
        "だけです）。\n");
    for (uint64_t swapTotal : {0, 1024}) {
        const CleanNotice n = describeClean(
            cleaned(figures(3000, 2900, swapTotal, 0), figures(3001, 2900, swapTotal, 0)));
        EXPECT_TRUE(n.body.endsWith(onlyCache)) << n.body.toStdString();
    }
    // It freed the cache: said together with the figures.
    const CleanNotice freed =
        describeClean(cleaned(figures(3000, 1000, 0, 0), figures(3000, 1400, 0, 0)));
    EXPECT_TRUE(freed.body.endsWith(
        QStringLiteral("スワップがないため、空いたのはページキャッシュの分です。\n")))
        << freed.body.toStdString();
}

// Inside a memory group its room tells what the clean did, not the machine's figures.
TEST(CleanNotice, InsideAMemoryGroupTheGroupsFiguresAreGiven) {
    CleanResult r = cleaned(figures(3000, 2900, 2048, 2048), figures(3001, 2900, 2048, 2048));
    r.groupLimited = true;
    r.groupRoomBefore = 200 * MiB;
    r.groupRoomAfter = 450 * MiB;
    CleanNotice n = describeClean(r);
    EXPECT_EQ(n.body, QStringLiteral("メモリグループの空き 200.0 MB → 450.0 MB（+250.0）\n"
                                     "スワップ使用 0.0 MB → 0.0 MB（+0.0）\n"
                                     "かかった時間 1.2 秒\n"));
    // The group had room for the clean: nothing had to go.
    r.groupRoomBefore = 900 * MiB;
    r.groupRoomAfter = 900 * MiB;
    n = describeClean(r);
    EXPECT_TRUE(n.body.endsWith(QStringLiteral(
        "掃除の量よりメモリグループの空きが多かったため、何も追い出されませんでした。\n")))
        << n.body.toStdString();
    // Refused: what the group could spare.
    CleanResult refused;
    refused.size = 410 * static_cast<int64_t>(MiB);
    refused.before = refused.after = figures(3000, 2900, 0, 0);
    refused.groupRoomBefore = 100 * MiB;
    EXPECT_TRUE(describeClean(refused).body.startsWith(
        QStringLiteral("メモリグループの空き 100.0 MB、スワップの空き 0.0 MB")));
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
    // Stopped at 1 % with plenty free: no talk of free memory, but where it stopped.
    CleanResult r = cleaned(figures(3000, 2900, 0, 0), figures(3000, 2900, 0, 0));
    r.outcome = CleanOutcome::Stopped;
    r.lastPass = 1;
    CleanNotice n = describeClean(r);
    EXPECT_EQ(n.title, QStringLiteral("掃除を中断しました（1%）"));
    EXPECT_TRUE(n.body.endsWith(
        QStringLiteral("かかった時間 1.2 秒\n掃除したのは 4.0 MB（掃除の量 400.0 MB のうち）\n")))
        << n.body.toStdString();
    r.outcome = CleanOutcome::SafetyStop;
    r.lastPass = 37;
    n = describeClean(r);
    EXPECT_EQ(n.title, QStringLiteral("メモリが足りなくなったため掃除を途中で止めました（37%）"));
    EXPECT_TRUE(n.body.contains(QStringLiteral("掃除したのは 148.0 MB")));
    EXPECT_TRUE(n.body.contains(QStringLiteral("安全のため止めました")));

    CleanResult refused;
    refused.size = 410 * static_cast<int64_t>(MiB);
    refused.holdable = 0;
    refused.before = refused.after = figures(300, 290, 0, 0);
    n = describeClean(refused);
    EXPECT_EQ(n.title, QStringLiteral("メモリ不足のため掃除しませんでした"));
    EXPECT_EQ(n.body, QStringLiteral("利用可能 300.0 MB、スワップの空き 0.0 MB：掃除に回せるのは "
                                     "0.0 MB まで（掃除の量 410.0 MB）\n"));
}

TEST(CleanNotice, AMemorySettingOutOfRangeIsNamedWithThePercentageUsed) {
    EXPECT_EQ(memorySettingNote(0),
              QStringLiteral("設定の Memory=0 は 5〜95 の範囲外のため、5% として扱いました。\n"));
    EXPECT_TRUE(memorySettingNote(-5).contains(QStringLiteral("Memory=-5")));
    EXPECT_TRUE(memorySettingNote(200).contains(QStringLiteral("95% として")));
    for (int inRange : {5, 50, 95})
        EXPECT_TRUE(memorySettingNote(inRange).isEmpty());
}

}  // namespace
}  // namespace kelvo
