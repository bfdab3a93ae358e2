#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

#include <filesystem>

#include "platform/Platform.h"
#include "tests/support/ScopedEnv.h"

namespace kelvo {
namespace {

// Each test gets its own runtime and temp folder, as a fresh user session would.
class InstanceLockTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char tmpl[] = "/tmp/kelvo-lock-test-XXXXXX";
        dir_ = mkdtemp(tmpl);
        runtime_.set(QByteArray::fromStdString(dir_));
        tmp_.set(QByteArray::fromStdString(dir_));
        platform_ = createSystemPlatform();
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    // A plain file in the test's folder, where a folder would be expected.
    std::string fileNotFolder() {
        const std::string file = dir_ + "/not-a-folder";
        FILE* f = fopen(file.c_str(), "w");
        EXPECT_NE(f, nullptr);
        if (f)
            fclose(f);
        return file;
    }
    std::string privateLock() const {
        return dir_ + "/kelvo-" + std::to_string(getuid()) + "/KELVO_EXE.lock";
    }

    test::ScopedEnv runtime_{"XDG_RUNTIME_DIR"}, tmp_{"TMPDIR"};
    std::string dir_;
    std::unique_ptr<Platform> platform_;
};

TEST_F(InstanceLockTest, SecondHolderSeesTheFirstAndTheLockFreesOnRelease) {
    auto first = platform_->createInstanceLock("KELVO_EXE");
    EXPECT_FALSE(first->alreadyExists());
    EXPECT_TRUE(platform_->createInstanceLock("KELVO_EXE")->alreadyExists());
    EXPECT_FALSE(platform_->createInstanceLock("OTHER_NAME")->alreadyExists());
    first.reset();
    EXPECT_FALSE(platform_->createInstanceLock("KELVO_EXE")->alreadyExists());
}

TEST_F(InstanceLockTest, AnInstanceKilledWithSigkillDoesNotBlockTheNext) {
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        auto lock = createSystemPlatform()->createInstanceLock("KELVO_EXE");
        char ok = lock->alreadyExists() ? 'n' : 'y';
        (void)!write(ready[1], &ok, 1);
        pause();
        _exit(0);
    }
    char ok = 0;
    ASSERT_EQ(read(ready[0], &ok, 1), 1);
    EXPECT_EQ(ok, 'y');
    EXPECT_TRUE(platform_->createInstanceLock("KELVO_EXE")->alreadyExists());
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    EXPECT_FALSE(platform_->createInstanceLock("KELVO_EXE")->alreadyExists());
    close(ready[0]);
    close(ready[1]);
}

TEST_F(InstanceLockTest, ChildProcessesDoNotInheritTheLock) {
    auto lock = platform_->createInstanceLock("KELVO_EXE");
    ASSERT_FALSE(lock->alreadyExists());
    // A program started by ours (exec) must not keep the lock after we let go of it.
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        execl("/bin/sleep", "sleep", "5", static_cast<char*>(nullptr));
        _exit(127);
    }
    usleep(100 * 1000);
    lock.reset();
    EXPECT_FALSE(platform_->createInstanceLock("KELVO_EXE")->alreadyExists());
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
}

TEST_F(InstanceLockTest, WithoutRuntimeDirAPrivateTempFolderIsUsed) {
    runtime_.unset();
    auto lock = platform_->createInstanceLock("KELVO_EXE");
    EXPECT_FALSE(lock->alreadyExists());
    EXPECT_TRUE(std::filesystem::exists(privateLock()));
    auto perms = std::filesystem::status(dir_ + "/kelvo-" + std::to_string(getuid())).permissions();
    EXPECT_EQ(perms & std::filesystem::perms::all, std::filesystem::perms::owner_all);
    EXPECT_TRUE(platform_->createInstanceLock("KELVO_EXE")->alreadyExists());
}

