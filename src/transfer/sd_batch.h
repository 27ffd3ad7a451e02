#pragma once
// The SD folder upload, states 30 to 47: every file of the file list, one after the other, as a
// start frame with the unit-side path, data frames of at most 250 bytes each acknowledged with
// its checksum, and an end frame.

#include "transfer/transfer_steps.h"

namespace mfd {

// What the steps read from the SD page when they run.
struct SdPageSource {
    std::function<QStringList()> fileNames;  // the file list's names, in the list's order
    std::function<QString()> currentFolder;  // the PC folder the folder chooser shows
};

// Status panel 1 after the last file of a batch.
QString sdBatchOutcome(int failed, int total);

void registerSdSteps(SessionDriver &driver, SdPageSource source, ProgressFn progress);

} // namespace mfd
