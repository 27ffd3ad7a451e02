// "Firmware load": kept disabled by the window and by every session opening; its pickers and
// "Send" buttons, reached by calling their handlers since the page cannot be operated.

#include "transfer/firmware_page.h"
#include "transfer/open_dialog.h"
#include "window_rig.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <functional>

using namespace mfd;
using namespace mfd::test;

namespace {

// The window as built, never shown: the page cannot be operated, only its handlers called.
struct Rig : WindowRig {
    FirmwarePage *page = window.findChild<FirmwarePage *>(QStringLiteral("TabSheet2"));

    Rig() : WindowRig(Hidden) { sharedOpenDialog(&window)->setOption(QFileDialog::DontUseNativeDialog); }
    int pageIndex() const { return window.pageControl()->indexOf(page); }
};

// What the open-file dialog proposed when it was shown.
struct Proposal {
    bool shown = false;
    QString dialogName;
    QString fileName;
    QString suffix;
    QStringList filters;
};

// Answers the modal dialog the handler is about to open: picks file, or cancels when it is empty.
void answerDialog(Rig &r, Proposal &seen, const QString &file)
{
    QTimer::singleShot(0, &r.window, [&r, &seen, file] {
        auto *od = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!od) // never leave the handler's exec() running
            od = sharedOpenDialog(&r.window);
        seen.shown = od->isVisible();
        seen.dialogName = od->objectName();
        seen.fileName = QFileInfo(od->selectedFiles().value(0)).fileName();
        seen.suffix = od->defaultSuffix();
        seen.filters = od->nameFilters();
        if (file.isEmpty()) {
            od->reject();
        } else {
            od->selectFile(file);
            QMetaObject::invokeMethod(od, "accept");
        }
    });
}

struct RowNames {
    const char *field;
    const char *picker;
    const char *send;
    void (FirmwarePage::*pick)();
    void (FirmwarePage::*sendClick)();
};
const RowNames Rows[4] = {
    {"Edit1", "BitBtn1", "BitBtn2", &FirmwarePage::BitBtn1Click, &FirmwarePage::BitBtn2Click},
    {"Edit2", "BitBtn3", "BitBtn4", &FirmwarePage::BitBtn3Click, &FirmwarePage::BitBtn4Click},
    {"Edit3", "BitBtn5", "BitBtn6", &FirmwarePage::BitBtn5Click, &FirmwarePage::BitBtn6Click},
    {"Edit4", "BitBtn7", "BitBtn8", &FirmwarePage::BitBtn7Click, &FirmwarePage::BitBtn8Click},
};

} // namespace

class TestFirmwarePage : public QObject {
    Q_OBJECT

private slots:
    void startsDisabledWithRowFourOff();
    void disabledAgainAtEverySessionOpening();
    void picker_data();
    void picker();
    void reachedSendRestsIn140_data();
    void reachedSendRestsIn140();
};

void TestFirmwarePage::startsDisabledWithRowFourOff()
{
    Rig r;
    QVERIFY(r.page);
    QVERIFY(!r.page->isEnabled());
    QCOMPARE(r.window.pageTag(r.pageIndex()), 1);
    QCOMPARE(r.window.pageControl()->tabText(r.pageIndex()), QStringLiteral("Firmware load"));
    QCOMPARE(int(r.page->FirmwareTarget), 0);
    for (int i = 0; i < 4; ++i) {
        auto *field = r.control<QLineEdit>(Rows[i].field);
        auto *picker = r.control<QPushButton>(Rows[i].picker);
        auto *send = r.control<QPushButton>(Rows[i].send);
        QVERIFY(field && picker && send);
        QCOMPARE(field->text(), QStringLiteral("Select file...."));
        QCOMPARE(picker->text(), QStringLiteral("..."));
        QCOMPARE(send->text(), QStringLiteral("Send"));
        QVERIFY(!send->isEnabledTo(r.page));
        const bool rowFour = i == 3;
        QCOMPARE(field->isEnabledTo(r.page), !rowFour);
        QCOMPARE(picker->isEnabledTo(r.page), !rowFour);
    }
}

void TestFirmwarePage::disabledAgainAtEverySessionOpening()
{
    Rig r;
    for (int connect = 0; connect < 3; ++connect) {
        // Whatever enabled it in between, the handshake step disables it again.
        r.page->setEnabled(true);
        r.window.requests().SessionState = state::SessionOpening;
        r.window.driver().pass(r.s);
        QCOMPARE(r.window.requests().SessionState, state::DiskQuery);
        QVERIFY(!r.page->isEnabled());
        QVERIFY(!r.control<QPushButton>("BitBtn1")->isEnabled());
        // The other pages stay as they were.
        QVERIFY(r.control("TabSheet4")->isEnabled());
        QVERIFY(r.control("cxTabSheet2")->isEnabled());
    }
}

