#pragma once
// The one open-file dialog the image and firmware pickers share, so it remembers its folder.

class QFileDialog;
class QWidget;

namespace mfd {
// Created on first use as a child of window, named "OD2".
QFileDialog *sharedOpenDialog(QWidget *window);
} // namespace mfd
