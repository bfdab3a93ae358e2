#include "components/imageadv/SurfaceForm.h"

#include <QPainter>
#include <QResizeEvent>

#include "raster/QtImage.h"

namespace kelvo {

TSurfaceForm::TSurfaceForm(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

// A hidden window gets no resize events; the surface catches up when it is asked for.
raster::Bitmap& TSurfaceForm::surface() {
    if (surface_.width() != width() || surface_.height() != height())
        resizeSurface(width(), height());
    return surface_;
}

// A window larger than a bitmap can be gets no surface: drawing on it then does nothing.
void TSurfaceForm::resizeSurface(int w, int h) {
    if (!surface_.setSize(w, h))
        surface_ = raster::Bitmap();
}

void TSurfaceForm::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    p.drawImage(event->rect().topLeft(), raster::qt::toQImage(surface()), event->rect());
}

void TSurfaceForm::resizeEvent(QResizeEvent* event) {
    resizeSurface(event->size().width(), event->size().height());
    QWidget::resizeEvent(event);
}

}  // namespace kelvo
