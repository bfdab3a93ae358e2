#pragma once

#include "app/window/MainForm.h"

namespace kelvo {

// The window's own state, for tests that must script it where no user action reaches it: the
// first tick's start-up skipped, a processor figure or a sample put in place.
struct MainFormSeam {
    static bool& FirstTick(TMainForm& f) { return f.FirstTick; }
    static bool& SmallMode(TMainForm& f) { return f.SmallMode; }
    static bool& ModalOpen(TMainForm& f) { return f.ModalOpen; }
    static bool& Cleaning(TMainForm& f) { return f.Cleaning; }
    static bool& StopRequest(TMainForm& f) { return f.StopRequest; }
    static int& CpuUsePer(TMainForm& f) { return f.CpuUsePer; }
    static int64_t& CleanSize(TMainForm& f) { return f.CleanSize; }
    static MEMORYSTATUS& MemStat(TMainForm& f) { return f.MemStat; }
};

}  // namespace kelvo
