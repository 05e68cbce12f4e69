// Any answers, failed writes and aborts fed to the M update state machine: it never reads outside
// what it was given, every request fits the bootloader's limits, and it ends within a bounded
// number of requests with a final text (repeats are bounded, protections are removed once).
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "configurator/firmware/stm32_update.h"

namespace {

struct Quiet : tirv::StmUpdateEvents {
    void step(std::string_view) override {}
    void progress(int value, int max) override
    {
        if (value < 0 || value > max)
            __builtin_trap();
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    tirv::HexImage image;
    image.start = 0x08000000 + 4u * data[0];
    image.bytes.assign(1 + data[1] * 3u, 0x5A);
    image.firstSector = 0;
    image.lastSector = 0;
    std::span<const std::uint8_t> script(data + 2, size - 2);

    Quiet events;
    tirv::StmUpdate update(image, tirv::StmMode::Update, events, 115200, 64);
    update.start();
    std::size_t requests = 0;
    while (update.outcome() == tirv::StmOutcome::Running) {
        const tirv::StmRequest& r = update.request();
        if (r.bytes.empty() || r.bytes.size() > 258 || r.expect == 0 || r.expect > 257 ||
            ++requests > 4000)
            __builtin_trap();
        if (script.empty()) {
            update.answer({});
            continue;
        }
        const std::uint8_t op = script[0];
        script = script.subspan(1);
        if (op == 0xFE) {
            update.writeFailed();
        } else if (op == 0xFD) {
            update.abort();
        } else {
            // An answer of up to expect + 1 bytes taken from the script, on the heap so that a
            // read past its end shows.
            const std::size_t n = std::min<std::size_t>(op % (r.expect + 2), script.size());
            const std::vector<std::uint8_t> answer(script.begin(), script.begin() + n);
            script = script.subspan(n);
            update.answer(answer);
        }
    }
    if (update.finalText()[0] == '\0')
        __builtin_trap();
    return 0;
}
