// The trust rule for the settings file on a scripted disk: links, pipes, files and folders of
// other users, a read-only file, and the size limit shared by the reader and the save.
#include <gtest/gtest.h>

#include "platform/fake/MemoryFileSystem.h"
#include "profile/FileTrust.h"
#include "profile/ProfileFile.h"
#include "tests/support/NativeLines.h"

namespace kelvo {
namespace {

const std::string kPath = "/cfg/kelvo.ini";
const std::string kSecret = "/home/alice/private.txt";
const std::string kMine = "[SYSTEM]\nXPos=10\n";

void moveTo(Profile& p) {
    p.writeInt("SYSTEM", "XPos", 300);
}

// Every entry as it is now, links not followed.
std::map<std::string, MemoryFileSystem::Entry> snapshot(const MemoryFileSystem& fs) {
    std::map<std::string, MemoryFileSystem::Entry> all;
    for (const auto& [path, entry] : fs.files)
        all[path] = *entry;
    return all;
}

bool sameEntries(const std::map<std::string, MemoryFileSystem::Entry>& a,
                 const std::map<std::string, MemoryFileSystem::Entry>& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](auto& x, auto& y) {
               return x.first == y.first && x.second.bytes == y.second.bytes &&
                      x.second.mode == y.second.mode && x.second.kind == y.second.kind &&
                      x.second.target == y.second.target && x.second.group == y.second.group;
           });
}

// A file the rule refuses is neither read nor changed, and nothing is written beside it.
void expectRefusedUntouched(MemoryFileSystem& fs, const std::string& path, const char* why) {
    SCOPED_TRACE(why);
    const auto before = snapshot(fs);
    const FileTrust trust = trustFile(fs, path);
    EXPECT_FALSE(trust.usable());
    EXPECT_EQ(readProfileFile(fs, path).text(), "");
    EXPECT_EQ(saveProfileFile(fs, path, moveTo), SaveResult::Untrusted);
    EXPECT_EQ(replaceFileAtomically(fs, path, "x"), SaveResult::Untrusted);
    removeLeftoverTempFiles(fs, path);
    EXPECT_TRUE(sameEntries(snapshot(fs), before));
}

TEST(TrustRule, ALinkAnotherUserPlantedIsNeitherFollowedNorReplaced) {
    MemoryFileSystem fs;
    fs.put(kSecret, "[SYSTEM]\nXPos=77\nsecret=yes\n", 0640);
    fs.putLink(kPath, kSecret, false);
    expectRefusedUntouched(fs, kPath, "planted link");
    EXPECT_NE(trustFile(fs, kPath).refusal.find("another user owns"), std::string::npos);
    // Also when it hides behind a link of the user's own.
    fs.putLink("/cfg/mine.ini", kPath);
    expectRefusedUntouched(fs, "/cfg/mine.ini", "own link to a planted one");
}

TEST(TrustRule, TheUsersOwnLinkIsFollowedAndStaysALink) {
    MemoryFileSystem fs;
    fs.put("/cfg/dotfiles/kelvo.ini", kMine, 0600);
    fs.put("/cfg/dotfiles/kelvo.ini.tmp-0123456789ab", "[SYS");
    fs.putLink(kPath, "dotfiles/kelvo.ini");  // relative to the link's folder
    EXPECT_EQ(trustFile(fs, kPath).path, "/cfg/dotfiles/kelvo.ini");
    EXPECT_EQ(readProfileFile(fs, kPath).readInt("SYSTEM", "XPos", 0), 10);
    removeLeftoverTempFiles(fs, kPath);
    EXPECT_FALSE(fs.exists("/cfg/dotfiles/kelvo.ini.tmp-0123456789ab"));

    fs.putLink(kPath, "/cfg/dotfiles/kelvo.ini");
    EXPECT_EQ(saveProfileFile(fs, kPath, moveTo), SaveResult::Saved);
    EXPECT_EQ(fs.entry(kPath)->kind, FileStatus::Kind::Link);
    EXPECT_EQ(fs.contents("/cfg/dotfiles/kelvo.ini"), "[SYSTEM]\nXPos=300\n");
    EXPECT_EQ(fs.permissions("/cfg/dotfiles/kelvo.ini"), 0600u);
    EXPECT_EQ(fs.files.size(), 2u) << "a temporary file was left behind";

    // A dangling link of the user's gets its file at the first save.
    fs.putLink(kPath, "/cfg/dotfiles/new.ini");
    EXPECT_EQ(saveProfileFile(fs, kPath, moveTo), SaveResult::Saved);
    EXPECT_EQ(fs.contents("/cfg/dotfiles/new.ini"), test::nativeLines("[SYSTEM]\nXPos=300\n"));
    EXPECT_EQ(fs.entry(kPath)->kind, FileStatus::Kind::Link);
}

TEST(TrustRule, LinkLoopsAndEndlessChainsAreRefused) {
    MemoryFileSystem fs;
    fs.putLink(kPath, "/cfg/b");
    fs.putLink("/cfg/b", kPath);
    expectRefusedUntouched(fs, kPath, "loop");
}

