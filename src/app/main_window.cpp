#include "app/main_window.h"
#include "app/port_chooser.h"
#include "widgets/designer.h"

#include <QButtonGroup>
#include <algorithm>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QGuiApplication>
#include <QScreen>
#include <QTabWidget>
#include <QVBoxLayout>

namespace mfd {

QString windowTitleText()
{
    return QStringLiteral("Shell Korvel (Harware version 7.x)  08/10/2018  for Firmware version 7.7.16.xxx"
                          "     [https://mfd-shell.example.org]");
}

QPixmap chipPicture()
{
    QPixmap pm(128, 128);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(190, 190, 190), 4));
    for (int i = 0; i < 6; ++i) {
        const int at = 24 + i * 16;
        p.drawLine(at, 6, at, 24);
        p.drawLine(at, 104, at, 122);
        p.drawLine(6, at, 24, at);
        p.drawLine(104, at, 122, at);
    }
    p.setPen(QPen(QColor(20, 20, 20), 2));
    p.setBrush(QColor(45, 45, 50));
    p.drawRoundedRect(QRectF(22, 22, 84, 84), 6, 6);
    p.setBrush(QColor(90, 90, 95));
    p.drawEllipse(QPointF(36, 36), 5, 5);
    p.setPen(QColor(200, 200, 200));
    QFont f = p.font();
    f.setPixelSize(16);
    f.setBold(true);
    p.setFont(f);
    p.drawText(QRectF(22, 22, 84, 84), Qt::AlignCenter, QStringLiteral("MFD"));
    return pm;
}

