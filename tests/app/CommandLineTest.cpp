#include <gtest/gtest.h>
#include <vector>

#include "app/cli/CommandLine.h"
#include "app/cli/StatusReport.h"
#include "platform/fake/FakePlatform.h"

namespace kelvo {
namespace {

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
