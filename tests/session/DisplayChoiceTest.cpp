// Which of the toolkit's platforms the program asks for, from every input the choice reads: the
// command line, the four variables of the session and the X server's answer.
#include <gtest/gtest.h>

#include "app/cli/DisplayChoice.h"
#include "platform/fake/FakePlatform.h"
#include "tests/support/ScopedEnv.h"

namespace kelvo {
namespace {

using Kind = DisplayChoice::Kind;

struct Case {
    const char* name;
    QStringList arguments;
    DesktopSession session;
    bool serverAnswers;
    Kind kind;
    const char* qtPlatform;
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

class Choice : public testing::TestWithParam<Case> {};

TEST_P(Choice, FollowsTheSessionAndTheUser) {
    const Case& c = GetParam();
    FakePlatform platform;
    platform.session = c.session;
    if (c.serverAnswers)
        platform.reachableX11Displays.insert(c.session.x11Display);
    const DisplayChoice choice = chooseDisplay(c.arguments, platform);
    EXPECT_EQ(choice.kind, c.kind);
    EXPECT_EQ(choice.qtPlatform, QString::fromLatin1(c.qtPlatform));
    // The user's own choice is never second-guessed by a connection to the X server.
    if (c.kind == Kind::AsAsked) {
        EXPECT_TRUE(platform.x11Probes.empty());
    }
}

const QStringList kPlain{"kelvo"};

using enum DisplayChoice::Kind;

const Case kCases[] = {
    {"X11Session", kPlain, {"", ":0", "", "x11"}, true, X11, "xcb"},
    {"WaylandWithXwayland", kPlain, {"", ":0", "wayland-0", "wayland"}, true, X11, "xcb"},
    {"WaylandWithAStaleDisplay",
     kPlain,
     {"", ":7", "wayland-0", "wayland"},
     false,
     Wayland,
     "wayland"},
    {"WaylandWithoutXwayland", kPlain, {"", "", "wayland-0", ""}, false, Wayland, "wayland"},
    {"WaylandSessionOnItsDefaultSocket",
     kPlain,
     {"", "", "", "wayland"},
     false,
     Wayland,
     "wayland"},
    {"NoDisplayAtAll", kPlain, {"", "", "", "tty"}, false, NoDisplay, ""},
    // Windows: the toolkit's own platform, whatever variables a Unix-like shell left.
    {"WindowsDesktop", kPlain, {"", ":0", "", "", true}, true, Native, ""},
    {"WindowsWithAPlatformNamed", kPlain, {"offscreen", "", "", "", true}, false, AsAsked, ""},
    {"OnlyAStaleDisplay", kPlain, {"", ":7", "", "x11"}, false, NoDisplay, ""},
    {"VariableWins", kPlain, {"wayland", ":0", "wayland-0", "wayland"}, true, AsAsked, ""},
    {"VariableWithoutAnyDisplay", kPlain, {"offscreen", "", "", ""}, false, AsAsked, ""},
    {"OptionWins",
     {"kelvo", "-platform", "wayland"},
     {"", ":0", "wayland-0", ""},
     true,
     AsAsked,
     ""},
    {"OptionWithTwoDashesAfterOthers",
     {"kelvo", "/exec", "--platform", "wayland"},
     {"", ":0", "", ""},
     true,
     AsAsked,
     ""},
    // The toolkit reads a value after the option; alone at the end it names nothing.
    {"OptionWithoutAValue", {"kelvo", "-platform"}, {"", ":0", "", ""}, true, X11, "xcb"},
};
INSTANTIATE_TEST_SUITE_P(Sessions, Choice, testing::ValuesIn(kCases));

TEST(DisplayLimitsNotice, SaidOnlyForNativeWaylandAndNamesWhatCannotWork) {
    const DisplayChoice chosen{Kind::Wayland, QStringLiteral("wayland")};
    const DisplayChoice asked{Kind::AsAsked, {}};
    EXPECT_TRUE(displayLimitsNotice(asked, QStringLiteral("xcb")).isEmpty());
    EXPECT_TRUE(displayLimitsNotice(asked, QStringLiteral("offscreen")).isEmpty());

    for (const QString& name : {QStringLiteral("wayland"), QStringLiteral("wayland-egl")}) {
        const QString notice = displayLimitsNotice(chosen, name);
        for (const char* what : {"position", "常に前面に表示", "タスクバーを表示しない",
                                 "マウスが重なった時に隠す", "tray"})
            EXPECT_TRUE(notice.contains(QString::fromUtf8(what))) << what;
        EXPECT_TRUE(notice.contains(QStringLiteral("no X server answers")));
    }
    EXPECT_TRUE(displayLimitsNotice(asked, QStringLiteral("wayland"))
                    .contains(QStringLiteral("QT_QPA_PLATFORM or -platform")));
}

// Shared-memory repaints cost a round trip to the X server each; the user's setting stands.
TEST(DisplayChoiceApplied, RepaintsGoOneWayUnlessTheUserSaysOtherwise) {
    test::ScopedEnv noShm("QT_XCB_NO_MITSHM");
    applyDisplayChoice({DisplayChoice::Kind::AsAsked, {}});
    EXPECT_EQ(qgetenv("QT_XCB_NO_MITSHM"), QByteArray("1"));
    noShm.set("0");
    applyDisplayChoice({DisplayChoice::Kind::AsAsked, {}});
    EXPECT_EQ(qgetenv("QT_XCB_NO_MITSHM"), QByteArray("0"));
}

// Without a bus the bus library would start one for the display that outlives the program.
TEST(SessionBus, AnAbsentOneIsGivenAnAddressThatStartsNone) {
    test::ScopedEnv address("DBUS_SESSION_BUS_ADDRESS");
    FakePlatform platform;
    keepOffAbsentSessionBus(platform);
    EXPECT_FALSE(qEnvironmentVariableIsSet("DBUS_SESSION_BUS_ADDRESS"));
    platform.sessionBus = false;
    keepOffAbsentSessionBus(platform);
    EXPECT_EQ(qgetenv("DBUS_SESSION_BUS_ADDRESS"), QByteArray("disabled:"));
}

}  // namespace
}  // namespace kelvo
