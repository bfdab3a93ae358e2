#include <gtest/gtest.h>

#include "app/settings/IniPath.h"
#include "platform/fake/FakePlatform.h"

namespace kelvo {
namespace {

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

}  // namespace
}  // namespace kelvo
