#include "sim/relay.h"

#include <algorithm>

#include "configurator/link/frames.h"
#include "sim/io_led_registers.h"
#include "sim/journal_content.h"
#include "sim/measurements.h"
#include "sim/setpoint_registers.h"

namespace tirv::sim {
namespace {

constexpr std::uint16_t kBias = regs::kSettingsBias;

std::uint16_t Word(std::span<const std::uint8_t> b, std::size_t at)
{
    return static_cast<std::uint16_t>(b[at] << 8 | b[at + 1]);
}

void PutWord(std::vector<std::uint8_t>& out, std::uint16_t v)
{
    out.push_back(static_cast<std::uint8_t>(v >> 8));
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
}

PduReply Exception(std::uint8_t function, std::uint8_t code)
{
    return {true, {static_cast<std::uint8_t>(function | kExceptionFlag), code}, std::nullopt};
}

bool Inside(int reg, RegisterBlock block)
{
    return reg >= block.start && reg < block.end();
}

// Settings-change events of the working journal: setpoints, I/O settings, LED settings.
enum WorkingEvent : int {
    kSetpointsChanged = 1,
    kIoSettingsChanged = 2,
    kLedSettingsChanged = 3,
    kPowerOnReset = 123,
};
// A write split over several frames is one change for the journal.
constexpr std::int64_t kOneChangeMs = 5000;

}  // namespace

Relay::Relay(const RelayModel& model, LineSettings line, std::int64_t nowMs, std::uint32_t seed)
    : m_model(&model), m_line(line), m_oscillogram(kOscillogramRegisters, 0), m_rng(seed)
{
    FillContent(nowMs);
}

void Relay::setLine(const LineSettings& line)
{
    m_line = line;
    WriteCommSettingsRegisters();
    m_dirty = true;
}

void Relay::FillContent(std::int64_t nowMs)
{
    m_holding.fill(0);
    const std::vector<std::uint16_t> setpoints = InitialSetpointRegisters(*m_model);
    std::copy(setpoints.begin(), setpoints.end(), m_holding.begin());
    m_holding[regs::kFamilySignature] = m_model->m ? regs::kSignatureM : regs::kSignatureNonM;
    m_holding[regs::kModelCode] = static_cast<std::uint16_t>(m_model->code);
    m_holding[regs::kFirmwareVersion] = m_model->firmwareVersion;
    m_holding[regs::kBuild] = m_model->firmwareBuild;
    m_holding[regs::kSerialNumber] = 1207;
    WriteIoSettings(m_holding, /*configured=*/true);
    WriteLedSettings(*m_model, m_holding, /*configured=*/true);
    WriteCommSettingsRegisters();
    FillJournals(*m_model, m_holding, clock(nowMs), m_rng);
    RebuildOscillogram();
    RefreshLive(nowMs);
}

void Relay::ChangeModel(const RelayModel& model, std::int64_t nowMs)
{
    const std::uint16_t serial = m_holding[regs::kSerialNumber];
    m_model = &model;
    if (m_line.baudIndex >= model.maxBaudIndex + 1)
        m_line.baudIndex = model.maxBaudIndex;
    FillContent(nowMs);
    m_holding[regs::kSerialNumber] = serial;
}

void Relay::RebuildOscillogram()
{
    m_oscillogram = BuildOscillogram(*m_model, m_holding, m_oscFlags);
}

void Relay::WriteCommSettingsRegisters()
{
    const int baudCode = kBias + regs::kBaudCodeOffset + m_line.baudIndex;
    const int protocolCode = kBias + regs::kProtocolCodeOffset + static_cast<int>(m_line.protocol);
    auto at = [this](int reg) -> std::uint16_t& { return m_holding[static_cast<std::size_t>(reg)]; };
    if (!m_model->m) {
        const int s = regs::kCommSettings.start;
        at(s) = static_cast<std::uint16_t>(m_line.address);
        at(s + 1) = static_cast<std::uint16_t>(baudCode);
        at(s + 2) = static_cast<std::uint16_t>(protocolCode);
        return;
    }
    const int s = regs::kCommSettingsM.start;
    const bool rs485 = !m_line.usb;
    // The channel the line is comes from the link settings; the other keeps what was written
    // (RS-485 starts at 57600 and the USB channel at its lowest speed).
    auto put = [&](int k, bool fromLine, int lineValue, int initial) {
        if (fromLine || at(s + k) == 0)
            at(s + k) = static_cast<std::uint16_t>(fromLine ? lineValue : initial);
    };
    put(0, rs485, protocolCode, kBias + regs::kProtocolCodeOffset + 1);
    put(1, rs485, m_line.address, m_line.address);
    put(2, rs485, baudCode, kBias + regs::kBaudCodeOffset + kDefaultBaudIndex);
    put(3, rs485, kBias + regs::kParityCodeOffset + m_line.parity, kBias + regs::kParityCodeOffset);
    put(4, rs485, kBias + regs::kStopBitsCodeOffset + m_line.stopBits - 1,
        kBias + regs::kStopBitsCodeOffset);
    put(5, false, 0, kBias + regs::kModeCodeOffset);  // "Ведомый"
    put(6, false, 0, kBias);
    put(7, m_line.usb, baudCode, kBias + regs::kBaudCodeOffset + kUsbFirstBaudIndex);
    put(8, false, 0, kBias);
}

void Relay::RefreshLive(std::int64_t nowMs)
{
    const WallTime t = clock(nowMs);
    const int fraction = m_model->m ? t.millisecond : t.millisecond / 10;
    ClockWords clockWords = {
        static_cast<std::uint16_t>(t.day),    static_cast<std::uint16_t>(t.month),
        static_cast<std::uint16_t>(t.year - 2000), static_cast<std::uint16_t>(t.hour),
        static_cast<std::uint16_t>(t.minute), static_cast<std::uint16_t>(t.second),
        static_cast<std::uint16_t>(fraction)};
    if (m_rawClock)
        clockWords = *m_rawClock;
    std::copy(clockWords.begin(), clockWords.end(), m_holding.begin() + regs::kClockRead.start);

    const FeederState feeder{m_breakerClosed, m_breakerOperations};
    const std::vector<std::uint16_t> measured = MeasurementRegisters(*m_model, feeder, m_rng);
    std::copy(measured.begin(), measured.end(), m_holding.begin() + m_model->measurementStart);
    for (const auto& [reg, word] : m_measurementOverrides)
        m_holding[static_cast<std::size_t>(reg)] = word;

    // A relay without I/O settings has no inputs or outputs assigned: nothing is active.
    const auto io = m_holding.begin() + regs::kIoSettings.start;
    const bool noIoSettings =
        std::all_of(io, io + regs::kIoSettings.count, [](std::uint16_t w) { return w == 0; });
    const IoStates live = noIoSettings ? IoStates{} : LiveIoStates(m_breakerClosed, nowMs);
    m_holding[regs::kInputStates] = m_ioOverride.inputs.value_or(live.inputs);
    m_holding[regs::kOutputStates] = m_ioOverride.outputs.value_or(live.outputs);
}

bool Relay::TakeDirty()
{
    const bool d = m_dirty;
    m_dirty = false;
    return d;
}

PduReply Relay::HandlePdu(std::span<const std::uint8_t> pdu, std::int64_t nowMs, Channel channel,
                          bool broadcast)
{
    if (pdu.empty())
        return {};
    const std::uint8_t function = pdu[0];
    if (m_mode == RelayMode::Bootloader) {
        // Room for the bootloaders: only the probe read answers, with an empty memory word.
        if (function != static_cast<std::uint8_t>(Function::BootRead) || broadcast ||
            pdu.size() != 5)
            return {};
        const std::uint16_t count = Word(pdu, 3);
        if (count == 0 || count > kMaxReadCount)
            return Exception(function, kIllegalValue);
        PduReply r{true, {function, static_cast<std::uint8_t>(2 * count)}, std::nullopt};
        r.pdu.resize(2 + 2u * count, 0);
        return r;
    }
    if (broadcast) {
        if (function == static_cast<std::uint8_t>(Function::ClockBroadcast) && pdu.size() == 8 &&
            pdu[1] == 6) {
            const WallTime t{2000 + pdu[4], pdu[3], pdu[2], pdu[5], pdu[6], pdu[7], 0};
            if (IsValidWallTime(t))
                SetClock(t, nowMs);
        }
        return {};  // a broadcast is never answered
    }
    const bool tcp = channel == Channel::Tcp;
    if (function == kWriteSingleRegister) {
        if (tcp)
            return Exception(function, kIllegalFunction);
        if (pdu.size() != 5)
            return {};
        const std::uint16_t value = Word(pdu, 3);
        PduReply r;
        if (const std::uint8_t code = ApplyWrite(Word(pdu, 1), std::span(&value, 1), nowMs, r.applyAfterReply))
            return Exception(function, code);
        r.answer = true;
        r.pdu.assign(pdu.begin(), pdu.end());
        return r;
    }
    switch (static_cast<Function>(function)) {
    case Function::ReadRegisters:
    case Function::ReadJournal:
    case Function::ReadArchive:
        if (pdu.size() != 5)
            return {};
        return Read(pdu, nowMs, function);
    case Function::WriteRegisters:
        if (tcp)
            return Exception(function, kIllegalFunction);
        return Write(pdu, nowMs);
    case Function::RestoreMinimalSet:
        if (tcp)
            return Exception(function, kIllegalFunction);
        if (pdu.size() == 2)
            RestoreMinimalSetInEmptyBlocks();
        return {};  // no reply is awaited
    default:
        return Exception(function, kIllegalFunction);
    }
}

PduReply Relay::Read(std::span<const std::uint8_t> pdu, std::int64_t nowMs, std::uint8_t function)
{
    const int start = Word(pdu, 1);
    const int count = Word(pdu, 3);
    if (count == 0 || count > kMaxReadCount)
        return Exception(function, kIllegalValue);
    const bool archive = function == static_cast<std::uint8_t>(Function::ReadArchive);
    const int size = archive ? kOscillogramRegisters : kHoldingRegisters;
    if (start + count > size)
        return Exception(function, kIllegalAddress);
    if (archive && archiveBusy(nowMs))
        return Exception(function, kArchiveBusy);
    if (!archive)
        RefreshLive(nowMs);
    PduReply r{true, {function, static_cast<std::uint8_t>(2 * count)}, std::nullopt};
    for (int i = 0; i < count; ++i) {
        const auto k = static_cast<std::size_t>(start + i);
        PutWord(r.pdu, archive ? m_oscillogram[k] : m_holding[k]);
    }
    return r;
}

PduReply Relay::Write(std::span<const std::uint8_t> pdu, std::int64_t nowMs)
{
    const std::uint8_t function = pdu[0];
    if (pdu.size() < 6)
        return {};
    const int start = Word(pdu, 1);
    const int count = Word(pdu, 3);
    if (count == 0 || count > kMaxWriteCount || pdu[5] != 2 * count ||
        pdu.size() != 6 + 2u * static_cast<unsigned>(count))
        return Exception(function, kIllegalValue);
    std::vector<std::uint16_t> values;
    for (int i = 0; i < count; ++i)
        values.push_back(Word(pdu, 6 + 2 * static_cast<std::size_t>(i)));
    PduReply r;
    if (const std::uint8_t code = ApplyWrite(start, values, nowMs, r.applyAfterReply))
        return Exception(function, code);
    r.answer = true;
    r.pdu.assign(pdu.begin(), pdu.begin() + 5);
    return r;
}

bool Relay::IsCommSettingsWrite(int start, int count) const
{
    if (start == regs::kCommSettings.start && count == regs::kCommSettings.count)
        return true;  // also sent to M relays by the automatic connection
    if (!m_model->m)
        return false;
    return (start == regs::kCommSettingsM.start && count == regs::kCommSettingsM.count) ||
           (count == 1 && (start == regs::kBaudRs485M || start == regs::kBaudUsbM));
}

std::uint8_t Relay::ApplyWrite(int start, std::span<const std::uint16_t> values,
                               std::int64_t nowMs, std::optional<LineSettings>& applyAfter)
{
    const int count = static_cast<int>(values.size());
    if (IsCommSettingsWrite(start, count))
        return ApplyCommSettings(start, values, applyAfter);
    if (count == 1 && (start == regs::kBreakerCommand || start == regs::kBreakerUnblock))
        return ApplyBreaker(start, values[0], nowMs);
    if (count == 1 && start == regs::kModelCode) {
        const RelayModel* model = FindRelayModel(values[0]);
        // A register write cannot change the hardware: the family (M or not) stays.
        if (model == nullptr || model->m != m_model->m)
            return kIllegalValue;
        if (model != m_model)
            ChangeModel(*model, nowMs);
        m_dirty = true;
        return 0;
    }
    if (count == 1 && start == regs::kSerialNumber) {
        m_holding[regs::kSerialNumber] = values[0];
        m_dirty = true;
        return 0;
    }
    if (start == regs::kClockSet.start && count == regs::kClockSet.count) {
        const WallTime t{2000 + values[2], values[1], values[0], values[3], values[4], values[5], 0};
        if (!IsValidWallTime(t))
            return kIllegalValue;
        SetClock(t, nowMs);
        return 0;
    }
    const RegisterBlock setpoints{0, static_cast<std::uint16_t>(m_model->setpointWords)};
    const RegisterBlock leds = m_model->m ? regs::kLedsM : regs::kLeds;
    const int last = start + count - 1;
    int event = 0;
    if (Inside(start, setpoints) && Inside(last, setpoints))
        event = kSetpointsChanged;
    else if (Inside(start, regs::kIoSettings) && Inside(last, regs::kIoSettings))
        event = kIoSettingsChanged;
    else if (Inside(start, leds) && Inside(last, leds))
        event = kLedSettingsChanged;
    else
        return kIllegalAddress;
    std::copy(values.begin(), values.end(), m_holding.begin() + start);
    if (event == kLedSettingsChanged)
        StoreLedRegisters(*m_model, m_holding, start, count);
    if (nowMs - m_lastSettingsEventMs[event] > kOneChangeMs || m_lastSettingsEventMs[event] == 0)
        AddWorkingEvent(event, nowMs);
    m_lastSettingsEventMs[event] = nowMs;
    m_dirty = true;
    return 0;
}

std::uint8_t Relay::ApplyCommSettings(int start, std::span<const std::uint16_t> v,
                                      std::optional<LineSettings>& applyAfter)
{
    LineSettings next = m_line;
    const int baudCount = m_model->maxBaudIndex + 1;
    auto code = [](std::uint16_t value, int offset) { return static_cast<int>(value) - kBias - offset; };
    auto baudOk = [&](int index) { return index >= 0 && index < baudCount; };
    auto protocolOk = [](int p) { return p == 0 || p == 1; };
    if (start == regs::kCommSettings.start) {
        const int baud = code(v[1], regs::kBaudCodeOffset);
        const int protocol = code(v[2], regs::kProtocolCodeOffset);
        if (v[0] < 1 || v[0] > 255 || !baudOk(baud) || !protocolOk(protocol))
            return kIllegalValue;
        next.address = v[0];
        next.baudIndex = baud;
        next.protocol = static_cast<Protocol>(protocol);
    } else if (v.size() == 1) {
        const int baud = code(v[0], regs::kBaudCodeOffset);
        if (!baudOk(baud))
            return kIllegalValue;
        next.baudIndex = baud;
        m_holding[static_cast<std::size_t>(start)] = v[0];
    } else {
        const int protocol = code(v[0], regs::kProtocolCodeOffset);
        const int baud = code(v[2], regs::kBaudCodeOffset);
        const int parity = code(v[3], regs::kParityCodeOffset);
        const int stop = code(v[4], regs::kStopBitsCodeOffset);
        const int usbBaud = code(v[7], regs::kBaudCodeOffset);
        if (!protocolOk(protocol) || v[1] < 1 || v[1] > 255 || !baudOk(baud) || parity < 0 ||
            parity > 2 || stop < 0 || stop > 1 || usbBaud < kUsbFirstBaudIndex || !baudOk(usbBaud))
            return kIllegalValue;
        std::copy(v.begin(), v.end(), m_holding.begin() + start);
        if (m_line.usb) {
            next.baudIndex = usbBaud;
        } else {
            next.protocol = static_cast<Protocol>(protocol);
            next.address = v[1];
            next.baudIndex = baud;
            next.parity = parity;
            next.stopBits = stop + 1;
        }
    }
    applyAfter = next;
    m_dirty = true;
    return 0;
}

std::uint8_t Relay::ApplyBreaker(int reg, std::uint16_t value, std::int64_t nowMs)
{
    (void)nowMs;
    if (reg == regs::kBreakerUnblock) {
        if (value != regs::kBreakerUnblockValue)
            return kIllegalValue;
        m_blocked = false;
        return 0;
    }
    if (value != regs::kBreakerClose && value != regs::kBreakerOpen)
        return kIllegalValue;
    if (m_blocked)
        return kRefused;
    const bool close = value == regs::kBreakerClose;
    if (close != m_breakerClosed)
        ++m_breakerOperations;
    m_breakerClosed = close;
    m_dirty = true;
    return 0;
}

void Relay::SetClock(const WallTime& t, std::int64_t nowMs)
{
    m_clockOffsetMs = ToEpochMs(t) - nowMs;
    m_rawClock.reset();
    m_dirty = true;
}

// The relay needs this long to store a new recording.
constexpr std::int64_t kRecordingMs = 3000;

void Relay::Trip(std::int64_t nowMs)
{
    AppendTrip(*m_model, m_holding, clock(nowMs));
    if (m_breakerClosed)
        ++m_breakerOperations;
    m_breakerClosed = false;
    RebuildOscillogram();
    m_recordingUntilMs = nowMs + kRecordingMs;
    m_dirty = true;
}

void Relay::PowerOn(std::int64_t nowMs)
{
    AddWorkingEvent(kPowerOnReset, nowMs);
}

void Relay::AddWorkingEvent(int code, std::int64_t nowMs)
{
    AppendWorkingEvent(m_holding, code, clock(nowMs));
    m_dirty = true;
}

}  // namespace tirv::sim
