#pragma once
// The one mechanism every page uses to move a register range over the serial link: consecutive
// blocks (Modbus: 125 registers per read, 123 per write; ТИРВ protocol: values per frame), each a
// paced exchange checked by the page's checker, a failed block repeated up to the repeat count
// after the port is reopened and the link checked, and the outcome written to the status bar in
// the link's standard words. Pages describe a transfer; they never run the loop themselves.
#include "configurator/link/frames.h"
#include "configurator/link/link_check.h"
#include "configurator/link/reply_completion.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace tirv {

class PacedExchange;
struct ExchangeReply;

struct TransferBlock {
    QByteArray frame;
    int waitMs = 0;     // computed reply time of this frame
    ReplyRule reply;
};

// The block of a frame record of the domain (its bytes, reply time and reply rule); `keep`, when
// given, keeps the request's bytes for checking the reply.
template <typename Frame>
TransferBlock ToTransferBlock(const Frame& f, std::vector<std::uint8_t>* keep = nullptr)
{
    if (keep)
        *keep = f.bytes;
    TransferBlock b;
    b.frame = QByteArray(reinterpret_cast<const char*>(f.bytes.data()),
                         static_cast<qsizetype>(f.bytes.size()));
    b.waitMs = f.waitMs;
    b.reply = f.reply;
    return b;
}

// A transfer description.
struct TransferPlan {
    // The builder puts it in the frame; a write (16) over the ТИРВ protocol is cut into blocks
    // by the protocol's rule (TextWriteBlockCount), whatever the plan.
    std::uint8_t function = 3;
    int start = 0;               // first register (or value) of the transfer
    int total = 0;               // registers (or values) to move; 0 means one block of its own
    int perBlock = 125;          // 125 reads, 123 writes, values per frame (ТИРВ protocol)
    // Builds the block at register `start + offset`, `count` registers.
    std::function<TransferBlock(int offset, int count)> build;
    // Checks a reply and, when good, hands its data to the page's sink.
    std::function<LinkResult(std::span<const std::uint8_t> reply, int offset, int count)> accept;
    QString progressText;        // e.g. "  Чтение значений уставок из устройства:   "
    QString failureText;         // e.g. "Операцию чтения из устр-ва выполнить не удалось"
    bool userStarted = true;     // a failure also shows the "Не удается установить соединение…" box
    bool noReply = false;        // the frames get no reply (broadcast, restore-minimal-set)
    // When set, the status of a repeat from the block's number (from 1) and the repeat's number
    // (the journals name the block); otherwise progressText followed by "повтор N".
    std::function<QString(int block, int repeat)> repeatText;
    // Above 0: the progress bar runs 0..progressMax, max − remaining × max / total after each
    // block (the journals' 0–10, the oscillogram's 0–100); otherwise moved of total.
    int progressMax = 0;
    // At least 0: at most this many repeats of a failed block instead of the repeat count
    // (0: the I/O settings write, which is never repeated).
    int repeatLimit = -1;
};

enum class TransferEnd {
    Done,         // every block accepted
    Failed,       // repeats used up, or the link check failed
    Refused,      // the relay answered with an exception (LinkResult 4, 24, 25, 40+)
    Aborted,      // abort(): " Операция обмена была прервана пользователем"
};

struct TransferOutcome {
    TransferEnd end = TransferEnd::Failed;
    LinkResult result = LinkResult::Good;  // of the last reply (Good when it had none at all)
    int moved = 0;      // registers accepted; they stay in the page's sink after a failure
};

class ChunkedTransfer : public QObject {
    Q_OBJECT
public:
    using Done = std::function<void(const TransferOutcome&)>;

    // `checker` runs between repeats; the connection panel installs its own with setLinkChecker.
    ChunkedTransfer(LinkContext context, PacedExchange& exchange, LinkChecker& checker,
                    QObject* parent = nullptr);

    void setLinkChecker(LinkChecker& checker) { m_checker = &checker; }

    // Starts the transfer (marks the exchange in progress); `done` is called once, from the event
    // loop, after the ending texts are out. Returns false when another exchange is in flight.
    // When the link is not yet established, it is checked first.
    bool start(TransferPlan plan, Done done);
    void abort();
    bool busy() const { return static_cast<bool>(m_done); }

signals:
    void progressed(int moved, int total);

private:
    void sendBlock();
    void onReply(const ExchangeReply& reply);
    void retryOrFail(LinkResult result);
    void advance(int count);
    int blockCount() const;
    void reportProgress();
    // `report` false: someone else (the link check) has already told the user.
    void finish(TransferEnd end, LinkResult result, bool report = true);

    LinkContext m_ctx;
    PacedExchange& m_exchange;
    LinkChecker* m_checker;
    TransferPlan m_plan;
    Done m_done;
    int m_offset = 0;
    int m_blocks = 0;  // blocks accepted
    int m_repeats = 0;
    quint64 m_run = 0;  // a late callback of an ended transfer is told apart by this
};

}  // namespace tirv
