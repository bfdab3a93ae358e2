// The real program under a virtual X server with a window manager: it starts from a prepared
// settings file, the settings dialog is opened and confirmed, the program is closed, and the
// file it leaves is compared with the expected one.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <functional>
#include <memory>
#include <vector>

namespace {

const char kPrepared[] =
    "; Kelvo settings, edited by hand\n[SYSTEM]\nXPos=40\nYPos=50\n[DEFAULT]\nMemory=30\n"
    "AutoExeSize=5\nHint=0\n[Mine]\nnote=kept\n";

const char kExpected[] =
    "; Kelvo settings, edited by hand\n[SYSTEM]\nXPos=40\nYPos=50\nSmall=0\n[DEFAULT]\nMemory=30\n"
    "AutoExeSize=5\nHint=1\nStayOnTop=0\nDontCatch=0\nShowCpuUsePer=0\nStopCpuUsePer=0\n"
    "TaskBarHide=0\nAutoMemClear=0\nAutoMemMin=0\nAutoMemUsed=0\nAutoMemSize=0\n"
    "AutoMemUsePer=1\nNot100Per=0\n[Mine]\nnote=kept\n";

bool waitUntil(const std::function<bool()>& condition, int ms = 20000) {
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
        if (condition())
            return true;
        QThread::msleep(20);
    }
    return condition();
}

class Desktop : public testing::Test {
  protected:
    void SetUp() override {
        for (const char* tool : {"Xvfb", "openbox", "xdotool", "xprop"})
            if (QStandardPaths::findExecutable(tool).isEmpty())
                GTEST_SKIP() << tool << " is not installed (scripts/install-deps.sh installs it)";
        ASSERT_TRUE(dir.isValid());
        env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "xcb");
        // A new system sets no locale; in the POSIX one Qt can't write the Japanese titles into the
        // old-style window name that xdotool matches.
        env.insert("LC_ALL", "C.UTF-8");
        // A private lock folder: other instances on this machine must not count as a first one.
        QDir(dir.path()).mkdir("run");
        QFile::setPermissions(dir.filePath("run"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        env.insert("XDG_RUNTIME_DIR", dir.filePath("run"));
        env.insert("XDG_CONFIG_HOME", dir.filePath("config"));
        // In the sanitizer build the toolkit's objects alive at exit (the tray's session-bus
        // connection among them) would read as leaks of the program.
        env.insert("ASAN_OPTIONS", "detect_leaks=0");
        // A display number can be taken in the machine's abstract socket namespace by a server
        // this /tmp knows nothing of: clients then reach that server and fail. A failed try keeps
        // its server running, so the next one picks another number.
        for (int attempt = 0; attempt < 3 && display.isEmpty(); ++attempt)
            startDesktop();
        ASSERT_FALSE(display.isEmpty()) << "the window manager did not come up";
    }

    // Xvfb on a display it picks, and openbox on it; `display` is set once both run.
    void startDesktop() {
        QProcess& xvfb = *servers.emplace_back(std::make_unique<QProcess>());
        // -displayfd 1: the server picks a free display and prints its number on stdout.
        xvfb.start("Xvfb", {"-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"});
        if (!xvfb.waitForStarted() || !waitUntil([&] {
                xvfb.waitForReadyRead(50);
                return xvfb.canReadLine() || xvfb.state() == QProcess::NotRunning;
            }) ||
            !xvfb.canReadLine())
            return;
        const QString candidate = ":" + QString::fromUtf8(xvfb.readLine()).trimmed();
        env.insert("DISPLAY", candidate);
        QProcess& wm = *servers.emplace_back(std::make_unique<QProcess>());
        wm.setProcessEnvironment(env);
        wm.start("openbox", {});
        if (wm.waitForStarted() && waitUntil([&] {
                return tool("xprop", {"-root", "_NET_SUPPORTING_WM_CHECK"}).contains("window id");
            }))
            display = candidate;
    }

    void TearDown() override {
        std::vector<QProcess*> all{&kelvo};
        for (auto it = servers.rbegin(); it != servers.rend(); ++it)
            all.push_back(it->get());
        for (QProcess* p : all) {
            if (p->state() != QProcess::NotRunning) {
                p->terminate();
                if (!p->waitForFinished(3000)) {
                    p->kill();
                    p->waitForFinished(3000);
                }
            }
        }
    }

    QString tool(const QString& program, const QStringList& args) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(program, args);
        p.waitForFinished(10000);
        return QString::fromUtf8(p.readAllStandardOutput());
    }

    // The first visible window of that exact name, or empty.
    QString window(const QString& name) {
        return tool("xdotool", {"search", "--onlyvisible", "--name", "^" + name + "$"})
            .section('\n', 0, 0);
    }

    QTemporaryDir dir;
    std::vector<std::unique_ptr<QProcess>> servers;  // Xvfb and openbox of every try
    QProcess kelvo;
    QProcessEnvironment env;
    QString display;
};

std::string readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : std::string();
}

