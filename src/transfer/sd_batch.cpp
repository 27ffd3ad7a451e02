#include "transfer/sd_batch.h"
#include "session/arith.h"
#include "session/protocol.h"
#include "session/states.h"
#include "transfer/frames.h"
#include "transfer/throughput.h"

#include <QDir>
#include <QFileInfo>
#include <cstring>
#include <memory>

namespace mfd {

namespace {

// A file of the batch that has gone missing holds the batch in state 40 and is looked for again
// on this timer, since no byte or click would wake the loop.
constexpr int MissingFilePollMs = 50;

class SdBatch {
public:
    SdBatch(SessionDriver &driver, SdPageSource source, ProgressFn progress)
        : driver_(driver), source_(std::move(source)), progress_(std::move(progress))
    {
    }

    void batchStart(Session &s)
    {
        const QStringList names = source_.fileNames ? source_.fileNames() : QStringList();
        if (names.isEmpty()) {
            s.BatchList.clear();
            rq().SessionState = state::Idle;
            return;
        }
        s.BatchList = names;
        s.BatchIndex = 0;
        s.ReturnState = state::SdFileDone;
        s.BatchFailed = 0;
        rq().SessionState = state::SdNextFile;
    }

    void startCurrent(Session &) { rq().SessionState = state::SdOpenFile; }

    void nextFile(Session &s)
    {
        if (s.BatchIndex < s.BatchList.size() - 1) {
            ++s.BatchIndex;
            rq().SessionState = state::SdNextFile;
            return;
        }
        driver_.view().setStatusText(1, sdBatchOutcome(s.BatchFailed, int(s.BatchList.size())));
        rq().SessionState = state::Idle;
    }

    void openFile(Session &s)
    {
        Link &link = driver_.link();
        s.RxMark = beginFrame(link);
        if (s.BatchIndex < 0 || s.BatchIndex >= s.BatchList.size()) {
            rq().SessionState = state::Idle;
            return;
        }
        const QString name = s.BatchList.at(s.BatchIndex);
        const QString folder = source_.currentFolder ? source_.currentFolder() : QString();
        const QString path = QDir(folder).filePath(name);
        if (!QFileInfo(path).isFile())
            return;
        s.DevicePath = rq().SdFolder + name;
        const std::optional<QByteArray> pathBytes = sdPathBytes(s.DevicePath);
        if (!pathBytes) {
            // Sent anyway, the length byte would be wrong or the name changed into another one.
            rq().SessionState = state::SdFileError;
            return;
        }
        s.FileData = readWholeFile(path);
        s.FilePos = 0;
        if (progress_)
            progress_(0, s.FileData.size());
        link.SendChar(lead::SdStart);
        link.SendChar(static_cast<std::uint8_t>(pathBytes->size()));
        link.SendString(*pathBytes);
        rq().SessionState = state::SdStartAck;
        driver_.view().setStatusText(1, QStringLiteral("Loading file ") + name + QStringLiteral(" to SD..."));
        rq().TickMark = driver_.clock().Now();
    }

    void startAck(Session &s)
    {
        if (awaitLead(driver_, s, lead::SdStart) == AckWait::Lead)
            rq().SessionState = state::SdSendBlock;
    }

    void sendBlock(Session &s)
    {
        Link &link = driver_.link();
        s.RxMark = beginFrame(link);
        link.SendChar(lead::SdData);
        const std::size_t n = sdBlockLength(s.FileData.size(), s.FilePos);
        link.SendChar(static_cast<int>(n));
        if (n > 0)
            std::memcpy(s.BlockBuf.data(), s.FileData.constData() + s.FilePos, n);
        s.FilePos += static_cast<qint64>(n);
        s.BlockSum = sum8(s.BlockBuf.begin(), s.BlockBuf.begin() + static_cast<std::ptrdiff_t>(n));
        link.SendData(s.BlockBuf.data(), n);
        driver_.view().setStatusText(2, QString::number(s.FilePos));
        rq().SessionState = state::SdBlockAck;
    }

    void blockAck(Session &s)
    {
        const ChecksumAck ack = awaitChecksumAck(driver_, s, lead::SdData);
        if (ack.wait != AckWait::Lead)
            return;
        driver_.view().setStatusText(
            3, QString::number(throughput(std::uint64_t(s.FilePos), driver_.clock().Now(), rq().TickMark)));
        if (progress_)
            progress_(s.FilePos, s.FileData.size());
        rq().SessionState = s.FilePos < s.FileData.size() ? state::SdSendBlock : state::SdSendEnd;
        if (ack.checksum != s.BlockSum)
            rq().SessionState = state::SdFileError;
    }

    void sendEnd(Session &s)
    {
        s.RxMark = beginFrame(driver_.link());
        sendBytes(driver_.link(), sdEndFrame());
        rq().SessionState = state::SdEndAck;
    }

    void endAck(Session &s)
    {
        if (awaitLead(driver_, s, lead::SdEnd) != AckWait::Lead)
            return;
        driver_.view().setStatusText(1, QStringLiteral("File ") + s.DevicePath + QStringLiteral(" written"));
        s.FileData = QByteArray();
        rq().SessionState = s.ReturnState;
    }

    void fileError(Session &s)
    {
        driver_.view().setStatusText(1, QStringLiteral("File ") + s.DevicePath + QStringLiteral(" error"));
        s.FileData = QByteArray();
        ++s.BatchFailed;
        rq().SessionState = s.ReturnState;
    }

private:
    Slots &rq() { return driver_.requests(); }

    SessionDriver &driver_;
    SdPageSource source_;
    ProgressFn progress_;
    // Files of the current batch that were not written, per running session: a nested
    // "Connect" runs its own batch.
};

} // namespace

QString sdBatchOutcome(int failed, int total)
{
    if (failed == 0)
        return QStringLiteral("Files is loaded to SD...");
    return QStringLiteral("%1 of %2 files not loaded to SD").arg(failed).arg(total);
}

void registerSdSteps(SessionDriver &driver, SdPageSource source, ProgressFn progress)
{
    auto batch = std::make_shared<SdBatch>(driver, std::move(source), std::move(progress));
    const auto step = [batch](void (SdBatch::*f)(Session &)) {
        return [batch, f](Session &s) { ((*batch).*f)(s); };
    };
    driver.registerStep(state::SdBatchStart, step(&SdBatch::batchStart));
    driver.registerStep(state::SdNextFile, step(&SdBatch::startCurrent));
    driver.registerStep(state::SdFileDone, step(&SdBatch::nextFile));
    driver.registerStep(state::SdOpenFile, step(&SdBatch::openFile), MissingFilePollMs);
    driver.registerStep(state::SdStartAck, step(&SdBatch::startAck));
    driver.registerStep(state::SdSendBlock, step(&SdBatch::sendBlock));
    driver.registerStep(state::SdBlockAck, step(&SdBatch::blockAck));
    driver.registerStep(state::SdSendEnd, step(&SdBatch::sendEnd));
    driver.registerStep(state::SdEndAck, step(&SdBatch::endAck));
    driver.registerStep(state::SdFileError, step(&SdBatch::fileError));
}

} // namespace mfd
