#include "transfer/image_upload.h"
#include "session/arith.h"
#include "session/protocol.h"
#include "session/states.h"
#include "transfer/frames.h"
#include "transfer/throughput.h"

#include <QFileInfo>
#include <memory>

namespace mfd {

namespace {

// "Send" may name a file that does not exist yet; state 240 looks for it again on this timer.
constexpr int MissingFilePollMs = 50;

class ImageUpload {
public:
    ImageUpload(SessionDriver &driver, ProgressFn progress) : driver_(driver), progress_(std::move(progress)) {}

    void open(Session &s)
    {
        Link &link = driver_.link();
        s.RxMark = beginFrame(link);
        const QString path = rq().ReqFileName;
        if (!QFileInfo(path).isFile())
            return;
        s.FileData = readWholeFile(path);
        s.FilePos = 0;
        if (progress_)
            progress_(0, s.FileData.size());
        sendBytes(link, imageStartFrame(rq().ReqDisk));
        rq().SessionState = state::ImageStartAck;
        view().setStatusText(1, QStringLiteral("Loading file ") + fileName() + QStringLiteral(" to External Flash..."));
    }

    void startAck(Session &s)
    {
        if (awaitLead(driver_, s, lead::ImageStart) != AckWait::Lead)
            return;
        rq().SessionState = state::ImageSendBlock;
        rq().TickMark = driver_.clock().Now();
    }

    void sendBlock(Session &s)
    {
        Link &link = driver_.link();
        s.RxMark = beginFrame(link);
        link.SendChar(lead::ImageBlock);
        link.SendChar(0x00);
        s.FilePos += static_cast<qint64>(fillImageBlock(s.BlockBuf, s.FileData, s.FilePos));
        s.BlockSum = sum8(s.BlockBuf.begin(), s.BlockBuf.end());
        link.SendData(s.BlockBuf.data(), s.BlockBuf.size());
        view().setStatusText(2, QString::number(s.FilePos));
        rq().SessionState = state::ImageBlockAck;
    }

    void blockAck(Session &s)
    {
        const std::uint32_t count = since(driver_.link().TotalReceived(), s.RxMark);
        if (count < reply::Ack) {
            view().setStatusText(6, QString::number(count));
            return;
        }
        const ChecksumAck ack = awaitChecksumAck(driver_, s, lead::ImageBlock);
        if (ack.wait != AckWait::Lead)
            return;
        view().setStatusText(
            3, QString::number(throughput(std::uint64_t(s.FilePos), driver_.clock().Now(), rq().TickMark)));
        if (progress_)
            progress_(s.FilePos, s.FileData.size());
        rq().SessionState = s.FilePos < s.FileData.size() ? state::ImageSendBlock : state::ImageWritten;
        if (ack.checksum != s.BlockSum)
            rq().SessionState = state::ImageError;
    }

    void written(Session &s) { finish(s, QStringLiteral(" written")); }
    void failed(Session &s) { finish(s, QStringLiteral(" error")); }

private:
    Slots &rq() { return driver_.requests(); }
    DriverView &view() { return driver_.view(); }
    QString fileName() { return QFileInfo(rq().ReqFileName).fileName(); }

    void finish(Session &s, const QString &outcome)
    {
        view().setStatusText(1, QStringLiteral("File ") + fileName() + outcome);
        s.FileData = QByteArray();
        rq().SessionState = state::Idle;
    }

    SessionDriver &driver_;
    ProgressFn progress_;
};

} // namespace

void registerImageSteps(SessionDriver &driver, ProgressFn progress)
{
    auto upload = std::make_shared<ImageUpload>(driver, std::move(progress));
    const auto step = [upload](void (ImageUpload::*f)(Session &)) {
        return [upload, f](Session &s) { ((*upload).*f)(s); };
    };
    driver.registerStep(state::ImageOpen, step(&ImageUpload::open), MissingFilePollMs);
    driver.registerStep(state::ImageStartAck, step(&ImageUpload::startAck));
    driver.registerStep(state::ImageSendBlock, step(&ImageUpload::sendBlock));
    driver.registerStep(state::ImageBlockAck, step(&ImageUpload::blockAck));
    driver.registerStep(state::ImageWritten, step(&ImageUpload::written));
    driver.registerStep(state::ImageError, step(&ImageUpload::failed));
}

} // namespace mfd
