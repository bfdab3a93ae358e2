#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <span>

#include "raster/QtImage.h"
#include "raster/codec/Bmp.h"

#include "fuzz/components/ApiInputs.h"
#include "fuzz/imageadv/FuzzInputs.h"
#include "fuzz/platform/PlatformInputs.h"
#include "fuzz/profile/ProfileInputs.h"
#include "profile/ProfileFile.h"

namespace kelvo {
namespace {

namespace fs = std::filesystem;

fs::path seeds() {
    return fs::path(KELVO_SOURCE_DIR) / "fuzz" / "corpus";
}

std::vector<uint8_t> contents(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Calls `each` with the name and bytes of every file of one corpus folder, under `root`.
template <class Each>
void forEachInput(const fs::path& root, const std::string& name, Each&& each) {
    const fs::path dir = root / name;
    ASSERT_TRUE(fs::is_directory(dir)) << dir;
    int files = 0;
    for (const auto& entry : fs::directory_iterator(dir)) {
        SCOPED_TRACE(entry.path().string());
        each(entry.path().filename().string(), contents(entry.path()));
        ++files;
    }
    EXPECT_GT(files, 0);
}

// Every seed and every finding the fuzzers ever had, run through the same entry points as the
// fuzz target of the same name (fuzz_<name>).
// KELVO_FUZZ_CORPUS names another root, e.g. the inputs a long run kept (FUZZ_KEEP), to replay
// them under valgrind.
void replay(const std::string& name, void (*run)(const uint8_t*, size_t)) {
    const char* other = std::getenv("KELVO_FUZZ_CORPUS");
    forEachInput(other ? fs::path(other) : seeds(), name,
                 [run](const std::string&, const std::vector<uint8_t>& data) {
                     run(data.data(), data.size());
                 });
}

// Seeds are there to lead the fuzzers into the decoders: all but the refused-* ones decode.
TEST(FuzzCorpus, SeedsReachTheDecoders) {
    auto bmp = [](const std::string& name, std::span<const uint8_t> data) {
        raster::Bitmap b;
        std::string error;
        EXPECT_EQ(raster::readBmp(data, b, error), name.rfind("refused-", 0) != 0) << error;
    };
    forEachInput(seeds(), "bmp", bmp);
    forEachInput(seeds(), "grpfile",
                 [&](const std::string& name, const std::vector<uint8_t>& data) {
                     bmp(name, std::span(data).subspan(9));
                 });
    QTemporaryDir dir;
    forEachInput(
        seeds(), "qtpicture", [&](const std::string& name, const std::vector<uint8_t>& data) {
            const std::string path = dir.filePath("p.img").toStdString();
            std::ofstream(path, std::ios::binary | std::ios::trunc)
                .write(reinterpret_cast<const char*>(data.data() + 8),
                       std::streamsize(data.size() - 8));
            raster::Bitmap b;
            std::string error;
            EXPECT_EQ(raster::qt::readImageFile(path, b, error), name.rfind("fault-", 0) != 0)
                << error;
        });
}

TEST(FuzzCorpus, BmpReader) {
    replay("bmp", fuzz::runBmp);
}
TEST(FuzzCorpus, PictureFileReader) {
    replay("grpfile", fuzz::runGrpFile);
}
TEST(FuzzCorpus, QtPictureReader) {
    replay("qtpicture", fuzz::runQtPicture);
}
TEST(FuzzCorpus, TextFileReader) {
    replay("txtfile", fuzz::runTxtFile);
}
TEST(FuzzCorpus, ComponentOperations) {
    replay("api", fuzz::runApi);
}
TEST(FuzzCorpus, SettingsFile) {
    replay("profile", fuzz::runProfile);
    // Too large for a seed: a file over the size the settings reader takes, left as it is.
    const std::vector<uint8_t> large(size_t(kMaxProfileBytes) + 1, 'x');
    fuzz::runProfile(large.data(), large.size());
}
TEST(FuzzCorpus, Meminfo) {
    replay("meminfo", fuzz::runMeminfo);
}
TEST(FuzzCorpus, ProcStat) {
    replay("procstat", fuzz::runProcStat);
}
TEST(FuzzCorpus, Cgroup) {
    replay("cgroup", fuzz::runCgroup);
}

}  // namespace
}  // namespace kelvo