TForm3::TForm3(Link &link, Clock &clock, QWidget *parent)
    : QMainWindow(parent), link_(link), driver_(link, clock, *this, slots_), ctx_{slots_, driver_, *this, this}
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(windowTitleText());
    QFont font(QStringLiteral("Tahoma"), 8);
    font.setStyleHint(QFont::SansSerif);
    setFont(font);
    pollTimer_.setSingleShot(true);
    errorReporter_ = [this](const QString &text) {
        auto *box = new QMessageBox(QMessageBox::Critical, QCoreApplication::applicationName(), text,
                                    QMessageBox::Ok, this);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setModal(false);
        box->show();
    };

    auto *central = new QWidget;
    auto *column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    auto *middle = new QHBoxLayout;
    middle->setSpacing(0);
    middle->addWidget(buildConnectionPanel());
    pages_ = designate(new QTabWidget, "cxPageControl1", QStringLiteral("Pages"));
    middle->addWidget(pages_, 1);
    middle->addStretch(0);
    middle->addWidget(buildDiskPanel());
    column->addLayout(middle, 1);
    progress_ = designate(new QProgressBar, "ProgressBar1", QStringLiteral("Progress"));
    progress_->setFixedHeight(22);
    progress_->setRange(0, 100);
    progress_->setValue(0);
    progress_->setTextVisible(false);
    column->addWidget(progress_);
    column->addWidget(buildStatusBar());
    setCentralWidget(central);

    buildPages();
    // Until the first session opens, the middle of the window stays empty.
    pages_->hide();

    resize(1005, 652);
    if (QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

TForm3::~TForm3() = default;

QWidget *TForm3::buildConnectionPanel()
{
    auto *panel = designate(new QFrame, "Panel1", QStringLiteral("Connection"));
    panel->setFrameStyle(QFrame::Box | QFrame::Plain);
    panel->setFixedWidth(153);
    auto *col = new QVBoxLayout(panel);
    col->setContentsMargins(12, 8, 12, 8);

    ports_ = designate(new PortChooser, "nrDeviceBox1", QStringLiteral("Port"));
    ports_->setFixedWidth(128);
    link_.SetPortName(ports_->chosenPort());
    connect(ports_, &PortChooser::portChosen, this, &TForm3::portChosen);
    col->addWidget(ports_);

    auto *connectButton = designate(new QPushButton(QStringLiteral("Connect")), "Button8", QStringLiteral("Connect"));
    auto *exitButton = designate(new QPushButton(QStringLiteral("Exit")), "Button2", QStringLiteral("Exit"));
    for (QPushButton *b : {connectButton, exitButton}) {
        b->setFixedWidth(128);
        col->addWidget(b);
    }
    connect(connectButton, &QPushButton::clicked, this, &TForm3::Button8Click);
    connect(exitButton, &QPushButton::clicked, this, &TForm3::Button2Click);

    picture_ = designate(new QLabel, "Image1", QStringLiteral("Connected"));
    picture_->setPixmap(chipPicture());
    picture_->setFixedSize(128, 128);
    picture_->hide();
    col->addWidget(picture_);

    auto *group = designate(new QGroupBox, "RadioGroup1", QStringLiteral("Link type"));
    group->setFixedWidth(128);
    auto *radios = new QVBoxLayout(group);
    linkTypes_ = new QButtonGroup(this);
    const char *names[] = {"UART", "Bluetooth", "WiFi"};
    for (int i = 0; i < 3; ++i) {
        auto *radio = new QRadioButton(QString::fromLatin1(names[i]));
        radio->setAccessibleName(radio->text());
        radio->setAccessibleDescription(QStringLiteral("RadioGroup1.Items[%1]").arg(i));
        linkTypes_->addButton(radio, i);
        radios->addWidget(radio);
    }
    linkTypes_->button(0)->setChecked(true);
    col->addWidget(group);
    col->addStretch(1);
    return panel;
}

QWidget *TForm3::buildDiskPanel()
{
    auto *panel = designate(new QFrame, "Panel2", QStringLiteral("Disks"));
    panel->setFixedWidth(139);
    auto *col = new QVBoxLayout(panel);
    col->setContentsMargins(6, 8, 6, 8);
    struct Row {
        const char *caption;
        const char *field;
        int width;
    };
    const Row rows[] = {{"Disk 0:", "Edit6", 35}, {"Disk 1:", "Edit7", 35}, {"Disk 2:", "Edit8", 35},
                        {"Disk 3:", "Edit9", 35}, {"SD:", "Edit10", 45}};
    for (const Row &r : rows) {
        // One label: the name, a backslash, blanks and "Mb"; the size field lies over the blanks.
        const QString name = QString::fromLatin1(r.caption) + QLatin1Char('\\');
        auto *label = new QLabel;
        const int blanks = (r.width + 16) / std::max(1, label->fontMetrics().horizontalAdvance(QLatin1Char(' '))) + 1;
        label->setText(name + QString(blanks, QLatin1Char(' ')) + QStringLiteral("Mb"));
        label->setFixedHeight(24);
        auto *field = designate(new QLineEdit(QStringLiteral("0"), label), r.field, QString::fromLatin1(r.caption));
        field->setReadOnly(true);
        QFont bold = field->font();
        bold.setBold(true);
        field->setFont(bold);
        field->setFixedSize(r.width, 21);
        field->move(label->fontMetrics().horizontalAdvance(name) + 4, 1);
        col->addWidget(label);
    }
    col->addStretch(1);
    return panel;
}

QWidget *TForm3::buildStatusBar()
{
    auto *bar = designate(new QFrame, "StatusBar1", QStringLiteral("Status"));
    bar->setFixedHeight(19);
    auto *row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(2);
    const int widths[StatusPanels] = {100, 400, 80, 50, 50, 50, 50};
    for (int i = 0; i < StatusPanels; ++i) {
        auto *panel = new QLabel;
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setFixedWidth(widths[i]);
        panel->setAccessibleName(QStringLiteral("Status panel %1").arg(i));
        panel->setAccessibleDescription(QStringLiteral("StatusBar1.Panels[%1]").arg(i));
        panels_[i] = panel;
        row->addWidget(panel);
    }
    row->addStretch(1);

    popup_ = designate(new QMenu(this), "PopupMenu1", QStringLiteral("Status bar menu"));
    QAction *visible = popup_->addAction(QStringLiteral("Visible"));
    visible->setObjectName(QStringLiteral("Visible1"));
    connect(visible, &QAction::triggered, this, &TForm3::Visible1Click);
    bar->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(bar, &QWidget::customContextMenuRequested, this,
            [this, bar](const QPoint &at) { popup_->popup(bar->mapToGlobal(at)); });
    return bar;
}

void TForm3::buildPages()
{
    struct PageSpec {
        const char *name;
        const char *caption;
        bool enabled;
        int tag;
        QWidget *page;
    };
    auto *debug = new QWidget;
    auto *debugLayout = new QVBoxLayout(debug);
    auto *update = designate(new QPushButton(QStringLiteral("Shell program Update")), "Button43",
                             QStringLiteral("Shell program Update"));
    update->setFixedWidth(180);
    debugLayout->addWidget(update);
    debugLayout->addStretch(1);

    QWidget *gamma = createGammaPages(ctx_);
    const PageSpec specs[] = {
        {"cxTabSheet3", "Debug", false, 0, debug},
        {"TabSheet1", "Config", true, 0, createConfigPage(ctx_)},
        {"cxTabSheet1", "Screen Setup", true, 0, createScreenSetupPage(ctx_, gamma)},
        {"cxTabSheet5", "Extra Coding", true, 0, createExtraCodingPage(ctx_)},
        {"TabSheet3", "Transmission", true, 0, createTransmissionPage(ctx_)},
        {"cxTabSheet2", "Keys emul", true, 0, createKeysPage(ctx_)},
        {"cxTabSheet4", "ver.7.5 SD File Manager", true, 0, createSdPage(ctx_)},
        {"TabSheet4", "ver.7.6-7.7 Disk Image Loader", true, 0, createImagePage(ctx_)},
        {"TabSheet2", "Firmware load", false, 1, createFirmwarePage(ctx_)},
    };
    for (const PageSpec &p : specs) {
        const QString caption = QString::fromUtf8(p.caption);
        designate(p.page, p.name, caption);
        p.page->setProperty("Tag", p.tag);
        p.page->setEnabled(p.enabled);
        pages_->addTab(p.page, caption);
    }
    pages_->setCurrentIndex(pages_->indexOf(findChild<QWidget *>(QStringLiteral("TabSheet4"))));
}

void TForm3::Button8Click()
{
    driver_.connect();
    if (driver_.running() == 0 && closePending_) {
        closePending_ = false;
        close();
    }
}

void TForm3::Button2Click() { driver_.requestExit(); }

void TForm3::Visible1Click()
{
    pages_->setTabVisible(pages_->indexOf(findChild<QWidget *>(QStringLiteral("TabSheet1"))), true);
}

void TForm3::portChosen(const QString &path)
{
    link_.SetPortName(path);
    if (!link_.Active())
        return;
    // A port chosen during a session is switched to at once; the driver polls on regardless.
    link_.SetActive(false);
    try {
        link_.SetActive(true);
    } catch (const LinkError &e) {
        reportError(QString::fromUtf8(e.what()));
    }
}

void TForm3::closeEvent(QCloseEvent *event)
{
    if (driver_.running() > 0) {
        // The window closes once "Exit" has ended the session.
        closePending_ = true;
        event->ignore();
        return;
    }
    event->accept();
}

void TForm3::setStatusText(int panel, const QString &text) { panels_[panel]->setText(text); }
void TForm3::setStatusToolTip(int panel, const QString &text) { panels_[panel]->setToolTip(text); }
void TForm3::setStatusPictureVisible(bool visible) { picture_->setVisible(visible); }
void TForm3::showPageControl() { pages_->show(); }
int TForm3::pageCount() const { return pages_->count(); }
int TForm3::pageTag(int index) const { return pages_->widget(index)->property("Tag").toInt(); }
void TForm3::setPageEnabled(int index, bool enabled) { pages_->widget(index)->setEnabled(enabled); }

void TForm3::setEditText(const QString &name, const QString &text)
{
    if (auto *edit = findChild<QLineEdit *>(name))
        edit->setText(text);
}

void TForm3::setEditColor(const QString &name, const QColor &color)
{
    if (auto *edit = findChild<QLineEdit *>(name)) {
        QPalette pal = edit->palette();
        pal.setColor(QPalette::Base, color);
        pal.setColor(QPalette::Text, Qt::white);
        edit->setPalette(pal);
    }
}

void TForm3::setControlEnabled(const QString &name, bool enabled)
{
    if (auto *w = findChild<QWidget *>(name))
        w->setEnabled(enabled);
}

int TForm3::linkType() const { return std::max(0, linkTypes_->checkedId()); }

void TForm3::processEvents(bool wait, int maxWaitMs)
{
    if (!wait) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        return;
    }
    if (maxWaitMs > 0)
        pollTimer_.start(maxWaitMs);
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    pollTimer_.stop();
}

void TForm3::reportError(const QString &text) { errorReporter_(text); }

} // namespace mfd
