#pragma once
// Builds 22,300-byte oscillogram images for tests, in either header layout. Samples and digital
// records are given in chronological order; the builder stores them in ring order around the
// stop index, as the relay does. Raw words can be overridden last, to damage a file on purpose.
//
//   auto bytes = OscillogramBuilder::Current()
//                    .channels({OscChannel::Ia, OscChannel::Ua})
//                    .stopIndex(1234)
//                    .sine(OscChannel::Ia, 1000)
//                    .digital({{0, 0x0001, 0}, {100, 0x0003, 0x8000}}, /*firstSlot=*/2)
//                    .build();
#include "common/oscillogram_image.h"

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <map>
#include <utility>
#include <vector>

namespace tirv::test {

class OscillogramBuilder {
public:
    static OscillogramBuilder Current() { return OscillogramBuilder(OscLayout::Current); }
    static OscillogramBuilder Legacy() { return OscillogramBuilder(OscLayout::Legacy); }

    // Sets the flags of the given channels to 1 and all other flags to 0.
    OscillogramBuilder& channels(std::initializer_list<OscChannel> list)
    {
        m_flags.fill(0);
        for (OscChannel c : list)
            m_flags[static_cast<std::size_t>(c)] = 1;
        return *this;
    }
    // Any flag value, including invalid ones.
    OscillogramBuilder& flag(OscChannel c, std::int16_t value)
    {
        m_flags[static_cast<std::size_t>(c)] = value;
        return *this;
    }
    OscillogramBuilder& stopIndex(int s)
    {
        m_stop = s;
        return *this;
    }
    OscillogramBuilder& coefficient(OscChannel c, float value)  // current layout
    {
        m_floats[static_cast<std::size_t>(c)] = value;
        return *this;
    }
    OscillogramBuilder& k(OscChannel c, std::int16_t value)  // legacy layout
    {
        m_k[static_cast<std::size_t>(c)] = value;
        return *this;
    }
    OscillogramBuilder& event(const OscDateTime& t)
    {
        m_event = t;
        return *this;
    }
    OscillogramBuilder& preTrigger(int hundredths)
    {
        m_preTrigger = hundredths;
        return *this;
    }
    OscillogramBuilder& tripCause(int mask)
    {
        m_tripCause = mask;
        return *this;
    }
    OscillogramBuilder& deviceType(int code)
    {
        m_deviceType = code;
        return *this;
    }
    // Chronological raw samples of one channel (missing samples are 0, extra ones dropped).
    OscillogramBuilder& samples(OscChannel c, std::vector<std::int16_t> chronological)
    {
        m_samples[c] = std::move(chronological);
        return *this;
    }
    // A 50 Hz sine of the given raw amplitude: 16 samples per period.
    OscillogramBuilder& sine(OscChannel c, double amplitude, double phaseDeg = 0.0)
    {
        std::vector<std::int16_t> s(static_cast<std::size_t>(n()));
        for (std::size_t j = 0; j < s.size(); ++j) {
            const double a = 2.0 * 3.14159265358979 * static_cast<double>(j) / 16.0 +
                             phaseDeg * 3.14159265358979 / 180.0;
            s[j] = static_cast<std::int16_t>(std::lround(amplitude * std::sin(a)));
        }
        return samples(c, std::move(s));
    }
    // Chronological digital records (positions counted from the first sample). Record 0 goes to
    // slot firstSlot, the following ones after it, wrapping around the `count` valid slots.
    OscillogramBuilder& digital(std::vector<DigitalRecord> chronological, int firstSlot = 0)
    {
        m_digital = std::move(chronological);
        m_firstSlot = firstSlot;
        m_count = static_cast<int>(m_digital.size());
        return *this;
    }
    // Word 40 as stored, whatever the records given.
    OscillogramBuilder& recordCount(int count)
    {
        m_count = count;
        return *this;
    }
    // A raw 16-bit word (header, sample or digital area), applied after everything else.
    OscillogramBuilder& word(int index, std::uint16_t value)
    {
        m_words.emplace_back(index, value);
        return *this;
    }

