#pragma once

#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "components/TextCodePage.h"
#include "raster/Bitmap.h"
#include "raster/Canvas.h"
#include "raster/Font.h"
#include "raster/codec/Bmp.h"

namespace kelvo {

class TSurfaceForm;

// Image control for picture-and-text scenes. Image 0 is the visible picture, images 1 to 4
// off-screen bitmaps (BkBmp), all meant to have the control's size. Copies, row back-ups and
// scrambled file readers; palette and colour effects; scene text and choice menus.
//
// Images are named by number. A number outside 0..4 does nothing (false where there is a
// result); the copy operations that draw on a canvas also take a negative number for the canvas
// of the parent window, which must be a TSurfaceForm (otherwise they do nothing too). Palette
// ranges (first, last) cover first..last-1; one reaching outside 0..256 does nothing, except for
// brightness on true-colour images, which have no palette range. Rows of every format are
// backed up and descrambled (1 and 4-bit rows within their stored bytes); only rows of 8,
// 15/16, 24 and 32-bit images are scaled by brightness. Text ends at its first NUL; its bytes
// are read by the code page chosen with setCodePage (Shift-JIS unless the owner names another,
// UTF-8 after a byte-order mark). The menus use the widget's font.
//
// The control paints its picture without clearing under it (the erase-background rule), and
// repaints whenever an operation may have changed image 0 (the parent when it drew on it).
class TImageAdv : public QWidget {
    Q_OBJECT

  public:
    // Text files larger than this are refused like unreadable ones.
    static constexpr int64_t kMaxTextFileBytes = int64_t(16) << 20;

    explicit TImageAdv(QWidget* parent = nullptr);
    ~TImageAdv() override;

    // --- Images, copies and data files ---

    // Image dst becomes a whole copy of image src (size, format, palette, pixels). Both 0..4.
    bool BmpBkCopy(int dst, int src);
    // Draws image src (0..4) with SRCCOPY onto image dst's canvas (or the parent's) at (x, y).
    bool BmpBkCopy(int dst, int src, int x, int y);
    // Copies srcRect of src's canvas to destRect of dst's canvas, scaling when the sizes differ;
    // mode 0 SRCCOPY, 1 SRCPAINT, 2 MERGEPAINT, 3 MERGECOPY (source AND the destination canvas's
    // brush), others keep the destination canvas's copy mode. The mode stays set on the canvas.
    // Null rectangles do nothing.
    bool BmpBkCopy2(int dst, int src, const TRect* destRect, const TRect* srcRect, int mode);
    // The bitmap of image n (0..4), still owned by the control; null for other numbers.
    raster::Bitmap* BmpBkGet(int n);
    // Saves image n's pixel rows into RowBackUp, replacing an earlier back-up (1 and 4-bit rows
    // as their packed bytes; an empty image leaves no rows).
    void DataBackUp(int n);
    // Writes RowBackUp back into image n; with release, frees it afterwards. Rows and bytes that
    // the image does not have are skipped.
    void DataRestore(int n, bool release);
    // Loads a picture into image n: image 0 takes any format Qt reads (BMP files keep their
    // format and palette), images 1 to 4 BMP files. With a key other than 0, row r's first W
    // bytes are descrambled with seed key + r (W is the control's width for image 0, the
    // picture's own for the others). False, with image n unchanged, when the file cannot be read
    // or holds a picture over the limits; lastReadError() then says why.
    bool GrpFileRead(const std::string& fileName, int key, int n);
    const std::string& lastReadError() const { return lastReadError_; }
    // Decoded pixel bytes a picture file may need, at most (and by default) 256 MiB.
    void setPictureByteLimit(int64_t bytes) { pictureByteLimit_ = bytes; }
    // Reads a whole file, descrambles it with seed key (also key 0) and keeps the text up to its
    // first zero byte in TxtData. A missing, unreadable or over-large file shows a message and
    // gives the marker "0".
    std::string TxtFileRead(const std::string& fileName, int key);
    // Answers the erase-background request as handled without erasing.
    int WMEraseBkGnd() { return 1; }

    // --- Palette and colour effects ---

