// Arbitrary bytes from the line into both simulated bootloaders, in chunks at arbitrary times,
// and arbitrary saved states: nothing may read or write outside its buffers.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "configurator/link/frames.h"
#include "sim/bootloaders/nonm_loader.h"
#include "sim/bootloaders/stm32_bootloader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace tirv::sim;
    if (size < 1)
        return 0;
    const std::span<const std::uint8_t> input(data + 1, size - 1);
    const std::uint8_t mode = data[0];
    if (mode & 0x80) {
        Stm32Bootloader stm32;
        stm32.LoadState(input);
        NonMLoader loader;
        loader.LoadState(input);
        return 0;
    }
    // Made once: a fresh megabyte of flash per input would make the run mostly page faults.
    // Every input starts from a reset protocol state; leftover flash content changes no path
    // that touches memory.
    static Stm32Bootloader stm32;
    static NonMLoader loader;
    static std::int64_t clock = 0;  // each input well after every busy period of the last one
    clock += 1'000'000;
    std::int64_t now = clock;
    stm32.EnterBootloader(now);
    stm32.memory().setOptions(kFactoryOptions);
    stm32.timing() = {1, 2, 0, 1, 1};
    stm32.faults() = {};
    stm32.faults().flipReadBack = mode & 1;
    stm32.memory().setReadProtection((mode & 4) ? kRdpLevel1 : kRdpLevel0);
    loader.setWorkingLine(1, kLoaderBaud);
    loader.EnterLoader();
    if (mode & 2) {  // back to the program's side, where only the entry patterns are heard
        std::array<std::uint8_t, tirv::kFrameBufferSize> exit{};
        const std::size_t n = tirv::BuildBootCommand(exit, kLoaderAddress, 0, 3);
        loader.Receive(std::span(exit).first(n), now, PeerLine{kLoaderBaud, 1});
        now += 100;
        loader.TakeOutput(now);
    }
    std::size_t at = 0;
    // Each chunk: a length byte (low 6 bits: bytes, high 2 bits: milliseconds to wait × 4).
    while (at < input.size()) {
        const std::uint8_t head = input[at++];
        const std::size_t n = std::min<std::size_t>(head & 0x3F, input.size() - at);
        now += (head >> 6) * 4;
        const auto chunk = input.subspan(at, n);
        at += n;
        stm32.Receive(chunk, now, PeerLine{115200, 1});
        loader.Receive(chunk, now, PeerLine{kLoaderBaud, 1});
        stm32.TakeOutput(now);
        loader.TakeOutput(now);
    }
    clock = now;
    return 0;
}
