#include "viewer/print_export.h"

#include "gui/reporter.h"
#include "viewer/viewer_ids.h"
#include "viewer/window_texts.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImageWriter>
#include <QLabel>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <cmath>

namespace tirv {

namespace tx = viewer_texts;
using namespace viewer;

namespace {

constexpr int kPreviewInset = 10;
constexpr int kPageBorder = 2;
constexpr int kSwatchSize = 18;
const QColor kButtonFace(0xF0, 0xF0, 0xF0);

QString Id(int id) { return QString::number(id); }

class PreviewArea : public QWidget {
public:
    PreviewArea(QWidget* parent, PreviewDialog* dialog) : QWidget(parent), m_dialog(dialog)
    {
        setObjectName(Id(CtlPreviewArea));
        setMinimumSize(320, 320);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), kButtonFace);
        const QImage picture = m_dialog->previewPicture();
        const PreviewGeometry g = ComputePreviewGeometry(size(), picture.size(), m_dialog->landscape());
        p.fillRect(g.page, Qt::white);
        p.setPen(QPen(Qt::black, kPageBorder));
        p.drawRect(g.page.adjusted(-1, -1, 0, 0));
        if (!picture.isNull()) {
            p.setRenderHint(QPainter::SmoothPixmapTransform);
            p.drawImage(g.picture, picture);
        }
    }

private:
    PreviewDialog* m_dialog;
};

}  // namespace

bool SaveImage(const QImage& picture, const QString& path, ImageKind kind, Reporter& reporter)
{
    QImageWriter writer(path, kind == ImageKind::Bmp ? "bmp" : "png");
    if (writer.write(picture.convertToFormat(QImage::Format_RGB888)))
        return true;
    Message m;
    m.caption = tx::kCaptionReadWrite;
    m.text = QString::fromUtf8(kind == ImageKind::Bmp ? tx::kBmpWriteFailed : tx::kPngWriteFailed)
                 .arg(static_cast<int>(writer.error()))
                 .toStdString();
    m.icon = MsgIcon::Warning;
    reporter.ask(m);
    return false;
}

bool PrintPicture(const QImage& picture, QPrinter& printer, bool landscape)
{
    // The preview's orientation wins over the print dialog's: the page is the one the user saw.
    printer.setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    QPainter p;
    if (!p.begin(&printer))
        return false;
    // The painter's origin is the printable area's top-left corner.
    const QRect printable = printer.pageLayout().paintRectPixels(printer.resolution());
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    // Thin one-pixel traces in colour do not survive JPEG: the page gets the pixels as they are.
    p.setRenderHint(QPainter::LosslessImageRendering);
    p.drawImage(FitCentred(picture.size(), QRect(QPoint(0, 0), printable.size())), picture);
    return p.end();
}

QRect FitCentred(QSize picture, QRect area)
{
    if (picture.isEmpty() || area.isEmpty())
        return {};
    QSize fitted;
    // Integer cross-multiplication: which side limits the picture, without rounding.
    if (static_cast<qint64>(picture.width()) * area.height() >= static_cast<qint64>(area.width()) * picture.height())
        fitted = QSize(area.width(), static_cast<int>(std::lround(static_cast<double>(area.width()) * picture.height() / picture.width())));
    else
        fitted = QSize(static_cast<int>(std::lround(static_cast<double>(area.height()) * picture.width() / picture.height())), area.height());
    return QRect(area.topLeft() + QPoint((area.width() - fitted.width()) / 2, (area.height() - fitted.height()) / 2), fitted);
}

std::array<std::uint32_t, kSettingColours> DefaultPrintColours()
{
    std::array<std::uint32_t, kSettingColours> c{};
    c[ColBackground] = 0xFFFFFF;
    c[ColGrid] = 0x7F7F7F;
    return c;
}

PreviewGeometry ComputePreviewGeometry(QSize area, QSize picture, bool landscape)
{
    PreviewGeometry g;
    const int side = std::max(0, std::min(area.width(), area.height()) - 2 * kPreviewInset);
    const int narrow = static_cast<int>(std::lround(side / std::sqrt(2.0)));
    const QSize page = landscape ? QSize(side, narrow) : QSize(narrow, side);
    g.page = QRect(QPoint((area.width() - page.width()) / 2, (area.height() - page.height()) / 2), page);
    g.picture = FitCentred(picture, g.page);
    return g;
}

