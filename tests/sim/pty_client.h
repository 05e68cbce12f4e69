#pragma once
// The peer's end of the simulator's line in tests: opens the published port raw at a given speed
// and stop bits, sends a request and collects the reply until the line stays quiet.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tirv::sim::test {

class PtyClient {
public:
    PtyClient(const std::string& path, std::uint32_t baud, int stopBits = 1);
    ~PtyClient();
    PtyClient(const PtyClient&) = delete;
    PtyClient& operator=(const PtyClient&) = delete;

    bool open() const { return m_fd >= 0; }
    bool configure(std::uint32_t baud, int stopBits = 1);
    // Sends `request` and returns what arrives until `quietMs` pass without a byte (at most
    // `limitMs` in all).
    std::vector<std::uint8_t> exchange(std::span<const std::uint8_t> request, int quietMs = 60,
                                       int limitMs = 2000, bool drainFirst = true);
    // Sends without reading anything.
    bool send(std::span<const std::uint8_t> request);
    // Time in ms from the end of the write to the last reply byte of the last exchange.
    int lastReplyMs() const { return m_lastReplyMs; }

private:
    int m_fd = -1;
    int m_lastReplyMs = 0;
};

}  // namespace tirv::sim::test
