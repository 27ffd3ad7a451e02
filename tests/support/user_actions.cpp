#include "user_actions.h"

#include "widgets/editable_list.h"
#include "widgets/spin_edit.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTabWidget>
#include <QtTest>

namespace mfd::test {

void bringToFront(QWidget *control)
{
    // A tab page's parent is the tab widget's stack, whose parent is the tab widget.
    for (QWidget *p = control; p; p = p->parentWidget())
        if (auto *tabs = qobject_cast<QTabWidget *>(p->parentWidget() ? p->parentWidget()->parentWidget() : nullptr))
            tabs->setCurrentWidget(p);
}

void click(QWidget *control)
{
    bringToFront(control);
    QPoint at = control->rect().center();
    if (auto *button = qobject_cast<QAbstractButton *>(control)) {
        const bool box = qobject_cast<QCheckBox *>(button);
        if (box || qobject_cast<QRadioButton *>(button)) {
            QStyleOptionButton option;
            option.initFrom(button);
            at = button->style()
                     ->subElementRect(box ? QStyle::SE_CheckBoxIndicator : QStyle::SE_RadioButtonIndicator, &option,
                                      button)
                     .center();
        }
    }
    QTest::mouseClick(control, Qt::LeftButton, Qt::NoModifier, at);
}

namespace {

// The control itself or its editor: a spin edit keeps the focus and feeds its line edit, a list
// hands it to its line edit.
bool holdsFocus(QWidget *control)
{
    QWidget *f = QApplication::focusWidget();
    return f && (f == control || f->parentWidget() == control);
}

} // namespace

bool focusOn(QWidget *control)
{
    bringToFront(control);
    control->setFocus(Qt::OtherFocusReason);
    return holdsFocus(control);
}

void typeInto(QWidget *edit, const QString &text)
{
    auto *list = qobject_cast<EditableList *>(edit);
    QLineEdit *line = list ? list->lineEdit() : edit->findChild<QLineEdit *>();
    QVERIFY2(line, qPrintable(edit->objectName() + " has no line to type into"));
    bringToFront(edit);
    QTest::mouseClick(line, Qt::LeftButton);
    QVERIFY2(holdsFocus(edit), qPrintable(edit->objectName() + " took no focus"));
    line->selectAll();
    // The keys go where a keyboard's would: to the widget with the focus.
    QTest::keyClicks(QApplication::focusWidget(), text);
}

void pasteInto(SpinEdit *edit, const QString &text)
{
    QVERIFY(focusOn(edit));
    edit->selectAll();
    QApplication::clipboard()->setText(text);
    QTest::keySequence(edit, QKeySequence::Paste);
}

void pickEntry(EditableList *list, int index)
{
    bringToFront(list);
    list->showPopup();
    QAbstractItemView *view = list->view();
    QVERIFY(QTest::qWaitForWindowExposed(view->window()));
    view->scrollTo(view->model()->index(index, 0));
    const QRect item = view->visualRect(view->model()->index(index, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, item.center());
}

void toggleItem(QListWidget *list, int item)
{
    QVERIFY(focusOn(list));
    list->setCurrentRow(item);
    QTest::keyClick(list, Qt::Key_Space);
}

void chooseRadio(QWidget *group, const QString &text)
{
    for (auto *radio : group->findChildren<QRadioButton *>())
        if (radio->text() == text) {
            click(radio);
            return;
        }
    QFAIL(qPrintable("no radio button " + text));
}

void User::paste(const QString &name, const QString &text) { pasteInto(find<SpinEdit>(name), text); }
void User::pick(const QString &name, int index) { pickEntry(find<EditableList>(name), index); }
void User::toggle(const QString &name, int item) { toggleItem(find<QListWidget>(name), item); }

} // namespace mfd::test