PreviewDialog::PreviewDialog(QWidget* parent, Host host)
    : QDialog(parent), m_host(std::move(host)), m_colours(DefaultPrintColours())
{
    setObjectName(Id(DlgPreview));
    setWindowTitle(QString::fromUtf8(tx::kPreviewCaption));
    setModal(false);
    auto* swatches = new QGridLayout;
    const struct { int id; int colour; const char* text; } items[] = {
        {CtlPrintSwatch + 0, ColIa, tx::kChannelNamesRms[0]}, {CtlPrintSwatch + 1, ColIb, tx::kChannelNamesRms[1]},
        {CtlPrintSwatch + 2, ColIc, tx::kChannelNamesRms[2]}, {CtlPrintSwatch + 3, ColUa, tx::kChannelNamesRms[3]},
        {CtlPrintSwatch + 4, ColUb, tx::kChannelNamesRms[4]}, {CtlPrintSwatch + 5, ColUc, tx::kChannelNamesRms[5]},
        {CtlPrintSwatch + 6, Col3Io, tx::kChannelNamesRms[6]}, {CtlPrintDigital, ColDigital, tx::kPrintDigital},
        {CtlPrintBackground, ColBackground, tx::kBackground}, {CtlPrintGrid, ColGrid, tx::kGrid},
        {CtlPrintMarker1, ColMarker1, tx::kPrintMarker1},     {CtlPrintMarker0, ColMarker0, tx::kPrintMarker2},
    };
    int row = 0;
    for (const auto& it : items) {
        auto* b = new QPushButton(this);
        b->setObjectName(Id(it.id));
        b->setFixedSize(kSwatchSize, kSwatchSize);
        m_swatches.emplace_back(b, it.colour);
        const int colour = it.colour;
        connect(b, &QPushButton::clicked, this, [this, colour] {
            if (m_host.pickColour && m_host.pickColour(m_colours[static_cast<std::size_t>(colour)]))
                redraw();
        });
        swatches->addWidget(b, row, 0);
        swatches->addWidget(new QLabel(QString::fromUtf8(it.text), this), row, 1);
        ++row;
    }
    auto* match = new QPushButton(QString::fromUtf8(tx::kMatchScreen), this);
    match->setObjectName(Id(CtlMatchScreen));
    connect(match, &QPushButton::clicked, this, [this] {
        const auto screen = m_host.screenColours();
        for (std::size_t i = 0; i < kSettingColours; ++i)
            m_colours[i] = screen[i];
        redraw();
    });
    auto* bw = new QPushButton(QString::fromUtf8(tx::kBlackWhite), this);
    bw->setObjectName(Id(CtlBlackWhite));
    connect(bw, &QPushButton::clicked, this, [this] {
        m_colours = DefaultPrintColours();
        redraw();
    });
    auto* orientation = new QGroupBox(QString::fromUtf8(tx::kOrientation), this);
    auto* ol = new QVBoxLayout(orientation);
    auto* portrait = new QRadioButton(QString::fromUtf8(tx::kPortrait), orientation);
    portrait->setObjectName(Id(CtlPortrait));
    portrait->setChecked(true);
    auto* landscape = new QRadioButton(QString::fromUtf8(tx::kLandscape), orientation);
    landscape->setObjectName(Id(CtlLandscape));
    ol->addWidget(portrait);
    ol->addWidget(landscape);
    connect(landscape, &QRadioButton::toggled, this, [this](bool on) {
        m_landscape = on;
        redraw();
    });
    auto* left = new QVBoxLayout;
    left->addLayout(swatches);
    left->addWidget(match);
    left->addWidget(bw);
    left->addWidget(orientation);
    left->addStretch();
    // Part of the dialog's layout but without function: printing is the main window's command.
    const struct { int id; const char* text; } hidden[] = {
        {CtlPreviewPrint, tx::kPrint}, {CtlPreviewPrinter, tx::kPrinter}, {CtlPreviewCancel, tx::kCancel}};
    for (const auto& h : hidden) {
        auto* b = new QPushButton(QString::fromUtf8(h.text), this);
        b->setObjectName(Id(h.id));
        b->hide();
        left->addWidget(b);
    }
    m_area = new PreviewArea(this, this);
    auto* outer = new QHBoxLayout(this);
    outer->addLayout(left);
    outer->addWidget(m_area, 1);
    resize(720, 520);
    paintSwatches();
}

QWidget* PreviewDialog::control(int id) const { return findChild<QWidget*>(Id(id)); }

QImage PreviewDialog::previewPicture() const
{
    return m_host.render ? m_host.render(PreviewPalette(m_colours)) : QImage();
}

void PreviewDialog::paintSwatches()
{
    for (auto& [w, index] : m_swatches) {
        const QColor c = FromColorRef(m_colours[static_cast<std::size_t>(index)]);
        w->setStyleSheet(QStringLiteral("background-color: %1; border: 1px solid black;").arg(c.name()));
    }
}

void PreviewDialog::redraw()
{
    paintSwatches();
    m_area->update();
}

}  // namespace tirv