TEST(TrustRule, AFileOrFolderAnotherUserCanChangeIsRefused) {
    {
        MemoryFileSystem fs;
        fs.put(kPath, kMine, 0666);
        expectRefusedUntouched(fs, kPath, "file writable by all");
    }
    {
        MemoryFileSystem fs;
        fs.put(kPath, kMine, 0620);
        expectRefusedUntouched(fs, kPath, "file writable by its group");
    }
    {
        MemoryFileSystem fs;
        fs.put(kPath, kMine, 0644);
        fs.files[kPath]->ownedByUser = false;
        expectRefusedUntouched(fs, kPath, "another user's file");
    }
    {
        MemoryFileSystem fs;
        fs.put(kPath, kMine, 0644);
        fs.folders["/cfg"] = {true, 02775};
        expectRefusedUntouched(fs, kPath, "shared set-group-ID folder");
        EXPECT_NE(trustFile(fs, kPath).refusal.find("its folder /cfg"), std::string::npos);
    }
    {
        MemoryFileSystem fs;
        fs.folders["/cfg"] = {false, 0755};
        expectRefusedUntouched(fs, kPath, "another user's folder, no file yet");
    }
    {
        // The user's own link into a folder others can change: they could swap the file.
        MemoryFileSystem fs;
        fs.put("/tmp/kelvo.ini", kMine, 0600);
        fs.folders["/tmp"] = {true, 01777};
        fs.putLink(kPath, "/tmp/kelvo.ini");
        expectRefusedUntouched(fs, kPath, "own link into a shared folder");
    }
}

TEST(TrustRule, APipeIsReadAsUnreadableAndNeverReplaced) {
    MemoryFileSystem fs;
    fs.putPipe(kPath);
    EXPECT_TRUE(trustFile(fs, kPath).usable());
    EXPECT_EQ(readProfileFile(fs, kPath).text(), "");
    EXPECT_EQ(saveProfileFile(fs, kPath, moveTo), SaveResult::ReadFailed);
    EXPECT_EQ(fs.entry(kPath)->kind, FileStatus::Kind::Other);
    EXPECT_EQ(fs.files.size(), 1u);
}

TEST(TrustRule, AFileTheUserMadeReadOnlyIsReadButLeftAlone) {
    MemoryFileSystem fs;
    fs.put(kPath, kMine, 0444);
    EXPECT_EQ(readProfileFile(fs, kPath).readInt("SYSTEM", "XPos", 0), 10);
    EXPECT_EQ(saveProfileFile(fs, kPath, moveTo), SaveResult::ReadOnly);
    EXPECT_EQ(fs.contents(kPath), kMine);
    EXPECT_EQ(fs.files.size(), 1u);
    // Nothing to change: nothing to say.
    EXPECT_EQ(saveProfileFile(fs, kPath, [](Profile& p) { p.writeInt("SYSTEM", "XPos", 10); }),
              SaveResult::Unchanged);
}

TEST(TrustRule, AReplacementKeepsTheOldFilesGroupAndPermissions) {
    MemoryFileSystem fs;
    fs.put(kPath, kMine, 0640);
    fs.files[kPath]->group = "family";
    EXPECT_EQ(saveProfileFile(fs, kPath, moveTo), SaveResult::Saved);
    EXPECT_EQ(fs.entry(kPath)->group, "family");
    EXPECT_EQ(fs.entry(kPath)->mode, 0640u);
}

// What a save writes, the next read takes: a file the save would push past the reader's limit
// is left as it is.
TEST(SizeLimit, ASaveNeverWritesAFileItsOwnReaderRefuses) {
    const std::string head = "[SYSTEM]\nXPos=10\n;";
    const std::string added = "YPos=20\n";
    auto fileOf = [&](size_t size) {
        return head + std::string(size - head.size() - 1, 'c') + "\n";
    };
    auto addKey = [](Profile& p) { p.writeInt("SYSTEM", "YPos", 20); };

    MemoryFileSystem fs;
    const std::string justUnder = fileOf(kMaxProfileBytes - added.size() + 1);
    fs.put(kPath, justUnder);
    EXPECT_EQ(saveProfileFile(fs, kPath, addKey), SaveResult::WouldBeTooLarge);
    EXPECT_EQ(fs.contents(kPath), justUnder);
    EXPECT_EQ(readProfileFile(fs, kPath).readInt("SYSTEM", "XPos", 0), 10) << "still read";

    const std::string fits = fileOf(kMaxProfileBytes - added.size());
    fs.put(kPath, fits);
    EXPECT_EQ(saveProfileFile(fs, kPath, addKey), SaveResult::Saved);
    EXPECT_EQ(fs.contents(kPath).size(), kMaxProfileBytes);
    EXPECT_EQ(readProfileFile(fs, kPath).readInt("SYSTEM", "YPos", 0), 20);
}

}  // namespace
}  // namespace kelvo