// A runtime folder that cannot hold the lock (one that cannot be made, or a file in its place)
// falls back to the private temp folder, where the lock still keeps a second instance out.
TEST_F(InstanceLockTest, AnUnusableRuntimeFolderFallsBackToThePrivateTempFolder) {
    const std::string file = fileNotFolder();
    for (const std::string& runtime : {file + "/gone", file}) {
        SCOPED_TRACE(runtime);
        runtime_.set(QByteArray::fromStdString(runtime));
        testing::internal::CaptureStderr();
        auto first = platform_->createInstanceLock("KELVO_EXE");
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
        EXPECT_FALSE(first->alreadyExists());
        EXPECT_TRUE(std::filesystem::exists(privateLock()));
        EXPECT_TRUE(platform_->createInstanceLock("KELVO_EXE")->alreadyExists());
    }
}

TEST_F(InstanceLockTest, WithNoLockAtAllTheProgramRunsAndSaysSo) {
    const std::string file = fileNotFolder();
    runtime_.set(QByteArray::fromStdString(file + "/gone"));
    tmp_.set(QByteArray::fromStdString(file));
    testing::internal::CaptureStderr();
    auto lock = platform_->createInstanceLock("KELVO_EXE");
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(lock->alreadyExists());
    EXPECT_NE(said.find("no single-instance lock could be taken"), std::string::npos) << said;
    EXPECT_NE(said.find(file + "/gone"), std::string::npos) << said;
}

// The toolkit makes a missing runtime folder as the first instance starts; the next instance
// must still find the first one's lock.
TEST_F(InstanceLockTest, ARuntimeFolderNotYetMadeHoldsTheLockOfEveryInstance) {
    const std::string runtime = dir_ + "/not-yet";
    runtime_.set(QByteArray::fromStdString(runtime));
    auto first = platform_->createInstanceLock("KELVO_EXE");
    ASSERT_FALSE(first->alreadyExists());
    std::filesystem::create_directory(runtime);
    EXPECT_TRUE(platform_->createInstanceLock("KELVO_EXE")->alreadyExists());
}

// A runtime folder that is not the user's private one (another user's, or open to everyone) could
// hold a lock someone else took: it is passed over for the private temp folder, with a warning.
TEST_F(InstanceLockTest, AForeignOrSharedRuntimeFolderIsNotTrustedWithTheLock) {
    const std::string foreign = dir_ + "/foreign";
    ASSERT_EQ(mkdir(foreign.c_str(), 0700), 0);
    ASSERT_EQ(chmod(foreign.c_str(), 0777), 0);
    const int held = open((foreign + "/KELVO_EXE.lock").c_str(), O_RDWR | O_CREAT, 0666);
    ASSERT_GE(held, 0);
    ASSERT_EQ(flock(held, LOCK_EX | LOCK_NB), 0);
    runtime_.set(QByteArray::fromStdString(foreign));
    const bool root = geteuid() == 0;
    for (const bool otherOwner : {false, true}) {
        if (otherOwner && !root)
            continue;  // giving the folder away needs root
        SCOPED_TRACE(otherOwner ? "another user's folder" : "a folder open to all");
        if (otherOwner) {
            ASSERT_EQ(chown(foreign.c_str(), 60001, 60001), 0);
        }
        testing::internal::CaptureStderr();
        auto lock = platform_->createInstanceLock("KELVO_EXE");
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_FALSE(lock->alreadyExists());
        EXPECT_NE(said.find("is not a private folder of this user"), std::string::npos) << said;
        EXPECT_TRUE(platform_->createInstanceLock("KELVO_EXE")->alreadyExists());
    }
    close(held);
}

// The session bus: named in the environment, or the user's bus socket in the runtime folder.
TEST_F(InstanceLockTest, ASessionBusIsTheVariableOrASocketInTheRuntimeFolder) {
    test::ScopedEnv address("DBUS_SESSION_BUS_ADDRESS");
    EXPECT_FALSE(platform_->hasSessionBus());
    const std::string bus = dir_ + "/bus";
    std::filesystem::create_directory(bus);  // something else by that name is no bus
    EXPECT_FALSE(platform_->hasSessionBus());
    std::filesystem::remove(bus);
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, bus.c_str(), sizeof addr.sun_path - 1);
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    EXPECT_TRUE(platform_->hasSessionBus());
    close(fd);
    std::filesystem::remove(bus);
    address.set("unix:path=/nowhere");
    EXPECT_TRUE(platform_->hasSessionBus());
}

}  // namespace
}  // namespace kelvo
