// The spin edit and the editable list, driven through their real input paths where it matters:
// keystrokes into the focused control, focus taken by another control, picks from the drop-down.

#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QVBoxLayout>
#include <QtTest>

#include "session/arith.h"
#include "widgets/editable_list.h"
#include "widgets/spin_edit.h"

using mfd::EditableList;
using mfd::SpinEdit;

namespace {

// A shown, active window holding the control under test and another control to take the focus.
struct Window {
    QWidget window;
    QLineEdit *other = new QLineEdit(&window);

    explicit Window(QWidget *control)
    {
        auto *layout = new QVBoxLayout(&window);
        layout->addWidget(control);
        layout->addWidget(other);
        window.show();
        QApplication::setActiveWindow(&window);
    }
    bool focus(QWidget *w)
    {
        w->setFocus(Qt::OtherFocusReason);
        return QApplication::focusWidget() == w;
    }
};

// A gearbox row: speed 10..200 and coupled 1..200, each change setting the partner to
// Round(2000 / value), as the transmission page keeps them.
struct GearRow {
    SpinEdit *speed = new SpinEdit;
    SpinEdit *coupled = new SpinEdit;
    int changes = 0;

    GearRow()
    {
        speed->setRange(10, 200);
        coupled->setRange(1, 200);
        speed->setValue(22);
        coupled->setValue(90);
        couple(speed, coupled);
        couple(coupled, speed);
    }
    void couple(SpinEdit *from, SpinEdit *to)
    {
        QObject::connect(from, &SpinEdit::changed, [this, from, to] {
            ++changes;
            if (const int v = from->value())
                to->setValue(static_cast<int>(mfd::roundHalfEven(2000.0 / v)));
        });
    }
};

// "8. Turbo Boost": entries sharing a prefix, where Qt's completer would step in.
const QStringList boost{"no boost sensor", "boost sensor 3 bar", "boost sensor 4 bar",
                        "boost sensor 2 bar", "boost from diagnostics bus"};

} // namespace

class TestWidgets : public QObject {
    Q_OBJECT

private slots:
    void spinTyping_data();
    void spinTyping();
    void spinSetValue_data();
    void spinSetValue();
    void spinStep_data();
    void spinStep();
    void coupledEdits_data();
    void coupledEdits();
    void listSelection_data();
    void listSelection();
    void focusedControlCarriesAccessibleName();
};

void TestWidgets::spinTyping_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("valueWhileFocused");
    QTest::addColumn<QString>("textAfterFocusLoss");
    QTest::addColumn<int>("changes"); // one per keystroke, one for the correction

    QTest::newRow("in range stays") << "42" << 42 << "42" << 2;
    QTest::newRow("above max until focus loss") << "150" << 150 << "100" << 4;
    QTest::newRow("below min until focus loss") << "-5" << -5 << "10" << 3;
    QTest::newRow("not a number reads as min") << "abc" << 10 << "10" << 4;
    QTest::newRow("blanks around a number") << " 42 " << 42 << "42" << 5;
}

void TestWidgets::spinTyping()
{
    QFETCH(QString, typed);
    auto *edit = new SpinEdit;
    edit->setRange(10, 100);
    edit->setValue(50);
    Window w(edit);
    QVERIFY(w.focus(edit));
    QSignalSpy spy(edit, &SpinEdit::changed);

    edit->selectAll();
    QTest::keyClicks(edit, typed);
    QCOMPARE(edit->text(), typed);
    QTEST(edit->value(), "valueWhileFocused");

    QVERIFY(w.focus(w.other));
    QTEST(edit->text(), "textAfterFocusLoss");
    QTEST(int(spy.count()), "changes");
}

void TestWidgets::spinSetValue_data()
{
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("set");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("changes");

    QTest::newRow("in range") << "50" << 70 << "70" << 1;
    QTest::newRow("above max brought in at once") << "50" << 150 << "100" << 1;
    QTest::newRow("below min brought in at once") << "50" << -3 << "0" << 1;
    QTest::newRow("shown value: no change") << "50" << 50 << "50" << 0;
    QTest::newRow("brought to the shown bound: no change") << "100" << 120 << "100" << 0;
    QTest::newRow("replaces a typed out-of-range text") << "150" << 100 << "100" << 1;
}

void TestWidgets::spinSetValue()
{
    QFETCH(QString, shown);
    QFETCH(int, set);
    SpinEdit edit;
    edit.setRange(0, 100);
    edit.setText(shown);
    QSignalSpy spy(&edit, &SpinEdit::changed);

    edit.setValue(set);
    QTEST(edit.text(), "text");
    QTEST(int(spy.count()), "changes");
}

void TestWidgets::spinStep_data()
{
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("text");

    QTest::newRow("up by 10") << "55" << int(Qt::Key_Up) << "65";
    QTest::newRow("down by 10") << "55" << int(Qt::Key_Down) << "45";
    QTest::newRow("up stops at max") << "595" << int(Qt::Key_Up) << "600";
    QTest::newRow("down stops at min") << "5" << int(Qt::Key_Down) << "0";
    QTest::newRow("from above max into range") << "900" << int(Qt::Key_Up) << "600";
    QTest::newRow("from a non-number: min plus a step") << "x" << int(Qt::Key_Up) << "10";
}

void TestWidgets::spinStep()
{
    QFETCH(QString, shown);
    QFETCH(int, key);
    auto *edit = new SpinEdit;
    edit->setRange(0, 600);
    edit->setSingleStep(10);
    Window w(edit);
    QVERIFY(w.focus(edit));
    edit->setText(shown);

    QTest::keyClick(edit, Qt::Key(key));
    QTEST(edit->text(), "text");
}

