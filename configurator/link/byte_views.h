#pragma once
// Between Qt's byte arrays and the codec's byte spans and fixed frame buffers, without copying
// on the way in.
#include "common/crc16.h"

#include <QByteArray>

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace tirv {

inline std::span<const std::uint8_t> Bytes(const QByteArray& a)
{
    return {reinterpret_cast<const std::uint8_t*>(a.constData()), static_cast<std::size_t>(a.size())};
}

// The first `length` bytes of a frame buffer the codec has filled.
template <std::size_t N>
QByteArray Frame(const std::array<std::uint8_t, N>& buffer, std::size_t length)
{
    return QByteArray(reinterpret_cast<const char*>(buffer.data()), static_cast<qsizetype>(length));
}

// A frame with its Modbus CRC appended, low byte first.
inline QByteArray WithCrc(QByteArray frame)
{
    const std::uint16_t crc = Crc16(Bytes(frame));
    frame.append(static_cast<char>(crc & 0xFF));
    frame.append(static_cast<char>(crc >> 8));
    return frame;
}

}  // namespace tirv
