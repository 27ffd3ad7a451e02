// The SD and image pages in the real window, offscreen: their controls, the folder and file
// choosers, the pickers with the shared open-file dialog, and an upload driven pass by pass.
#include "app/main_window.h"
#include "fakes.h"
#include "session/fake_link.h"
#include "transfer/folder_chooser.h"
#include "transfer/sd_page.h"
#include "widgets/editable_list.h"

#include "engine/unit.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <sys/stat.h>

using namespace mfd;

namespace {

struct Shell {
    FakeLink link;
    test::FakeClock clock;
    QStringList errors;
    TForm3 window{link, clock};
    Session s;
    sim::Unit unit;
    std::size_t fed = 0;

    Shell()
    {
        window.setErrorReporter([this](const QString &t) { errors << t; });
        link.SetActive(true);
    }
    template <typename T> T *find(const char *name) const
    {
        return window.findChild<T *>(QString::fromLatin1(name));
    }
    SdPage *sd() const { return window.findChild<SdPage *>(); }
    Slots &rq() { return window.requests(); }

    // One pass; the simulated unit answers what the link carried.
    void pump()
    {
        window.driver().pass(s);
        if (link.sent.size() > fed) {
            const auto reply = unit.feed(link.sent.data() + fed, link.sent.size() - fed);
            fed = link.sent.size();
            link.Deliver(QByteArray(reinterpret_cast<const char *>(reply.data()), int(reply.size())));
        }
    }
    void runToIdle()
    {
        for (int i = 0; i < 100000 && rq().SessionState != state::Idle; ++i)
            pump();
    }
};

void writeFile(const QString &path, const QByteArray &content)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
}

QStringList items(const QComboBox *box)
{
    QStringList out;
    for (int i = 0; i < box->count(); ++i)
        out << box->itemText(i);
    return out;
}

} // namespace

class TestTransferPages : public QObject {
    Q_OBJECT
private slots:
    void sdPageControls()
    {
        Shell sh;
        SdPage *page = sh.sd();
        QVERIFY(page);
        QCOMPARE(page->objectName(), QStringLiteral("cxTabSheet4"));
        QCOMPARE(sh.find<QLabel>("Label3")->text(),
                 QStringLiteral("The download page for the MFD SD card version 7.0 and 7.5."));
        for (const char *name : {"DriveComboBox1", "DirectoryListBox1", "FileListBox1", "Button7", "ComboBox2", "BitBtn9"})
            QVERIFY2(page->findChild<QWidget *>(QString::fromLatin1(name)), name);
        QCOMPARE(sh.find<QPushButton>("Button7")->text(), QStringLiteral("Load Packet"));
        QCOMPARE(sh.find<QPushButton>("BitBtn9")->text(), QStringLiteral("Update RG"));
        auto *unitFolder = sh.find<EditableList>("ComboBox2");
        QCOMPARE(unitFolder->text(), QStringLiteral("/"));
        QCOMPARE(items(unitFolder), (QStringList{"/", "/3D/", "/main/", "/params/", "/service/", "/warn/",
                                                 "/updates/", "/str/", "/sys/", "/logos/", "/diag/"}));
        // The folder chooser starts where the program runs; the root heads the drive chooser.
        QCOMPARE(page->folderChooser()->directory(), QDir::currentPath());
        QCOMPARE(page->driveChooser()->itemData(0).toString(), QDir::rootPath());
    }

    void fileListShowsOrdinaryFiles()
    {
        Shell sh;
        QTemporaryDir dir;
        for (const char *n : {"b.txt", "A.txt", ".hidden", "noext", "C.BIN"})
            writeFile(dir.filePath(n), "x");
        QDir(dir.path()).mkdir("sub");
        QCOMPARE(::mkfifo(QFile::encodeName(dir.filePath("pipe")).constData(), 0600), 0);
        sh.sd()->folderChooser()->setDirectory(dir.path());
        QCOMPARE(sh.sd()->fileNames(), (QStringList{"A.txt", "b.txt", "C.BIN", "noext"}));
        // Read when the folder changes, not when its content does.
        writeFile(dir.filePath("late.txt"), "x");
        QCOMPARE(sh.sd()->fileNames().size(), 4);
    }

