#pragma once
// The request slots page actions fill and the driver reads (one set for the whole run), and the
// values that live for one run of "Connect" (a nested "Connect" gets its own set).

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>

#include "session/protocol.h"
#include "session/states.h"

namespace mfd {

struct Slots {
    std::int32_t SessionState = 0;
    bool ExitRequested = false;
    std::uint8_t ReqCode = 0;
    std::uint8_t ReqArg = 0;
    std::uint8_t ReqDisk = 0;
    QString ReqFileName;
    QString SdFolder;
    std::array<std::uint8_t, ConfigRecordSize> XferBuf{};
    std::array<std::uint8_t, ConfigRecordSize> ConfigRecord{};
    std::uint32_t TickMark = 0;

    // A page action: leave a request for the driver's next pass.
    void request(int state, std::uint8_t code)
    {
        ReqCode = code;
        SessionState = state;
    }
};

struct Session {
    std::uint32_t RxMark = 0;
    std::uint32_t PauseMark = 0;
    std::int32_t ConnectTries = 0;

    // Transfers (SD folder and flash image uploads).
    QStringList BatchList;
    int BatchIndex = 0;
    int BatchFailed = 0; // files of the batch not written, so a partial batch is not called done
    int ReturnState = 0;
    QByteArray FileData;
    qint64 FilePos = 0;
    QString DevicePath;
    std::array<std::uint8_t, ImageBlockSize> BlockBuf{};
    std::uint8_t BlockSum = 0;
};

} // namespace mfd
