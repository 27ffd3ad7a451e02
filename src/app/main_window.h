#pragma once
// The shell's one window: connection panel on the left, the pages in the middle, the disk panel
// on the right, the progress bar and the status bar at the bottom.

#include "app/page_context.h"
#include "session/driver_view.h"
#include "session/session_driver.h"
#include "session/slots.h"

#include <QLabel>
#include <QMainWindow>
#include <QTimer>
#include <functional>

class QButtonGroup;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QTabWidget;

namespace mfd {

class PortChooser;

class TForm3 : public QMainWindow, public DriverView {
    Q_OBJECT
public:
    static constexpr int StatusPanels = 7;

    TForm3(Link &link, Clock &clock, QWidget *parent = nullptr);
    ~TForm3() override;

    SessionDriver &driver() { return driver_; }
    Slots &requests() { return slots_; }
    QTabWidget *pageControl() const { return pages_; }
    PortChooser *portChooser() const { return ports_; }
    QLabel *statusPanel(int n) const { return panels_[n]; }
    QProgressBar *progressBar() const { return progress_; }

    // The general error report; tests put a recorder in its place.
    void setErrorReporter(std::function<void(const QString &)> reporter) { errorReporter_ = std::move(reporter); }

    // Handlers.
    void Button8Click();
    void Button2Click();
    void Visible1Click();
    void portChosen(const QString &path);

    // DriverView
    void setStatusText(int panel, const QString &text) override;
    void setStatusToolTip(int panel, const QString &text) override;
    void setStatusPictureVisible(bool visible) override;
    void showPageControl() override;
    int pageCount() const override;
    int pageTag(int index) const override;
    void setPageEnabled(int index, bool enabled) override;
    void setEditText(const QString &name, const QString &text) override;
    void setEditColor(const QString &name, const QColor &color) override;
    void setControlEnabled(const QString &name, bool enabled) override;
    int linkType() const override;
    void processEvents(bool wait, int maxWaitMs) override;
    void reportError(const QString &text) override;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    QWidget *buildConnectionPanel();
    QWidget *buildDiskPanel();
    QWidget *buildStatusBar();
    void buildPages();

    Link &link_;
    Slots slots_;
    SessionDriver driver_;
    PageContext ctx_;
    PortChooser *ports_ = nullptr;
    QLabel *picture_ = nullptr;
    QButtonGroup *linkTypes_ = nullptr;
    QTabWidget *pages_ = nullptr;
    QProgressBar *progress_ = nullptr;
    QLabel *panels_[StatusPanels] = {};
    QMenu *popup_ = nullptr;
    QTimer pollTimer_;
    bool closePending_ = false;
    std::function<void(const QString &)> errorReporter_;
};

// The chip shown while a session runs.
QPixmap chipPicture();
// Window title, as the unit's users know it.
QString windowTitleText();

} // namespace mfd
