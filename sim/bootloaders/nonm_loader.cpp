#include "sim/bootloaders/nonm_loader.h"

#include <algorithm>
#include <utility>

#include "common/crc16.h"
#include "configurator/link/frames.h"

namespace tirv::sim {
namespace {

struct RequestForm {
    std::uint8_t function;
    std::size_t fixedLength;  // 0: the length follows from a count field
    std::size_t countAt;      // offset of the count field
    std::size_t countBytes;   // 1, or 2 low byte first
    std::size_t overhead;     // bytes besides the counted data
    std::size_t maxCount;
};
// Requests the relay family sends on its line: the loader must step over those it ignores.
constexpr RequestForm kRequestForms[] = {
    {0x03, 8, 0, 0, 0, 0},
    {0x06, 8, 0, 0, 0, 0},
    {0x10, 0, 6, 1, 9, 246},
    {0x20, 5, 0, 0, 0, 0},
    {0x41, 8, 0, 0, 0, 0},
    {0x42, 11, 0, 0, 0, 0},
    {0x51, 8, 0, 0, 0, 0},
    {0x52, 0, 6, 1, 9, 246},
    {0x64, 8, 0, 0, 0, 0},
    {0x65, 15, 0, 0, 0, 0},
    {0x67, 0, 6, 2, 10, kMaxBootWriteData},
};

constexpr std::uint8_t kFunctionProbe = static_cast<std::uint8_t>(Function::BootRead);
constexpr std::uint8_t kFunctionCommand = static_cast<std::uint8_t>(Function::BootCommand);
constexpr std::uint8_t kFunctionWrite = static_cast<std::uint8_t>(Function::BootWrite);
constexpr int kExitPattern = 3;
constexpr std::uint8_t kStateMagic[4] = {'N', 'M', 'L', '1'};

bool CrcGood(std::span<const std::uint8_t> frame)
{
    const std::uint16_t crc = Crc16(frame.first(frame.size() - 2));
    return frame[frame.size() - 2] == (crc & 0xFF) && frame[frame.size() - 1] == (crc >> 8);
}

std::uint16_t Word(std::span<const std::uint8_t> frame, std::size_t at)
{
    return static_cast<std::uint16_t>(frame[at] << 8 | frame[at + 1]);
}

// Silence that ends an RTU frame: three and a half characters, at least a few milliseconds
// because the host's clock counts whole milliseconds.
std::int64_t FrameGapMs(std::uint32_t baud)
{
    return std::max<std::int64_t>(3, 35 * 1000 / std::max<std::uint32_t>(baud, 1) + 1);
}

// The pattern kind (0–3) a 0x65 frame carries, or −1.
int PatternKind(std::span<const std::uint8_t> frame)
{
    std::array<std::uint8_t, kFrameBufferSize> expected{};
    for (int kind = 0; kind <= kExitPattern; ++kind) {
        const std::size_t n = BuildBootCommand(expected, frame[0], Word(frame, 2), kind);
        if (n == frame.size() && std::equal(frame.begin(), frame.end(), expected.begin()))
            return kind;
    }
    return -1;
}

}  // namespace

std::size_t RelayRequestLength(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() < 2)
        return 0;
    for (const RequestForm& f : kRequestForms) {
        if (f.function != bytes[1])
            continue;
        if (f.fixedLength != 0)
            return f.fixedLength;
        if (bytes.size() < f.countAt + f.countBytes)
            return 0;
        const std::size_t count =
            f.countBytes == 1 ? bytes[f.countAt] : bytes[f.countAt] | bytes[f.countAt + 1] << 8;
        return count > f.maxCount ? 0 : f.overhead + count;
    }
    return 0;
}

NonMLoader::NonMLoader()
{
    std::size_t total = 0;
    for (const LoaderBlock& b : kLoaderBlocks)
        total += b.size;
    m_flash.assign(total, 0xFF);
}

void NonMLoader::setWorkingLine(std::uint8_t address, std::uint32_t baud)
{
    m_workingAddress = address;
    m_workingBaud = baud;
}

void NonMLoader::EnterLoader()
{
    m_mode = LoaderMode::Loader;
    m_entryStep = 0;
    m_buffer.clear();
}

void NonMLoader::ReturnToProgram()
{
    m_mode = LoaderMode::Application;
    m_entryStep = 0;
    m_buffer.clear();
}

std::uint8_t NonMLoader::listenAddress() const
{
    return m_mode == LoaderMode::Loader ? kLoaderAddress : m_workingAddress;
}

std::uint32_t NonMLoader::listenBaud() const
{
    return m_mode == LoaderMode::Loader ? kLoaderBaud : m_workingBaud;
}

