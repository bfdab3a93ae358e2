#pragma once

#include <QString>

#include "profile/ProfileFile.h"

namespace kelvo {

// True when the file holds what was saved. A folder that could not be synced still has the new
// file in it.
bool savedToFile(SaveResult result);

// What the user is told when the settings confirmed with OK could not be written to `path`.
QString settingsNotSavedMessage(SaveResult result, const QString& path);

}  // namespace kelvo
