#pragma once

#include <QWidget>

#include "raster/Bitmap.h"

namespace kelvo {

// A window with a drawing surface of its own that its paint shows: the parent window whose
// canvas a TImageAdv's copy operations reach with a negative image number. The surface follows
// the window's size, keeping its top-left pixels.
class TSurfaceForm : public QWidget {
    Q_OBJECT

  public:
    explicit TSurfaceForm(QWidget* parent = nullptr);
    raster::Bitmap& surface();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void resizeSurface(int w, int h);

    raster::Bitmap surface_;
};

}  // namespace kelvo
