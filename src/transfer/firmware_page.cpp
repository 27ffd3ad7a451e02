#include "transfer/firmware_page.h"

#include "app/page_context.h"
#include "session/slots.h"
#include "session/states.h"
#include "transfer/open_dialog.h"
#include "widgets/designer.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>

namespace mfd {

namespace {
struct FirmwareRow {
    const char *field;
    const char *picker;
    const char *send;
    const char *defaultName;
    std::uint8_t target;
    bool enabled;
};
constexpr FirmwareRow Rows[4] = {
    {"Edit1", "BitBtn1", "BitBtn2", "os.pr", 0xA4, true},
    {"Edit2", "BitBtn3", "BitBtn4", "firmware.rs", 0xA6, true},
    {"Edit3", "BitBtn5", "BitBtn6", "firmware.bk", 0xA7, true},
    {"Edit4", "BitBtn7", "BitBtn8", "firmware.pr", 0xA5, false},
};
} // namespace

FirmwarePage::FirmwarePage(Slots &rq, QWidget *window, QWidget *parent) : QWidget(parent), rq_(rq), window_(window)
{
    using Click = void (FirmwarePage::*)();
    const Click pickers[4] = {&FirmwarePage::BitBtn1Click, &FirmwarePage::BitBtn3Click, &FirmwarePage::BitBtn5Click,
                              &FirmwarePage::BitBtn7Click};
    const Click sends[4] = {&FirmwarePage::BitBtn2Click, &FirmwarePage::BitBtn4Click, &FirmwarePage::BitBtn6Click,
                            &FirmwarePage::BitBtn8Click};

    auto *grid = new QGridLayout(this);
    for (int i = 0; i < 4; ++i) {
        const FirmwareRow &r = Rows[i];
        Row &row = rows_[i];
        // The rows carry no labels; the file each one proposes names it for screen readers.
        row.field = designate(new QLineEdit(QStringLiteral("Select file....")), r.field,
                              QString::fromLatin1(r.defaultName));
        row.picker = designate(new QPushButton(QStringLiteral("...")), r.picker, QStringLiteral("..."));
        row.picker->setFixedWidth(30);
        row.send = designate(new QPushButton(QStringLiteral("Send")), r.send, QStringLiteral("Send"));
        row.send->setEnabled(false);
        if (!r.enabled) {
            row.field->setEnabled(false);
            row.picker->setEnabled(false);
        }
        grid->addWidget(row.field, i, 0);
        grid->addWidget(row.picker, i, 1);
        grid->addWidget(row.send, i, 2);
        connect(row.picker, &QPushButton::clicked, this, pickers[i]);
        connect(row.send, &QPushButton::clicked, this, sends[i]);
    }
    grid->setColumnStretch(0, 1);
    grid->setRowStretch(4, 1);
}

void FirmwarePage::pick(int i)
{
    const QString name = QString::fromLatin1(Rows[i].defaultName);
    QFileDialog *od2 = sharedOpenDialog(window_);
    od2->selectFile(name);
    // The whole default name is the suffix added to a typed name that has none.
    od2->setDefaultSuffix(name);
    if (od2->exec() == QDialog::Accepted && !od2->selectedFiles().isEmpty())
        rows_[i].field->setText(od2->selectedFiles().constFirst());
    rows_[i].send->setEnabled(QFileInfo(rows_[i].field->text()).isFile());
}

void FirmwarePage::send(int i)
{
    rq_.SessionState = state::FirmwareSend;
    rq_.ReqFileName = rows_[i].field->text();
    FirmwareTarget = Rows[i].target;
}

QWidget *createFirmwarePage(PageContext &ctx) { return new FirmwarePage(ctx.requests, ctx.window); }

} // namespace mfd