    void PaletteBackUp(int n);
    // Flags of image 0's entries first..last-1: type 0 PC_RESERVED, 1 PC_NOCOLLAPSE,
    // 2 PC_EXPLICIT, others unchanged.
    bool PalFlgSet(int first, int last, int type);
    // Brightness. 8-bit: entries first..last-1 change by percent (positive brightens, clipped
    // at 255; a percent below -100 clips at 0). 15/16/24/32-bit: every byte c becomes
    // c - c * percent / 100, so a positive percent darkens; a negative one brightens and
    // saturates at 255. Row back-up first in both cases.
    bool RGBChg(int n, int percent, int first, int last, bool backup);
    bool RGBRestore(int n);
    // Contrast push on the PC_RESERVED entries first..last-1; amount is taken inside 0..255.
    bool ContrastChg(int n, int first, int last, int amount, bool backup);
    bool ContrastRestore(int n);
    void WhitePalSet(int n);
    // Target entries 128..175 := overlay entries 0..47. The overlay's own palette is left as it
    // is. Both must be 8-bit.
    void MargePalette(raster::Bitmap* overlay, raster::Bitmap* target);
    // Composes the 8-bit overlay into the rows of RowBackUp at (x, y) (index key transparent,
    // index k shown as 128 + k) and writes them to image n. Nothing happens unless the overlay
    // lies horizontally inside image n and RowBackUp holds rows of image n's size.
    bool MargeRestore(int x, int y, int key, raster::Bitmap* overlay, int n, bool release);
    bool BmpBkMarge(int n, int x, int y, int src, int key);

    // --- Scene text and choice menus ---

    // One white line at (x, y) on image n (0..4); the caller's font is left white.
    void NovelTextOut(int n, int x, int y, const std::string& text, raster::Font* font);
    // Text in rect with an optional black shadow one pixel right and down; colour 0 is white.
    // All passes expand tabs, so a tabbed text lines up with its shadow.
    void NovelDrawText(raster::Canvas* canvas, const TRect* rect, const std::string& text,
                       const raster::Font* font, bool shadow, raster::Color color);
    // The same composed into a bitmap of any format through WorkBmp; the shadow lies two pixels
    // right and down. Pixels outside text and shadow keep their values, on indexed targets too.
    void NovelDrawText(raster::Bitmap* target, const TRect* rect, const std::string& text,
                       const raster::Font* font, bool shadow, raster::Color color);
    // A question and two to four answers ("0" marks an absent c3/c4) on image 0. Highlight bit
    // k-1 draws answer k in color, bit 64 leaves the others out. The shadow applies to all. A
    // control too large for a picture draws nothing (the same for NovelOption).
    void NovelSelect(const std::string& title, const std::string& c1, const std::string& c2,
                     const std::string& c3, const std::string& c4, bool shadow, int highlight,
                     raster::Color color);
    int NovelSelHitRect(int count, int x, int y) const;
    void NovelOption(const std::string& o1, const std::string& o2, const std::string& o3,
                     const std::string& o4, const std::string& o5, const std::string& o6,
                     bool shadow, int highlight, raster::Color color);
    int NovelOptHitRect(int count, int x, int y) const;

    // The widget's font (setFont, style sheets) as the text operations take it.
    raster::Font textFont() const { return rasterFont(*this); }
    // How text bytes are read: a Windows code page number (932, Shift-JIS, by default) or
    // TextCodePage::kAutomatic; false, keeping the current one, for one that is not available.
    bool setCodePage(int codePage) { return codePage_.setCodePage(codePage); }
    int codePage() const { return codePage_.codePage(); }
    // Replaces the modal message box, e.g. in tests.
    using MessageBox = std::function<void(const std::string& text, const std::string& caption)>;
    void setMessageBox(MessageBox box) { messageBox_ = std::move(box); }

    // The control's data, in the order the operations describe it.
    std::optional<std::vector<std::vector<uint8_t>>> RowBackUp;
    std::string TxtData = "0";
    std::string TxtDataOld = "0";
    bool PalBackUpFlg = false;
    std::array<raster::PaletteEntry, 256> PalBackUp{};
    std::array<std::unique_ptr<raster::Bitmap>, 4> BkBmp;
    raster::Bitmap WorkBmp;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    // DataBackUp that hands each row to `after` once it is saved.
    void DataBackUp(int n, const std::function<void(uint8_t*, size_t)>& after);
    raster::Bitmap* image(int n);
    // The bitmap whose canvas an operation draws on: the parent's surface for a negative
    // number, image 0 made control-sized when empty.
    raster::Bitmap* canvasImage(int n, bool allowParent);
    void changed(int n);
    void drawChoice(const TRect& r, const std::string& text, int k, bool shadow, int highlight,
                    raster::Color color);

    raster::Bitmap picture_;
    TextCodePage codePage_;
    MessageBox messageBox_;
    std::string lastReadError_;
    int64_t pictureByteLimit_ = raster::kBmpMaxPixelBytes;
};

// Bytes of one pixel row the row operations work on: width times 1, 2, 3 or 4; 0 for 1 and
// 4-bit images.
int rowLength(const raster::Bitmap& bmp);
// Bytes of one row that DataBackUp saves: rowLength, or the packed bytes of 1 and 4-bit rows.
int backUpRowLength(const raster::Bitmap& bmp);

}  // namespace kelvo
