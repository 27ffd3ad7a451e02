// "ver.7.6-7.7 Disk Image Loader": one row per flash disk, and the service buttons below them.
#include "app/page_context.h"
#include "session/protocol.h"
#include "session/states.h"
#include "transfer/image_upload.h"
#include "transfer/open_dialog.h"
#include "widgets/designer.h"

#include <QFileInfo>

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace mfd {

namespace {
struct ImageRow {
    const char *label;
    const char *field;
    const char *picker;
    const char *send;
    const char *defaultName;
    std::uint8_t disk;
};
// The second row's label has always read "diask1.imz"; its picker proposes "disk1.imz".
constexpr ImageRow Rows[4] = {
    {"sys.imz", "Edit5", "BitBtn10", "BitBtn11", "sys.imz", 0},
    {"diask1.imz", "Edit11", "BitBtn12", "BitBtn13", "disk1.imz", 1},
    {"disk2.imz", "Edit12", "BitBtn14", "BitBtn15", "disk2.imz", 2},
    {"disk3.imz", "Edit13", "BitBtn16", "BitBtn17", "disk3.imz", 3},
};
} // namespace

QWidget *createImagePage(PageContext &ctx)
{
    auto *page = new QWidget;
    auto *outer = new QVBoxLayout(page);
    const QString heading = QStringLiteral("The page for uploading files to the built-in flash MFD version 7.6");
    outer->addWidget(designate(new QLabel(heading), "Label67", heading));

    Slots &rq = ctx.requests;
    QWidget *window = ctx.window;
    auto *grid = new QGridLayout;
    int line = 0;
    for (const ImageRow &r : Rows) {
        const QString caption = QString::fromLatin1(r.label);
        grid->addWidget(new QLabel(caption), line++, 0, 1, 3);
        auto *field = designate(new QLineEdit(QStringLiteral("Select file....")), r.field, caption);
        auto *picker = designate(new QPushButton(QStringLiteral("...")), r.picker, QStringLiteral("..."));
        picker->setFixedWidth(30);
        auto *send = designate(new QPushButton(QStringLiteral("Send")), r.send, QStringLiteral("Send"));
        send->setEnabled(false);
        grid->addWidget(field, line, 0);
        grid->addWidget(picker, line, 1);
        grid->addWidget(send, line, 2);
        ++line;

        // Picker (BitBtn10Click, BitBtn12Click, ...): "Send" follows the field only here.
        const QString proposed = QString::fromLatin1(r.defaultName);
        QObject::connect(picker, &QPushButton::clicked, page, [window, field, send, proposed] {
            if (const std::optional<QString> chosen = pickFile(window ? window : field->window(), proposed))
                field->setText(*chosen);
            send->setEnabled(QFileInfo(field->text()).isFile());
        });
        // "Send" (BitBtn11Click, BitBtn13Click, ...).
        const std::uint8_t disk = r.disk;
        QObject::connect(send, &QPushButton::clicked, page, [&rq, field, disk] {
            rq.ReqFileName = field->text();
            rq.ReqDisk = disk;
            rq.SessionState = state::ImageOpen;
        });
    }
    outer->addLayout(grid);

    auto *resetService = designate(new QPushButton(QStringLiteral("Reset SERVICE Records ...")), "Button37",
                                   QStringLiteral("Reset SERVICE Records ..."));
    auto *checkFlash = designate(new QPushButton(QStringLiteral("Check Flash Disk ...")), "Button38",
                                 QStringLiteral("Check Flash Disk ..."));
    auto *wipe = designate(new QPushButton(QStringLiteral("Wipe system sector")), "Button42",
                           QStringLiteral("Wipe system sector"));
    auto *reboot = designate(new QPushButton(QStringLiteral("Reboot")), "BitBtn18", QStringLiteral("Reboot"));
    // "Check Flash Disk ..." shares the handler of "Reset SERVICE Records ...".
    const auto button37Click = [&rq] { rq.request(state::ConfigCommand, code::ResetServiceRecords); };
    QObject::connect(resetService, &QPushButton::clicked, page, button37Click);
    QObject::connect(checkFlash, &QPushButton::clicked, page, button37Click);
    QObject::connect(wipe, &QPushButton::clicked, page,
                     [&rq] { rq.request(state::ConfigCommand, code::WipeSystemSector); });
    QObject::connect(reboot, &QPushButton::clicked, page, [&rq] { rq.request(state::Command, code::Reboot); });
    for (QPushButton *b : {resetService, checkFlash, wipe}) {
        b->setFixedWidth(220);
        outer->addWidget(b);
    }
    outer->addWidget(reboot);
    outer->addStretch(1);

    registerImageSteps(ctx.driver, windowProgress(ctx.window));
    return page;
}

} // namespace mfd
