#pragma once

#include <QString>

#include "app/CleanEngine.h"

namespace kelvo {

// What a clean did, told in figures: a one-line title and a few lines of body. Figures are
// megabytes with one decimal and a full stop, whatever the locale.
struct CleanNotice {
    QString title;
    QString body;
};

// A clean that ran (finished or stopped): available and free physical memory and swap in use,
// before and after, and the time it took; said plainly when it freed nothing. A refused clean:
// what the machine could spare against what was asked.
CleanNotice describeClean(const CleanResult& result);

// True when the clean left no more memory free than it found and put nothing in swap.
bool freedNothing(const CleanResult& result);

}  // namespace kelvo
