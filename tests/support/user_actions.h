#pragma once
// Working the window's controls the way a user does: the page to the front first, clicks where
// the control takes them, text typed or pasted with the focus in the edit. Checks that fail here
// fail the calling test.

#include <QString>
#include <QWidget>

class QListWidget;

namespace mfd {
class EditableList;
class SpinEdit;
} // namespace mfd

namespace mfd::test {

// Brings every page that holds the control to the front, nested pages too.
void bringToFront(QWidget *control);

// Clicks a check box or radio button on its indicator (the stretch beside the caption takes no
// click), anything else in its middle.
void click(QWidget *control);

// Puts the keyboard focus in the control; true when it or its editor has it.
bool focusOn(QWidget *control);

// Types over the whole text of a spin edit or an editable list: click into its editor, select
// what it shows, type. The entry ends at the next focus change.
void typeInto(QWidget *edit, const QString &text);

// Replaces the whole text of a spin edit in one change, as a paste does.
void pasteInto(SpinEdit *edit, const QString &text);

// Picks entry index of the list from its drop-down with the mouse.
void pickEntry(EditableList *list, int index);

// Ticks or clears item i of a check list with the keyboard.
void toggleItem(QListWidget *list, int item);

// Clicks the radio button captioned text among those in group.
void chooseRadio(QWidget *group, const QString &text);

// The same actions on controls named as in the window's designer form.
class User {
public:
    explicit User(QWidget &window) : window_(window) {}

    // A missing control ends the run: every later step would act on nothing.
    template <typename T = QWidget>
    T *find(const QString &name) const
    {
        T *c = window_.findChild<T *>(name);
        if (!c)
            qFatal("no control %s", qPrintable(name));
        return c;
    }
    void click(const QString &name) { test::click(find(name)); }
    void type(const QString &name, const QString &text) { typeInto(find(name), text); }
    void paste(const QString &name, const QString &text);
    void pick(const QString &name, int index);
    void toggle(const QString &name, int item);
    void chooseRadio(const QString &group, const QString &text) { test::chooseRadio(find(group), text); }

private:
    QWidget &window_;
};

} // namespace mfd::test
