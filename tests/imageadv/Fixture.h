#pragma once

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <memory>
#include <string>
#include <vector>

#include "components/imageadv/ImageAdv.h"
#include "components/imageadv/SurfaceForm.h"
#include "raster/codec/Bmp.h"

namespace kelvo::testing {

// A 640 x 480 control on a surface form, message boxes recorded instead of shown.
class ImageAdvTest : public ::testing::Test {
  protected:
    ImageAdvTest() {
        form.resize(640, 480);
        adv = new TImageAdv(&form);
        adv->resize(640, 480);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(16);
        adv->setFont(font);
        adv->setMessageBox([this](const std::string& text, const std::string& caption) {
            messages.push_back(caption + ": " + text);
        });
    }

    std::string path(const std::string& name) const {
        return dir.filePath(name.c_str()).toStdString();
    }

    // By the toolkit, which takes any UTF-8 name on every system.
    void writeFile(const std::string& name, const std::vector<uint8_t>& bytes) const {
        QFile file(QString::fromStdString(path(name)));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << name;
        file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
    }

    // An 8-bit bitmap of the control's size whose palette entry i is (i, 255 - i, i / 2).
    static raster::Bitmap palettePicture(int w = 640, int h = 480) {
        raster::Bitmap b;
        EXPECT_TRUE(b.reset(w, h, raster::PixelFormat::Pf8));
        raster::Palette pal(256);
        for (int i = 0; i < 256; ++i)
            pal[size_t(i)] = {uint8_t(i), uint8_t(255 - i), uint8_t(i / 2), 0};
        b.setPalette(pal);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                b.setPixelValue(x, y, uint32_t((x + y) & 0xFF));
        return b;
    }

    QTemporaryDir dir;
    TSurfaceForm form;
    TImageAdv* adv = nullptr;
    std::vector<std::string> messages;
};

}  // namespace kelvo::testing
