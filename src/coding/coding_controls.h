#pragma once
// What the coding pages share: their controls made with designer name, caption, range and start
// state; the value a spin edit puts on the wire; and the reading of a record reply.

#include "session/protocol.h"
#include "widgets/editable_list.h"
#include "widgets/spin_edit.h"

#include <QString>
#include <QStringList>
#include <cstdint>

class QPushButton;

namespace mfd {
class Link;
}

namespace mfd::coding {

SpinEdit *spinEdit(const char *designerName, const QString &caption, int minimum, int maximum, int start,
                   int step = 1);
QPushButton *button(const char *designerName, const QString &caption);
// Starts with entry 0 shown and nothing selected.
EditableList *editableList(const char *designerName, const QString &caption, const QStringList &entries);

// The value an edit sends: in its range, as the focus change that a click causes leaves it, so a
// request handled without that focus change sends no number the edit would not show.
int wireValue(const SpinEdit &edit);

// Reads a reply the driver has seen arrive whole: the leading bytes dropped unseen, then the data
// into data (awaited - dropped bytes).
void takeReply(Link &link, ReplyShape shape, std::uint8_t *data);

} // namespace mfd::coding