void NonMLoader::Receive(std::span<const std::uint8_t> bytes, std::int64_t nowMs, PeerLine peer)
{
    if (m_silent || peer.baud != listenBaud() || nowMs < m_busyUntil)
        return;
    if (!m_buffer.empty() && nowMs - m_lastByteMs >= FrameGapMs(peer.baud))
        m_buffer.clear();  // the unfinished frame was noise or a request we do not know
    m_lastByteMs = nowMs;
    m_buffer.insert(m_buffer.end(), bytes.begin(), bytes.end());
    while (m_buffer.size() >= 2) {
        const std::size_t length = RelayRequestLength(m_buffer);
        if (length == 0 || m_buffer.size() < length) {
            if (m_buffer.size() > kFrameBufferSize)
                m_buffer.clear();
            return;
        }
        const std::vector<std::uint8_t> frame(
            m_buffer.begin(), m_buffer.begin() + static_cast<std::ptrdiff_t>(length));
        m_buffer.erase(m_buffer.begin(), m_buffer.begin() + static_cast<std::ptrdiff_t>(length));
        if (CrcGood(frame) && frame[0] == listenAddress())
            Dispatch(frame, nowMs);
        if (nowMs < m_busyUntil) {
            m_buffer.clear();  // what follows arrives while the flash is busy and is lost
            return;
        }
    }
}

void NonMLoader::Dispatch(std::span<const std::uint8_t> frame, std::int64_t nowMs)
{
    if (m_mode == LoaderMode::Application) {
        // The relay's program answers everything else itself.
        if (frame[1] == kFunctionCommand)
            OnEntryPattern(frame, nowMs);
        return;
    }
    switch (frame[1]) {
        case kFunctionProbe:
            return OnProbe(frame, nowMs);
        case kFunctionCommand:
            return OnLoaderCommand(frame, nowMs);
        case kFunctionWrite:
            return OnBootWrite(frame, nowMs);
        default:
            return;  // the loader knows nothing else and stays silent
    }
}

void NonMLoader::Reply(std::vector<std::uint8_t> frame, std::int64_t dueMs)
{
    const std::uint16_t crc = Crc16(frame);
    frame.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    frame.push_back(static_cast<std::uint8_t>(crc >> 8));
    m_output.Send(std::move(frame), listenBaud(), dueMs);
}

void NonMLoader::Exception(std::uint8_t function, std::uint8_t code, std::int64_t nowMs)
{
    Reply({listenAddress(), static_cast<std::uint8_t>(function | kExceptionFlag), code},
          nowMs + kTurnaroundMs);
}

void NonMLoader::OnEntryPattern(std::span<const std::uint8_t> frame, std::int64_t nowMs)
{
    const int kind = PatternKind(frame);
    if (kind != m_entryStep) {
        // Out of order: the sequence starts again (a first pattern counts as its start).
        m_entryStep = kind == 0 ? 1 : 0;
        if (kind != 0)
            return Exception(kFunctionCommand, 3, nowMs);
    } else {
        ++m_entryStep;
    }
    // The acknowledgement still leaves at the working speed; then the loader takes over.
    Reply({frame.begin(), frame.begin() + 6}, nowMs + kTurnaroundMs);
    if (m_entryStep == kExitPattern)
        EnterLoader();
}

void NonMLoader::OnLoaderCommand(std::span<const std::uint8_t> frame, std::int64_t nowMs)
{
    const int kind = PatternKind(frame);
    if (kind < 0)
        return Exception(kFunctionCommand, 3, nowMs);
    Reply({frame.begin(), frame.begin() + 6}, nowMs + kTurnaroundMs);
    if (kind == kExitPattern) {
        // Back to the relay's program, which now runs the image just written.
        m_mode = LoaderMode::Application;
        ++m_exits;
        m_buffer.clear();
    }
}

void NonMLoader::OnProbe(std::span<const std::uint8_t> frame, std::int64_t nowMs)
{
    const std::uint16_t count = Word(frame, 4);
    if (count == 0 || count > kMaxReadCount)
        return Exception(kFunctionProbe, 3, nowMs);
    std::vector<std::uint8_t> reply{kLoaderAddress, kFunctionProbe,
                                    static_cast<std::uint8_t>(2 * count)};
    reply.resize(reply.size() + 2u * count, 0);
    Reply(std::move(reply), nowMs + kTurnaroundMs);
}

