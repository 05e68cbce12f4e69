// The LED page: panel, pop-up, files and exchanges.
#include "configurator/iocfg/block_file_dialogs.h"
#include "configurator/iocfg/led_page.h"

#include "common/word_file.h"
#include "configurator/iocfg/io_files.h"
#include "configurator/iocfg/io_labels.h"
#include "configurator/iocfg/io_operation_texts.h"
#include "configurator/iocfg/io_page.h"
#include "configurator/iocfg/io_texts.h"
#include "configurator/iocfg/led_page_texts.h"
#include "configurator/iocfg/led_panel_view.h"
#include "configurator/shell/setpoint_file.h"

#include <QComboBox>
#include <QDir>
#include <QFormLayout>
#include <QFrame>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSpinBox>
#include <QVBoxLayout>

namespace tirv {
namespace {

namespace lt = led_page_texts;
namespace it = io_texts;
namespace ot = io_operation_texts;

QString U(const char* t)
{
    return QString::fromUtf8(t);
}

constexpr int kPopupTimeLength = 5;

constexpr BlockFileTexts kTldTexts{lt::kOpenTitle, lt::kSaveTitle, lt::kFilter, lt::kExtension};

// Words 1–3 of the last ".tld" opened in this run, written into every ".tld" saved.
FileReservedWords& LastTldWords()
{
    static FileReservedWords words{};
    return words;
}

}  // namespace

LedPage::LedPage(Shell& shell, LedTransfer& transfer, LedImage& image, QWidget* parent)
    : Page(shell, PageLeds, parent), m_transfer(&transfer), m_image(image)
{
    auto* top = new QVBoxLayout(this);
    m_panel = new LedPanelView(this);
    m_panel->setFixedSize(m_panel->sizeHint());
    top->addWidget(m_panel);
    top->addStretch(1);
    addControl(CtlLedPanel, m_panel);
    connect(m_panel, &LedPanelView::clicked, this, &LedPage::clickPanel);
    buildPopup();
    connect(&shell.model(), &DeviceModel::classChanged, this, [this](bool) { showModel(); });
    showModel();
}

void LedPage::buildPopup()
{
    // A child of the page, so that it may reach beyond the panel.
    m_popup = new QFrame(this);
    m_popup->setFrameShape(QFrame::Panel);
    m_popup->setFrameShadow(QFrame::Raised);
    m_popup->setAutoFillBackground(true);
    auto* form = new QFormLayout(m_popup);
    m_signal = new QComboBox(m_popup);
    for (int k = 0; k < kOutputSignalCount; ++k)
        m_signal->addItem(QString::fromStdString(LedLabel(k, true)));
    m_mode = new QComboBox(m_popup);
    for (const char* m : it::kLedModes)
        m_mode->addItem(U(m));
    auto* timeRow = new QWidget(m_popup);
    auto* row = new QHBoxLayout(timeRow);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    m_time = new QLineEdit(timeRow);
    m_time->setMaxLength(kPopupTimeLength);
    m_time->setToolTip(U(lt::kTimeTip));
    m_time->setText(QStringLiteral("0.00"));
    m_time->installEventFilter(this);
    m_spin = new QSpinBox(timeRow);
    m_spin->setRange(0, static_cast<int>(kMaxTimeHundredths));
    m_spin->setFixedWidth(18);
    row->addWidget(m_time);
    row->addWidget(m_spin);
    form->addRow(U(lt::kSignal), m_signal);
    form->addRow(U(lt::kMode), m_mode);
    form->addRow(U(lt::kTime), timeRow);
    m_popup->adjustSize();
    m_popup->hide();
    addControl(CtlLedSignal, m_signal);
    addControl(CtlLedMode, m_mode);
    addControl(CtlLedTime, m_time);
    addControl(CtlLedTimeSpin, m_spin);

    connect(m_signal, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (m_filling || m_selected < 0 || i < 0)
            return;
        m_image.at(m_selected, LedSignal) = static_cast<std::uint32_t>(i);
        m_panel->setImage(m_image);
    });
    connect(m_mode, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (m_filling || m_selected < 0 || i < 0)
            return;
        m_image.at(m_selected, LedMode) = static_cast<std::uint32_t>(i);
        m_panel->setImage(m_image);
    });
    connect(m_time, &QLineEdit::textEdited, this, [this](const QString& text) {
        int caret = m_time->cursorPosition();
        const QString filtered = FilterTimeText(text, &caret);
        if (filtered != text) {
            m_time->setText(filtered);
            m_time->setCursorPosition(caret);
        }
    });
    connect(m_time, &QLineEdit::editingFinished, this, [this] {
        if (!m_filling && popupOpen())
            commitPopup(TimeFieldPlace::LedPopup);
    });
    connect(m_spin, &QSpinBox::valueChanged, this, [this](int v) {
        if (m_filling || m_selected < 0)
            return;
        m_image.at(m_selected, LedTime) = static_cast<std::uint32_t>(v);
        m_filling = true;
        m_time->setText(QString::fromStdString(FormatHundredths(static_cast<std::uint32_t>(v))));
        m_filling = false;
    });
}