    void folderChange_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("unitFolder");
        QTest::addColumn<int>("selected");
        QTest::newRow("Main") << "Main" << "/main/" << 2;
        QTest::newRow("3d") << "3d" << "/3D/" << 1;
        QTest::newRow("logos") << "logos" << "/logos/" << 9;
        QTest::newRow("photos") << "photos" << "/" << 0;
    }
    void folderChange()
    {
        QFETCH(QString, folder);
        QFETCH(QString, unitFolder);
        QFETCH(int, selected);
        Shell sh;
        QTemporaryDir dir;
        QDir(dir.path()).mkdir(folder);
        writeFile(dir.filePath(folder + "/in.txt"), "x");
        auto *field = sh.find<EditableList>("ComboBox2");
        field->setText("typed");
        DirectoryListBox *chooser = sh.sd()->folderChooser();
        chooser->setDirectory(dir.path());
        // Opened the way the user does: activating the subfolder's entry.
        QTreeWidgetItem *entry = chooser->itemFor(QDir(dir.path()).filePath(folder));
        QVERIFY(entry);
        emit chooser->itemActivated(entry, 0);
        QCOMPARE(chooser->directory(), QDir(dir.path()).filePath(folder));
        QCOMPARE(sh.find<QLabel>("Label3")->text(), folder);
        QCOMPARE(field->text(), unitFolder);
        QCOMPARE(field->selectedIndex(), selected);
        QCOMPARE(sh.sd()->fileNames(), QStringList{"in.txt"});
        // The way back up is shown above the current folder.
        QVERIFY(chooser->itemFor(dir.path()));
        QVERIFY(chooser->itemFor(QDir::rootPath()));
    }

    void driveChosenMovesToItsRoot()
    {
        Shell sh;
        DriveComboBox *drives = sh.sd()->driveChooser();
        sh.find<EditableList>("ComboBox2")->setText("/main/");
        emit drives->activated(0);
        QCOMPARE(sh.sd()->folderChooser()->directory(), QDir::rootPath());
        QCOMPARE(sh.find<QLabel>("Label3")->text(), QStringLiteral("/"));
        QCOMPARE(sh.find<EditableList>("ComboBox2")->text(), QStringLiteral("/"));
    }

    void sdButtons()
    {
        Shell sh;
        auto *field = sh.find<EditableList>("ComboBox2");
        field->setText("3D");
        sh.find<QPushButton>("Button7")->click();
        QCOMPARE(sh.rq().SessionState, state::SdBatchStart);
        QCOMPARE(sh.rq().SdFolder, QStringLiteral("3D"));
        field->setText("");
        sh.find<QPushButton>("Button7")->click();
        QCOMPARE(sh.rq().SdFolder, QString());

        sh.find<QPushButton>("BitBtn9")->click();
        QCOMPARE(sh.rq().SessionState, state::Command);
        QCOMPARE(int(sh.rq().ReqCode), 25);
    }

    // A batch through the page: every name of the list whichever is highlighted, the unit folder
    // as it was when "Load Packet" was pressed, the bar following the frames.
    void sdBatchThroughThePage()
    {
        Shell sh;
        QTemporaryDir dir;
        writeFile(dir.filePath("one.bin"), QByteArray(600, 'a'));
        writeFile(dir.filePath("two.bin"), QByteArray(300, 'b'));
        sh.sd()->folderChooser()->setDirectory(dir.path());
        sh.sd()->fileList()->setCurrentRow(1);
        auto *field = sh.find<EditableList>("ComboBox2");
        field->setSelectedIndex(1);
        sh.find<QPushButton>("Button7")->click();
        field->setText("/elsewhere/");
        QProgressBar *bar = sh.window.progressBar();
        int lastValue = -1;
        bool advancedMidFile = false;
        for (int i = 0; i < 1000 && sh.rq().SessionState != state::Idle; ++i) {
            sh.pump();
            if (bar->maximum() == 600 && bar->value() > 0 && bar->value() < 600 && bar->value() != lastValue)
                advancedMidFile = true;
            lastValue = bar->value();
        }
        QVERIFY(advancedMidFile);
        QCOMPARE(bar->maximum(), 300);
        QCOMPARE(bar->value(), 300);
        QCOMPARE(sh.window.statusPanel(1)->text(), QStringLiteral("Files is loaded to SD..."));
        const auto &files = sh.unit.sdFiles();
        QCOMPARE(files.size(), std::size_t(2));
        QCOMPARE(files[0].storedPath, std::string("3D/one.bin"));
        QCOMPARE(files[1].storedPath, std::string("3D/two.bin"));
        QVERIFY(sh.errors.isEmpty());
    }

    void imagePageControls()
    {
        Shell sh;
        QCOMPARE(sh.find<QLabel>("Label67")->text(),
                 QStringLiteral("The page for uploading files to the built-in flash MFD version 7.6"));
        QWidget *page = sh.find<QWidget>("TabSheet4");
        QStringList labels;
        for (QLabel *l : page->findChildren<QLabel *>())
            labels << l->text();
        for (const char *l : {"sys.imz", "diask1.imz", "disk2.imz", "disk3.imz"})
            QVERIFY2(labels.contains(QString::fromLatin1(l)), l);
        for (const char *f : {"Edit5", "Edit11", "Edit12", "Edit13"})
            QCOMPARE(sh.find<QLineEdit>(f)->text(), QStringLiteral("Select file...."));
        for (const char *b : {"BitBtn11", "BitBtn13", "BitBtn15", "BitBtn17"})
            QVERIFY(!sh.find<QPushButton>(b)->isEnabled());
    }

    // The picker proposes the row's name in the one shared dialog; whatever the user does, "Send"
    // then follows whether the field names an existing file.
    void picker_data()
    {
        QTest::addColumn<QString>("picker");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("send");
        QTest::addColumn<QString>("proposed");
        QTest::addColumn<QString>("before"); // field text before: "existing", "missing" or "default"
        QTest::addColumn<bool>("accept");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("row 0, chosen") << "BitBtn10" << "Edit5" << "BitBtn11" << "sys.imz" << "default" << true << true;
        QTest::newRow("row 1, chosen") << "BitBtn12" << "Edit11" << "BitBtn13" << "disk1.imz" << "default" << true << true;
        QTest::newRow("row 2, cancelled on a typed existing file")
            << "BitBtn14" << "Edit12" << "BitBtn15" << "disk2.imz" << "existing" << false << true;
        QTest::newRow("row 3, cancelled on a missing file")
            << "BitBtn16" << "Edit13" << "BitBtn17" << "disk3.imz" << "missing" << false << false;
        QTest::newRow("row 3, cancelled on the initial text")
            << "BitBtn16" << "Edit13" << "BitBtn17" << "disk3.imz" << "default" << false << false;
    }
    void picker()
    {
        QFETCH(QString, picker);
        QFETCH(QString, field);
        QFETCH(QString, send);
        QFETCH(QString, proposed);
        QFETCH(QString, before);
        QFETCH(bool, accept);
        QFETCH(bool, enabled);
        Shell sh;
        QTemporaryDir dir;
        const QString chosen = dir.filePath("chosen.img");
        const QString typed = dir.filePath("typed.img");
        writeFile(chosen, "c");
        writeFile(typed, "t");
        auto *edit = sh.window.findChild<QLineEdit *>(field);
        auto *sendButton = sh.window.findChild<QPushButton *>(send);
        if (before == "existing")
            edit->setText(typed);
        else if (before == "missing")
            edit->setText(dir.filePath("gone.img"));
        // A "Send" enabled earlier must follow the field too.
        sendButton->setEnabled(!enabled);
        const QString textBefore = edit->text();

        QString dialogName, proposedShown, suffix, startFolder;
        QTimer::singleShot(0, this, [&] {
            auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            dialogName = dialog->objectName();
            if (auto *nameEdit = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
                proposedShown = nameEdit->text();
            suffix = dialog->defaultSuffix();
            startFolder = dialog->directory().absolutePath();
            if (accept) {
                dialog->selectFile(chosen);
                QMetaObject::invokeMethod(dialog, "accept");
            } else {
                dialog->reject();
            }
        });
        sh.window.findChild<QPushButton *>(picker)->click();
        QCOMPARE(dialogName, QStringLiteral("OD2"));
        QCOMPARE(proposedShown, proposed);
        QCOMPARE(suffix, proposed);
        QCOMPARE(startFolder, QDir::homePath());
        QCOMPARE(edit->text(), accept ? QDir::toNativeSeparators(chosen) : textBefore);
        QCOMPARE(sendButton->isEnabled(), enabled);
        QCOMPARE(sh.window.findChildren<QFileDialog *>().size(), 1);

        if (enabled) {
            // Typing does not disable "Send"; the press takes the field as it is then.
            edit->setText(edit->text() + "x");
            QVERIFY(sendButton->isEnabled());
            sendButton->click();
            QCOMPARE(sh.rq().SessionState, state::ImageOpen);
            QCOMPARE(sh.rq().ReqFileName, edit->text());
            QCOMPARE(int(sh.rq().ReqDisk), QStringList({"Edit5", "Edit11", "Edit12", "Edit13"}).indexOf(field));
        }
    }

    void imageUploadThroughThePage()
    {
        Shell sh;
        QTemporaryDir dir;
        const QString path = dir.filePath("disk1.imz");
        QByteArray content(2500, Qt::Uninitialized);
        for (int i = 0; i < content.size(); ++i)
            content[i] = char(i * 13);
        writeFile(path, content);
        auto *edit = sh.find<QLineEdit>("Edit11");
        edit->setText(path);
        auto *send = sh.find<QPushButton>("BitBtn13");
        send->setEnabled(true);
        send->click();
        sh.runToIdle();
        QCOMPARE(sh.window.statusPanel(1)->text(), QStringLiteral("File disk1.imz written"));
        QCOMPARE(sh.window.statusPanel(2)->text(), QStringLiteral("2500"));
        QCOMPARE(sh.window.progressBar()->maximum(), 2500);
        QCOMPARE(sh.window.progressBar()->value(), 2500);
        const auto &img = sh.unit.images()[1];
        QCOMPARE(img.data.size(), std::size_t(3 * 1024));
        QVERIFY(std::equal(content.begin(), content.end(), img.data.begin(),
                           [](char a, std::uint8_t b) { return std::uint8_t(a) == b; }));
        QVERIFY(std::all_of(img.data.begin() + 2500, img.data.end(), [](std::uint8_t b) { return b == 0; }));
    }

    void serviceButtonsOfTheImagePageStayWired()
    {
        Shell sh;
        sh.find<QPushButton>("BitBtn18")->click();
        QCOMPARE(sh.rq().SessionState, state::Command);
        QCOMPARE(int(sh.rq().ReqCode), 25);
        sh.find<QPushButton>("Button42")->click();
        QCOMPARE(sh.rq().SessionState, state::ConfigCommand);
        QCOMPARE(int(sh.rq().ReqCode), 16);
    }
};

QTEST_MAIN(TestTransferPages)
#include "test_transfer_pages.moc"
