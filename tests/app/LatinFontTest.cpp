// The window where no Japanese font is installed: fontconfig sees only a Latin face.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QTemporaryDir>
#include <array>

#include "app/window/Fonts.h"
#include "app/window/MainForm.h"
#include "components/novellabel/NovelLbl.h"
#include "platform/fake/FakePlatform.h"
#include "tests/support/MainFormSeam.h"
#include "ui_MainForm.h"

namespace kelvo {
namespace {

constexpr const char* kLatinFolder = "/usr/share/fonts/truetype/dejavu";

TEST(LatinFontOnly, ItIsSaidOnceOnStandardError) {
    EXPECT_FALSE(hasJapaneseFont());
    testing::internal::CaptureStderr();
    installFontFallbacks();
    const std::string told = testing::internal::GetCapturedStderr();
    EXPECT_EQ(told,
              "kelvo: no Japanese font is installed, so the window's texts show as boxes; install "
              "one, such as fonts-ipafont-gothic, fonts-vlgothic or fonts-noto-cjk.\n");
}

// The fallback face draws digits wider than the design's gothic: the figures' font shrinks until
// a five-digit figure fits every column, so that no digit is cut.
TEST(LatinFontOnly, FiveDigitFiguresFitTheirLabels) {
    FakePlatform platform;
    platform.setMemoryMB(99999.9, 99999.9, 0);
    platform.memory.dwTotalPageFile = platform.memory.dwTotalVirtual = platform.memory.dwTotalPhys;
    platform.memory.dwAvailPageFile = platform.memory.dwAvailVirtual = platform.memory.dwAvailPhys;
    TMainForm form(platform);
    MainFormSeam::FirstTick(form) = false;
    form.timMainTimer();
    Ui::TMainForm& u = form.ui();
    const std::array<TNovelLabel*, 9> figures = {
        u.nlblPhysicalFree, u.nlblPhysicalUse, u.nlblPhysicalTotal,
        u.nlblVirtualFree,  u.nlblVirtualUse,  u.nlblVirtualTotal,
        u.nlblPageFree,     u.nlblPageUse,     u.nlblPageTotal};
    EXPECT_EQ(u.nlblPhysicalTotal->Caption(), QStringLiteral("99999.9 MB"));
    EXPECT_EQ(u.nlblPhysicalFree->Caption(), QStringLiteral("99999.9"));
    for (size_t i = 0; i < figures.size(); ++i) {
        TNovelLabel* l = figures[i];
        const QString widest =
            i % 3 == 2 ? QStringLiteral("99999.9 MB") : QStringLiteral("99999.9");
        EXPECT_LE(QFontMetrics(l->font()).horizontalAdvance(widest), l->width())
            << l->objectName().toStdString();
        EXPECT_GE(QFontInfo(l->font()).pixelSize(), 8);
    }
}

}  // namespace
}  // namespace kelvo

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    QTemporaryDir dir;
    if (!QDir(QString::fromLatin1(kelvo::kLatinFolder)).exists() || !dir.isValid()) {
        std::fprintf(stderr, "no Latin font folder %s\n", kelvo::kLatinFolder);
        return 1;
    }
    // A configuration of our own: the Latin folder and nothing else, and a cache of its own.
    QFile conf(dir.filePath(QStringLiteral("fonts.conf")));
    if (!conf.open(QIODevice::WriteOnly))
        return 1;
    conf.write(QStringLiteral("<?xml version=\"1.0\"?>\n<fontconfig><dir>%1</dir>"
                              "<cachedir>%2</cachedir></fontconfig>\n")
                   .arg(QString::fromLatin1(kelvo::kLatinFolder), dir.filePath("cache"))
                   .toUtf8());
    conf.close();
    qputenv("FONTCONFIG_FILE", conf.fileName().toLocal8Bit());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
