#pragma once

#include <QString>
#include <string>
#include <string_view>

class QWidget;

namespace kelvo::raster {
struct Font;
}

namespace kelvo {

// How a component reads the 8-bit strings it is given. Scene texts and data files are
// Shift-JIS (code page 932) unless the owner names another code page (a Windows number: 1252,
// 65001 for UTF-8, ...) that the toolkit's converters or the system's know. Text that begins with the UTF-8
// byte-order mark is UTF-8 whatever the code page: the file says so itself. Automatic (0), on
// request only, takes valid UTF-8 as UTF-8 and anything else as code page 932; short Shift-JIS
// texts can be valid UTF-8, so it may misread them.
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
    int codePage_ = kShiftJis;
};

// The converter name for a Windows code page number, empty when none is available.
QByteArray codePageConverter(int codePage);

// A widget's font as the raster layer's, its colour the palette's window text.
raster::Font rasterFont(const QWidget& widget);

}  // namespace kelvo
