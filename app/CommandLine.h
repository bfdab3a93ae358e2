#pragma once

#include <QString>
#include <QStringList>

namespace kelvo {

// True when the first parameter (after the program name) is "/exec" or "-exec" in any case.
// Later parameters are never looked at.
bool executeOptionIn(const QStringList& arguments);

// What the first parameter asks for. Anything not listed here starts the program as usual.
enum class CommandLineAction { Run, Help, Version, Status, Clean };
CommandLineAction commandLineAction(const QStringList& arguments);

// The text `kelvo --help` prints.
QString helpText();

}  // namespace kelvo
