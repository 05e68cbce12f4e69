#include "configurator/link/modbus_tcp_transfer.h"

#include "configurator/link/link_state.h"
#include "configurator/link/mbap_frames.h"
#include "configurator/link/texts.h"

#include <QDeadlineTimer>
#include <QMetaObject>
#include <QThread>
#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tirv {

using link_texts::Text;

namespace {

constexpr int kAbortSliceMs = 10;
constexpr int kImageBytesPerFrame = 2 * kMbapMaxRegisters;  // frame i starts at 250·i
constexpr int kLingerAfterShutdownMs = 100;

enum class Wait { Ready, TimedOut, Aborted, Failed };

// Waits for `events` on `fd` at most `ms`, looking at the abort flag every slice.
Wait WaitFor(int fd, short events, int ms, const std::atomic<bool>& abort)
{
    QDeadlineTimer deadline(ms);
    for (;;) {
        if (abort.load())
            return Wait::Aborted;
        const qint64 left = deadline.remainingTime();
        if (left <= 0)
            return Wait::TimedOut;
        pollfd p{fd, events, 0};
        const int n = ::poll(&p, 1, static_cast<int>(std::min<qint64>(left, kAbortSliceMs)));
        if (n < 0 && errno != EINTR)
            return Wait::Failed;
        if (n > 0)
            return Wait::Ready;
    }
}

// One transfer on the worker thread. Texts go through `post` (queued to the owner's thread).
class TransferRun {
public:
    using Post = std::function<void(bool linkCell, const QString& text, StatusIcon icon)>;

    TransferRun(const TcpTransferRequest& request, const std::atomic<bool>& abort, Post post)
        : m_request(request), m_abort(abort), m_post(std::move(post))
    {
        m_record.remaining = request.count;
        m_record.image.assign(static_cast<std::size_t>(2 * std::max(0, request.count)), 0);
    }

