#include <gtest/gtest.h>
#include <random>
#include <vector>

#include "app/cli/CommandLine.h"
#include "app/cli/StatusReport.h"
#include "app/common/Formats.h"
#include "app/settings/IniPath.h"
#include "platform/fake/FakePlatform.h"
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
    EXPECT_EQ(IniPath(fake).path, "/opt/kelvo/kelvo.ini");
    fake.writableDirs.clear();
    EXPECT_EQ(IniPath(fake).path, "/home/user/.config/kelvo/kelvo.ini");
    fake.exePath = "/kelvo";
    fake.writableDirs = {"/"};
    EXPECT_EQ(IniPath(fake).path, "/kelvo.ini");
    // Installed into a bin folder: per-user settings even where root could write there.
    fake.exePath = "/usr/bin/kelvo";
    fake.writableDirs = {"/usr/bin"};
    EXPECT_EQ(IniPath(fake).path, "/home/user/.config/kelvo/kelvo.ini");
    fake.exePath = "/tmp/pkgroot/usr/bin/kelvo";
    fake.writableDirs = {"/tmp/pkgroot/usr/bin"};
    EXPECT_EQ(IniPath(fake).path, "/home/user/.config/kelvo/kelvo.ini");
}

// Beside the program only where no one else can change the folder or plant the file; otherwise
// the per-user file, and a file passed over is named.
TEST(IniPathRules, AFolderOrFileOthersCanChangeSendsTheSettingsToTheUsersFolder) {
    const std::string perUser = "/home/user/.config/kelvo/kelvo.ini";
    FakePlatform fake;
    fake.files.folders["/opt/kelvo"] = {true, 02775};  // a shared, set-group-ID program folder
    IniLocation at = IniPath(fake);
    EXPECT_EQ(at.path, perUser);
    EXPECT_EQ(at.notice, "") << "no file there, nothing to mention";
    fake.files.put("/opt/kelvo/kelvo.ini", "[SYSTEM]\n");
    at = IniPath(fake);
    EXPECT_EQ(at.path, perUser);
    EXPECT_EQ(at.notice,
              "kelvo: /opt/kelvo/kelvo.ini is not used: other users can change its "
              "folder; the settings are kept in " +
                  perUser);

    FakePlatform planted;
    planted.files.put("/home/alice/secret", "x", 0600);
    planted.files.putLink("/opt/kelvo/kelvo.ini", "/home/alice/secret", false);
    at = IniPath(planted);
    EXPECT_EQ(at.path, perUser);
    EXPECT_NE(at.notice.find("symbolic link that another user owns"), std::string::npos);

    FakePlatform ownLink;
    ownLink.files.put("/home/user/dotfiles/kelvo.ini", "x", 0600);
    ownLink.files.putLink("/opt/kelvo/kelvo.ini", "/home/user/dotfiles/kelvo.ini");
    EXPECT_EQ(IniPath(ownLink).path, "/opt/kelvo/kelvo.ini");
    EXPECT_EQ(IniPath(ownLink).notice, "");

    FakePlatform nowhere;
    nowhere.writableDirs.clear();
    nowhere.files.folders["/home/user/.config/kelvo"] = {false, 0755};
    at = IniPath(nowhere);
    EXPECT_EQ(at.path, perUser);
    EXPECT_NE(at.notice.find("the settings will not be saved"), std::string::npos) << at.notice;
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

TEST(CommandLineActions, OnlyTheFirstParameterChoosesAndUnknownOptionsOfOursAreRefused) {
    EXPECT_EQ(commandLineAction({"kelvo"}), CommandLineAction::Run);
    EXPECT_EQ(commandLineAction({"kelvo", "--help"}), CommandLineAction::Help);
    EXPECT_EQ(commandLineAction({"kelvo", "-h"}), CommandLineAction::Help);
    EXPECT_EQ(commandLineAction({"kelvo", "--version"}), CommandLineAction::Version);
    EXPECT_EQ(commandLineAction({"kelvo", "--status"}), CommandLineAction::Status);
    EXPECT_EQ(commandLineAction({"kelvo", "/exec", "--help"}), CommandLineAction::Run);
    EXPECT_EQ(commandLineAction({"kelvo", "--bogus"}), CommandLineAction::Unknown);
    EXPECT_EQ(commandLineAction({"kelvo", "--help=x"}), CommandLineAction::Unknown);
    EXPECT_EQ(commandLineAction({"kelvo", "/exec", "--bogus"}), CommandLineAction::Run);
    // The toolkit's own options, with two dashes too, and anything of one dash start as before.
    EXPECT_EQ(commandLineAction({"kelvo", "--platform", "xcb"}), CommandLineAction::Run);
    EXPECT_EQ(commandLineAction({"kelvo", "--style=fusion"}), CommandLineAction::Run);
    EXPECT_EQ(commandLineAction({"kelvo", "-bogus"}), CommandLineAction::Run);
    EXPECT_EQ(commandLineAction({"kelvo", "--"}), CommandLineAction::Run);
    EXPECT_EQ(commandLineAction({"kelvo", "-EXEC"}), CommandLineAction::Run);
    // "/?" is the help of Windows programs; elsewhere it is a path like any other.
    EXPECT_EQ(commandLineAction({"kelvo", "/?"}, SystemFamily::Windows), CommandLineAction::Help);
    EXPECT_EQ(commandLineAction({"kelvo", "/?"}, SystemFamily::Linux), CommandLineAction::Run);
    EXPECT_EQ(commandLineAction({"kelvo", "/exec", "/?"}, SystemFamily::Windows),
              CommandLineAction::Run);
}

// kelvo.com waits for the output of what prints and exits, for the end of a clean at start, and
// returns at once for any other start of the window.
TEST(CommandLineActions, WhatTheCompanionWaitsFor) {
    for (const char* first : {"--help", "-h", "/?", "--version", "--status", "--clean",
                              "--autostart", "--bogus", "--help=x"}) {
        EXPECT_TRUE(printsAndExits({"kelvo", first}, SystemFamily::Windows)) << first;
        EXPECT_EQ(companionWaitFor(first), ProgramWait::ForOutput) << first;
    }
    EXPECT_TRUE(printsAndExits({"kelvo", "--autostart", "on"}));
    for (const char* first : {"/exec", "-EXEC", "/Exec"})
        EXPECT_EQ(companionWaitFor(first), ProgramWait::ForEnd) << first;
    for (const char* first : {"-platform", "--style=fusion", "", "x", "--", "/execute"}) {
        EXPECT_FALSE(printsAndExits({"kelvo", first})) << first;
        EXPECT_EQ(companionWaitFor(first), ProgramWait::None) << first;
    }
    EXPECT_FALSE(printsAndExits({"kelvo"}));
    EXPECT_FALSE(printsAndExits({"kelvo", "/exec", "--status"}));
}

// Each system's help tells its own truth and nothing of the other's.
TEST(HelpText, EachSystemTellsItsOwn) {
    struct Case {
        SystemFamily system;
        std::vector<const char*> says;
        std::vector<const char*> neverSays;
    };
    const Case cases[] = {
        {SystemFamily::Linux,
         {"SIGINT and SIGTERM stop it", "  4   --clean stopped by SIGINT or SIGTERM\n",
          "$XDG_CONFIG_HOME/autostart/kelvo.desktop", "$XDG_CONFIG_HOME/kelvo/kelvo.ini",
          "Display: an X server", "(-platform, -display, -style…)"},
         {"Ctrl+", "HKCU", "kelvo.com", "kelvo.exe", "%APPDATA%", "/?"}},
        {SystemFamily::Windows,
         {"Ctrl+C and\n                Ctrl+Break stop it", "closing the console", "logging off",
          "  4   --clean stopped by Ctrl+C or Ctrl+Break\n", "--help, /?", "with /exec it waits",
          "writes the value Kelvo under\n"
          "                   HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run",
          "deletes that value", "kelvo.com", "kelvo.ini beside kelvo.exe",
          "%APPDATA%\\kelvo\\kelvo.ini", "(-platform, -style…)"},
         {"SIG", "XDG", "Display", "X server", "Wayland", "-display", "needs no display",
          "desktop"}},
    };
    for (const Case& c : cases) {
        const QString text = helpText(c.system);
        EXPECT_TRUE(text.startsWith(QStringLiteral("Usage: kelvo [/exec | -exec | --clean")));
        // Shared: only the first parameter counts, an installed program keeps its settings per
        // user even where it could write beside itself, and a usage error has a code of its own.
        for (const char* said : {"Only the first parameter", "named bin", "exits with code 64",
                                 "  2   --clean refused", "  64  usage error"})
            EXPECT_TRUE(text.contains(QString::fromUtf8(said))) << said;
        for (const char* said : c.says)
            EXPECT_TRUE(text.contains(QString::fromUtf8(said))) << said << "\n"
                                                                << text.toStdString();
        for (const char* unsaid : c.neverSays)
            EXPECT_FALSE(text.contains(QString::fromUtf8(unsaid))) << unsaid;
        if (c.system != SystemFamily::Windows)
            continue;
        // A console of 80 columns would wrap a longer line.
        for (const QString& line : text.split('\n'))
            EXPECT_LE(line.size(), 80) << line.toStdString();
    }
}

TEST(StatusReport, ShowsTheWindowsFiguresInItsFormats) {
    MEMORYSTATUS m;
    m.dwTotalPhys = 1024ull << 20;
    m.dwAvailPhys = 256ull << 20;
    m.dwTotalPageFile = 0;
    m.dwTotalVirtual = 128ull << 30;
    m.dwAvailVirtual = 128ull << 30;
    m.dwMemoryLoad = 75;
    const QStringList lines = statusReport(m).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0], QStringLiteral("物理\t空き 256.0\t使用 768.0\t合計 1024.0 MB"));
    EXPECT_EQ(lines[1], QStringLiteral("頁\t空き  0.0\t使用  0.0\t合計  0.0 MB"));
    EXPECT_EQ(lines[2], QStringLiteral("仮想\t空き 131072.0\t使用  0.0\t合計 131072.0 MB"));
    EXPECT_EQ(lines[3], QStringLiteral("使用率\t 75%"));
}

TEST(StatusReport, AddsTheProcessorUsageOverOneTwoSecondSample) {
    FakePlatform fake;
    fake.setMemoryMB(1024, 256, 75);
    // Two processors; over the 2 s sample they were idle 1 s in all: 75 % busy.
    fake.cpuTimes = CpuTimes{2, 0, 1};
    uint32_t slept = 0;
    fake.onSleep = [&](uint32_t ms) {
        slept += ms;
        fake.cpuTimes = CpuTimes{2, 20'000'000, 10'000'001};
    };
    const QString report = statusReport(fake);
    EXPECT_TRUE(report.endsWith(QStringLiteral("使用率\t 75%\nCPU: 75%\n")))
        << report.toStdString();
    EXPECT_EQ(slept, 2000u);
}

}  // namespace
}  // namespace kelvo
