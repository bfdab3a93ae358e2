// The settings file on real disks: killed saves, a full disk and a read-only folder. Mounting
// needs root; where it is refused the test says so and skips.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <random>

#include "platform/FileSystem.h"
#include "profile/ProfileFile.h"

namespace kelvo {
namespace {

std::string readAll(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll().toStdString();
}

void writeAll(const QString& path, const std::string& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(bytes.data(), static_cast<qint64>(bytes.size())),
              static_cast<qint64>(bytes.size()));
}

QStringList entries(const QString& dir) {
    return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

// A file with a large part the program does not know, so that a save takes a while.
std::string settingsWithMemory(int memory) {
    std::string text =
        "[SYSTEM]\nXPos=5\nYPos=6\nSmall=0\n[DEFAULT]\nMemory=" + std::to_string(memory) +
        "\nHint=1\n[Notes]\n";
    for (int i = 0; i < 2000; ++i)
        text += "line" + std::to_string(i) + "=kept as it was\n";
    return text;
}

TEST(KilledSaves, LeaveTheOldOrTheNewFileAndNoTemporaryAfterTheNextStart) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("kelvo.ini");
    const std::string a = settingsWithMemory(30), b = settingsWithMemory(70);
    writeAll(path, a);
    auto fs = createSystemFileSystem();
    std::mt19937_64 rng(12345);
    std::uniform_int_distribution<int> delayUs(0, 4000);
    int tempsFound = 0;
    for (int kill = 0; kill < 1000; ++kill) {
        QProcess saver;
        saver.start(QStringLiteral(SAVE_LOOP_PATH), {path});
        ASSERT_TRUE(saver.waitForStarted(10000));
        ASSERT_TRUE(saver.waitForReadyRead(10000)) << "the saving child never got going";
        QThread::usleep(static_cast<unsigned long>(delayUs(rng)));
        saver.kill();
        ASSERT_TRUE(saver.waitForFinished(10000));

        const std::string now = readAll(path);
        ASSERT_TRUE(now == a || now == b)
            << "after kill " << kill << " the file holds " << now.size() << " unexpected bytes";
        if (entries(dir.path()).size() > 1)
            ++tempsFound;
        removeLeftoverTempFiles(*fs, path.toStdString());
        ASSERT_EQ(entries(dir.path()), QStringList{"kelvo.ini"}) << "after kill " << kill;
    }
    // Otherwise every kill fell between saves, and the test proved little.
    EXPECT_GT(tempsFound, 0);
}

// A small tmpfs mounted for one test, unmounted at its end.
class SmallDisk {
  public:
    explicit SmallDisk(const QString& extraOptions = {}) {
        // Private like a user's folder: a tmpfs is open to all by default, and the trust rule
        // would refuse every save in it.
        const QString options = QStringLiteral("size=64k,mode=0700") + extraOptions;
        mounted_ = dir_.isValid() &&
                   QProcess::execute(QStringLiteral("mount"),
                                     {"-t", "tmpfs", "-o", options, "tmpfs", dir_.path()}) == 0;
    }
    ~SmallDisk() {
        if (mounted_)
            QProcess::execute(QStringLiteral("umount"), {dir_.path()});
    }
    bool mounted() const { return mounted_; }
    QString path(const char* name) const { return dir_.filePath(QString::fromUtf8(name)); }
    QString folder() const { return dir_.path(); }
    bool remountReadOnly() const {
        return QProcess::execute(QStringLiteral("mount"), {"-o", "remount,ro", dir_.path()}) == 0;
    }

  private:
    QTemporaryDir dir_;
    bool mounted_ = false;
};

#define REQUIRE_MOUNTED(disk)                                                                 \
    if (!(disk).mounted())                                                                    \
    GTEST_SKIP() << "cannot mount a tmpfs here (needs root and mount rights); full-disk and " \
                    "read-only cases not run"

// Fills the disk with `filler` and then frees `pages` pages of it.
void leaveFreePages(const QString& filler, int pages) {
    QFile f(filler);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite | QIODevice::Truncate | QIODevice::Unbuffered));
    const QByteArray block(4096, 'f');
    while (f.write(block) == block.size()) {
    }
    f.close();
    const qint64 full = QFileInfo(filler).size() / 4096 * 4096;
    ASSERT_TRUE(QFile::resize(filler, std::max<qint64>(0, full - qint64{pages} * 4096)));
}

TEST(FullDisk, SavesFailAtEverySizeAndTheOldFileStaysByteIdentical) {
    for (size_t padding : {size_t{0}, size_t{3000}, size_t{4095}, size_t{9000}, size_t{20000}}) {
        SmallDisk disk;
        REQUIRE_MOUNTED(disk);
        const QString path = disk.path("kelvo.ini");
        const std::string old = "[SYSTEM]\nXPos=1\n;" + std::string(padding, 'p') + "\n";
        writeAll(path, old);
        const auto change = [](Profile& p) { p.writeInt("SYSTEM", "XPos", 123456); };
        const int pagesNeeded = static_cast<int>((old.size() + 5 + 4095) / 4096);
        auto fs = createSystemFileSystem();
        for (int pages = 0; pages < pagesNeeded; ++pages) {
            leaveFreePages(disk.path("filler"), pages);
            const SaveResult r = saveProfileFile(*fs, path.toStdString(), change);
            EXPECT_TRUE(r == SaveResult::WriteFailed || r == SaveResult::CreateFailed)
                << "padding " << padding << ", free pages " << pages;
            EXPECT_EQ(readAll(path), old) << "padding " << padding << ", free pages " << pages;
            EXPECT_EQ(entries(disk.folder()), (QStringList{"filler", "kelvo.ini"}));
        }
        leaveFreePages(disk.path("filler"), pagesNeeded + 1);
        EXPECT_EQ(saveProfileFile(*fs, path.toStdString(), change), SaveResult::Saved);
    }
}

TEST(ReadOnlyFolder, SaveFailsAndTheFileStaysAsItWas) {
    SmallDisk disk;
    REQUIRE_MOUNTED(disk);
    const QString path = disk.path("kelvo.ini");
    writeAll(path, "[SYSTEM]\nXPos=1\n");
    ASSERT_TRUE(disk.remountReadOnly());
    auto fs = createSystemFileSystem();
    EXPECT_EQ(saveProfileFile(*fs, path.toStdString(),
                              [](Profile& p) { p.writeInt("SYSTEM", "XPos", 2); }),
              SaveResult::CreateFailed);
    EXPECT_EQ(readAll(path), "[SYSTEM]\nXPos=1\n");
}

TEST(RealFiles, ASaveKeepsTheFilesPermissions) {
    QTemporaryDir dir;
    const QString path = dir.filePath("kelvo.ini");
    writeAll(path, "[SYSTEM]\nXPos=1\n");
    ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
    auto fs = createSystemFileSystem();
    ASSERT_EQ(saveProfileFile(*fs, path.toStdString(),
                              [](Profile& p) { p.writeInt("SYSTEM", "XPos", 2); }),
              SaveResult::Saved);
    EXPECT_EQ(fs->permissions(path.toStdString()), 0600u);
}

}  // namespace
}  // namespace kelvo
