#pragma once

#include <QString>
#include <string>
#include <string_view>

class QWidget;

namespace kelvo::raster {
struct Font;
}

namespace kelvo {

// How a component reads the 8-bit strings it is given: older scene texts are Shift-JIS, newer
// ones UTF-8. Automatic (0) takes valid UTF-8 as UTF-8 and anything
// else as code page 932; an owner may name one code page (a Windows number: 932, 1252, 65001
// for UTF-8, ...) that the toolkit's converters know.
class TextCodePage {
  public:
    static constexpr int kAutomatic = 0;
    static constexpr int kShiftJis = 932;
    static constexpr int kUtf8 = 65001;

    int codePage() const { return codePage_; }
    // False, keeping the current choice, for a code page the converters do not know.
    bool setCodePage(int codePage);

    QString decode(std::string_view bytes) const;
    // The decoded text as UTF-8, which the raster layer draws.
    std::string toUtf8(std::string_view bytes) const;

  private:
    int codePage_ = kAutomatic;
};

// The converter name for a Windows code page number, empty when none is available.
QByteArray codePageConverter(int codePage);

// A widget's font as the raster layer's, its colour the palette's window text.
raster::Font rasterFont(const QWidget& widget);

}  // namespace kelvo
