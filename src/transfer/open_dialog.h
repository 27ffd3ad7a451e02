#pragma once
// The one open-file dialog the image and firmware pickers share, so it remembers its folder.

#include <QString>
#include <optional>

class QFileDialog;
class QWidget;

namespace mfd {
// Created on first use as a child of window, named "OD2".
QFileDialog *sharedOpenDialog(QWidget *window);

// Shows the shared dialog proposing proposedName, which is also the extension added to a typed
// name without one. The full path of the file confirmed, or nothing when cancelled.
std::optional<QString> pickFile(QWidget *window, const QString &proposedName);
} // namespace mfd
