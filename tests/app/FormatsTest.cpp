#include <gtest/gtest.h>
#include <random>
#include <vector>

#include "app/cli/StatusReport.h"
#include "app/common/Formats.h"
#include "tests/app/DecimalCommaLocale.h"

namespace kelvo {
namespace {

TEST(Megabytes, EdgeValuesFormatWithOneDecimal) {
    EXPECT_EQ(formatMB(4294967295ull), "4096.0");
    EXPECT_EQ(formatMB(0), " 0.0");
    EXPECT_EQ(formatMB(1048576), " 1.0");
    EXPECT_EQ(formatMB(3670016), " 3.5");
    EXPECT_EQ(formatMB(134113690), "127.9");
    EXPECT_EQ(formatMBUnit(1048576), " 1.0 MB");
    EXPECT_EQ(formatMBUnit(128ull << 30), "131072.0 MB");  // no wrap above 4 GiB
}

TEST(Megabytes, ConversionIsExact) {
    EXPECT_EQ(toMegabytes(1), 9.5367431640625e-07);
    EXPECT_EQ(toMegabytes(1536ull << 10), 1.5);
}

// The readout and the tip compare tenths instead of text: they must be the tenths the text shows,
// ties included (an odd number of 2^19-byte halves of a tenth is exact and rounds to even).
TEST(Megabytes, TenthsAreWhatTheTextShows) {
    auto shownTenths = [](uint64_t bytes) {
        const QString text = formatMB(bytes).trimmed().remove(QLatin1Char('.'));
        return text.toULongLong();
    };
    std::vector<uint64_t> samples;
    for (uint64_t tie = 52428; tie < 52428 * 200; tie += 52428)  // near every tenth up to 20 MB
        for (uint64_t d = tie - 3; d <= tie + 3; ++d)
            samples.push_back(d);
    for (uint64_t k = 1; k < 2000; k += 2)  // the exact ties: k * 2^19 / 10 bytes when whole
        if (k * (uint64_t(1) << 19) % 10 == 0)
            samples.push_back(k * (uint64_t(1) << 19) / 10);
    std::mt19937_64 random(7);
    for (int i = 0; i < 20000; ++i)
        samples.push_back(random() >> (11 + i % 40));
    samples.push_back((uint64_t(1) << 53) - 1);
    for (uint64_t bytes : samples)
        ASSERT_EQ(megabyteTenths(bytes), shownTenths(bytes)) << bytes;
    // Past exact doubles the key is the byte count: a change of text is never missed.
    EXPECT_EQ(megabyteTenths(UINT64_MAX), UINT64_MAX);
}

// The toolkit sets the C library's locale from the environment; a figure must not follow it.
TEST(Megabytes, KeepTheirFullStopUnderADecimalCommaLocale) {
    test::DecimalCommaLocale german;
    ASSERT_TRUE(german.active()) << "the build generates de_DE.UTF-8 into " KELVO_TEST_LOCPATH;
    EXPECT_EQ(formatMB(24638809702ull), "23497.4");
    EXPECT_EQ(formatMBUnit(1048576), " 1.0 MB");
    EXPECT_EQ(formatDouble("[%3.1lf MB] ", 12052.6), "[12052.6 MB] ");
    EXPECT_EQ(formatDouble("%4.1lfMB Free", 3.5), " 3.5MB Free");
    // Text around the number keeps its own commas.
    EXPECT_EQ(formatDouble("a,b %4.1lf, c", 2.25), "a,b  2.2, c");
    EXPECT_EQ(formatInt("%3d%", 42), " 42%");
    MEMORYSTATUS m;
    m.dwTotalPhys = 1536ull << 20;
    m.dwAvailPhys = 512ull << 20;
    EXPECT_TRUE(statusReport(m).startsWith(QStringLiteral("物理\t空き 512.0\t使用 1024.0\t")));
}

TEST(PercentFormats, TrailingPercentPrintsItself) {
    EXPECT_EQ(formatInt("%3d%", 5), "  5%");
    EXPECT_EQ(formatInt("%3d%", 42), " 42%");
    EXPECT_EQ(formatInt("%3d%", 100), "100%");
    EXPECT_EQ(formatInt("%d%", 65), "65%");
    EXPECT_EQ(formatInt("CPU:%3d%", 7), "CPU:  7%");
    EXPECT_EQ(formatInt("掃除中 %d% ", 37), "掃除中 37% ");
    EXPECT_EQ(formatInt("%d%%", 3), "3%");  // an escaped percent is still C's
}

}  // namespace
}  // namespace kelvo
