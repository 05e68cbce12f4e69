// The scripted relay's memory, its answers and the splitting of the byte stream into requests;
// shared by both line ends.
#include "serial_relay.h"

#include "common/crc16.h"
#include "common/relay_family.h"
#include "configurator/link/byte_views.h"
#include "configurator/link/frames.h"
#include "configurator/link/registers.h"

#include <algorithm>
#include <array>

namespace tirv::test {
namespace {

constexpr std::size_t kMemorySize = 0x10000;

// Where the length of a Modbus request comes from.
enum class DataLength {
    None,            // `length` is the whole frame
    ByteAt6,         // `length` plus the byte count at offset 6 (16, 0x52, 0x65)
    WordLowFirstAt6  // `length` plus the 16-bit data length at 6, low byte first (0x67)
};
struct RequestShape {
    std::uint8_t function;
    int length;
    DataLength data;
};
// Every other function is laid out like 3: address, function, start, count, CRC.
constexpr int kBlockRequestLength = 8;
constexpr std::array<RequestShape, 6> kRequestShapes{{
    {0x10, 9, DataLength::ByteAt6},
    {0x52, 9, DataLength::ByteAt6},
    {0x65, 9, DataLength::ByteAt6},
    {0x20, 5, DataLength::None},
    {0x42, 11, DataLength::None},
    {0x67, 10, DataLength::WordLowFirstAt6},
}};

// Length of the request that starts `bytes`, 0 while it cannot be told yet.
int RequestLength(const QByteArray& bytes)
{
    if (bytes.isEmpty())
        return 0;
    if (bytes[0] == kTextStart) {
        const int end = static_cast<int>(bytes.indexOf(kTextEnd));
        return end < 0 ? 0 : end + 1;
    }
    if (bytes.size() < 2)
        return 0;
    const auto function = quint8(bytes[1]);
    const auto shape = std::find_if(kRequestShapes.begin(), kRequestShapes.end(),
                                    [&](const RequestShape& s) { return s.function == function; });
    if (shape == kRequestShapes.end())
        return kBlockRequestLength;
    switch (shape->data) {
        case DataLength::None:
            return shape->length;
        case DataLength::ByteAt6:
            return bytes.size() < 7 ? 0 : shape->length + quint8(bytes[6]);
        case DataLength::WordLowFirstAt6:
            return bytes.size() < 8 ? 0
                                    : shape->length + (quint8(bytes[6]) | (quint8(bytes[7]) << 8));
    }
    return 0;
}

// Modbus exception codes the relay answers with.
constexpr quint8 kIllegalFunction = 1;
constexpr quint8 kIllegalAddress = 2;
constexpr quint8 kIllegalValue = 3;

// Fields of a text request: each one's digits and the position just past its separator. The
// CRC field has no separator after it and is left out.
struct Field {
    QByteArray digits;
    int end;
};
std::vector<Field> Fields(const QByteArray& r, int stop)
{
    std::vector<Field> out;
    int begin = 1;
    for (int i = 1; i < stop; ++i)
        if (r[i] == kTextFieldSeparator || r[i] == kTextListSeparator) {
            out.push_back({r.mid(begin, i - begin), i + 1});
            begin = i + 1;
        }
    return out;
}
int Decode(const QByteArray& digits)
{
    return DecodeTextNumber(Bytes(digits));
}
QByteArray Number(std::uint16_t v)
{
    std::array<std::uint8_t, 4> d{};
    return Frame(d, AppendTextNumber(d, 0, v));
}
// The frame closed by its CRC field: the CRC of everything after ":".
QByteArray Closed(const QByteArray& frame)
{
    return frame + Number(Crc16(Bytes(frame).subspan(1))) + kTextEnd;
}

}  // namespace

RelayMemory RelayMemory::Counting()
{
    RelayMemory m;
    m.registers.resize(kMemorySize);
    for (std::size_t k = 0; k < kMemorySize; ++k)
        m.registers[k] = CountedValue(static_cast<int>(k));
    m.textValues = m.registers;
    return m;
}

RelayMemory RelayMemory::OfModel(int modelCode)
{
    RelayMemory m{std::vector<std::uint16_t>(kMemorySize, 0),
                  std::vector<std::uint16_t>(kMemorySize, 0)};
    m.registers[regs::kFamilySignature] =
        IsMModel(modelCode) ? regs::kSignatureM : regs::kSignatureNonM;
    m.registers[regs::kModelCode] = static_cast<std::uint16_t>(modelCode);
    m.registers[regs::kFirmwareVersion] = 120;
    m.registers[regs::kBuild] = 1;
    m.registers[regs::kSerialNumber] = 4242;
    return m;
}

SerialRelay::SerialRelay(RelayMemory memory, std::uint8_t address)
    : registers(std::move(memory.registers)),
      textValues(std::move(memory.textValues)),
      m_address(address)
{
    m_clock.start();
}

void SerialRelay::loadBlock(const std::vector<std::uint16_t>& block)
{
    std::copy(block.begin(), block.end(), registers.begin());
}

void SerialRelay::clearLog()
{
    m_requests.clear();
    m_arrivalMs.clear();
}

std::vector<QByteArray> SerialRelay::requestsOf(std::uint8_t function) const
{
    std::vector<QByteArray> out;
    for (const QByteArray& r : m_requests)
        if (r.size() >= 2 && !r.startsWith(kTextStart) && quint8(r[1]) == function &&
            !IsIdentityRead(r))
            out.push_back(r);
    return out;
}

QByteArray SerialRelay::WithCrc(QByteArray frame)
{
    return tirv::WithCrc(std::move(frame));
}

QByteArray SerialRelay::ExceptionReply(const QByteArray& request, quint8 code)
{
    QByteArray reply = request.left(1);
    reply.append(static_cast<char>(quint8(request[1]) | kExceptionFlag));
    reply.append(static_cast<char>(code));
    return WithCrc(reply);
}

bool SerialRelay::IsIdentityRead(const QByteArray& r)
{
    return r.size() == kBlockRequestLength && quint8(r[1]) == 3 &&
           Start(r) == regs::kIdentity.start && Count(r) == regs::kIdentity.count;
}

std::vector<RelayAction> SerialRelay::receive(const QByteArray& bytes)
{
    m_pending += bytes;
    std::vector<RelayAction> actions;
    for (int length = RequestLength(m_pending); length > 0 && m_pending.size() >= length;
         length = RequestLength(m_pending)) {
        const QByteArray request = m_pending.left(length);
        m_pending.remove(0, length);
        const int index = static_cast<int>(m_requests.size());
        m_requests.push_back(request);
        m_arrivalMs.push_back(m_clock.elapsed());
        actions.push_back(m_script ? m_script(request, index) : answer(request));
    }
    return actions;
}

RelayAction SerialRelay::answer(const QByteArray& request)
{
    return {request.startsWith(kTextStart) ? answerText(request) : answerModbus(request), 0};
}

// A frame with a bad CRC or for another address (the broadcast included) gets no answer, as on
// a shared line; what the relay cannot do is refused with an exception reply.
QByteArray SerialRelay::answerModbus(const QByteArray& r)
{
    if (r.size() < 4 || WithCrc(r.left(r.size() - 2)) != r || quint8(r[0]) != m_address)
        return {};
    const auto function = quint8(r[1]);
    if (function == 0x20) {  // stores the minimal set and does not answer
        std::copy(minimalSet.begin(), minimalSet.end(), registers.begin());
        return {};
    }
    if (function != 3 && function != 16)
        return ExceptionReply(r, kIllegalFunction);
    if (r.size() < kBlockRequestLength)
        return ExceptionReply(r, kIllegalValue);
    const int start = Start(r);
    const int count = Count(r);
    const int most = function == 3 ? kMaxReadCount : kMaxWriteCount;
    if (count < 1 || count > most || (function == 16 && r.size() != 9 + 2 * count))
        return ExceptionReply(r, kIllegalValue);
    if (start + count > static_cast<int>(registers.size()))
        return ExceptionReply(r, kIllegalAddress);
    QByteArray reply = r.left(2);
    if (function == 3) {
        reply.append(static_cast<char>(2 * count));
        for (int k = 0; k < count; ++k) {
            const std::uint16_t v = registers[static_cast<std::size_t>(start + k)];
            reply.append(static_cast<char>(v >> 8));
            reply.append(static_cast<char>(v & 0xFF));
        }
        return WithCrc(reply);
    }
    for (int k = 0; k < count; ++k)
        registers[static_cast<std::size_t>(start + k)] =
            static_cast<std::uint16_t>(Word(r, 7 + 2 * k));
    reply += r.mid(2, 4);
    return WithCrc(reply);
}

QByteArray SerialRelay::answerText(const QByteArray& r)
{
    const int end = static_cast<int>(r.indexOf(kTextEnd));
    if (end < 0)
        return {};
    const std::vector<Field> f = Fields(r, end);
    if (f.size() < 3 || Decode(f[0].digits) != m_address)
        return {};
    const bool v1 = framing.variant == TextVariant::New;
    const int size = static_cast<int>(textValues.size());
    if (f[1].digits == "<")  // the link check: the echo is the answer
        return Closed(r.left(f.back().end));
    if (f[1].digits == QByteArray(1, kTextReadCommand)) {
        const int start = v1 ? Decode(f[2].digits) : m_textCursor;
        const int count = f.size() > 3 ? Decode(f[3].digits) : framing.valuesPerFrame;
        if (count < 1 || start + count > size)
            return {};
        m_textCursor = start + count;
        QByteArray reply = r.left(f.back().end);
        for (int k = 0; k < count; ++k) {
            reply += Number(textValues[static_cast<std::size_t>(start + k)]);
            reply += k + 1 < count ? kTextListSeparator : kTextFieldSeparator;
        }
        return Closed(reply);
    }
    if (f[1].digits == QByteArray(1, kTextWriteCommand)) {
        // Variant 0 sends the count only when it differs from the values per frame.
        const std::size_t header = v1 ? 4 : 3;
        if (f.size() < header)
            return {};
        const int start = Decode(f[2].digits);
        std::size_t first = header;
        int count = framing.valuesPerFrame;
        if (v1) {
            count = Decode(f[3].digits);
        } else if (f.size() - 3 != static_cast<std::size_t>(framing.valuesPerFrame)) {
            if (f.size() < 4)
                return {};
            count = Decode(f[3].digits);
            first = 4;
        }
        for (int k = 0; k < count && first + static_cast<std::size_t>(k) < f.size(); ++k)
            if (start + k < size)
                textValues[static_cast<std::size_t>(start + k)] = static_cast<std::uint16_t>(
                    Decode(f[first + static_cast<std::size_t>(k)].digits));
        return Closed(r.left(f[header - 1].end) + kTextFieldSeparator);
    }
    return {};
}

}  // namespace tirv::test
