// A tiny host that serves the simulated STM32 bootloader on a pseudo-terminal, so that an
// independent AN3155 host (stm32flash) can talk to it. Usage:
//   stm32_pty_host <ports-dir> <com> <dump-file>
// publishes <ports-dir>/COM<com>, runs until SIGTERM or SIGINT, then writes the flash to
// <dump-file>.
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "sim/bootloaders/stm32_bootloader.h"
#include "sim/pty_line.h"

namespace {

volatile std::sig_atomic_t g_stop = 0;

void OnSignal(int)
{
    g_stop = 1;
}

std::int64_t NowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s <ports-dir> <com> <dump-file>\n", argv[0]);
        return 2;
    }
    tirv::sim::PtyLine pty;
    if (const std::string error = pty.Open(argv[1], std::atoi(argv[2])); !error.empty()) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    std::signal(SIGTERM, OnSignal);
    std::signal(SIGINT, OnSignal);
    tirv::sim::Stm32Bootloader device;
    device.EnterBootloader(NowMs());
    std::printf("%s\n", pty.devicePath().c_str());
    std::fflush(stdout);

    std::uint8_t buffer[512];
    while (!g_stop) {
        int timeoutMs = 50;
        if (const auto wake = device.NextWakeMs())
            timeoutMs = static_cast<int>(std::clamp<std::int64_t>(*wake - NowMs(), 0, 50));
        pollfd p{pty.fd(), POLLIN, 0};
        if (poll(&p, 1, timeoutMs) > 0 && (p.revents & POLLIN)) {
            const ssize_t n = read(pty.fd(), buffer, sizeof buffer);
            if (n > 0)
                device.Receive(std::span<const std::uint8_t>(buffer, static_cast<std::size_t>(n)),
                               NowMs(), pty.Peer());
        }
        for (const tirv::sim::Burst& b : device.TakeOutput(NowMs())) {
            std::size_t done = 0;
            while (done < b.bytes.size()) {
                const ssize_t w = write(pty.fd(), b.bytes.data() + done, b.bytes.size() - done);
                if (w <= 0)
                    break;
                done += static_cast<std::size_t>(w);
            }
        }
    }
    std::ofstream dump(argv[3], std::ios::binary);
    const auto flash = device.memory().flash();
    dump.write(reinterpret_cast<const char*>(flash.data()),
               static_cast<std::streamsize>(flash.size()));
    return dump ? 0 : 1;
}
