// The relay's side of the ТИРВ protocol: link check, reads (variant 0 walks the setpoints),
// register writes and breaker commands, with the values carried without the Modbus coding.
#include "sim/io_led_registers.h"
#include "sim/relay.h"
#include "sim/setpoint_registers.h"

namespace tirv::sim {
namespace {

constexpr std::uint16_t kBias = regs::kSettingsBias;
// A variant-0 read sequence is over when the line has been quiet this long.
constexpr std::int64_t kReadSequenceGapMs = 2000;

}  // namespace

std::uint16_t Relay::ToText(int reg, std::uint16_t word) const
{
    if (reg >= 0 && reg < m_model->setpointWords)
        return SetpointRegisterToText(*m_model, reg, word);
    // A register that holds no record reads as empty in this protocol too (not as −0x8000).
    if (word == 0)
        return 0;
    return static_cast<std::uint16_t>(word - SettingsTextBias(*m_model, reg));
}

std::uint16_t Relay::FromText(int reg, std::uint16_t value) const
{
    if (reg >= 0 && reg < m_model->setpointWords)
        return SetpointTextToRegister(*m_model, reg, value);
    return static_cast<std::uint16_t>(value + SettingsTextBias(*m_model, reg));
}

TextAnswer Relay::HandleText(const TextRequest& req, std::int64_t nowMs)
{
    TextAnswer answer;
    if (m_mode != RelayMode::Application)
        return answer;
    switch (req.command) {
    case TextCommand::LinkCheck:
        m_textCursor = 0;
        answer.frame = BuildTextLinkCheckReply(req);
        return answer;
    case TextCommand::Read: {
        unsigned start = req.start;
        if (!req.startGiven) {
            // Variant 0 names no start: a read sequence walks the setpoint block from 0.
            if (nowMs - m_lastTextReadMs > kReadSequenceGapMs)
                m_textCursor = 0;
            start = m_textCursor;
        }
        m_lastTextReadMs = nowMs;
        if (start + req.count > kHoldingRegisters)
            return answer;
        RefreshLive(nowMs);
        std::vector<std::uint16_t> values;
        for (unsigned i = 0; i < req.count; ++i) {
            const int reg = static_cast<int>(start + i);
            values.push_back(ToText(reg, m_holding[static_cast<std::size_t>(reg)]));
        }
        if (!req.startGiven) {
            const bool last = req.count < static_cast<unsigned>(m_line.valuesPerFrame);
            m_textCursor = last ? 0 : start + req.count;
        }
        answer.frame = BuildTextReadReply(req, values);
        return answer;
    }
    case TextCommand::Write:
    case TextCommand::Command: {
        std::vector<std::uint16_t> values = req.values;
        const int start = static_cast<int>(req.start);
        std::uint8_t result = 0;
        if (req.command == TextCommand::Command) {
            // "K" carries the breaker commands only.
            const bool breaker = start == regs::kBreakerCommand || start == regs::kBreakerUnblock;
            result = values.size() == 1 && breaker ? ApplyBreaker(start, values[0], nowMs)
                                                   : static_cast<std::uint8_t>(kIllegalAddress);
        } else if (start == regs::kCommSettings.start ||
                   (m_model->m && start == regs::kCommSettingsM.start && values.size() == 3)) {
            // The ТИРВ protocol writes the three link values of the non-M block, unbiased.
            if (values.size() != 3)
                return answer;
            values[1] = static_cast<std::uint16_t>(values[1] + kBias);
            values[2] = static_cast<std::uint16_t>(values[2] + kBias);
            result = ApplyCommSettings(regs::kCommSettings.start, values, answer.applyAfterReply);
        } else {
            for (std::size_t i = 0; i < values.size(); ++i)
                values[i] = FromText(start + static_cast<int>(i), values[i]);
            if (start + values.size() > static_cast<std::size_t>(kHoldingRegisters))
                return answer;
            result = ApplyWrite(start, values, nowMs, answer.applyAfterReply);
        }
        if (result != 0)
            return {};  // the ТИРВ protocol has no exception form: the relay stays silent
        answer.frame = BuildTextWriteAck(req);
        return answer;
    }
    }
    return answer;
}

}  // namespace tirv::sim
