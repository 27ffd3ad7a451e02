#include "widgets/editable_list.h"

#include <QLineEdit>

namespace mfd {

EditableList::EditableList(QWidget *parent) : QComboBox(parent)
{
    // QComboBox reports a typed text that equals an entry as activated when the editor finishes
    // (Return, focus loss). Slots run in connection order, so these guards bracket its own
    // handlers, which setLineEdit connects in between.
    auto *edit = new QLineEdit(this);
    const auto finishing = [this] { editorFinishing_ = true; };
    const auto finished = [this] { editorFinishing_ = false; };
    connect(edit, &QLineEdit::returnPressed, this, finishing);
    connect(edit, &QLineEdit::editingFinished, this, finishing);
    setLineEdit(edit);
    connect(edit, &QLineEdit::returnPressed, this, finished);
    connect(edit, &QLineEdit::editingFinished, this, finished);

    // Nothing may pick or add an entry behind the user's back.
    setCompleter(nullptr);
    setInsertPolicy(NoInsert);

    connect(edit, &QLineEdit::textEdited, this, [this] { selected_ = -1; });
    connect(this, &QComboBox::activated, this, [this](int index) {
        if (!editorFinishing_)
            selected_ = index;
    });
}

QString EditableList::text() const
{
    return lineEdit()->text();
}

void EditableList::setText(const QString &text)
{
    selected_ = -1;
    lineEdit()->setText(text);
}

void EditableList::setSelectedIndex(int index)
{
    if (index < 0 || index >= count()) {
        selected_ = -1;
        return;
    }
    setCurrentIndex(index); // shows the entry's text, even where the index did not move
    selected_ = index;
}

} // namespace mfd
