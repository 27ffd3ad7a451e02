#pragma once
// What the SD and image upload steps share: waiting for an acknowledgement without ever reading a
// byte that has not arrived, reading a file whole, and the progress bar.

#include "session/session_driver.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <optional>

class QWidget;

namespace mfd {

// Shows pos of size bytes sent; empty where nothing shows progress.
using ProgressFn = std::function<void(qint64 pos, qint64 size)>;

// The progress bar's range and position for pos of size bytes. Qt bars hold int, so sizes past
// its range are scaled; an empty file shows an empty 0..1 bar (a 0..0 range makes Qt show a
// busy bar).
struct ProgressSpan {
    int maximum;
    int value;
};
ProgressSpan progressSpan(qint64 pos, qint64 size);

// The window's bar "ProgressBar1".
ProgressFn windowProgress(QWidget *window);

enum class AckWait { Waiting, OtherByte, Lead };

// An acknowledgement whose second byte is not examined (0xAA, 0xAC, 0xA3): once two bytes have
// arrived since RxMark, takes one byte per pass until the lead byte comes. A noise byte read in
// an earlier pass counts among the two, so only a byte that waits unread is taken.
AckWait awaitLead(SessionDriver &driver, const Session &s, std::uint8_t lead);

// An acknowledgement with a checksum (0xAB, 0xA4): as above, but a byte is taken only while two
// wait unread, so after a late lead byte the checksum is never read before it has arrived.
struct ChecksumAck {
    AckWait wait;
    std::uint8_t checksum = 0;
};
ChecksumAck awaitChecksumAck(SessionDriver &driver, const Session &s, std::uint8_t lead);

// The whole content of a regular file; throws when it cannot be read.
QByteArray readWholeFile(const QString &path);

} // namespace mfd
