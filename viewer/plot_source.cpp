#include "viewer/plot_source.h"

namespace tirv {

namespace {
StampTime Stamp(const OscDateTime& t)
{
    return {t.day, t.month, t.year, t.hour, t.minute, t.second, t.hundredths};
}
}  // namespace

PlotSource MakePlotSource(const OscillogramImage& image)
{
    PlotSource src;
    if (!image.loaded())
        return src;
    src.n = image.samplesPerChannel();
    for (const ChannelTrace& t : image.traces()) {
        const int ch = static_cast<int>(t.channel);
        if (ch < 0 || ch >= kPlotChannels)
            continue;
        PlotTrace& p = src.channels[static_cast<std::size_t>(ch)];
        p.recorded = true;
        p.flat = t.flat;
        p.values.assign(t.integers.begin(), t.integers.end());
        p.max = t.maximum;
        p.min = t.minimum;
    }
    for (const DigitalRecord& r : image.digitalRecords())
        src.digital.push_back({r.position, r.inputs, r.outputs});
    src.digitalValid = image.digitalValid();
    src.start = Stamp(image.startTime());
    src.event = Stamp(image.eventTime());
    src.tripName = std::string(image.tripCauseName());
    src.rangeFactor = image.rangeFactor();
    return src;
}

}  // namespace tirv
