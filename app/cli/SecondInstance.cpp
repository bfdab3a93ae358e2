#include "app/cli/SecondInstance.h"

#include <QMessageBox>

#include "platform/Platform.h"

namespace kelvo {

bool refuseSecondInstance(const InstanceLock& lock) {
    if (!lock.alreadyExists())
        return false;
    QMessageBox::information(nullptr, QStringLiteral("Kelvo"),
                             QStringLiteral("プログラムの二重起動はできません。"));
    return true;
}

}  // namespace kelvo
