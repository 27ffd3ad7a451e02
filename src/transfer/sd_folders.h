#pragma once
// The unit's SD folders offered in the unit folder field, and which one a PC folder picks.

#include <QString>
#include <QStringList>
#include <optional>

namespace mfd {

const QStringList &unitFolderItems();

// The item a folder change selects: "/" + the PC folder's name + "/" among items, letter case
// ignored, else item 0; item 0 also when the folder chooser has no selected entry.
int unitFolderIndexFor(const std::optional<QString> &pcFolderName, const QStringList &items);

} // namespace mfd
