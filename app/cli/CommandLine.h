#pragma once

#include <QString>
#include <QStringList>

namespace kelvo {

// True when the first parameter (after the program name) is "/exec" or "-exec" in any case.
// Later parameters are never looked at.
bool executeOptionIn(const QStringList& arguments);

// What the first parameter asks for. A first parameter of two dashes that is neither one of
// ours nor one of the toolkit's is Unknown: the usage, and no start. Anything else starts the
// program as usual.
enum class CommandLineAction { Run, Help, Version, Status, Clean, Unknown };
CommandLineAction commandLineAction(const QStringList& arguments);

// The text `kelvo --help` prints.
QString helpText();

}  // namespace kelvo
