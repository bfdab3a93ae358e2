#pragma once

#include <QString>

class QWidget;

namespace kelvo {

// The application's one way of telling the user that something failed: a modal message box with
// an OK button and the error's text. The program goes on when it is closed.
void ShowError(const QString& message, QWidget* parent = nullptr);

}  // namespace kelvo
