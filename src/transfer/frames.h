#pragma once
// The file transfer frames as bytes: SD files (0xAA start, 0xAB data, 0xAC end) and flash
// disk images (0xA3 start, 0xA4 block). Pure functions; the steps send what they build.

#include <QByteArray>
#include <QString>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "session/protocol.h"

namespace mfd {

// The start frame's length is one byte.
constexpr int SdPathMax = 255;

// The path bytes a start frame carries for devicePath, or nothing when the frame cannot carry
// it: longer than 255 characters, or a character outside Windows-1251.
std::optional<QByteArray> sdPathBytes(const QString &devicePath);

std::vector<std::uint8_t> sdStartFrame(const QByteArray &pathBytes);
std::vector<std::uint8_t> sdDataFrame(const std::uint8_t *data, std::size_t n);
std::vector<std::uint8_t> sdEndFrame();
// Data bytes in the next data frame: 250, or what is left of the file (0 for an empty file).
std::size_t sdBlockLength(qint64 size, qint64 pos);

std::vector<std::uint8_t> imageStartFrame(std::uint8_t disk);
std::vector<std::uint8_t> imageBlockFrame(const std::array<std::uint8_t, ImageBlockSize> &block);
// Fills block with the file's bytes from pos on and zeros past its end (never with what an earlier
// block left there, which would go out as part of the image). Returns the bytes taken from data.
std::size_t fillImageBlock(std::array<std::uint8_t, ImageBlockSize> &block, const QByteArray &data, qint64 pos);

} // namespace mfd
