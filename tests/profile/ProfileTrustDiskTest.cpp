// The trust rule on the real disk: the user's own links, pipes, a read-only file, the group of a
// shared folder, other users (made with chown and setpriv; those cases need root and skip
// without it), and a program file replaced while the program runs.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "platform/FileSystem.h"
#include "profile/FileTrust.h"
#include "profile/ProfileFile.h"

namespace kelvo {
namespace {

// Two users besides the one running the tests, and a group they share.
constexpr uid_t kAlice = 60001;
constexpr uid_t kBob = 60002;
constexpr gid_t kShared = 60010;

std::string readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : std::string();
}

void writeAll(const QString& path, const std::string& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

struct stat lstatOf(const QString& path) {
    struct stat st {};
    EXPECT_EQ(::lstat(path.toLocal8Bit().constData(), &st), 0) << path.toStdString();
    return st;
}

// A hang is the fault these tests look for: the process ends rather than waits forever.
class Watchdog {
  public:
    Watchdog() { ::alarm(60); }
    ~Watchdog() { ::alarm(0); }
};

void setXPos(Profile& p) {
    p.writeInt("SYSTEM", "XPos", 2);
}

class RealDisk : public testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    std::string at(const char* name) const { return dir.filePath(name).toStdString(); }

    QTemporaryDir dir;
    std::unique_ptr<FileSystem> fs = createSystemFileSystem();
};

TEST_F(RealDisk, TheUsersOwnLinkIsWrittenThroughAndStaysALink) {
    ASSERT_TRUE(QDir(dir.path()).mkdir("dotfiles"));
    writeAll(dir.filePath("dotfiles/kelvo.ini"), "[SYSTEM]\nXPos=1\n");
    ASSERT_TRUE(QFile::setPermissions(dir.filePath("dotfiles/kelvo.ini"),
                                      QFile::ReadOwner | QFile::WriteOwner));
    ASSERT_EQ(::symlink("dotfiles/kelvo.ini", at("kelvo.ini").c_str()), 0);
    EXPECT_EQ(readProfileFile(*fs, at("kelvo.ini")).readInt("SYSTEM", "XPos", 0), 1);
    EXPECT_EQ(saveProfileFile(*fs, at("kelvo.ini"), setXPos), SaveResult::Saved);
    EXPECT_TRUE(S_ISLNK(lstatOf(dir.filePath("kelvo.ini")).st_mode));
    EXPECT_EQ(readAll(dir.filePath("dotfiles/kelvo.ini")), "[SYSTEM]\nXPos=2\n");
    EXPECT_EQ(lstatOf(dir.filePath("dotfiles/kelvo.ini")).st_mode & 07777, 0600u);
}

TEST_F(RealDisk, APipeInPlaceOfTheFileIsNeitherWaitedOnNorReplaced) {
    ASSERT_EQ(::mkfifo(at("kelvo.ini").c_str(), 0600), 0);
    Watchdog watchdog;
    EXPECT_EQ(fs->readFile(at("kelvo.ini"), 100).status, FileRead::Status::Failed);
    EXPECT_EQ(readProfileFile(*fs, at("kelvo.ini")).text(), "");
    EXPECT_EQ(saveProfileFile(*fs, at("kelvo.ini"), setXPos), SaveResult::ReadFailed);
    EXPECT_TRUE(S_ISFIFO(lstatOf(dir.filePath("kelvo.ini")).st_mode));
    // Reached through a link of the user's own, the same.
    ASSERT_EQ(::symlink("kelvo.ini", at("link.ini").c_str()), 0);
    EXPECT_EQ(readProfileFile(*fs, at("link.ini")).text(), "");
}

// Read-only by the mode bits, which bind root too: root could write the file regardless.
TEST_F(RealDisk, AFileTheUserMadeReadOnlyIsLeftAlone) {
    writeAll(dir.filePath("kelvo.ini"), "[SYSTEM]\nXPos=1\n");
    ASSERT_EQ(::chmod(at("kelvo.ini").c_str(), 0444), 0);
    EXPECT_EQ(readProfileFile(*fs, at("kelvo.ini")).readInt("SYSTEM", "XPos", 0), 1);
    EXPECT_EQ(saveProfileFile(*fs, at("kelvo.ini"), setXPos), SaveResult::ReadOnly);
    EXPECT_EQ(readAll(dir.filePath("kelvo.ini")), "[SYSTEM]\nXPos=1\n");
    EXPECT_EQ(lstatOf(dir.filePath("kelvo.ini")).st_mode & 07777, 0444u);
}

#define REQUIRE_ROOT()                                                                      \
    if (::geteuid() != 0)                                                                   \
    GTEST_SKIP() << "needs root to give files to other users and become them; run as root " \
                    "(as CI does) to cover it"

// A set-group-ID folder gives new files its group; a save keeps the group the file had, and a new
// file gets the user's own.
TEST_F(RealDisk, ASaveNeverHandsTheFileToAFoldersGroup) {
    REQUIRE_ROOT();
    ASSERT_EQ(::chown(dir.path().toLocal8Bit().constData(), 0, kShared), 0);
    ASSERT_EQ(::chmod(dir.path().toLocal8Bit().constData(), 02755), 0);
    EXPECT_EQ(saveProfileFile(*fs, at("new.ini"), setXPos), SaveResult::Saved);
    EXPECT_EQ(lstatOf(dir.filePath("new.ini")).st_gid, ::getegid());

    writeAll(dir.filePath("kelvo.ini"), "[SYSTEM]\nXPos=1\n");
    ASSERT_EQ(::chown(at("kelvo.ini").c_str(), 0, 65534), 0);
    ASSERT_EQ(::chmod(at("kelvo.ini").c_str(), 0640), 0);
    EXPECT_EQ(saveProfileFile(*fs, at("kelvo.ini"), setXPos), SaveResult::Saved);
    const struct stat st = lstatOf(dir.filePath("kelvo.ini"));
    EXPECT_EQ(st.st_gid, 65534u);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

// Debian's private group of each user holds no one else; root's group "root" is one such.
TEST_F(RealDisk, AFolderOnlyTheUsersOwnGroupMayWriteIsStillTheUsers) {
    REQUIRE_ROOT();
    const QByteArray folder = dir.path().toLocal8Bit();
    ASSERT_EQ(::chmod(folder.constData(), 0775), 0);
    ASSERT_EQ(::chown(folder.constData(), 0, 0), 0);
    EXPECT_TRUE(trustFile(*fs, at("kelvo.ini")).usable());
    ASSERT_EQ(::chown(folder.constData(), 0, 65534), 0);
    EXPECT_FALSE(trustFile(*fs, at("kelvo.ini")).usable());
}

TEST_F(RealDisk, ALinkAnotherUserOwnsIsRefusedAndLeftAsItIs) {
    REQUIRE_ROOT();
    writeAll(dir.filePath("secret"), "[SYSTEM]\nXPos=41\n");
    ASSERT_EQ(::symlink(at("secret").c_str(), at("kelvo.ini").c_str()), 0);
    ASSERT_EQ(::lchown(at("kelvo.ini").c_str(), kBob, kBob), 0);
    EXPECT_NE(trustFile(*fs, at("kelvo.ini")).refusal.find("another user owns"), std::string::npos);
    EXPECT_EQ(readProfileFile(*fs, at("kelvo.ini")).text(), "");
    EXPECT_EQ(saveProfileFile(*fs, at("kelvo.ini"), setXPos), SaveResult::Untrusted);
    EXPECT_TRUE(S_ISLNK(lstatOf(dir.filePath("kelvo.ini")).st_mode));
    EXPECT_EQ(readAll(dir.filePath("secret")), "[SYSTEM]\nXPos=41\n");
}

// The probe stands in for the program: a real executable file whose settings live beside it.
class Program : public RealDisk {
  protected:
    QString install(const QString& folder) {
        const QString exe = folder + "/kelvo";
        EXPECT_TRUE(QFile::copy(QStringLiteral(SETTINGS_PROBE_PATH), exe));
        return exe;
    }
    struct Ran {
        int exitCode = -1;
        std::string out;
        std::string err;
    };
    // Runs `program` with `args` in the environment given, to its end.
    Ran run(const QString& program, const QStringList& args, const QProcessEnvironment& env) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(program, args);
        EXPECT_TRUE(p.waitForFinished(60000)) << program.toStdString();
        return {p.exitCode(), p.readAllStandardOutput().toStdString(),
                p.readAllStandardError().toStdString()};
    }
};

// A rebuild or an update puts a new file in place (cp and mv, rsync, tar); the running program's
// own file is then gone and the system calls it "kelvo (deleted)".
TEST_F(Program, ReplacingOrRemovingTheProgramFileLeavesTheSettingsWhereTheyWere) {
    for (const bool remove : {false, true}) {
        SCOPED_TRACE(remove ? "removed" : "replaced");
        const QString exe = install(dir.path());
        QProcess probe;
        probe.start(exe, {"--wait"});
        ASSERT_TRUE(probe.waitForStarted());
        while (probe.bytesAvailable() == 0 || !probe.canReadLine())
            ASSERT_TRUE(probe.waitForReadyRead(60000));
        EXPECT_EQ(probe.readLine().trimmed().toStdString(), "path=" + at("kelvo.ini"));
        if (remove) {
            ASSERT_TRUE(QFile::remove(exe));
        } else {
            ASSERT_TRUE(QFile::copy(exe, exe + ".new"));
            ASSERT_EQ(
                ::rename((exe + ".new").toLocal8Bit().constData(), exe.toLocal8Bit().constData()),
                0);
        }
        probe.write("\n");
        probe.closeWriteChannel();
        ASSERT_TRUE(probe.waitForFinished(60000));
        const std::string out = probe.readAllStandardOutput().toStdString();
        EXPECT_NE(out.find("later=" + at("kelvo.ini") + "\n"), std::string::npos) << out;
        EXPECT_NE(out.find("saved=0\n"), std::string::npos) << out;
        EXPECT_EQ(QDir(dir.path()).entryList({"*deleted*"}, QDir::AllEntries), QStringList());
        QFile::remove(exe);
    }
    EXPECT_EQ(readAll(dir.filePath("kelvo.ini")), "[SYSTEM]\nXPos=2\n");
}

TEST_F(Program, StartsAndEndsWithAPipeAsItsSettingsFile) {
    const QString exe = install(dir.path());
    ASSERT_EQ(::mkfifo(at("kelvo.ini").c_str(), 0600), 0);
    const Ran p = run(exe, {}, QProcessEnvironment::systemEnvironment());
    EXPECT_NE(p.out.find("XPos=0\n"), std::string::npos) << p.out;
    EXPECT_TRUE(S_ISFIFO(lstatOf(dir.filePath("kelvo.ini")).st_mode));
}

// Two users share a set-group-ID program folder. Bob plants kelvo.ini as a link to Alice's private
// file; Alice's program neither reads that file nor copies it out, and keeps her settings in her
// own folder.
TEST_F(Program, ALinkPlantedInASharedProgramFolderLeaksNothing) {
    REQUIRE_ROOT();
    const QString setpriv = QStandardPaths::findExecutable("setpriv");
    if (setpriv.isEmpty())
        GTEST_SKIP() << "setpriv (util-linux) is not installed; cannot become another user";
    const QByteArray top = dir.path().toLocal8Bit();
    ASSERT_EQ(::chmod(top.constData(), 0755), 0);
    const QString shared = dir.filePath("shared"), home = dir.filePath("alice");
    ASSERT_TRUE(QDir().mkdir(shared) && QDir().mkdir(home));
    ASSERT_EQ(::chown(shared.toLocal8Bit().constData(), 0, kShared), 0);
    ASSERT_EQ(::chmod(shared.toLocal8Bit().constData(), 02775), 0);
    ASSERT_EQ(::chown(home.toLocal8Bit().constData(), kAlice, kAlice), 0);
    ASSERT_EQ(::chmod(home.toLocal8Bit().constData(), 0755), 0);
    const QString secret = home + "/private.ini";
    const std::string secretText = "[SYSTEM]\nXPos=41\n; Alice's secret\n";
    writeAll(secret, secretText);
    ASSERT_EQ(::chown(secret.toLocal8Bit().constData(), kAlice, kShared), 0);
    ASSERT_EQ(::chmod(secret.toLocal8Bit().constData(), 0640), 0);
    install(shared);

    const auto as = [&](uid_t uid, const QStringList& command) {
        return QStringList{"--reuid=" + QString::number(uid), "--regid=" + QString::number(uid),
                           "--groups=" + QString::number(kShared), "--"} +
               command;
    };
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // Where the system's own folders are closed to other users (a private chroot), nobody else
    // can run a program at all: nothing to test there.
    const Ran probe = run(setpriv, as(kBob, {"true"}), env);
    if (probe.exitCode != 0)
        GTEST_SKIP() << "another user cannot run programs here: " << probe.err;
    const QString link = shared + "/kelvo.ini";
    const Ran plant = run(setpriv, as(kBob, {"ln", "-s", secret, link}), env);
    ASSERT_EQ(plant.exitCode, 0) << plant.err;
    ASSERT_EQ(lstatOf(link).st_uid, kBob);

    env.insert("HOME", home);
    env.insert("XDG_CONFIG_HOME", home + "/config");
    const Ran alice = run(setpriv, as(kAlice, {shared + "/kelvo"}), env);
    const std::string& out = alice.out;
    const std::string& err = alice.err;
    EXPECT_NE(out.find("path=" + (home + "/config/kelvo/kelvo.ini").toStdString()),
              std::string::npos)
        << out << err;
    EXPECT_NE(out.find("XPos=0\n"), std::string::npos) << "the secret was read: " << out;
    EXPECT_NE(err.find(link.toStdString() + " is not used"), std::string::npos) << err;

    EXPECT_TRUE(S_ISLNK(lstatOf(link).st_mode));
    EXPECT_EQ(lstatOf(link).st_uid, kBob);
    EXPECT_EQ(readAll(secret), secretText);
    const struct stat own = lstatOf(home + "/config/kelvo/kelvo.ini");
    EXPECT_EQ(own.st_uid, kAlice);
    EXPECT_EQ(own.st_mode & 0022, 0u);
    EXPECT_EQ(lstatOf(home + "/config/kelvo").st_mode & 0777, 0700u);
}

}  // namespace
}  // namespace kelvo
