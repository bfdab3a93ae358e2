// The Windows platform on the real Win32 calls.
#include <gtest/gtest.h>
#include <windows.h>

#include <psapi.h>

#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "platform/Meminfo.h"
#include "platform/Platform.h"
#include "platform/windows/ConsoleText.h"
#include "platform/windows/FileSystemWindows.h"
#include "platform/windows/WindowsPlatform.h"

namespace kelvo {
namespace {

constexpr uint64_t kMiB = uint64_t{1} << 20;

std::unique_ptr<Platform> platform() {
    return createSystemPlatform();
}

TEST(WindowsMemory, TheStatusIsTheSystemsOwnIn64BitCounts) {
    MEMORYSTATUSEX ex{};
    ex.dwLength = sizeof(ex);
    ASSERT_TRUE(GlobalMemoryStatusEx(&ex));
    MEMORYSTATUS status;
    status.dwLength = 32;
    platform()->GlobalMemoryStatus(status);
    EXPECT_EQ(status.dwLength, 32u);
    EXPECT_EQ(status.dwTotalPhys, ex.ullTotalPhys);
    EXPECT_LE(status.dwAvailPhys, status.dwTotalPhys);
    EXPECT_LE(status.dwMemoryLoad, 100u);
    // Page files, and memory with page files (the commit limit) as the virtual row.
    EXPECT_EQ(status.dwTotalPageFile, ex.ullTotalPageFile - ex.ullTotalPhys);
    EXPECT_LE(status.dwAvailPageFile, status.dwTotalPageFile);
    EXPECT_EQ(status.dwTotalVirtual, ex.ullTotalPageFile);
    EXPECT_LE(status.dwAvailVirtual, status.dwTotalVirtual);
}

// Under Wine the host's own figures are readable too: physical memory must be the host's.
TEST(WindowsMemory, UnderWineTheTotalIsTheHostsMemTotal) {
    std::ifstream in("Z:/proc/meminfo");
    if (!in)
        GTEST_SKIP() << "not under Wine";
    std::stringstream text;
    text << in.rdbuf();
    const Meminfo info = parseMeminfo(text.str());
    ASSERT_TRUE(info.memTotal);
    MEMORYSTATUS status;
    platform()->GlobalMemoryStatus(status);
    EXPECT_NEAR(static_cast<double>(status.dwTotalPhys), static_cast<double>(*info.memTotal),
                16.0 * kMiB);
}

// The process's private bytes: Windows charges a block whole when it is allocated, Wine counts
// its pages as they are written. Only the process's own allocations move the figure, where the
// working set is the pager's to trim.
uint64_t privateBytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return counters.PagefileUsage;
}

TEST(WindowsMemory, AWrittenBlockIsHeldWholeAndGivenBack) {
    auto p = platform();
    constexpr uint64_t size = 256 * kMiB;
    const uint64_t before = privateBytes();
    {
        auto block = p->allocateBlock(size);
        ASSERT_TRUE(block);
        EXPECT_EQ(block->size(), size);
        block->zero(0, size / 2);
        block->zero(size / 2, size);  // a range past the end stops at the end
        EXPECT_GT(privateBytes(), before + size * 15 / 16);
    }
    EXPECT_LT(privateBytes(), before + size / 16);
    EXPECT_FALSE(p->allocateBlock(0));
    EXPECT_FALSE(p->allocateBlock(uint64_t{1} << 63));
}

TEST(WindowsMemory, TheProbeCarriesTheCommitRoom) {
    auto p = platform();
    const MemorySafetySample s = p->openMemoryProbe()->sample();
    MEMORYSTATUSEX ex{};
    ex.dwLength = sizeof(ex);
    ASSERT_TRUE(GlobalMemoryStatusEx(&ex));
    ASSERT_TRUE(s.commitRoom);
    EXPECT_NEAR(static_cast<double>(*s.commitRoom), static_cast<double>(ex.ullAvailPageFile),
                512.0 * kMiB);
    ASSERT_TRUE(s.meminfo.memTotal);
    EXPECT_EQ(*s.meminfo.memTotal, ex.ullTotalPhys);
    EXPECT_GT(s.takenNs, 0);
}

// How long a sleep takes is for the benchmarks. The records are read where they lie: the system
// time is a date, and the idle time stays within what the processors had (a second of slack each).
TEST(WindowsProcessor, TwoSamplesAroundASleepReadTheRecordsRight) {
    auto p = platform();
    const int64_t start = p->monotonicNs();
    const auto first = p->queryCpuTimes();
    ASSERT_TRUE(first) << "NtQuerySystemInformation refused the 64-bit records";
    p->Sleep(300);
    const auto second = p->queryCpuTimes();
    const int64_t end = p->monotonicNs();
    ASSERT_TRUE(second);
    EXPECT_GE(end, start);
    SYSTEM_INFO info{};
    GetSystemInfo(&info);
    EXPECT_EQ(first->processors, info.dwNumberOfProcessors);
    constexpr int64_t kYear2020 = 132'223'104'000'000'000;  // 100 ns units since 1601
    EXPECT_GT(first->systemTime, kYear2020);
    const int64_t idle = second->idleTime - first->idleTime;
    EXPECT_GE(idle, 0);
    EXPECT_LE(idle, ((end - start) / 100 + 10'000'000) * first->processors);
}

TEST(WindowsPlatform, TheFamilyIsNtAndHasNoResourcesFunctionOrDynamicData) {
    auto p = platform();
    EXPECT_TRUE(p->IsWinNT());
    EXPECT_FALSE(p->loadFreeResources());
    EXPECT_FALSE(p->ReadDynDataValue(0x80000006, "PerfStats\\StatData", "KERNEL\\CPUUsage"));
}

// The predefined roots as the header has them: sign-extended into the 64-bit handle.
TEST(WindowsPlatform, RegistryRootsAreTheHeadersHandles) {
    EXPECT_EQ(static_cast<HKEY>(predefinedKey(0x80000006u)), HKEY_DYN_DATA);
    EXPECT_EQ(static_cast<HKEY>(predefinedKey(0x80000001u)), HKEY_CURRENT_USER);
}

// Only the reparse points that lead elsewhere are links: a cloud folder's placeholder is the file.
TEST(WindowsFiles, OnlySymbolicLinksAndJunctionsAreLinks) {
    const struct {
        DWORD tag;
        bool link;
    } tags[] = {{IO_REPARSE_TAG_SYMLINK, true},  {IO_REPARSE_TAG_MOUNT_POINT, true},
                {IO_REPARSE_TAG_CLOUD_6, false}, {IO_REPARSE_TAG_DEDUP, false},
                {IO_REPARSE_TAG_WOF, false},     {0, false}};
    for (const auto& t : tags)
        EXPECT_EQ(isLinkReparseTag(t.tag), t.link) << std::hex << t.tag;
}

TEST(WindowsPlatform, TheExecutablePathUsesForwardSlashes) {
    auto p = platform();
    const std::string exe = p->executablePath();
    ASSERT_GT(exe.size(), 4u);
    EXPECT_EQ(exe.find('\\'), std::string::npos) << exe;
    EXPECT_EQ(exe.substr(exe.size() - 4), ".exe");
    EXPECT_NE(p->userConfigDir(), "");
}

// The lock is a named mutex: a second process of the same session sees it taken.
TEST(WindowsInstanceLock, ASecondProcessFindsTheMutexHeld) {
    auto p = platform();
    const std::string name = "KELVO_TEST_" + std::to_string(GetCurrentProcessId());
    auto lock = p->createInstanceLock(name);
    EXPECT_FALSE(lock->alreadyExists());
    EXPECT_TRUE(p->createInstanceLock(name)->alreadyExists());

    const auto childSees = [&] {
        std::string command =
            "\"" + p->executablePath() +
            "\" --gtest_filter=WindowsInstanceLock.DISABLED_Child --gtest_also_run_disabled_tests";
        STARTUPINFOA si{};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi{};
        SetEnvironmentVariableA("KELVO_TEST_LOCK", name.c_str());
        if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &si, &pi))
            return DWORD{99};
        WaitForSingleObject(pi.hProcess, 60000);
        DWORD code = 99;
        GetExitCodeProcess(pi.hProcess, &code);
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
        return code;
    };
    EXPECT_EQ(childSees(), 1u) << "the child should find the lock held";
    lock.reset();
    EXPECT_EQ(childSees(), 0u) << "a released lock is free again";
}

