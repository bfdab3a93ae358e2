// `kelvo --autostart`: the entry's Exec quoting, and on, off and the state with every outcome
// of the files they touch.
#include <gtest/gtest.h>

#include "app/cli/Autostart.h"
#include "app/cli/FirstParameter.h"
#include "platform/fake/FakePlatform.h"

namespace kelvo {
namespace {

const std::string kEntry = "/home/user/.config/autostart/kelvo.desktop";

TEST(DesktopExecArgument, QuotesAndEscapesWhatTheEntryFormatReserves) {
    EXPECT_EQ(desktopExecArgument("/usr/bin/kelvo"), QStringLiteral("/usr/bin/kelvo"));
    EXPECT_EQ(desktopExecArgument("/opt/my apps/kelvo"), QStringLiteral("\"/opt/my apps/kelvo\""));
    // Inside quotes " ` $ \ take a backslash, and the file's own escaping doubles each one.
    EXPECT_EQ(desktopExecArgument("/a$b/k"), QStringLiteral("\"/a\\\\$b/k\""));
    EXPECT_EQ(desktopExecArgument("/a\"b`c/k"), QStringLiteral("\"/a\\\\\"b\\\\`c/k\""));
    EXPECT_EQ(desktopExecArgument("/a\\b/k"), QStringLiteral("\"/a\\\\\\\\b/k\""));
    EXPECT_EQ(desktopExecArgument("/ドキュメント/kelvo"), QStringLiteral("/ドキュメント/kelvo"));
}

TEST(DesktopExecArgument, RefusesWhatNoEntryCanHoldSafely) {
    for (const std::string& path :
         {std::string(), std::string("/a\nb/kelvo"), std::string("/a\tb/kelvo"),
          std::string("/50%/kelvo"), std::string("/\xff\xfe/kelvo")})
        EXPECT_EQ(desktopExecArgument(path), std::nullopt) << path;
}

class AutostartCommand : public testing::Test {
  public:
    AutostartOutcome run(const char* value = nullptr) {
        QStringList args{"kelvo", "--autostart"};
        if (value)
            args << QString::fromUtf8(value);
        return runAutostartCommand(args, platform);
    }
    FakePlatform platform;
};

TEST_F(AutostartCommand, OnWritesTheEntryOffRemovesItAndTheStateFollows) {
    EXPECT_EQ(autostartEntryPath(platform), kEntry);
    AutostartOutcome state = run();
    EXPECT_EQ(state.exitCode, 0);
    EXPECT_EQ(state.out.toStdString(), "off: " + kEntry + " does not exist\n");

    const AutostartOutcome on = run("on");
    EXPECT_EQ(on.exitCode, 0);
    EXPECT_EQ(on.out.toStdString(), "on: " + kEntry + " starts /opt/kelvo/kelvo\n");
    const std::string entry = platform.files.contents(kEntry);
    EXPECT_EQ(entry.rfind("[Desktop Entry]\nType=Application\n", 0), 0u) << entry;
    EXPECT_NE(entry.find("\nExec=/opt/kelvo/kelvo\n"), std::string::npos) << entry;
    EXPECT_EQ(platform.files.renames, 1);  // replaced in one step, never half written
    EXPECT_EQ(run().out, on.out);

    const AutostartOutcome off = run("off");
    EXPECT_EQ(off.exitCode, 0);
    EXPECT_EQ(off.out.toStdString(), "off: " + kEntry + " removed\n");
    EXPECT_FALSE(platform.files.exists(kEntry));
    EXPECT_EQ(run("off").out.toStdString(), "off: " + kEntry + " does not exist\n");
}

// Where the system keeps a list of programs started at log-in (Windows), the entry "Kelvo" holds
// the program's full path, quoted, with the system's separators; no autostart file is touched.
TEST_F(AutostartCommand, WithALogInListTheEntryKelvoHoldsTheQuotedProgramPath) {
    platform.hasLogInList = true;
    platform.exePath = "C:/Users/me/AppData/Local/Programs/Kelvo/kelvo.exe";
    const std::string where = "Kelvo in HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    EXPECT_EQ(run().out.toStdString(), "off: " + where + " does not exist\n");

    const AutostartOutcome on = run("on");
    EXPECT_EQ(on.exitCode, 0);
    const std::string command = "\"C:\\Users\\me\\AppData\\Local\\Programs\\Kelvo\\kelvo.exe\"";
    EXPECT_EQ(platform.logInList.commands,
              (std::map<std::string, std::string>{{"Kelvo", command}}));
    EXPECT_EQ(on.out.toStdString(), "on: " + where + " starts " + command + "\n");
    EXPECT_EQ(run().out, on.out);

    platform.logInList.switchedOff = {"Kelvo"};
    const AutostartOutcome switchedOff = run();
    EXPECT_EQ(switchedOff.exitCode, 0);
    EXPECT_TRUE(switchedOff.out.startsWith(QStringLiteral("off: ")));

    EXPECT_EQ(run("off").out.toStdString(), "off: " + where + " removed\n");
    EXPECT_TRUE(platform.logInList.commands.empty());
    EXPECT_EQ(run("off").out.toStdString(), "off: " + where + " does not exist\n");
    EXPECT_TRUE(platform.files.files.empty());
}

TEST_F(AutostartCommand, WithALogInListFailuresAreSaidAndReturnNonZero) {
    platform.hasLogInList = true;
    FakeLogInPrograms& list = platform.logInList;
    list.failWrite = true;
    AutostartOutcome outcome = run("on");
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_TRUE(outcome.out.isEmpty());
    EXPECT_TRUE(outcome.err.contains(QStringLiteral("cannot write Kelvo in HKCU")))
        << outcome.err.toStdString();
    list.failWrite = false;

    // No quote can end the quoted path early, and an unknown path writes nothing.
    for (const std::string& path :
         {std::string(), std::string("C:/a\"b/kelvo.exe"), std::string("C:/a\nb/kelvo.exe")}) {
        platform.exePath = path;
        outcome = run("on");
        EXPECT_EQ(outcome.exitCode, 1) << path;
        EXPECT_TRUE(outcome.err.contains(QStringLiteral("nothing was changed"))) << path;
    }
    EXPECT_TRUE(list.commands.empty());

    list.commands["Kelvo"] = "\"C:\\kelvo.exe\"";
    list.failRead = true;
    outcome = run();
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_TRUE(outcome.err.contains(QStringLiteral("cannot read"))) << outcome.err.toStdString();
    list.failRead = false;

    list.failRemove = true;
    outcome = run("off");
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_TRUE(outcome.err.contains(QStringLiteral("cannot remove"))) << outcome.err.toStdString();
    EXPECT_EQ(list.commands.count("Kelvo"), 1u);

    outcome = run("yes");
    EXPECT_EQ(outcome.exitCode, kUsageErrorExitCode);
    EXPECT_EQ(list.commands.size(), 1u);
}

TEST_F(AutostartCommand, AnEntrySwitchedOffInPlaceReadsAsOff) {
    platform.files.put(kEntry, "[Desktop Entry]\nExec=kelvo\nHidden=true\n");
    EXPECT_EQ(run().out.toStdString(), "off: " + kEntry + " is switched off (Hidden=true)\n");
    platform.files.put(kEntry, "[Desktop Entry]\nExec=kelvo\nX-GNOME-Autostart-enabled=false\n");
    EXPECT_TRUE(run().out.startsWith(QStringLiteral("off:")));
    // Keys of another group are not the entry's.
    platform.files.put(kEntry, "[Desktop Entry]\nExec=kelvo\n[Desktop Action x]\nHidden=true\n");
    EXPECT_EQ(run().out.toStdString(), "on: " + kEntry + " starts kelvo\n");
    // On writes an entry that is on, whatever the old one said.
    platform.files.put(kEntry, "[Desktop Entry]\nExec=kelvo\nHidden=true\n");
    run("on");
    EXPECT_TRUE(run().out.startsWith(QStringLiteral("on:")));
}

TEST_F(AutostartCommand, FailuresAreSaidAndReturnNonZero) {
    platform.files.readOnly = true;
    AutostartOutcome on = run("on");
    EXPECT_EQ(on.exitCode, 1);
    EXPECT_TRUE(on.out.isEmpty());
    EXPECT_TRUE(on.err.contains(QString::fromStdString("cannot write " + kEntry)))
        << on.err.toStdString();
    EXPECT_FALSE(platform.files.exists(kEntry));

    platform.files.readOnly = false;
    platform.files.bytesLeft = 10;  // the disk fills during the write
    on = run("on");
    EXPECT_EQ(on.exitCode, 1);
    EXPECT_FALSE(platform.files.exists(kEntry));
    EXPECT_TRUE(platform.files.listDirectory("/home/user/.config/autostart").empty());
    platform.files.bytesLeft = -1;

    platform.exePath.clear();
    on = run("on");
    EXPECT_EQ(on.exitCode, 1);
    EXPECT_TRUE(on.err.contains(QStringLiteral("nothing was changed")));

    platform.files.put(kEntry, "[Desktop Entry]\nExec=kelvo\n");
    platform.files.failRead = true;
    const AutostartOutcome state = run();
    EXPECT_EQ(state.exitCode, 1);
    EXPECT_TRUE(state.err.contains(QStringLiteral("cannot read")));
    platform.files.failRead = false;

    platform.files.readOnly = true;
    const AutostartOutcome off = run("off");
    EXPECT_EQ(off.exitCode, 1);
    EXPECT_TRUE(off.err.contains(QStringLiteral("cannot remove")));
    EXPECT_TRUE(platform.files.exists(kEntry));
}

TEST_F(AutostartCommand, TheEntryFollowsTheTrustRuleOfTheSettingsFile) {
    // A pipe is reported, not waited on.
    platform.files.putPipe(kEntry);
    AutostartOutcome state = run();
    EXPECT_EQ(state.exitCode, 1);
    EXPECT_TRUE(state.err.contains(QStringLiteral("cannot read"))) << state.err.toStdString();

    // Another user's link is neither read nor written through.
    platform.files.put("/home/other/secret", "[Desktop Entry]\nExec=evil\n", 0600);
    platform.files.putLink(kEntry, "/home/other/secret", false);
    state = run();
    EXPECT_EQ(state.exitCode, 1);
    EXPECT_TRUE(state.out.isEmpty());
    EXPECT_TRUE(state.err.contains(QStringLiteral("another user owns"))) << state.err.toStdString();
    const AutostartOutcome on = run("on");
    EXPECT_EQ(on.exitCode, 1);
    EXPECT_TRUE(on.err.contains(QStringLiteral("another user owns"))) << on.err.toStdString();
    EXPECT_EQ(platform.files.contents("/home/other/secret"), "[Desktop Entry]\nExec=evil\n");

    // The user's own link into a dotfiles folder stays a link.
    platform.files.put("/home/user/dotfiles/kelvo.desktop", "[Desktop Entry]\nHidden=true\n", 0600);
    platform.files.putLink(kEntry, "/home/user/dotfiles/kelvo.desktop");
    EXPECT_TRUE(run().out.startsWith(QStringLiteral("off:")));
    EXPECT_EQ(run("on").exitCode, 0);
    EXPECT_EQ(platform.files.entry(kEntry)->kind, FileStatus::Kind::Link);
    EXPECT_NE(
        platform.files.contents("/home/user/dotfiles/kelvo.desktop").find("Exec=/opt/kelvo/kelvo"),
        std::string::npos);

    // A read-only entry is left as it is.
    platform.files.put(kEntry, "[Desktop Entry]\nExec=mine\n", 0444);
    const AutostartOutcome readOnly = run("on");
    EXPECT_EQ(readOnly.exitCode, 1);
    EXPECT_TRUE(readOnly.err.contains(QStringLiteral("read-only"))) << readOnly.err.toStdString();
    EXPECT_EQ(platform.files.contents(kEntry), "[Desktop Entry]\nExec=mine\n");
}

TEST_F(AutostartCommand, AValueOtherThanOnAndOffChangesNothing) {
    for (const char* value : {"ON", "yes", "1", ""}) {
        const AutostartOutcome bad = run(value);
        if (*value == '\0') {
            EXPECT_EQ(bad.exitCode, 0);  // an empty value asks for the state
            continue;
        }
        EXPECT_EQ(bad.exitCode, kUsageErrorExitCode) << value;
        EXPECT_TRUE(bad.err.contains(QStringLiteral("takes on or off"))) << value;
    }
    EXPECT_TRUE(platform.files.files.empty());
    EXPECT_FALSE(isAutostartOption({"kelvo", "/exec", "--autostart"}));
    EXPECT_TRUE(isAutostartOption({"kelvo", "--autostart"}));
}

}  // namespace
}  // namespace kelvo
