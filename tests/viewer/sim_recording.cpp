// Writes the simulator relay's current oscillogram as a ".tao" file, the way the configurator
// stores what it reads from the relay — for the demo, until the configurator's read-out runs.
//   viewer_sim_recording OUT.tao [MODEL]
#include "common/oscillogram_image.h"
#include "sim/relay.h"
#include "sim/relay_models.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv)
{
    if (argc < 2)
        return 2;
    const int code = argc > 2 ? std::atoi(argv[2]) : 715;
    const tirv::sim::RelayModel* model = tirv::sim::FindRelayModel(code);
    if (model == nullptr)
        return 2;
    const auto now = std::chrono::duration_cast<std::chrono::milliseconds>(
                         std::chrono::system_clock::now().time_since_epoch()).count();
    tirv::sim::Relay relay(*model, {}, now);
    relay.RebuildOscillogram();
    std::vector<std::uint8_t> bytes;
    for (std::uint16_t w : relay.oscillogram()) {
        bytes.push_back(static_cast<std::uint8_t>(w & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(w >> 8));
    }
    if (bytes.size() < tirv::kOscImageBytes)
        return 1;
    tirv::PrepareOscillogramForWriting(bytes, code);
    std::FILE* f = std::fopen(argv[1], "wb");
    if (f == nullptr)
        return 1;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok ? 0 : 1;
}