// An instance running elevated or as another user of the session made a mutex this one may not
// open: it runs all the same. Where the system opens a mutex whatever its access list says (Wine),
// the lock finds it held by its name instead; either way the mutex counts as a running instance.
TEST(WindowsInstanceLock, AMutexWhoseAccessListDeniesEveryoneIsARunningInstance) {
    const std::string name = "KELVO_TEST_DENIED_" + std::to_string(GetCurrentProcessId());
    SECURITY_DESCRIPTOR denyAll{};
    InitializeSecurityDescriptor(&denyAll, SECURITY_DESCRIPTOR_REVISION);
    ACL emptyAcl{};
    InitializeAcl(&emptyAcl, sizeof(emptyAcl), ACL_REVISION);
    SetSecurityDescriptorDacl(&denyAll, TRUE, &emptyAcl, FALSE);
    SECURITY_ATTRIBUTES sa{sizeof(sa), &denyAll, FALSE};
    const HANDLE other = CreateMutexA(&sa, FALSE, name.c_str());
    ASSERT_NE(other, nullptr);
    EXPECT_TRUE(platform()->createInstanceLock(name)->alreadyExists());
    CloseHandle(other);
}

// Run by the test above in a process of its own: exits 1 when the lock is held elsewhere.
TEST(WindowsInstanceLock, DISABLED_Child) {
    char name[256] = {};
    if (GetEnvironmentVariableA("KELVO_TEST_LOCK", name, sizeof(name)) == 0)
        GTEST_SKIP();
    const bool held = platform()->createInstanceLock(name)->alreadyExists();
    std::fflush(stdout);
    ExitProcess(held ? 1 : 0);
}