TEST_F(Desktop, SettingsSurviveARunWithTheDialogConfirmed) {
    const QString exe = dir.filePath("kelvo");
    ASSERT_TRUE(QFile::copy(QStringLiteral(KELVO_EXE), exe));
    const QString ini = dir.filePath("kelvo.ini");
    const QString leftover = ini + ".tmp-0123456789ab";
    {
        QFile f(ini);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(kPrepared);
        QFile t(leftover);
        ASSERT_TRUE(t.open(QIODevice::WriteOnly));
        t.write("[SYSTEM]\nXP");
    }

    kelvo.setProcessEnvironment(env);
    kelvo.start(exe, {});
    ASSERT_TRUE(kelvo.waitForStarted());
    QString main;
    ASSERT_TRUE(waitUntil([&] { return !(main = window("Kelvo")).isEmpty(); }))
        << "the main window never showed";
    EXPECT_FALSE(QFile::exists(leftover)) << "the crashed save's temporary file is still there";
    EXPECT_TRUE(tool("xdotool", {"getwindowgeometry", main}).contains("Position: 40,50"))
        << tool("xdotool", {"getwindowgeometry", main}).toStdString();

    // The settings button, then: Tab to "ヒントを表示しない", check it, back to OK, press it.
    tool("xdotool", {"mousemove", "--sync", "55", "58", "click", "1"});
    QString dialog;
    ASSERT_TRUE(waitUntil([&] { return !(dialog = window("設定画面")).isEmpty(); }))
        << "the settings dialog never showed";
    ASSERT_TRUE(waitUntil([&] { return tool("xdotool", {"getactivewindow"}).trimmed() == dialog; }))
        << "the dialog never got the focus";
    tool("xdotool",
         {"key", "--delay", "30", "Tab", "Tab", "space", "shift+Tab", "shift+Tab", "space"});
    ASSERT_TRUE(waitUntil([&] { return window("設定画面").isEmpty(); }))
        << "the dialog did not close";
    ASSERT_TRUE(waitUntil([&] { return readFile(ini).find("Hint=1") != std::string::npos; }));

    // The close button, top right of the main window.
    tool("xdotool", {"mousemove", "--sync", "230", "58", "click", "1"});
    ASSERT_TRUE(kelvo.waitForFinished(20000)) << "the program did not close";
    EXPECT_EQ(kelvo.exitCode(), 0) << kelvo.readAllStandardError().toStdString();
    EXPECT_EQ(readFile(ini), kExpected);
    EXPECT_EQ(QDir(dir.path()).entryList({"kelvo.ini*"}, QDir::Files | QDir::Hidden),
              QStringList{"kelvo.ini"});
}

// A rebuild or an update puts a new program file in place while Kelvo runs. The settings stay in
// the file Kelvo started with: the dialog, cancelled, shows and keeps them, and the close saves
// them there.
TEST_F(Desktop, SettingsStayPutWhenTheProgramFileIsReplacedWhileItRuns) {
    const QString exe = dir.filePath("kelvo");
    ASSERT_TRUE(QFile::copy(QStringLiteral(KELVO_EXE), exe));
    const QString ini = dir.filePath("kelvo.ini");
    {
        QFile f(ini);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(kPrepared);
    }
    kelvo.setProcessEnvironment(env);
    kelvo.start(exe, {});
    ASSERT_TRUE(kelvo.waitForStarted());
    QString main;
    ASSERT_TRUE(waitUntil([&] { return !(main = window("Kelvo")).isEmpty(); }))
        << "the main window never showed";

    ASSERT_TRUE(QFile::copy(exe, exe + ".new"));
    ASSERT_TRUE(QFile::remove(exe));
    ASSERT_TRUE(QFile::rename(exe + ".new", exe));

    tool("xdotool", {"mousemove", "--sync", "55", "58", "click", "1"});
    QString dialog;
    ASSERT_TRUE(waitUntil([&] { return !(dialog = window("設定画面")).isEmpty(); }))
        << "the settings dialog never showed";
    ASSERT_TRUE(waitUntil([&] { return tool("xdotool", {"getactivewindow"}).trimmed() == dialog; }))
        << "the dialog never got the focus";
    tool("xdotool", {"key", "Escape"});
    ASSERT_TRUE(waitUntil([&] { return window("設定画面").isEmpty(); }))
        << "the dialog did not close";
    EXPECT_TRUE(tool("xdotool", {"getwindowgeometry", main}).contains("Position: 40,50"))
        << tool("xdotool", {"getwindowgeometry", main}).toStdString();

    tool("xdotool", {"mousemove", "--sync", "230", "58", "click", "1"});
    ASSERT_TRUE(kelvo.waitForFinished(20000)) << "the program did not close";
    EXPECT_EQ(kelvo.exitCode(), 0) << kelvo.readAllStandardError().toStdString();
    std::string expected = kExpected;
    expected.replace(expected.find("Hint=1"), 6, "Hint=0");
    EXPECT_EQ(readFile(ini), expected);
    EXPECT_EQ(QDir(dir.path()).entryList({"*.ini*"}, QDir::Files | QDir::Hidden),
              QStringList{"kelvo.ini"});
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
