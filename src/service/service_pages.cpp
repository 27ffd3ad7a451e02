// Placeholder pages until the service command pages are built.
#include "app/page_context.h"

#include <QHBoxLayout>

namespace mfd {
QWidget *createScreenSetupPage(PageContext &, QWidget *gamma)
{
    auto *page = new QWidget;
    auto *row = new QHBoxLayout(page);
    row->addStretch(1);
    row->addWidget(gamma, 1);
    return page;
}
QWidget *createKeysPage(PageContext &) { return new QWidget; }
} // namespace mfd