TEST(WindowsFiles, ReplaceReadAndListThroughWideCalls) {
    auto p = platform();
    FileSystem& fs = p->fileSystem();
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string dir =
        std::string(temp) + "kelvo-test-" + std::to_string(GetCurrentProcessId()) + "/sub/日本語";
    ASSERT_TRUE(fs.makeDirectories(dir));
    EXPECT_TRUE(p->isDirectoryWritable(dir));
    const std::string path = dir + "/kelvo.ini";
    EXPECT_EQ(fs.readFile(path, 100).status, FileRead::Status::Missing);
    for (const char* text : {"[SYSTEM]\r\nXPos=1\r\n", "[SYSTEM]\r\nXPos=2\r\n"}) {
        auto f = fs.createNew(path + ".new");
        ASSERT_TRUE(f);
        EXPECT_TRUE(f->writeAll(text));
        EXPECT_TRUE(f->sync());
        EXPECT_TRUE(f->close());
        EXPECT_TRUE(fs.rename(path + ".new", path));
        const FileRead read = fs.readFile(path, 100);
        EXPECT_EQ(read.status, FileRead::Status::Ok);
        EXPECT_EQ(read.bytes, text);
    }
    EXPECT_FALSE(fs.createNew(path)) << "an existing file is never opened for a new one";
    EXPECT_EQ(fs.readFile(path, 5).status, FileRead::Status::TooLarge);
    EXPECT_EQ(fs.listDirectory(dir), std::vector<std::string>{"kelvo.ini"});
    EXPECT_EQ(fs.permissions(path), 0644u);
    EXPECT_TRUE(fs.remove(path));
    EXPECT_FALSE(fs.permissions(path));
    EXPECT_EQ(fs.readFile("NUL", 100).status, FileRead::Status::Failed) << "a device is no file";
}

// Into a file or a pipe the text goes in a code page, as the system's own tools write there, with
// the system's line ends; what the code page lacks becomes its default character.
TEST(WindowsConsole, TextInACodePage) {
    struct Case {
        unsigned codePage;
        std::string bytes;
    };
    const Case cases[] = {
        {932, "\x95\xa8\x97\x9d\t\x8b\xf3\x82\xab\r\nx\r\n"},
        {437, "??\t??\r\nx\r\n"},
        {CP_UTF8, "物理\t空き\r\nx\r\n"},
        {99, "物理\t空き\r\nx\r\n"},  // no code page the system can write
    };
    for (const Case& c : cases)
        EXPECT_EQ(textInCodePage(c.codePage, "物理\t空き\nx\n"), c.bytes) << c.codePage;
}