void TestWidgets::coupledEdits_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("input");
    QTest::addColumn<int>("speed");
    QTest::addColumn<int>("coupled");
    QTest::addColumn<int>("changes");

    // From 22 and 90. Each exchange ends where a set leaves a text unchanged.
    QTest::newRow("speed 150: 150 > 13 > 154 > 13") << "set speed" << "150" << 154 << 13 << 3;
    QTest::newRow("speed 160: half to even") << "set speed" << "160" << 167 << 12 << 3;
    QTest::newRow("coupled 5: 400 brought to 200") << "set coupled" << "5" << 200 << 10 << 3;
    QTest::newRow("shown speed: nothing runs") << "set speed" << "22" << 22 << 90 << 0;
    QTest::newRow("typed 3 replaced at once") << "type speed" << "3" << 10 << 200 << 3;
}

void TestWidgets::coupledEdits()
{
    QFETCH(QString, action);
    QFETCH(QString, input);
    GearRow row;
    auto *box = new QWidget;
    auto *layout = new QVBoxLayout(box);
    layout->addWidget(row.speed);
    layout->addWidget(row.coupled);
    Window w(box);

    if (action == "type speed") {
        QVERIFY(w.focus(row.speed));
        row.speed->selectAll();
        QTest::keyClicks(row.speed, input);
    } else {
        (action == "set speed" ? row.speed : row.coupled)->setValue(input.toInt());
    }
    QTEST(row.speed->value(), "speed");
    QTEST(row.coupled->value(), "coupled");
    QTEST(row.changes, "changes");
}

void TestWidgets::listSelection_data()
{
    QTest::addColumn<int>("priorIndex");   // selected first
    QTest::addColumn<QString>("priorText"); // then set as text, unless null
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("arg");
    QTest::addColumn<int>("selected");
    QTest::addColumn<QString>("text");

    const QString none;
    const QString b1 = boost[1], b2 = boost[2], b3 = boost[3];
    QTest::newRow("setText of the selected entry's text") << 1 << none << "setText" << b1 << -1 << b1;
    QTest::newRow("select by the program") << -1 << none << "select" << "2" << 2 << b2;
    QTest::newRow("select again after the text was cleared") << 2 << "" << "select" << "2" << 2 << b2;
    QTest::newRow("select past the last entry") << 2 << none << "select" << "5" << -1 << b2;
    QTest::newRow("select -1") << 2 << none << "select" << "-1" << -1 << b2;
    QTest::newRow("pick from the drop-down") << -1 << none << "pick" << "3" << 3 << b3;
    QTest::newRow("pick again after setText") << 3 << "x" << "pick" << "3" << 3 << b3;
    QTest::newRow("arrow key picks the next") << 1 << none << "key down" << "" << 2 << b2;
    QTest::newRow("typing an entry's text, focus loss") << 0 << none << "type" << b1 << -1 << b1;
    QTest::newRow("typing an entry's text, Return") << 0 << none << "type, Return" << b1 << -1 << b1;
    QTest::newRow("typing a prefix is not completed") << 0 << none << "type" << "boost s" << -1 << "boost s";
}

void TestWidgets::listSelection()
{
    QFETCH(int, priorIndex);
    QFETCH(QString, priorText);
    QFETCH(QString, action);
    QFETCH(QString, arg);
    auto *list = new EditableList;
    list->addItems(boost);
    list->setText(boost[1]);
    Window w(list);
    list->setSelectedIndex(priorIndex);
    if (!priorText.isNull())
        list->setText(priorText);

    if (action == "setText") {
        list->setText(arg);
    } else if (action == "select") {
        list->setSelectedIndex(arg.toInt());
    } else if (action == "pick") {
        list->showPopup();
        QAbstractItemView *view = list->view();
        QVERIFY(QTest::qWaitForWindowExposed(view->window()));
        const QRect item = view->visualRect(view->model()->index(arg.toInt(), 0));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, item.center());
    } else if (action == "key down") {
        QVERIFY(w.focus(list));
        QTest::keyClick(list, Qt::Key_Down);
    } else if (action.startsWith("type")) {
        QVERIFY(w.focus(list));
        list->lineEdit()->selectAll();
        QTest::keyClicks(list, arg);
        if (action.endsWith("Return"))
            QTest::keyClick(list, Qt::Key_Return);
        QVERIFY(w.focus(w.other));
    }
    QTEST(list->selectedIndex(), "selected");
    QTEST(list->text(), "text");
}

// Screen readers announce the focused control: it must be the widget that carries the name,
// not an inner line edit without one.
void TestWidgets::focusedControlCarriesAccessibleName()
{
    auto *box = new QWidget;
    auto *layout = new QVBoxLayout(box);
    auto *spin = new SpinEdit;
    auto *list = new EditableList;
    layout->addWidget(spin);
    layout->addWidget(list);
    spin->setAccessibleName("Brightness");
    list->setAccessibleName("1. Version");
    Window w(box);

    for (QWidget *control : {static_cast<QWidget *>(spin), static_cast<QWidget *>(list)}) {
        control->setFocus(Qt::OtherFocusReason);
        QAccessibleInterface *focused = QAccessible::queryAccessibleInterface(QApplication::focusWidget());
        QVERIFY(focused);
        QCOMPARE(focused->text(QAccessible::Name), control->accessibleName());
    }
}

QTEST_MAIN(TestWidgets)
#include "test_widgets.moc"
