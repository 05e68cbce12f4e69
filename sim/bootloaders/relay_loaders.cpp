#include "sim/bootloaders/relay_loaders.h"

#include <algorithm>

#include "configurator/link/registers.h"

namespace tirv::sim {
namespace {

constexpr std::uint8_t kStateMagic[4] = {'R', 'L', 'D', '1'};
// The STM32 bootloader frames 8 data bits with even parity: eleven bit times a character.
constexpr int kStm32BitsPerByte = 11;

}  // namespace

RelayLoaders::RelayLoaders(RelayLine& line) : m_line(line)
{
    for (auto& r : line.relays()) {
        Unit u;
        u.relay = r.get();
        u.nonM = std::make_unique<NonMLoader>();
        if (r->model().m)
            u.stm32 = std::make_unique<Stm32Bootloader>();
        m_units.push_back(std::move(u));
    }
}

bool RelayLoaders::LoaderActive(const Unit& u) const
{
    return u.stm32 ? u.stm32->mode() == Stm32Mode::Bootloader
                   : u.nonM->mode() == LoaderMode::Loader;
}

bool RelayLoaders::InLoader(std::size_t k) const
{
    return LoaderActive(m_units[k]);
}

void RelayLoaders::Enter(Unit& u, std::int64_t nowMs)
{
    if (u.stm32) {
        u.stm32->EnterBootloader(nowMs);
        u.nonM->ReturnToProgram();  // the entry patterns are heard again after the next GO
    } else {
        u.nonM->EnterLoader();
    }
}

void RelayLoaders::Leave(Unit& u)
{
    if (u.stm32)
        u.stm32->Reset();
    else
        u.nonM->ReturnToProgram();
}

void RelayLoaders::Sync(std::int64_t nowMs)
{
    for (Unit& u : m_units) {
        // An M relay's program heard the third entry pattern: it restarts into system memory.
        if (u.stm32 && u.nonM->mode() == LoaderMode::Loader)
            Enter(u, nowMs);
        const bool loader = LoaderActive(u);
        if (loader != u.lastInLoader) {
            u.relay->setMode(loader ? RelayMode::Bootloader : RelayMode::Application);
            m_dirty = true;
        } else if ((u.relay->mode() == RelayMode::Bootloader) != loader) {
            // A control command or the option changed the relay's mode.
            if (u.relay->mode() == RelayMode::Bootloader)
                Enter(u, nowMs);
            else
                Leave(u);
            m_dirty = true;
        }
        u.lastInLoader = LoaderActive(u);
    }
}

void RelayLoaders::Receive(std::span<const std::uint8_t> bytes, std::int64_t nowMs, PeerLine peer)
{
    Sync(nowMs);
    if (m_line.faults().silent)
        return;
    for (Unit& u : m_units) {
        const LineSettings& l = u.relay->line();
        u.nonM->setWorkingLine(static_cast<std::uint8_t>(l.address), BaudRate(l.baudIndex));
        if (u.stm32 && u.stm32->mode() == Stm32Mode::Bootloader) {
            u.stm32->Receive(bytes, nowMs, peer);
            m_dirty = true;
            continue;
        }
        // The program hears the entry patterns only when it speaks Modbus.
        if (u.nonM->mode() == LoaderMode::Application && l.protocol != Protocol::Modbus)
            continue;
        u.nonM->Receive(bytes, nowMs, peer);
        m_dirty = m_dirty || u.nonM->mode() == LoaderMode::Loader;
    }
    Sync(nowMs);
}

std::vector<Transmission> RelayLoaders::TakeOutput(std::int64_t nowMs)
{
    std::vector<Transmission> out;
    for (Unit& u : m_units) {
        std::vector<Burst> bursts = u.nonM->TakeOutput(nowMs);
        const std::size_t nonMCount = bursts.size();
        if (u.stm32) {
            std::vector<Burst> more = u.stm32->TakeOutput(nowMs);
            bursts.insert(bursts.end(), std::make_move_iterator(more.begin()),
                          std::make_move_iterator(more.end()));
        }
        for (std::size_t k = 0; k < bursts.size(); ++k) {
            Burst& b = bursts[k];
            if (m_line.faults().silent || !m_line.ApplyFaults(b.bytes, ReplyForm::Rtu))
                continue;
            Transmission t;
            t.bytes = std::move(b.bytes);
            t.delayMs = m_line.faults().lateMs;
            t.baud = b.baud;
            t.bitsPerByte = k < nonMCount ? BitsPerByte(u.relay->line()) : kStm32BitsPerByte;
            t.relay = u.relay;
            out.push_back(std::move(t));
        }
    }
    Sync(nowMs);
    return out;
}

std::optional<std::int64_t> RelayLoaders::NextWakeMs() const
{
    std::optional<std::int64_t> wake;
    const auto take = [&](std::optional<std::int64_t> w) {
        if (w && (!wake || *w < *wake))
            wake = w;
    };
    for (const Unit& u : m_units) {
        take(u.nonM->NextWakeMs());
        if (u.stm32)
            take(u.stm32->NextWakeMs());
    }
    return wake;
}

std::vector<std::uint8_t> RelayLoaders::FlashImage(std::size_t k) const
{
    const Unit& u = m_units[k];
    if (u.stm32) {
        const auto flash = u.stm32->memory().flash();
        return {flash.begin(), flash.end()};
    }
    return u.nonM->FlashDump();
}

std::vector<std::uint8_t> RelayLoaders::SaveState() const
{
    std::vector<std::uint8_t> out(std::begin(kStateMagic), std::end(kStateMagic));
    AppendWord32(out, static_cast<std::uint32_t>(m_units.size()));
    for (const Unit& u : m_units) {
        const std::vector<std::uint8_t> one = u.stm32 ? u.stm32->SaveState() : u.nonM->SaveState();
        AppendWord32(out, static_cast<std::uint32_t>(one.size()));
        out.insert(out.end(), one.begin(), one.end());
    }
    AppendStateCrc(out);
    return out;
}

std::string RelayLoaders::LoadState(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() < sizeof kStateMagic ||
        !std::equal(std::begin(kStateMagic), std::end(kStateMagic), bytes.begin()))
        return "not a loader state file";
    const auto body = CheckStateCrc(bytes);
    if (!body)
        return "loader state: CRC mismatch";
    StateReader in(body->subspan(sizeof kStateMagic));
    const std::uint32_t count = in.Word32();
    if (in.failed() || count > 255)
        return "loader state: bad relay count";
    // Every part is checked on a copy first, so a broken file changes nothing.
    std::vector<std::unique_ptr<NonMLoader>> nonM(m_units.size());
    std::vector<std::unique_ptr<Stm32Bootloader>> stm32(m_units.size());
    for (std::uint32_t k = 0; k < count; ++k) {
        const std::span<const std::uint8_t> one = in.Take(in.Word32());
        if (in.failed())
            return "loader state: truncated";
        if (k >= m_units.size())
            continue;  // the file held more relays than this line has
        StateLoad result;
        if (m_units[k].stm32) {
            stm32[k] = std::make_unique<Stm32Bootloader>();
            result = stm32[k]->LoadState(one);
        } else {
            nonM[k] = std::make_unique<NonMLoader>();
            result = nonM[k]->LoadState(one);
        }
        if (result != StateLoad::Ok)
            return "loader state of relay " + std::to_string(k + 1) + " does not fit";
    }
    for (std::size_t k = 0; k < m_units.size(); ++k) {
        Unit& u = m_units[k];
        if (stm32[k]) {
            u.stm32 = std::move(stm32[k]);
        } else if (nonM[k]) {
            u.nonM = std::move(nonM[k]);
        }
        u.lastInLoader = false;  // the next Sync puts the relay where its loader is
    }
    return {};
}

bool RelayLoaders::TakeDirty()
{
    const bool d = m_dirty;
    m_dirty = false;
    return d;
}

}  // namespace tirv::sim
