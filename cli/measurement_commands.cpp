// measurements [--watch PERIOD [--readings N]]: the measurements page's operation, one reading or
// cyclic polling, each reading printed as the page shows it.
#include "cli/commands.h"
#include "cli/relay_session.h"
#include "configurator/journals/measurement_list.h"
#include "configurator/journals/measurement_operation.h"
#include "configurator/journals/measurement_texts.h"

#include <QJsonArray>
#include <QJsonObject>

#include <cmath>
#include <cstdio>
#include <limits>

namespace tirv::cli {

namespace {

namespace tx = measurement_texts;

// The name of value `index`: its list row's text (without the padding) and, for an angle, the
// column's heading.
QString ValueName(std::size_t index)
{
    const MeasurementValueInfo& info = kMeasurementValueTable[index];
    QString name = QString::fromStdString(MeasurementListRowText(info.listRow)).trimmed();
    if (info.listColumn == 2)
        name += QStringLiteral(", ") + QString::fromUtf8(tx::kListColumns[2]);
    return name;
}

void Print(const Options& o, const MeasurementTable& table)
{
    const std::size_t count = MeasurementValueCount(table.layout);
    if (o.json) {
        QJsonArray values;
        for (std::size_t i = 0; i < count; ++i) {
            const double v = table.values[i];
            values.append(QJsonObject{{"index", static_cast<int>(i)},
                                      {"name", ValueName(i)},
                                      {"text", QString::fromStdString(FormatMeasurement(table, i))},
                                      // JSON has no NaN or infinity: the text tells them.
                                      {"value", std::isfinite(v) ? QJsonValue(v) : QJsonValue()}});
        }
        PrintJson({{"ok", true},
                   {"layout", table.layout == MeasurementLayout::Float ? "float" : "integer"},
                   {"values", values}});
        return;
    }
    for (std::size_t i = 0; i < count; ++i)
        std::printf("%-40s %s\n", ValueName(i).toUtf8().constData(),
                    FormatMeasurement(table, i).c_str());
    std::printf("\n");
    std::fflush(stdout);
}

Exit Measurements(RelaySession& s, const std::string&)
{
    const Options& o = s.options();
    if (o.readings && !o.watchMs) {
        std::fprintf(stderr, "--readings needs --watch\n");
        return Exit::Usage;
    }
    MeasurementOperation op(s.link(), s.session(), s.reporter(), s.settings(),
                            [&s] { return s.model().code(); });
    MeasurementEnd end = MeasurementEnd::Failed;
    int readings = 0;
    // Without --readings a watch runs until the program is stopped.
    const int wanted = !o.watchMs ? 1 : o.readings.value_or(std::numeric_limits<int>::max());
    s.waitFor([&](std::function<void()> done) {
        const bool started = op.start(
            // `done` by value: this lambda outlives the call that starts the reading.
            [&, done](const MeasurementReading& r, bool last) {
                end = r.end;
                if (r.end == MeasurementEnd::Read && readings < wanted) {
                    Print(o, r.table);
                    ++readings;
                }
                // The reading after this one is the last asked for.
                if (!last && readings + 1 >= wanted)
                    op.stopPolling();
                if (last)
                    done();
            },
            wanted > 1 ? o.watchMs.value_or(0) : 0);
        if (!started)
            done();
    });
    Exit exit = Exit::Ok;
    if (end == MeasurementEnd::Invalid)
        exit = Exit::Invalid;
    else if (end != MeasurementEnd::Read)
        exit = Exit::NoLink;
    if (exit != Exit::Ok && o.json)
        PrintJson(FailureJson(exit, s.reporter()));
    return exit;
}

using G = OptionGroup;

const CommandRow kRows[] = {
    {"measurements", nullptr, G::General,
     "reads the present values once, or every PERIOD ms with --watch", Measurements},
};

}  // namespace

std::span<const CommandRow> MeasurementCommands()
{
    return kRows;
}

}  // namespace tirv::cli
