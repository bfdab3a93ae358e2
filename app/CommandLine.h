#pragma once

#include <QStringList>

namespace kelvo {

// True when the first parameter (after the program name) is "/exec" or "-exec" in any case.
// Later parameters are never looked at.
bool executeOptionIn(const QStringList& arguments);

}  // namespace kelvo
