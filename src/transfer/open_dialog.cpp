#include "transfer/open_dialog.h"

#include <QDir>
#include <QFileDialog>

namespace mfd {

QFileDialog *sharedOpenDialog(QWidget *window)
{
    if (auto *existing = window->findChild<QFileDialog *>(QStringLiteral("OD2")))
        return existing;
    auto *dialog = new QFileDialog(window);
    dialog->setObjectName(QStringLiteral("OD2"));
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setDirectory(QDir::home());
    return dialog;
}

} // namespace mfd
