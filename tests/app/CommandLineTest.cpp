#include <gtest/gtest.h>

#include <QRegularExpression>
#include <set>
#include <vector>

#include "app/clean/CleanCommand.h"
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

// The usage names only options the program takes, and one for each thing it does; the exit codes
// are those the program returns; each system's help tells its own way to stop a clean.
TEST(HelpText, NamesTheOptionsAndExitCodesTheProgramHas) {
    for (SystemFamily system : {SystemFamily::Linux, SystemFamily::Windows}) {
        const bool windows = system == SystemFamily::Windows;
        const QString text = helpText(system);
        SCOPED_TRACE(text.toStdString());
        const QString usage = text.section(QStringLiteral("\n\n"), 0, 0);
        std::set<CommandLineAction> actions;
        static const QRegularExpression option(QStringLiteral("[-/][^\\s|\\[\\]]+"));
        for (const auto& m : option.globalMatch(usage.section(' ', 1))) {
            const std::string name = m.captured().toStdString();
            if (isAutostartParameter(name))
                continue;  // answered apart from the actions
            const CommandLineAction action = commandLineAction({"kelvo", m.captured()}, system);
            EXPECT_NE(action, CommandLineAction::Unknown) << name;
            EXPECT_TRUE(action != CommandLineAction::Run || isExecuteParameter(name)) << name;
            actions.insert(action);
        }
        EXPECT_TRUE(usage.contains(QStringLiteral("--autostart")));
        EXPECT_EQ(actions,
                  (std::set<CommandLineAction>{
                      CommandLineAction::Run, CommandLineAction::Help, CommandLineAction::Version,
                      CommandLineAction::Status, CommandLineAction::Clean}));
        std::set<int> listed;
        static const QRegularExpression code(QStringLiteral("^  (\\d+) +\\S"),
                                             QRegularExpression::MultilineOption);
        for (const auto& m : code.globalMatch(text.section(QStringLiteral("Exit codes:"), 1)))
            listed.insert(m.captured(1).toInt());
        EXPECT_EQ(listed, (std::set<int>{0, 1, kCleanExitRefused, kCleanExitSafetyStop,
                                         kCleanExitInterrupted, kUsageErrorExitCode}));
        EXPECT_EQ(text.contains(QStringLiteral("Ctrl+C")), windows);
        EXPECT_EQ(text.contains(QStringLiteral("SIGINT")), !windows);
        if (!windows)
            continue;
        for (const QString& line : text.split('\n'))  // a console of 80 columns would wrap it
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
