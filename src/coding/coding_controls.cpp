#include "coding/coding_controls.h"
#include "session/link.h"
#include "widgets/designer.h"

#include <QPushButton>
#include <algorithm>

namespace mfd::coding {

SpinEdit *spinEdit(const char *designerName, const QString &caption, int minimum, int maximum, int start, int step)
{
    auto *edit = designate(new SpinEdit, designerName, caption);
    edit->setRange(minimum, maximum);
    edit->setSingleStep(step);
    edit->setValue(start);
    return edit;
}

QPushButton *button(const char *designerName, const QString &caption)
{
    return designate(new QPushButton(caption), designerName, caption);
}

EditableList *editableList(const char *designerName, const QString &caption, const QStringList &entries)
{
    auto *list = designate(new EditableList, designerName, caption);
    list->addItems(entries);
    list->setText(entries.value(0));
    return list;
}

int wireValue(const SpinEdit &edit)
{
    return std::clamp(edit.value(), edit.minimum(), edit.maximum());
}

void takeReply(Link &link, ReplyShape shape, std::uint8_t *data)
{
    for (std::uint32_t i = 0; i < shape.dropped; ++i)
        link.ReadByte();
    for (std::uint32_t i = 0; i < shape.awaited - shape.dropped; ++i)
        data[i] = link.ReadByte();
}

} // namespace mfd::coding
