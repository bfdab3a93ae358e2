#include <gtest/gtest.h>

#include "app/CommandLine.h"
#include "app/Formats.h"
#include "app/IniPath.h"
#include "platform/fake/FakePlatform.h"

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

TEST(PercentFormats, TrailingPercentPrintsItself) {
    EXPECT_EQ(formatInt("%3d%", 5), "  5%");
    EXPECT_EQ(formatInt("%3d%", 42), " 42%");
    EXPECT_EQ(formatInt("%3d%", 100), "100%");
    EXPECT_EQ(formatInt("%d%", 65), "65%");
    EXPECT_EQ(formatInt("CPU:%3d%", 7), "CPU:  7%");
    EXPECT_EQ(formatInt("掃除中 %d% ", 37), "掃除中 37% ");
    EXPECT_EQ(formatInt("%d%%", 3), "3%");  // an escaped percent is still C's
}

TEST(IniPathRules, ExeEndingBecomesIniAndOtherNamesGetIniAdded) {
    EXPECT_EQ(iniPathFor("/opt/k/KELVO.EXE", true, "/cfg"), "/opt/k/KELVO.ini");
    EXPECT_EQ(iniPathFor("/opt/k/kelvo.exe", true, "/cfg"), "/opt/k/kelvo.ini");
    EXPECT_EQ(iniPathFor("/opt/k/kelvo", true, "/cfg"), "/opt/k/kelvo.ini");
    // A short path never becomes the executable itself.
    EXPECT_EQ(iniPathFor("/k", true, "/cfg"), "/k.ini");
}

TEST(IniPathRules, InstalledProgramUsesTheUserConfigFolder) {
    EXPECT_EQ(iniPathFor("/usr/bin/kelvo", false, "/home/u/.config"),
              "/home/u/.config/kelvo/kelvo.ini");
    EXPECT_EQ(iniPathFor("", true, "/home/u/.config"), "/home/u/.config/kelvo/kelvo.ini");
}

TEST(IniPathRules, AsksThePlatformForTheExecutableAndItsFolder) {
    FakePlatform fake;
    fake.exePath = "/opt/kelvo/kelvo";
    EXPECT_EQ(IniPath(fake), "/opt/kelvo/kelvo.ini");
    fake.writableDirs.clear();
    EXPECT_EQ(IniPath(fake), "/home/user/.config/kelvo/kelvo.ini");
    fake.exePath = "/kelvo";
    fake.writableDirs = {"/"};
    EXPECT_EQ(IniPath(fake), "/kelvo.ini");
    // Installed into a bin folder: per-user settings even where root could write there.
    fake.exePath = "/usr/bin/kelvo";
    fake.writableDirs = {"/usr/bin"};
    EXPECT_EQ(IniPath(fake), "/home/user/.config/kelvo/kelvo.ini");
    fake.exePath = "/tmp/pkgroot/usr/bin/kelvo";
    fake.writableDirs = {"/tmp/pkgroot/usr/bin"};
    EXPECT_EQ(IniPath(fake), "/home/user/.config/kelvo/kelvo.ini");
}

TEST(ExecuteOption, FirstParameterOnlyInAnyCase) {
    EXPECT_TRUE(executeOptionIn({"kelvo", "/exec"}));
    EXPECT_TRUE(executeOptionIn({"kelvo", "-EXEC"}));
    EXPECT_TRUE(executeOptionIn({"kelvo", "/ExEc", "more"}));
    EXPECT_FALSE(executeOptionIn({"kelvo"}));
    EXPECT_FALSE(executeOptionIn({"kelvo", "/execute"}));
    EXPECT_FALSE(executeOptionIn({"kelvo", "exec"}));
    EXPECT_FALSE(executeOptionIn({"kelvo", "--exec"}));
    EXPECT_FALSE(executeOptionIn({"kelvo", "x", "/exec"}));
}

}  // namespace
}  // namespace kelvo
