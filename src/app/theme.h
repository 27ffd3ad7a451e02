#pragma once
// The shell's dark look: Qt's Fusion style with a dark slate palette.

#include <QApplication>

namespace mfd {
// False when the style cannot be had; the window then keeps the default look.
bool applyDarkTheme(QApplication &app);
} // namespace mfd
