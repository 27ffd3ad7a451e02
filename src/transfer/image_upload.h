#pragma once
// The flash disk image upload, states 240 to 247: a start frame naming the disk, then the file
// in blocks of exactly 1024 bytes, each acknowledged with its checksum before the next.

#include "transfer/transfer_steps.h"

namespace mfd {

void registerImageSteps(SessionDriver &driver, ProgressFn progress);

} // namespace mfd