// A pipe gets the text in the console's output code page, or the ANSI one where there is no
// console (the tests run without one); it is no terminal and takes no escapes.
TEST(WindowsConsole, APipeGetsTheTextInTheOutputCodePage) {
    HANDLE read = nullptr;
    HANDLE write = nullptr;
    ASSERT_TRUE(CreatePipe(&read, &write, nullptr, 1 << 16));
    const HANDLE saved = GetStdHandle(STD_OUTPUT_HANDLE);
    SetStdHandle(STD_OUTPUT_HANDLE, write);
    auto p = platform();
    p->writeText(StandardStream::Output, "物理\t空き\nx\n");
    const bool terminal = p->standardOutputIsTerminal();
    const bool escapes = p->enableTerminalEscapes();
    SetStdHandle(STD_OUTPUT_HANDLE, saved);
    CloseHandle(write);
    std::string bytes(64, '\0');
    DWORD n = 0;
    ReadFile(read, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
    CloseHandle(read);
    bytes.resize(n);
    const UINT console = GetConsoleOutputCP();
    EXPECT_EQ(bytes, textInCodePage(console ? console : GetACP(), "物理\t空き\nx\n"));
    EXPECT_FALSE(terminal);
    EXPECT_FALSE(escapes);
}

// The Run key's values under a name of the test's own, and the mark with which Task Manager
// switches an entry off in place.
TEST(WindowsLogIn, TheRunValueIsWrittenReadSwitchedOffAndRemoved) {
    const std::string name = "KelvoTest" + std::to_string(GetCurrentProcessId());
    const std::wstring wide(name.begin(), name.end());
    const wchar_t* runKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    const wchar_t* approvedKey =
        L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";
    auto p = platform();
    LogInPrograms* list = p->logInPrograms();
    ASSERT_TRUE(list);
    EXPECT_EQ(list->location(), "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run");
    EXPECT_EQ(list->read(name).state, LogInPrograms::Entry::State::Missing);

    const std::string command = "\"C:\\Programme\\日本語\\kelvo.exe\"";
    ASSERT_TRUE(list->write(name, command));
    LogInPrograms::Entry entry = list->read(name);
    EXPECT_EQ(entry.state, LogInPrograms::Entry::State::On);
    EXPECT_EQ(entry.command, command);
    wchar_t data[128] = {};
    DWORD size = sizeof(data);
    ASSERT_EQ(
        RegGetValueW(HKEY_CURRENT_USER, runKey, wide.c_str(), RRF_RT_REG_SZ, nullptr, data, &size),
        ERROR_SUCCESS);
    EXPECT_EQ(std::wstring(data), L"\"C:\\Programme\\日本語\\kelvo.exe\"");

    const BYTE off[12] = {3};
    ASSERT_EQ(
        RegSetKeyValueW(HKEY_CURRENT_USER, approvedKey, wide.c_str(), REG_BINARY, off, sizeof(off)),
        ERROR_SUCCESS);
    EXPECT_EQ(list->read(name).state, LogInPrograms::Entry::State::SwitchedOff);
    ASSERT_TRUE(list->write(name, command));  // on again: the mark goes
    EXPECT_EQ(list->read(name).state, LogInPrograms::Entry::State::On);

    const DWORD number = 1;
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, runKey, wide.c_str(), REG_DWORD, &number,
                              sizeof(number)),
              ERROR_SUCCESS);
    EXPECT_EQ(list->read(name).state, LogInPrograms::Entry::State::Unreadable);

    EXPECT_TRUE(list->remove(name));
    EXPECT_EQ(list->read(name).state, LogInPrograms::Entry::State::Missing);
    EXPECT_TRUE(list->remove(name)) << "nothing to remove is no failure";
}

}  // namespace
}  // namespace kelvo
