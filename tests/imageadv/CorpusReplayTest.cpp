#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "fuzz/imageadv/FuzzInputs.h"

namespace kelvo {
namespace {

namespace fs = std::filesystem;

// Every seed and every crash the fuzzers ever found, run through the same entry points.
void replay(const std::string& name, void (*run)(const uint8_t*, size_t)) {
    const fs::path dir = fs::path(KELVO_SOURCE_DIR) / "fuzz" / "corpus" / name;
    ASSERT_TRUE(fs::is_directory(dir)) << dir;
    int files = 0;
    for (const auto& entry : fs::directory_iterator(dir)) {
        std::ifstream in(entry.path(), std::ios::binary);
        const std::vector<uint8_t> data((std::istreambuf_iterator<char>(in)),
                                        std::istreambuf_iterator<char>());
        SCOPED_TRACE(entry.path().string());
        run(data.data(), data.size());
        ++files;
    }
    EXPECT_GT(files, 0);
}

TEST(FuzzCorpus, BmpReader) {
    replay("bmp", fuzz::runBmp);
}
TEST(FuzzCorpus, PictureFileReader) {
    replay("grpfile", fuzz::runGrpFile);
}
TEST(FuzzCorpus, TextFileReader) {
    replay("txtfile", fuzz::runTxtFile);
}

}  // namespace
}  // namespace kelvo
