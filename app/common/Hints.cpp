#include "app/common/Hints.h"

#include <QVariant>
#include <QWidget>

namespace kelvo {
namespace {
constexpr char kHintProperty[] = "hint";
}

QString hintOf(const QWidget* control) {
    const QVariant stored = control->property(kHintProperty);
    return stored.isValid() ? stored.toString() : control->toolTip();
}

void setShowHint(QWidget* control, bool show) {
    if (!control->property(kHintProperty).isValid())
        control->setProperty(kHintProperty, control->toolTip());
    control->setToolTip(show ? control->property(kHintProperty).toString() : QString());
}

bool showsHint(const QWidget* control) {
    return !control->toolTip().isEmpty();
}

}  // namespace kelvo
