#include "app/CommandLine.h"

namespace kelvo {

bool executeOptionIn(const QStringList& arguments) {
    if (arguments.size() < 2)
        return false;
    const QString first = arguments.at(1).toLower();
    return first == QLatin1String("/exec") || first == QLatin1String("-exec");
}

}  // namespace kelvo