void LedPage::showModel()
{
    const bool m = shell().model().isM();
    const int leds = m ? kLedCountM : kLedCountNonM;
    closePopup();
    const QString folder = shell().state().programFolder;
    QImage picture;
    if (!folder.isEmpty())
        picture.load(QDir(folder).filePath(U(m ? lt::kPictureM : lt::kPictureNonM)));
    m_panel->setPanel(leds, picture);
    m_panel->setImage(m_image);
    // The position controls of both panels exist once; the model's own are shown, transparent
    // (the panel takes the clicks).
    if (m_positions.empty())
        for (const int first : {CtlLedRowFirst, CtlLedColumnFirst})
            for (int k = 0; k < (first == CtlLedColumnFirst ? kLedCountM : kLedCountNonM); ++k) {
                auto* position = new QWidget(m_panel);
                position->setAttribute(Qt::WA_TransparentForMouseEvents);
                position->setProperty("led", k);
                position->setProperty("column", first == CtlLedColumnFirst);
                addControl(first + k, position);
                m_positions.push_back(position);
            }
    for (QWidget* w : m_positions) {
        const bool own = w->property("column").toBool() == m;
        w->setVisible(own);
        if (own)
            w->setGeometry(m_panel->labelRect(w->property("led").toInt()));
    }
    addControl(m ? CtlLedPopupM : CtlLedPopupNonM, m_popup);
}

bool LedPage::popupOpen() const
{
    return m_popup->isVisible() || (m_selected >= 0 && !m_popup->isHidden());
}

bool LedPage::commitPopup(TimeFieldPlace place)
{
    if (m_selected < 0)
        return true;
    const TimeField f = ParseTimeField(m_time->text().toStdString());
    if (!f.ok()) {
        if (!shell().state().minimized) {
            shell().reporter().ask(TimeFieldMessage(f.result, place));
            m_time->setFocus();
        }
        return false;
    }
    m_image.at(m_selected, LedSignal) =
        static_cast<std::uint32_t>(std::max(0, m_signal->currentIndex()));
    m_image.at(m_selected, LedMode) =
        static_cast<std::uint32_t>(std::max(0, m_mode->currentIndex()));
    m_image.at(m_selected, LedTime) = f.hundredths;
    m_filling = true;
    m_time->setText(QString::fromStdString(FormatHundredths(f.hundredths)));
    m_spin->setValue(static_cast<int>(f.hundredths));
    m_filling = false;
    m_panel->setImage(m_image);
    return true;
}

void LedPage::clickPanel(QPoint pos)
{
    // The LED left behind keeps what the pop-up shows; an invalid time keeps the pop-up.
    if (m_selected >= 0 && !commitPopup(TimeFieldPlace::LedPanelClick))
        return;
    const int led = m_panel->ledAt(pos);
    if (led < 0) {
        closePopup();
        return;
    }
    select(led);
}