    int n() const
    {
        int nA = 0;
        for (int i = 0; i < kOscFlaggedChannels; ++i)
            nA += m_flags[static_cast<std::size_t>(i)] == 1;
        return nA == 0 ? kOscSampleWords : kOscSampleWords / nA;
    }

    std::vector<std::uint8_t> build() const
    {
        std::vector<std::uint8_t> b(kOscImageBytes, 0);
        auto put = [&](int w, int v) {
            b[2 * static_cast<std::size_t>(w)] = static_cast<std::uint8_t>(v & 0xFF);
            b[2 * static_cast<std::size_t>(w) + 1] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
        };
        const bool current = m_layout == OscLayout::Current;
        const int date = current ? 1 : 25;
        put(0, m_stop);
        const int dt[7] = {m_event.day,    m_event.month,  m_event.year,      m_event.hour,
                           m_event.minute, m_event.second, m_event.hundredths};
        for (int i = 0; i < 7; ++i)
            put(date + i, dt[i]);
        put(current ? 8 : 32, m_tripCause);
        for (int i = 0; i < 8; ++i)
            put(9 + i, m_flags[static_cast<std::size_t>(i)]);
        put(17, m_preTrigger);
        if (current) {
            for (int i = 0; i < 8; ++i) {
                const auto bits = std::bit_cast<std::uint32_t>(m_floats[static_cast<std::size_t>(i)]);
                put(18 + 2 * i, static_cast<int>(bits & 0xFFFF));
                put(19 + 2 * i, static_cast<int>(bits >> 16));
            }
            put(48, m_deviceType);
            put(49, kOscCurrentLayoutMark);
        } else {
            for (int i = 0; i < 8; ++i)
                put(1 + i, m_k[static_cast<std::size_t>(i)]);
            put(49, m_deviceType);
        }
        put(40, m_count);

        const int nSamples = n();
        int block = 0;
        for (int c = 0; c < kOscFlaggedChannels; ++c) {
            if (m_flags[static_cast<std::size_t>(c)] != 1)
                continue;
            const auto it = m_samples.find(static_cast<OscChannel>(c));
            if (it != m_samples.end()) {
                for (int j = 0; j < nSamples && j < static_cast<int>(it->second.size()); ++j)
                    put(kOscHeaderWords + block * nSamples + ringPosition(j, nSamples),
                        it->second[static_cast<std::size_t>(j)]);
            }
            ++block;
        }

        const int slotCount = static_cast<int>(m_digital.size());
        for (int i = 0; i < slotCount; ++i) {
            const DigitalRecord& r = m_digital[static_cast<std::size_t>(i)];
            const int slot = (m_firstSlot + i) % slotCount;
            const int w = static_cast<int>(kOscDigitalOffset / 2) + 3 * slot;
            put(w, r.position == 0 ? m_stop : ringPosition(r.position, nSamples));
            put(w + 1, r.inputs);
            put(w + 2, r.outputs);
        }
        for (const auto& [w, v] : m_words)
            put(w, v);
        return b;
    }

private:
    explicit OscillogramBuilder(OscLayout layout) : m_layout(layout)
    {
        m_floats.fill(1.0f);
        m_k.fill(10000);
    }
    // Where chronological sample j lies in a ring whose oldest sample is at the stop index.
    int ringPosition(int j, int nSamples) const
    {
        // A stop index outside the ring (a damaged file under test) places samples in stored order.
        const int stop = m_stop >= 0 && m_stop <= nSamples ? m_stop : 0;
        return (stop + j) % nSamples;
    }

    OscLayout m_layout;
    std::array<std::int16_t, 8> m_flags{};
    int m_stop = 0;
    std::array<float, 8> m_floats{};
    std::array<std::int16_t, 8> m_k{};
    OscDateTime m_event{5, 3, 14, 8, 7, 6, 5};
    int m_preTrigger = 0;
    int m_tripCause = 1;
    int m_deviceType = 715;
    std::map<OscChannel, std::vector<std::int16_t>> m_samples;
    std::vector<DigitalRecord> m_digital;
    int m_firstSlot = 0;
    int m_count = 0;
    std::vector<std::pair<int, std::uint16_t>> m_words;
};

}  // namespace tirv::test