    TcpTransferRecord run()
    {
        m_post(true, QString(), StatusIcon::None);
        m_post(false, Text(link_texts::kTcpThreadOpened), StatusIcon::Info);
        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
        if (m_fd < 0) {
            m_post(false, Text(link_texts::kTcpSocketFailed).arg(errno), StatusIcon::Warning);
            return m_record;
        }
        if (connectToRelay()) {
            m_post(true, Text(link_texts::kTcpConnected), StatusIcon::Ok);
            transferFrames();
            ::shutdown(m_fd, SHUT_WR);
            QThread::msleep(kLingerAfterShutdownMs);
        }
        ::close(m_fd);
        return m_record;
    }

private:
    bool connectToRelay()
    {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(m_request.port));
        const auto& a = m_request.address;
        address.sin_addr.s_addr = htonl((std::uint32_t{a[0]} << 24) | (std::uint32_t{a[1]} << 16) |
                                        (std::uint32_t{a[2]} << 8) | a[3]);
        ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) | O_NONBLOCK);
        int error = 0;
        if (::connect(m_fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
            error = errno;
            if (error == EINPROGRESS) {
                // The connection is awaited like every other step: abortable, bounded.
                const Wait w = WaitFor(m_fd, POLLOUT, ModbusTcpTransfer::kWaitMs, m_abort);
                socklen_t length = sizeof error;
                error = 0;
                if (w == Wait::Aborted) {
                    m_record.aborted = true;
                    return false;
                }
                if (w == Wait::TimedOut)
                    error = ETIMEDOUT;
                else if (::getsockopt(m_fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
                    error = errno;
            }
        }
        if (error != 0) {
            m_post(false, Text(link_texts::kTcpConnectFailed).arg(error), StatusIcon::Warning);
            return false;
        }
        return true;
    }

    void transferFrames()
    {
        int start = m_request.start;
        while (m_record.remaining > 0) {
            const int count = std::min(m_record.remaining, kMbapMaxRegisters);
            const auto request = BuildMbapRead(m_request.function, static_cast<std::uint16_t>(start),
                                               static_cast<std::uint16_t>(count));
            if (!sendAll(request))
                return;
            std::vector<std::uint8_t> reply;
            if (!receiveReply(count, reply))
                return;
            const MbapCheck check = CheckMbapReply(reply, m_request.function, count);
            m_record.lastFunction = reply.size() > 7 ? reply[7] : 0;
            if (check.result != 0) {
                m_record.result = check.result;
                m_record.exceptionCode = check.exceptionCode;
                return;
            }
            StoreMbapData(reply, count, m_record.image,
                          static_cast<std::size_t>(m_record.frameIndex) * kImageBytesPerFrame);
            m_record.remaining -= count;
            ++m_record.frameIndex;
            start += count;
        }
        m_record.success = true;
    }

    bool sendAll(std::span<const std::uint8_t> bytes)
    {
        std::size_t sent = 0;
        while (sent < bytes.size()) {
            const Wait w = WaitFor(m_fd, POLLOUT, ModbusTcpTransfer::kWaitMs, m_abort);
            if (!waited(w, true))
                return false;
            const auto n = ::send(m_fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
            if (n < 0) {
                if (errno == EAGAIN || errno == EINTR)
                    continue;
                m_post(false, Text(link_texts::kTcpIoFailed).arg(errno), StatusIcon::Warning);
                return false;
            }
            sent += static_cast<std::size_t>(n);
        }
        return true;
    }

    // Collects one reply across TCP segments; each wait for more bytes is bounded.
    bool receiveReply(int count, std::vector<std::uint8_t>& reply)
    {
        std::uint8_t buffer[512];
        for (;;) {
            switch (ClassifyMbapPartial(reply, m_request.function, count)) {
            case MbapProgress::Complete:
                return true;
            case MbapProgress::Bad:
                // A reply of another function or an overlong exception: the checks say which.
                m_record.lastFunction = reply.size() > 7 ? reply[7] : 0;
                m_record.result = CheckMbapReply(reply, m_request.function, count).result;
                if (m_record.result == 0)
                    m_record.result = 2;
                return false;
            case MbapProgress::NeedMore:
                break;
            }
            const Wait w = WaitFor(m_fd, POLLIN, ModbusTcpTransfer::kWaitMs, m_abort);
            if (!waited(w, false))
                return false;
            // Never more than this frame's reply: extra bytes would belong to nothing.
            const std::size_t wanted = std::min(
                sizeof buffer, static_cast<std::size_t>(MbapReplyLength(count)) - reply.size());
            const auto n = ::recv(m_fd, buffer, wanted, 0);
            if (n < 0) {
                if (errno == EAGAIN || errno == EINTR)
                    continue;
                m_post(false, Text(link_texts::kTcpIoFailed).arg(errno), StatusIcon::Warning);
                return false;
            }
            if (n == 0) {
                m_post(false, Text(link_texts::kTcpNoData).arg(m_fd), StatusIcon::Warning);
                return false;
            }
            reply.insert(reply.end(), buffer, buffer + n);
        }
    }

    bool waited(Wait w, bool sending)
    {
        switch (w) {
        case Wait::Ready:
            return true;
        case Wait::Aborted:
            m_record.aborted = true;
            return false;
        case Wait::TimedOut:
            if (sending)
                m_record.sendTimedOut = true;
            return false;
        case Wait::Failed:
            m_post(false, Text(link_texts::kTcpIoFailed).arg(errno), StatusIcon::Warning);
            return false;
        }
        return false;
    }

    TcpTransferRequest m_request;
    const std::atomic<bool>& m_abort;
    Post m_post;
    TcpTransferRecord m_record;
    int m_fd = -1;
};

}  // namespace

ModbusTcpTransfer::ModbusTcpTransfer(Reporter& reporter, LinkState& state, QObject* parent)
    : QObject(parent), m_reporter(reporter), m_state(state),
      m_abort(std::make_shared<std::atomic<bool>>(false))
{
}

ModbusTcpTransfer::~ModbusTcpTransfer()
{
    if (!m_thread)
        return;
    *m_abort = true;
    // Every wait of the worker is sliced, so it ends promptly; it must end before this object.
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
}

bool ModbusTcpTransfer::running() const { return m_thread != nullptr; }

bool ModbusTcpTransfer::start(const TcpTransferRequest& request, Done done)
{
    if (running())
        return false;
    if (!IsTcpReadFunction(request.function) || request.count <= 0) {
        m_reporter.ask(Box(Text(link_texts::kCaptionProtocol), Text(link_texts::kUnsupportedFunction),
                        MsgIcon::Warning, MsgButtons::Ok));
        m_record = TcpTransferRecord{};
        m_record.remaining = request.count;
        QMetaObject::invokeMethod(this, &ModbusTcpTransfer::completed, Qt::QueuedConnection);
        return false;
    }
    *m_abort = false;
    m_record = TcpTransferRecord{};
    m_done = std::move(done);
    auto abort = m_abort;
    m_thread = QThread::create([this, request, abort] {
        TransferRun run(request, *abort, [this](bool linkCell, const QString& text, StatusIcon icon) {
            if (linkCell)
                postLinkState(text, icon);
            else
                postStatus(text, icon);
        });
        TcpTransferRecord record = run.run();
        QMetaObject::invokeMethod(
            this, [this, record = std::move(record)]() mutable {
                m_record = std::move(record);
                onWorkerDone();
            },
            Qt::QueuedConnection);
    });
    if (!m_thread) {
        m_done = nullptr;
        m_reporter.ask(Box(Text(link_texts::kCaptionError),
                        Text(link_texts::kTcpThreadFailed).arg(request.port), MsgIcon::Error,
                        MsgButtons::Ok));
        return false;
    }
    m_state.setExchangeInProgress(true);
    m_thread->start();
    return true;
}

void ModbusTcpTransfer::abort() { *m_abort = true; }

bool ModbusTcpTransfer::stop(int ms)
{
    if (!m_thread)
        return true;
    *m_abort = true;
    return m_thread->wait(QDeadlineTimer(ms));
}

void ModbusTcpTransfer::postStatus(const QString& text, StatusIcon icon)
{
    QMetaObject::invokeMethod(
        this, [this, text, icon] { m_reporter.status(text, icon); }, Qt::QueuedConnection);
}

void ModbusTcpTransfer::postLinkState(const QString& text, StatusIcon icon)
{
    QMetaObject::invokeMethod(
        this, [this, text, icon] { m_reporter.linkState(text, icon); }, Qt::QueuedConnection);
}

void ModbusTcpTransfer::onWorkerDone()
{
    if (!m_thread)
        return;
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
    if (m_record.aborted)
        m_reporter.status(Text(link_texts::kUserAbortPage), StatusIcon::Warning);
    m_state.setExchangeInProgress(false);
    Done done = std::move(m_done);
    m_done = nullptr;
    emit completed();
    if (done)
        done(m_record);
    if (m_record.sendTimedOut)
        emit sendTimedOut();
}

}  // namespace tirv
