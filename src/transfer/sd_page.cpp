// Placeholder until the SD page is built.
#include "app/page_context.h"

namespace mfd {
QWidget *createSdPage(PageContext &) { return new QWidget; }
} // namespace mfd
