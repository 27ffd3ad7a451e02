// The window as it stands at start, before any session.
#include "app/main_window.h"
#include "fakes.h"
#include "session/fake_link.h"

#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QtTest>

using namespace mfd;
using namespace mfd::test;

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void frameAtStart()
    {
        FakeLink link;
        FakeClock clock;
        TForm3 w(link, clock);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));

        QVERIFY(w.windowTitle().startsWith(
            "Shell Korvel (Harware version 7.x)  08/10/2018  for Firmware version 7.7.16.xxx     ["));
        QVERIFY(w.windowTitle().endsWith(']'));
        QCOMPARE(w.size(), QSize(1005, 652));
        QVERIFY(!w.pageControl()->isVisible());
        QVERIFY(!w.findChild<QWidget *>("Image1")->isVisible());
        QCOMPARE(w.findChild<QWidget *>("Panel1")->width(), 153);
        QCOMPARE(w.findChild<QWidget *>("Panel2")->width(), 139);
        QCOMPARE(w.progressBar()->height(), 22);
        QCOMPARE(w.progressBar()->value(), 0);
        QCOMPARE(w.findChild<QWidget *>("StatusBar1")->height(), 19);
        const int widths[] = {100, 400, 80, 50, 50, 50, 50};
        for (int i = 0; i < TForm3::StatusPanels; ++i) {
            QCOMPARE(w.statusPanel(i)->width(), widths[i]);
            QCOMPARE(w.statusPanel(i)->text(), QString());
            QCOMPARE(w.statusPanel(i)->accessibleDescription(), QStringLiteral("StatusBar1.Panels[%1]").arg(i));
        }
        for (const char *edit : {"Edit6", "Edit7", "Edit8", "Edit9", "Edit10"}) {
            auto *e = w.findChild<QLineEdit *>(edit);
            QCOMPARE(e->text(), QStringLiteral("0"));
            QVERIFY(e->isReadOnly());
            QVERIFY(e->font().bold());
        }
        QVERIFY(w.findChild<QRadioButton *>()->isChecked());
        QCOMPARE(w.findChild<QRadioButton *>()->text(), QStringLiteral("UART"));
        QCOMPARE(w.linkType(), 0);
    }

    void pagesInOrder()
    {
        FakeLink link;
        FakeClock clock;
        TForm3 w(link, clock);
        struct Page {
            const char *name, *caption;
            bool enabled;
            int tag;
        };
        const Page pages[] = {
            {"cxTabSheet3", "Debug", false, 0},
            {"TabSheet1", "Config", true, 0},
            {"cxTabSheet1", "Screen Setup", true, 0},
            {"cxTabSheet5", "Extra Coding", true, 0},
            {"TabSheet3", "Transmission", true, 0},
            {"cxTabSheet2", "Keys emul", true, 0},
            {"cxTabSheet4", "ver.7.5 SD File Manager", true, 0},
            {"TabSheet4", "ver.7.6-7.7 Disk Image Loader", true, 0},
            {"TabSheet2", "Firmware load", false, 1},
        };
        QTabWidget *tabs = w.pageControl();
        QCOMPARE(tabs->count(), 9);
        for (int i = 0; i < 9; ++i) {
            QCOMPARE(tabs->widget(i)->objectName(), QString::fromLatin1(pages[i].name));
            QCOMPARE(tabs->tabText(i), QString::fromLatin1(pages[i].caption));
            QCOMPARE(tabs->widget(i)->isEnabled(), pages[i].enabled);
            QCOMPARE(w.pageTag(i), pages[i].tag);
        }
        QCOMPARE(tabs->currentWidget()->objectName(), QStringLiteral("TabSheet4"));
        QVERIFY(!w.findChild<QPushButton *>("Button43")->isEnabled());
    }

    void visibleAndExitChangeNothing()
    {
        FakeLink link;
        FakeClock clock;
        TForm3 w(link, clock);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCoreApplication::processEvents();
        const QImage before = w.grab().toImage();
        w.findChild<QMenu *>("PopupMenu1")->actions().first()->trigger();
        w.findChild<QPushButton *>("Button2")->click();
        QCoreApplication::processEvents();
        QCOMPARE(w.grab().toImage(), before);
        QVERIFY(link.ops.isEmpty());
        QCOMPARE(w.findChild<QMenu *>("PopupMenu1")->actions().first()->text(), QStringLiteral("Visible"));
    }

    void closeWaitsForExit()
    {
        FakeLink link;
        FakeClock clock;
        TForm3 w(link, clock);
        w.setErrorReporter([](const QString &) {});
        w.show();
        bool closedWhileRunning = true;
        QTimer::singleShot(0, &w, [&] {
            w.close(); // refused while the session runs
            closedWhileRunning = !w.isVisible();
            w.Button2Click();
        });
        w.Button8Click();
        QVERIFY(!closedWhileRunning);
        QVERIFY(!w.isVisible()); // "Exit" ended the session, and the window closed then
    }

    void portSwitchDuringSession()
    {
        FakeLink link;
        FakeClock clock;
        TForm3 w(link, clock);
        QStringList errors;
        w.setErrorReporter([&](const QString &e) { errors << e; });
        link.SetActive(true);
        link.Deliver({1, 2, 3});
        w.portChosen(QStringLiteral("/dev/ttyUSB1"));
        QCOMPARE(link.PortName(), QStringLiteral("/dev/ttyUSB1"));
        QVERIFY(link.Active());
        QCOMPARE(link.TotalReceived(), 0u);

        link.failOpens = 1;
        link.openError = QStringLiteral("/dev/ttyUSB2: no such device");
        w.portChosen(QStringLiteral("/dev/ttyUSB2"));
        QVERIFY(!link.Active());
        QCOMPARE(errors, QStringList({"/dev/ttyUSB2: no such device"}));
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
