#pragma once
// The program's wiring of the setpoint operations over the real paced exchange, link check and
// chunked transfer, against the in-memory relay, shared by the setpoint transfer tests.
#include "configurator/setpoints/setpoint_transfer.h"
#include "support/core_app.h"

#include "configurator/link/texts.h"
#include "configurator/setpoints/setpoint_check.h"
#include "configurator/setpoints/setpoint_conversion.h"
#include "configurator/setpoints/texts.h"
#include "support/serial_relay.h"
#include "operation_runner.h"
#include "setpoint_wiring.h"
#include "support/recording_reporter.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

#include <functional>
#include <optional>

namespace tirv::setpoint_test {

namespace tx = setpoint_texts;
using test::PortRelay;
using test::RelayAction;
using test::SerialRelay;
using test::RecordingReporter;

inline QString T(const char* utf8) { return QString::fromUtf8(utf8); }

// What the rig owns besides the wiring: one in-memory relay on the line.
struct MemoryLine {
    explicit MemoryLine(int modelCode) : relay(test::RelayMemory::OfModel(modelCode))
    {
        settings.baudIndex = 6;
        settings.repeatCount = 2;
    }
    RecordingReporter reporter;
    ConnectionSettings settings;
    PortRelay relay;
};

// The program's wiring of one relay, one link and the setpoint operations.
struct Rig : MemoryLine, test::SetpointWiring {
    explicit Rig(int modelCode)
        : MemoryLine(modelCode), SetpointWiring(relay, reporter, settings, modelCode, false)
    {
    }

    std::optional<SetpointTransferOutcome> run(bool write)
    {
        return test::RunSetpointOperation(setpoints, write, 20000);
    }
    std::optional<SetpointTransferOutcome> read() { return run(false); }
    std::optional<SetpointTransferOutcome> write() { return run(true); }

    // The relay holds `held` in its setpoint registers.
    void relayHolds(const SetpointImage& held) { relay.loadBlock(ImageToRegisters(profile, held)); }
    // The relay loses every request `lost` picks and answers the others.
    void relayLoses(std::function<bool(const QByteArray&)> lost)
    {
        relay.setScript([this, lost = std::move(lost)](const QByteArray& r, int) {
            return lost(r) ? RelayAction{} : relay.answer(r);
        });
    }
    std::uint16_t& relayRegisterOf(const char* name)
    {
        const int i = profile.find(name);
        for (int r = 0; r < profile.imageWords; ++r)
            if (profile.registerOrder[static_cast<std::size_t>(r)] == i)
                return relay.registers[static_cast<std::size_t>(r)];
        ADD_FAILURE() << name;
        return relay.registers[199];
    }
    std::int32_t& at(SetpointImage& im, const char* name) { return test::ImageAt(profile, im, name); }
};

// A relay set that differs from the default image everywhere it matters.
inline SetpointImage RelaySet(const ModelProfile& p)
{
    SetpointImage s = DefaultImage(p);
    s[static_cast<std::size_t>(p.find("МТЗ-1 гр.А I"))] += 7;
    s[static_cast<std::size_t>(p.find("МТЗ-общие Угол макс.чувств."))] = -30;
    s[static_cast<std::size_t>(p.find("МТЗ-1 Вкл."))] = 1;
    s[static_cast<std::size_t>(p.find("МТЗ-общие Угол сектора"))] = 3;
    return s;
}

struct BlockRange {
    int start;
    int count;
    bool operator==(const BlockRange&) const = default;
};
inline std::vector<BlockRange> Ranges(const std::vector<QByteArray>& requests)
{
    std::vector<BlockRange> out;
    for (const auto& r : requests)
        out.push_back({SerialRelay::Start(r), SerialRelay::Count(r)});
    return out;
}

class SetpointTransferTest : public ::testing::Test {
protected:
    void SetUp() override { test::EnsureCoreApp(); }
};

}  // namespace tirv::setpoint_test
