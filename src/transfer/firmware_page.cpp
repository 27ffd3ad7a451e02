// Placeholder until the firmware page is built.
#include "app/page_context.h"

namespace mfd {
QWidget *createFirmwarePage(PageContext &) { return new QWidget; }
} // namespace mfd
