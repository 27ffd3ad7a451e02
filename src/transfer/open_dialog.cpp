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

std::optional<QString> pickFile(QWidget *window, const QString &proposedName)
{
    QFileDialog *dialog = sharedOpenDialog(window);
    dialog->setDefaultSuffix(proposedName);
    dialog->selectFile(proposedName);
    if (dialog->exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList files = dialog->selectedFiles();
    if (files.isEmpty())
        return std::nullopt;
    return QDir::toNativeSeparators(files.first());
}

} // namespace mfd
