#pragma once
// Shared pieces of the viewer's GUI tests: the application object, a realistic oscillogram file
// and pixel helpers.
#include "oscillogram_builder.h"
#include "support/gui_app.h"

#include <QApplication>
#include <QColor>
#include <QFile>
#include <QImage>
#include <QString>

#include <vector>

namespace tirv::test {

// Three phase currents and voltages with a fault on phase A from sample 800, 3Io, and inputs and
// outputs that change at the fault.
inline OscillogramBuilder FaultRecording()
{
    auto b = OscillogramBuilder::Current();
    b.channels({OscChannel::Ia, OscChannel::Ib, OscChannel::Ic, OscChannel::Ua, OscChannel::Ub, OscChannel::Uc})
        .stopIndex(300)
        .deviceType(715)
        .event({5, 3, 14, 8, 7, 6, 5})
        .preTrigger(50)
        .tripCause(1);
    const int n = b.n();
    for (int c = 0; c < 6; ++c) {
        std::vector<std::int16_t> s(static_cast<std::size_t>(n));
        for (int j = 0; j < n; ++j) {
            const double phase = 2.0 * 3.14159265358979 * j / 16.0 - (c % 3) * 2.0943951;
            double amp = c < 3 ? 500.0 : 1000.0;
            if (j >= 800 && c == 0)
                amp = 2500.0;
            if (j >= 800 && c == 3)
                amp = 400.0;
            s[static_cast<std::size_t>(j)] = static_cast<std::int16_t>(std::lround(amp * std::sin(phase)));
        }
        b.samples(static_cast<OscChannel>(c), s);
    }
    b.digital({{0, 0x0001, 0x0000}, {800, 0x0003, 0x0001}, {1000, 0x0002, 0x0003}});
    return b;
}

inline bool WriteFile(const QString& path, const std::vector<std::uint8_t>& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    return f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size())) ==
           static_cast<qint64>(bytes.size());
}

inline int CountColour(const QImage& img, QRect area, QColor c)
{
    int n = 0;
    area &= img.rect();
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += QColor(img.pixel(x, y)) == c;
    return n;
}

// Text is antialiased: count the pixels clearly darker than the light background.
inline int CountDark(const QImage& img, QRect area)
{
    int n = 0;
    area &= img.rect();
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += QColor(img.pixel(x, y)).lightness() < 128;
    return n;
}

}  // namespace tirv::test
