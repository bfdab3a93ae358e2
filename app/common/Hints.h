#pragma once

#include <QString>

class QWidget;

namespace kelvo {

// A control's hint is its tool tip. Switching the hint off keeps its text, so that switching it
// on again brings the same text back.
void setShowHint(QWidget* control, bool show);
bool showsHint(const QWidget* control);
// The hint's text, whether shown or not.
QString hintOf(const QWidget* control);

}  // namespace kelvo