void LedPage::select(int led)
{
    m_selected = led;
    m_panel->setSelected(led);
    fillPopup();
    const QRect r = m_panel->labelRect(led);
    m_popup->adjustSize();
    // Below a label of the row, so that the other LEDs of the row stay in sight; beside a label
    // of the column when there is room.
    const QPoint below = m_panel->mapTo(this, QPoint(r.left(), r.bottom() + 4));
    QPoint at = below;
    if (m_panel->ledCount() == kLedCountM) {
        at = m_panel->mapTo(this, QPoint(r.right() + 4, r.top()));
        if (at.x() + m_popup->width() > width())
            at = below;
    }
    at.setY(std::clamp(at.y(), 0, std::max(0, height() - m_popup->height())));
    at.setX(std::clamp(at.x(), 0, std::max(0, width() - m_popup->width())));
    m_popup->move(at);
    m_popup->show();
    m_popup->raise();
}

void LedPage::fillPopup()
{
    if (m_selected < 0)
        return;
    m_filling = true;
    m_signal->setCurrentIndex(static_cast<int>(m_image.at(m_selected, LedSignal)));
    m_mode->setCurrentIndex(static_cast<int>(m_image.at(m_selected, LedMode)));
    const std::uint32_t t = m_image.at(m_selected, LedTime);
    m_time->setText(QString::fromStdString(FormatHundredths(t)));
    m_spin->setValue(static_cast<int>(t));
    m_filling = false;
}

void LedPage::closePopup()
{
    m_selected = -1;
    m_panel->setSelected(-1);
    m_popup->hide();
}

void LedPage::refresh()
{
    m_panel->setImage(m_image);
    fillPopup();
}

void LedPage::pageShown()
{
    refresh();
}

bool LedPage::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_time && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            m_spin->setFocus();
            return true;
        }
    }
    return Page::eventFilter(watched, event);
}

void LedPage::command(int id)
{
    switch (id) {
        case PageCmdLedNew:
            m_image = EmptyLedImage();
            refresh();
            return;
        case PageCmdLedOpen:
            open();
            return;
        case PageCmdLedSave:
            save();
            return;
        case PageCmdLedRead:
            run(false);
            return;
        case PageCmdLedWrite:
            run(true);
            return;
        default:
            return;
    }
}

void LedPage::run(bool write)
{
    // A typed time is never lost: an invalid one cancels the write.
    if (write && !commitPopup())
        return;
    QPointer<LedPage> self(this);
    QPointer<LedTransfer> transfer = m_transfer;
    shell().runExchange(
        {[self, transfer, write](std::function<void(bool)> done) {
             auto ended = [self, done](const IoTransferOutcome& o) {
                 if (self)
                     self->refresh();
                 done(o.ok());
             };
             if (!transfer || !(write ? transfer->startWrite(ended) : transfer->startRead(ended)))
                 done(false);
         },
         [transfer] {
             if (transfer)
                 transfer->abort();
         }});
}

void LedPage::open()
{
    const QString path = ChooseBlockFileToOpen(shell(), kTldTexts, 4);
    // A name with another extension is ignored, as the dialog's filter implies.
    if (path.isEmpty() || !path.endsWith(U(lt::kExtension)))
        return;
    const auto bytes = ReadBlockFile(shell(), path);
    if (!bytes)
        return;
    const TldFile file = ParseTldFile(*bytes, shell().model().code());
    if (file.result == IoFileResult::Damaged) {
        shell().reporter().ask(TldDamagedMessage());
        return;
    }
    LastTldWords() = file.reserved;
    if (file.question != LedLayoutQuestion::None &&
        shell().reporter().ask(TldLayoutMessage(file.question)) != Answer::Ok)
        return;
    if (file.result == IoFileResult::Invalid) {
        shell().reporter().status(U(it::kTldInvalidStatus), StatusIcon::Error);
        return;
    }
    m_image = file.image;
    refresh();
    shell().reporter().status(U(ot::kLedFileLoaded), StatusIcon::Info);
}

void LedPage::save()
{
    if (!commitPopup())
        return;
    closePopup();
    SaveBlockFile(
        shell(), kTldTexts,
        [this] {
            return BuildTldFile(static_cast<std::uint32_t>(shell().model().code()),
                                LastTldWords(), m_image);
        },
        ot::kLedFileSaved);
}

}  // namespace tirv
