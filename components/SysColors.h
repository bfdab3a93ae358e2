#pragma once

#include <QColor>

namespace kelvo {

// The classic desktop's system colours. Fixed rather than taken from the running style, so the
// window looks as designed and pictures can be compared pixel by pixel.
namespace syscolor {
inline const QColor clBtnFace{192, 192, 192};
inline const QColor clBtnText{0, 0, 0};
inline const QColor clBtnHighlight{255, 255, 255};
inline const QColor clBtnShadow{128, 128, 128};
inline const QColor clWindow{255, 255, 255};
}  // namespace syscolor

}  // namespace kelvo
