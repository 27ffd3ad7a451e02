#pragma once
// The text field with a drop-down of fixed entries the coding pages rely on: a shown text and,
// apart from it, a selected entry or none.
//
// selectedIndex() is the selection; QComboBox::currentIndex() is not, since Qt keeps its current
// index when the text is set or typed over. A pick by the user (from the drop-down, the arrow
// keys or the wheel) or setSelectedIndex() selects an entry and shows its text. setText() and
// typing clear the selection, even where the text equals an entry's. Finishing an entry (Return,
// focus loss) on a text equal to an entry's does not select it, though Qt reports it as activated.

#include <QComboBox>
#include <QString>

namespace mfd {

class EditableList : public QComboBox {
    Q_OBJECT

public:
    explicit EditableList(QWidget *parent = nullptr);

    QString text() const;
    void setText(const QString &text);

    int selectedIndex() const { return selected_; }
    // An index with no entry leaves no selection and the text as it is.
    void setSelectedIndex(int index);

private:
    int selected_ = -1;
    bool editorFinishing_ = false;
};

} // namespace mfd