void NonMLoader::OnBootWrite(std::span<const std::uint8_t> frame, std::int64_t nowMs)
{
    const std::uint32_t address =
        static_cast<std::uint32_t>(frame[2]) | static_cast<std::uint32_t>(frame[3]) << 8 |
        static_cast<std::uint32_t>(frame[4]) << 16 | static_cast<std::uint32_t>(frame[5]) << 24;
    const std::span<const std::uint8_t> data = frame.subspan(8, frame.size() - 10);
    const auto at = Locate(address, std::max<std::size_t>(data.size(), 1));
    if (!at || (data.empty() && address != kLoaderBlocks[at->block].start))
        return Exception(kFunctionWrite, 2, nowMs);
    if (at->block == kLoaderBootBlock)
        return Exception(kFunctionWrite, 4, nowMs);  // the loader never overwrites itself
    int busyMs = m_timing.pageWriteMs;
    int lateMs = 0;
    if (data.empty()) {
        std::fill_n(m_flash.begin() + static_cast<std::ptrdiff_t>(at->storage),
                    kLoaderBlocks[at->block].size, 0xFF);
        busyMs = m_timing.eraseBlockMs;
        lateMs = std::exchange(m_lateEraseAckMs, 0);
    } else {
        // Programming clears bits only: unerased bytes end as old AND new.
        for (std::size_t i = 0; i < data.size(); ++i)
            m_flash[at->storage + i] &= data[i];
    }
    const std::int64_t done = nowMs + busyMs;
    m_busyUntil = done;
    Reply({frame.begin(), frame.begin() + 6}, done + kTurnaroundMs + lateMs);
}

std::optional<NonMLoader::Located> NonMLoader::Locate(std::uint32_t address,
                                                      std::size_t length) const
{
    std::size_t storage = 0;
    for (std::size_t k = 0; k < kLoaderBlocks.size(); ++k) {
        const LoaderBlock& b = kLoaderBlocks[k];
        if (address >= b.start && address - b.start < b.size &&
            length <= b.size - (address - b.start))
            return Located{k, storage + (address - b.start)};
        storage += b.size;
    }
    return std::nullopt;
}

bool NonMLoader::Read(std::uint32_t address, std::span<std::uint8_t> out) const
{
    const auto at = Locate(address, out.size());
    if (!at || out.empty())
        return false;
    std::copy_n(m_flash.begin() + static_cast<std::ptrdiff_t>(at->storage), out.size(),
                out.begin());
    return true;
}

bool NonMLoader::Load(std::uint32_t address, std::span<const std::uint8_t> bytes)
{
    const auto at = Locate(address, bytes.size());
    if (!at || bytes.empty())
        return false;
    std::copy(bytes.begin(), bytes.end(),
              m_flash.begin() + static_cast<std::ptrdiff_t>(at->storage));
    return true;
}

std::vector<std::uint8_t> NonMLoader::FlashDump() const
{
    std::vector<std::uint8_t> dump;
    dump.reserve(m_flash.size());
    // The table runs from the highest block down; storage offsets follow it.
    std::vector<std::size_t> storage(kLoaderBlocks.size());
    std::size_t at = 0;
    for (std::size_t k = 0; k < kLoaderBlocks.size(); ++k) {
        storage[k] = at;
        at += kLoaderBlocks[k].size;
    }
    std::array<std::size_t, kLoaderBlocks.size()> order{};
    for (std::size_t k = 0; k < order.size(); ++k)
        order[k] = k;
    std::sort(order.begin(), order.end(), [](std::size_t a, std::size_t b) {
        return kLoaderBlocks[a].start < kLoaderBlocks[b].start;
    });
    for (std::size_t k : order) {
        const auto first = m_flash.begin() + static_cast<std::ptrdiff_t>(storage[k]);
        dump.insert(dump.end(), first, first + kLoaderBlocks[k].size);
    }
    return dump;
}

std::vector<std::uint8_t> NonMLoader::SaveState() const
{
    std::vector<std::uint8_t> out(std::begin(kStateMagic), std::end(kStateMagic));
    out.push_back(static_cast<std::uint8_t>(m_mode));
    AppendFlashPages(out, m_flash);
    AppendStateCrc(out);
    return out;
}

StateLoad NonMLoader::LoadState(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() < sizeof kStateMagic + 2)
        return StateLoad::Truncated;
    if (!std::equal(std::begin(kStateMagic), std::end(kStateMagic), bytes.begin()))
        return StateLoad::NotThisDevice;
    const auto body = CheckStateCrc(bytes);
    if (!body)
        return StateLoad::CrcMismatch;
    StateReader in(body->subspan(sizeof kStateMagic));
    const std::uint8_t mode = in.Byte();
    std::vector<std::uint8_t> flash(m_flash.size());
    in.FlashPages(flash);
    if (in.failed())
        return StateLoad::Truncated;
    if (!in.atEnd() || mode > static_cast<std::uint8_t>(LoaderMode::Loader))
        return StateLoad::BadValue;
    m_flash = std::move(flash);
    m_mode = static_cast<LoaderMode>(mode);
    m_entryStep = 0;
    m_buffer.clear();
    m_output.Clear();
    m_busyUntil = 0;
    return StateLoad::Ok;
}

}  // namespace tirv::sim
