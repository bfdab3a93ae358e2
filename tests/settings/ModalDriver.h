#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <functional>

namespace kelvo::test {

// Runs `action` once on the next modal window that is not `skip`, from inside its event loop.
inline void onNextModal(std::function<void(QWidget*)> action, QWidget* skip = nullptr) {
    auto* timer = new QTimer;
    timer->setInterval(2);
    QObject::connect(timer, &QTimer::timeout, [timer, action = std::move(action), skip] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal == skip || !modal->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        action(modal);
    });
    timer->start();
}

// Closes the next message box with OK and keeps its text in `text`.
inline void acceptNextMessage(QString* text, QWidget* skip = nullptr) {
    onNextModal(
        [text](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            if (!box)
                return;
            *text = box->text();
            box->button(QMessageBox::Ok)->click();
        },
        skip);
}

}  // namespace kelvo::test
