// Placeholder pages until the SD and firmware pages are built.
#include "app/page_context.h"

namespace mfd {
QWidget *createSdPage(PageContext &) { return new QWidget; }
QWidget *createFirmwarePage(PageContext &) { return new QWidget; }
} // namespace mfd
