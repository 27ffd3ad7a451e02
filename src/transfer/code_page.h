#pragma once
// SD paths travel as 8-bit text. The unit's users run Cyrillic Windows, so the shell always
// encodes them in Windows-1251, whatever the PC's own locale; ASCII is the same in every choice.

#include <QByteArray>
#include <QString>
#include <optional>

namespace mfd {

// One byte per character, or nothing when any character has no Windows-1251 byte: a
// replacement character would let two names land on one file on the card.
std::optional<QByteArray> toWindows1251(const QString &text);

} // namespace mfd
