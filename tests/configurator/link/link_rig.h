#pragma once
// The transport pieces wired the way the program wires them, over a scripted pty relay.
#include "configurator/link/byte_views.h"
#include "configurator/link/chunked_transfer.h"
#include "configurator/link/frames.h"
#include "configurator/link/link_check.h"
#include "configurator/link/link_state.h"
#include "configurator/link/paced_exchange.h"
#include "configurator/link/registers.h"
#include "configurator/link/serial_port.h"
#include "support/serial_relay.h"
#include "support/core_app.h"
#include "support/recording_reporter.h"

#include <array>
#include <optional>
#include <vector>

namespace tirv::test {

struct LinkRig {
    explicit LinkRig(QString portsFolder) : port(std::move(portsFolder))
    {
        settings.baudIndex = 0;  // long computed waits: a loaded machine never misses a reply
        settings.repeatCount = 3;
    }
    LinkContext context() { return {port, state, reporter, settings}; }

    RecordingReporter reporter;
    ConnectionSettings settings;
    SerialPort port;
    LinkState state;
    PacedExchange paced{port};
    DefaultLinkCheck check{context(), paced};
    ChunkedTransfer transfer{context(), paced, check};
};

// A Modbus read of `total` registers from `start` into `sink`, the way a page describes it.
inline TransferPlan ReadPlan(const ConnectionSettings& s, int start, int total,
                             std::vector<std::uint16_t>& sink, Function function = Function::ReadRegisters)
{
    sink.assign(static_cast<std::size_t>(total), 0);
    TransferPlan plan;
    plan.start = start;
    plan.total = total;
    plan.perBlock = kMaxReadCount;
    plan.progressText = QStringLiteral("  Чтение:   ");
    plan.failureText = QStringLiteral("Операцию чтения из устр-ва выполнить не удалось");
    const auto address = static_cast<std::uint8_t>(s.address);
    const int baud = s.baudIndex;
    plan.build = [=](int offset, int count) {
        std::array<std::uint8_t, kFrameBufferSize> buffer{};
        const auto first = static_cast<std::uint16_t>(start + offset);
        const auto n16 = static_cast<std::uint16_t>(count);
        const auto n = function == Function::ReadJournal ? BuildReadJournal(buffer, address, first, n16)
                       : function == Function::ReadArchive
                           ? BuildReadArchive(buffer, address, first, n16)
                           : BuildReadRegisters(buffer, address, first, n16);
        TransferBlock block;
        block.frame = Frame(buffer, n);
        block.waitMs = ReadWaitMs(n, static_cast<std::size_t>(count), baud);
        block.reply = ModbusReply(static_cast<std::uint8_t>(function), static_cast<int>(ReadReplyLength(
                                         static_cast<std::uint16_t>(count))));
        return block;
    };
    plan.function = static_cast<std::uint8_t>(function);
    plan.accept = [address, function, &sink](std::span<const std::uint8_t> reply, int offset,
                                             int count) {
        const LinkResult r = CheckReadReply(reply, address, function,
                                            static_cast<std::uint16_t>(count));
        if (r == LinkResult::Good)
            for (int k = 0; k < count; ++k)
                sink[static_cast<std::size_t>(offset + k)] =
                    ReadReplyRegister(reply, static_cast<std::size_t>(k));
        return r;
    };
    return plan;
}

// Runs a transfer to its end and returns the outcome (nullopt if it never ended).
inline std::optional<TransferOutcome> RunTransfer(ChunkedTransfer& transfer, TransferPlan plan)
{
    std::optional<TransferOutcome> outcome;
    if (!transfer.start(std::move(plan), [&](const TransferOutcome& o) { outcome = o; }))
        return std::nullopt;
    (void)QTest::qWaitFor([&] { return outcome.has_value(); }, kPatienceMs);
    return outcome;
}

}  // namespace tirv::test
