#pragma once

#include <QString>
#include <QStringList>

#include "app/cli/FirstParameter.h"
#include "platform/Platform.h"

namespace kelvo {

// True when the first parameter (after the program name) is "/exec" or "-exec" in any case.
// Later parameters are never looked at.
bool executeOptionIn(const QStringList& arguments);

// What the first parameter asks for (see actionOfFirstParameter).
CommandLineAction commandLineAction(const QStringList& arguments,
                                    SystemFamily system = systemFamily());

// True when the first parameter asks for something that prints and exits; false for a start of
// the window (also with no parameter).
bool printsAndExits(const QStringList& arguments, SystemFamily system = systemFamily());

// The text `kelvo --help` prints on each system.
QString helpText(SystemFamily system = systemFamily());

}  // namespace kelvo
