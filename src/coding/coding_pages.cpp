// Placeholder pages until the coding pages are built.
#include "app/page_context.h"

namespace mfd {
QWidget *createConfigPage(PageContext &) { return new QWidget; }
QWidget *createGammaPages(PageContext &) { return new QWidget; }
QWidget *createExtraCodingPage(PageContext &) { return new QWidget; }
QWidget *createTransmissionPage(PageContext &) { return new QWidget; }
} // namespace mfd
