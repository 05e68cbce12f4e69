// scan: the network scan operation of the scan page, with its ranges from the options.
#include "cli/commands.h"
#include "cli/relay_session.h"
#include "configurator/link/network_scan.h"
#include "configurator/link/panel_texts.h"
#include "configurator/link/registers.h"

#include <QEventLoop>
#include <QJsonArray>
#include <QJsonObject>
#include <cstdio>

namespace tirv::cli {

namespace {

namespace pt = panel_texts;

constexpr const char* kParityWords[] = {"none", "even", "odd"};

Exit Scan(RelaySession& s, const std::string&)
{
    const Options& o = s.options();
    const ConnectionSettings& c = s.settings();
    ScanRequest request;
    request.port = c.port;
    request.range = NormalizedScanRange(o.fromAddress.value_or(c.address),
                                        o.toAddress.value_or(c.address),
                                        o.fromBaudIndex.value_or(c.baudIndex),
                                        o.toBaudIndex.value_or(c.baudIndex));
    request.parity = c.parity;
    request.stopBits = c.stopBits;
    request.repeatCount = c.repeatCount;

    NetworkScan scan(s.link(), s.reporter());
    QJsonArray found;
    QObject::connect(&scan, &NetworkScan::rowFound, [&found, &o](const ScanRow& row) {
        const int rate = int(BaudRate(row.baudIndex));
        const std::string model = ScanModelText(row.modelCode);
        if (!o.json)
            std::printf("COM%d\t%d\t%s\t%d\t%s\t%d\n", row.port, row.address, model.c_str(), rate,
                        kParityWords[int(row.parity)], row.stopBits == StopBits::Two ? 2 : 1);
        std::fflush(stdout);
        found.append(QJsonObject{{"port", row.port},
                                 {"address", row.address},
                                 {"modelCode", row.modelCode},
                                 {"model", QString::fromStdString(model).trimmed()},
                                 {"baud", rate},
                                 {"parity", kParityWords[int(row.parity)]},
                                 {"stopBits", row.stopBits == StopBits::Two ? 2 : 1}});
    });
    WorkerEnd end = WorkerEnd::Failed;
    QEventLoop loop;
    QObject::connect(&scan, &NetworkScan::finished, &loop, [&](WorkerEnd e) {
        end = e;
        loop.quit();
    });
    if (!scan.start(request))
        return Exit::NoLink;
    loop.exec();
    const Exit exit = end == WorkerEnd::Success ? Exit::Ok : Exit::NoLink;
    if (o.json) {
        if (exit != Exit::Ok)
            PrintJson(FailureJson(exit, s.reporter()));
        else
            PrintJson({{"ok", true}, {"found", found}});
    }
    return exit;
}

using G = OptionGroup;

const CommandRow kRows[] = {
    {"scan", nullptr, G::Scan, "lists the relays answering on the line (--from/--to, --…-baud)",
     Scan},
};

}  // namespace

std::span<const CommandRow> ScanCommands()
{
    return kRows;
}

}  // namespace tirv::cli
