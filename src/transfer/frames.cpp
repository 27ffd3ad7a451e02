#include "transfer/frames.h"
#include "transfer/code_page.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace mfd {

namespace {
// Lead byte, second byte, then the body.
template <typename It>
std::vector<std::uint8_t> frameOf(std::uint8_t lead, std::uint8_t second, It first, It last)
{
    std::vector<std::uint8_t> f;
    f.reserve(2 + static_cast<std::size_t>(std::distance(first, last)));
    f.push_back(lead);
    f.push_back(second);
    for (; first != last; ++first)
        f.push_back(static_cast<std::uint8_t>(*first));
    return f;
}
} // namespace

std::optional<QByteArray> sdPathBytes(const QString &devicePath)
{
    if (devicePath.size() > SdPathMax)
        return std::nullopt;
    return toWindows1251(devicePath);
}

std::vector<std::uint8_t> sdStartFrame(const QByteArray &pathBytes)
{
    return frameOf(lead::SdStart, static_cast<std::uint8_t>(pathBytes.size()), pathBytes.begin(), pathBytes.end());
}

std::vector<std::uint8_t> sdDataFrame(const std::uint8_t *data, std::size_t n)
{
    return frameOf(lead::SdData, static_cast<std::uint8_t>(n), data, data + n);
}

std::vector<std::uint8_t> sdEndFrame() { return {lead::SdEnd, 0x00}; }

std::size_t sdBlockLength(qint64 size, qint64 pos)
{
    return static_cast<std::size_t>(std::clamp<qint64>(size - pos, 0, SdBlockMax));
}

std::vector<std::uint8_t> imageStartFrame(std::uint8_t disk) { return {lead::ImageStart, 0x01, disk}; }

std::vector<std::uint8_t> imageBlockFrame(const std::array<std::uint8_t, ImageBlockSize> &block)
{
    return frameOf(lead::ImageBlock, 0x00, block.begin(), block.end());
}

std::size_t fillImageBlock(std::array<std::uint8_t, ImageBlockSize> &block, const QByteArray &data, qint64 pos)
{
    const auto m = static_cast<std::size_t>(std::clamp<qint64>(data.size() - pos, 0, ImageBlockSize));
    if (m > 0)
        std::memcpy(block.data(), data.constData() + pos, m);
    std::fill(block.begin() + static_cast<std::ptrdiff_t>(m), block.end(), std::uint8_t{0});
    return m;
}

} // namespace mfd
