#include <gtest/gtest.h>

#include <algorithm>

#include "platform/fake/MemoryFileSystem.h"
#include "profile/ProfileFile.h"
#include "tests/support/NativeLines.h"

namespace kelvo {
namespace {

const std::string kPath = "/cfg/kelvo.ini";
const std::string kOld = "; hand-written\n[SYSTEM]\nXPos=10\nYPos=20\nSmall=0\n[Mine]\nx=y\n";

void moveTo(Profile& p) {
    p.writeInt("SYSTEM", "XPos", 300);
}

class AtomicSave : public testing::Test {
  protected:
    void SetUp() override { fs.put(kPath, kOld, 0600); }

    void expectOldFileKept() {
        EXPECT_EQ(fs.contents(kPath), kOld);
        EXPECT_EQ(fs.permissions(kPath), 0600u);
        EXPECT_EQ(fs.files.size(), 1u) << "a temporary file was left behind";
    }

    MemoryFileSystem fs;
};

TEST_F(AtomicSave, ReplacesTheFileKeepingItsPermissionsAndSyncsFileAndFolder) {
    EXPECT_EQ(saveProfileFile(fs, kPath, moveTo), SaveResult::Saved);
    EXPECT_EQ(fs.contents(kPath),
              "; hand-written\n[SYSTEM]\nXPos=300\nYPos=20\nSmall=0\n[Mine]\nx=y\n");
    EXPECT_EQ(fs.permissions(kPath), 0600u);
    EXPECT_EQ(fs.files.size(), 1u);
    EXPECT_EQ(fs.fileSyncs, 1);
    EXPECT_EQ(fs.directorySyncs, 1);
}

TEST_F(AtomicSave, AnUnchangedFileIsNotRewritten) {
    EXPECT_EQ(saveProfileFile(fs, kPath, [](Profile& p) { p.writeInt("SYSTEM", "XPos", 10); }),
              SaveResult::Unchanged);
    EXPECT_EQ(fs.renames, 0);
}

TEST_F(AtomicSave, ADiskThatFillsAtAnyByteLeavesTheOldFile) {
    const size_t newSize = kOld.size() + 1;
    for (size_t room = 0; room < newSize; ++room) {
        fs.bytesLeft = static_cast<int64_t>(room);
        EXPECT_EQ(saveProfileFile(fs, kPath, moveTo), SaveResult::WriteFailed) << room;
        expectOldFileKept();
    }
    fs.bytesLeft = static_cast<int64_t>(newSize);
    EXPECT_EQ(saveProfileFile(fs, kPath, moveTo), SaveResult::Saved);
}

TEST_F(AtomicSave, EveryLaterFailureLeavesTheOldFile) {
    struct Fault {
        bool MemoryFileSystem::*flag;
        SaveResult result;
    };
    for (Fault f : {Fault{&MemoryFileSystem::failSync, SaveResult::WriteFailed},
                    Fault{&MemoryFileSystem::failClose, SaveResult::WriteFailed},
                    Fault{&MemoryFileSystem::failRename, SaveResult::RenameFailed},
                    Fault{&MemoryFileSystem::readOnly, SaveResult::CreateFailed},
                    Fault{&MemoryFileSystem::failRead, SaveResult::ReadFailed}}) {
        fs.*f.flag = true;
        EXPECT_EQ(saveProfileFile(fs, kPath, moveTo), f.result);
        expectOldFileKept();
        fs.*f.flag = false;
    }
}

TEST_F(AtomicSave, AFailedFolderSyncIsReportedAfterTheRename) {
    fs.failDirectorySync = true;
    EXPECT_EQ(saveProfileFile(fs, kPath, moveTo), SaveResult::FolderSyncFailed);
    EXPECT_NE(fs.contents(kPath).find("XPos=300"), std::string::npos);
}

TEST_F(AtomicSave, AnOversizedFileIsNeitherReadNorOverwritten) {
    const std::string huge(kMaxProfileBytes + 1, ';');
    fs.put(kPath, huge);
    EXPECT_EQ(readProfileFile(fs, kPath).text(), "");
    EXPECT_EQ(saveProfileFile(fs, kPath, moveTo), SaveResult::TooLarge);
    EXPECT_EQ(fs.contents(kPath), huge);
}

TEST(NewSettingsFile, IsCreatedWhenMissing) {
    MemoryFileSystem fs;
    EXPECT_EQ(saveProfileFile(fs, kPath, moveTo), SaveResult::Saved);
    EXPECT_EQ(fs.contents(kPath), test::nativeLines("[SYSTEM]\nXPos=300\n"));
}

TEST(LeftoverTempFiles, OnlyTheSettingsFilesTemporariesAreRemoved) {
    MemoryFileSystem fs;
    for (const char* name : {"/cfg/kelvo.ini", "/cfg/kelvo.ini.tmp-1a2b", "/cfg/kelvo.ini.tmp-",
                             "/cfg/other.ini.tmp-1a2b", "/cfg/kelvo.ini.bak", "/elsewhere/x"})
        fs.put(name, "x");
    removeLeftoverTempFiles(fs, kPath);
    std::vector<std::string> left;
    for (const auto& [path, entry] : fs.files)
        left.push_back(path);
    EXPECT_EQ(left, (std::vector<std::string>{"/cfg/kelvo.ini", "/cfg/kelvo.ini.bak",
                                              "/cfg/kelvo.ini.tmp-", "/cfg/other.ini.tmp-1a2b",
                                              "/elsewhere/x"}));
}

}  // namespace
}  // namespace kelvo
