#pragma once

#include <QString>

#include "app/clean/CleanEngine.h"

namespace kelvo {

// What a clean did, told in figures: a one-line title and a few lines of body. Figures are
// megabytes with one decimal and a full stop, whatever the locale.
struct CleanNotice {
    QString title;
    QString body;
};

// A clean that ran (finished or stopped): available and free physical memory (inside a limiting
// memory group, the group's room instead) and swap in use, before and after, and the time it
// took; a stopped one says at which percentage and how much it zeroed; a finished one says
// plainly why when it freed nothing, and that only the page cache could go where there is no
// swap. A refused clean: what the machine could spare against what was asked.
CleanNotice describeClean(const CleanResult& result);

// A line telling that the stored "Memory" percentage was outside the track bar's range and which
// percentage was used instead; empty when it was in range.
QString memorySettingNote(int32_t stored);

// True when the clean left no more memory free than it found and put nothing in swap.
bool freedNothing(const CleanResult& result);

}  // namespace kelvo
