#include "configurator/service/clock_page.h"

#include "configurator/service/clock_texts.h"
#include "configurator/ui/ids.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace tirv {

namespace ct = clock_texts;

namespace {

constexpr QRgb kPageColour = 0xF1F4F5;
// The system's inactive-caption colour of the classic scheme.
constexpr QRgb kInactiveCaption = 0xBFCDDB;

QString Text(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

}  // namespace

ClockDisplay::ClockDisplay(QColor text, QColor background, QWidget* parent)
    : QWidget(parent), m_textColour(text), m_background(background)
{
    setMinimumHeight(44);
}

void ClockDisplay::setText(const QString& text)
{
    m_text = text;
    update();
}

QSize ClockDisplay::sizeHint() const
{
    return {420, 44};
}

void ClockDisplay::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), m_background);
    QFont f(QStringLiteral("Serif"), 20, QFont::Bold);
    f.setStyleHint(QFont::Serif);
    p.setFont(f);
    p.setPen(m_textColour);
    p.drawText(rect(), Qt::AlignCenter, m_text);
}

ClockPage::ClockPage(Shell& shell, ClockOperation& operation, QWidget* parent)
    : Page(shell, PageClock, parent), m_operation(&operation)
{
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(kPageColour));
    setPalette(pal);

    auto* group = new QGroupBox(Text(ct::kGroup));
    auto* grid = new QGridLayout(group);
    auto* relay = new ClockDisplay(Qt::green, Qt::black);
    auto* computer = new ClockDisplay(Qt::white, QColor(kInactiveCaption));
    addControl(CtlClockRelay, relay);
    addControl(CtlClockComputer, computer);
    grid->addWidget(new QLabel(Text(ct::kRelayLabel)), 0, 0);
    grid->addWidget(relay, 0, 1);
    grid->addWidget(new QLabel(Text(ct::kComputerLabel)), 1, 0);
    grid->addWidget(computer, 1, 1);

    auto* broadcast = new QPushButton(Text(ct::kBroadcast));
    addControl(CtlClockBroadcast, broadcast);
    grid->addWidget(broadcast, 2, 0, 1, 2);
    connect(broadcast, &QPushButton::clicked, this, [this] { run(ClockAction::Broadcast); });

    // The read and set arrive as the main window's commands; their buttons stay hidden, and
    // the time-synchronisation selector has no function.
    const std::pair<int, const char*> hidden[] = {{CtlClockRead, ct::kReadButton},
                                                  {CtlClockSet, ct::kSetButton}};
    for (auto [id, text] : hidden) {
        auto* b = new QPushButton(Text(text), group);
        b->hide();
        addControl(id, b);
    }
    auto* syncLabel = new QLabel(Text(ct::kSyncLabel), group);
    auto* sync = new QComboBox(group);
    syncLabel->hide();
    sync->hide();
    addControl(CtlClockSyncLabel, syncLabel);
    addControl(CtlClockSync, sync);

    auto* outer = new QVBoxLayout(this);
    outer->addWidget(group);
    outer->addStretch();
    showChannel();
    if (!shell.state().busy)
        shell.reporter().status(QString(), StatusIcon::None);
}

ClockPage::~ClockPage()
{
    // Nothing of this page may be left waiting on the line.
    if (m_operation) {
        m_operation->leave();
        m_operation->abort();
    }
}

void ClockPage::command(int id)
{
    if (id == PageCmdClockRead)
        run(ClockAction::Read);
    else if (id == PageCmdClockWrite)
        run(ClockAction::Set);
}

void ClockPage::pageShown()
{
    showChannel();
}

void ClockPage::pageHidden(int nextPage)
{
    (void)nextPage;
    // The paced read after a broadcast belongs to this page: it ends with the page.
    if (m_operation)
        m_operation->leave();
}
void ClockPage::linkChanged()
{
    showChannel();
}

void ClockPage::setControlsLocked(bool locked)
{
    control(CtlClockBroadcast)->setEnabled(!locked);
}

void ClockPage::showChannel()
{
    control(CtlClockBroadcast)->setVisible(shell().state().link.channel != Channel::Ethernet);
}

void ClockPage::run(ClockAction action)
{
    if (!m_operation ||
        (action == ClockAction::Broadcast && shell().state().link.channel == Channel::Ethernet))
        return;
    shell().runExchange({[this, action](std::function<void(bool)> done) {
                             m_operation->start(action, [this, done](const ClockEnd& end) {
                                 show(end);
                                 done(end.ok);
                                 if (end.toFirmware)
                                     shell().command(CmdShowFirmware);
                             });
                         },
                         [this] {
                             if (m_operation)
                                 m_operation->abort();
                         }});
}

void ClockPage::show(const ClockEnd& end)
{
    if (!end.reading && end.relayText.empty())
        return;
    control<ClockDisplay>(CtlClockRelay)->setText(QString::fromStdString(end.relayText));
    control<ClockDisplay>(CtlClockComputer)->setText(QString::fromStdString(end.computerText));
}

}  // namespace tirv