void TestFirmwarePage::picker_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("proposed");
    QTest::addColumn<QString>("before");  // field text before the picker; "@" stands for the existing file
    QTest::addColumn<bool>("confirm");    // pick the existing file, or cancel
    QTest::addColumn<QString>("after");   // "@" as above
    QTest::addColumn<bool>("sendEnabled");

    const QString start = QStringLiteral("Select file....");
    QTest::newRow("row 1 confirmed") << 0 << "os.pr" << start << true << "@" << true;
    QTest::newRow("row 2 confirmed") << 1 << "firmware.rs" << start << true << "@" << true;
    QTest::newRow("row 3 confirmed") << 2 << "firmware.bk" << start << true << "@" << true;
    QTest::newRow("row 4 confirmed") << 3 << "firmware.pr" << start << true << "@" << true;
    QTest::newRow("cancelled at start") << 0 << "os.pr" << start << false << start << false;
    QTest::newRow("cancelled, field names a file") << 1 << "firmware.rs" << "@" << false << "@" << true;
    QTest::newRow("cancelled, field names a missing file")
        << 2 << "firmware.bk" << "/nonexistent/firmware.bk" << false << "/nonexistent/firmware.bk" << false;
    QTest::newRow("cancelled, field names a folder") << 0 << "os.pr" << "/tmp" << false << "/tmp" << false;
    QTest::newRow("cancelled, field empty") << 1 << "firmware.rs" << "" << false << "" << false;
}

void TestFirmwarePage::picker()
{
    QFETCH(int, row);
    QFETCH(QString, proposed);
    QFETCH(QString, before);
    QFETCH(bool, confirm);
    QFETCH(QString, after);
    QFETCH(bool, sendEnabled);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString existing = dir.filePath(QStringLiteral("image.bin"));
    {
        QFile f(existing);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("firmware");
    }
    auto resolve = [&existing](const QString &t) { return t == QLatin1String("@") ? existing : t; };

    Rig r;
    auto *field = r.control<QLineEdit>(Rows[row].field);
    auto *send = r.control<QPushButton>(Rows[row].send);
    field->setText(resolve(before));
    // A "Send" left enabled by an earlier pick must follow the field now.
    send->setEnabled(!sendEnabled);

    Proposal seen;
    answerDialog(r, seen, confirm ? existing : QString());
    (r.page->*Rows[row].pick)();

    QVERIFY(seen.shown);
    QCOMPARE(seen.dialogName, QStringLiteral("OD2")); // the image page's dialog
    QCOMPARE(seen.fileName, proposed);
    QCOMPARE(seen.suffix, proposed);
    QCOMPARE(seen.filters, QStringList{QStringLiteral("All Files (*)")}); // no file-type filter
    QCOMPARE(field->text(), resolve(after));
    QCOMPARE(send->isEnabledTo(r.page), sendEnabled);
    QVERIFY(r.link.sent.empty());
    QVERIFY(r.errors.isEmpty());
}

void TestFirmwarePage::reachedSendRestsIn140_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("target");
    QTest::newRow("os.pr") << 0 << 0xA4;
    QTest::newRow("firmware.rs") << 1 << 0xA6;
    QTest::newRow("firmware.bk") << 2 << 0xA7;
    QTest::newRow("firmware.pr") << 3 << 0xA5;
}

void TestFirmwarePage::reachedSendRestsIn140()
{
    QFETCH(int, row);
    QFETCH(int, target);

    Rig r;
    Slots &rq = r.window.requests();
    rq.SessionState = state::Idle;
    rq.ReqCode = 0x18;
    r.control<QLineEdit>(Rows[row].field)->setText(QStringLiteral("/firmware/folder/file"));
    (r.page->*Rows[row].sendClick)();
    QCOMPARE(rq.SessionState, state::FirmwareSend);
    QCOMPARE(rq.ReqFileName, QStringLiteral("/firmware/folder/file"));
    QCOMPARE(int(r.page->FirmwareTarget), target);
    QCOMPARE(int(rq.ReqCode), 0x18);

    r.link.Deliver({0x11, 0x22});
    for (int pass = 0; pass < 3; ++pass) {
        r.window.driver().pass(r.s);
        QCOMPARE(rq.SessionState, state::FirmwareSend);
        QCOMPARE(r.window.statusPanel(4)->text(), QStringLiteral("140"));
    }
    QVERIFY(r.link.ops.isEmpty()); // not even a purge
    QCOMPARE(r.link.Available(), 2u);
    QVERIFY(r.window.statusPanel(1)->text().isEmpty());

    // The next page action works as usual.
    r.control<QPushButton>("Button9")->click();
    r.window.driver().pass(r.s);
    QCOMPARE(r.link.sentBytes(), QByteArray("\xA6\x01\x01", 3));
    QCOMPARE(rq.SessionState, state::Idle);
    QVERIFY(r.errors.isEmpty());
}

QTEST_MAIN(TestFirmwarePage)
#include "test_firmware_page.moc"
