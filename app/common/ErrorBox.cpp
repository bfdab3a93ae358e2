#include "app/common/ErrorBox.h"

#include <QApplication>
#include <QMessageBox>

namespace kelvo {

void ShowError(const QString& message, QWidget* parent) {
    QMessageBox box(QMessageBox::Critical, QApplication::applicationName(), message,
                    QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("ErrorBox"));
    box.exec();
}

}  // namespace kelvo
