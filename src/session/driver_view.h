#pragma once
// What the session driver may do to the window, and nothing more, so it runs against a fake in tests.

#include <QColor>
#include <QString>

namespace mfd {

class DriverView {
public:
    virtual ~DriverView() = default;

    virtual void setStatusText(int panel, const QString &text) = 0;
    virtual void setStatusToolTip(int panel, const QString &text) = 0;
    virtual void setStatusPictureVisible(bool visible) = 0;
    virtual void showPageControl() = 0;
    virtual int pageCount() const = 0;
    virtual int pageTag(int index) const = 0;
    virtual void setPageEnabled(int index, bool enabled) = 0;
    // Controls by designer name: edits, buttons, pages.
    virtual void setEditText(const QString &name, const QString &text) = 0;
    virtual void setEditColor(const QString &name, const QColor &color) = 0;
    virtual void setControlEnabled(const QString &name, bool enabled) = 0;
    // 0 "UART", 1 "Bluetooth", 2 "WiFi".
    virtual int linkType() const = 0;
    // Runs the handlers of whatever the user did since the last call. With wait set, first waits
    // until an event arrives (a received byte, a click, a timer), or at most maxWaitMs when that
    // is positive, so an idle driver costs no processor time.
    virtual void processEvents(bool wait = false, int maxWaitMs = 0) = 0;
    // The window's general error report.
    virtual void reportError(const QString &text) = 0;
};

namespace colors {
inline const QColor Red{255, 0, 0};
inline const QColor Green{0, 128, 0};
} // namespace colors

} // namespace mfd
