#include "configurator/journals/journal_emergency_page_diagram.h"

#include "configurator/journals/vector_diagram_view.h"

#include <QPainter>

namespace tirv {
namespace {

constexpr int kSectorPenWidth = 2;
constexpr int kDiagramSide = 300;

QPoint ToQPoint(SectorPoint p)
{
    return QPoint(p.x, p.y);
}

}  // namespace

void PaintEmergencyDiagram(QPainter& painter, QSize size, const EmergencyDiagramContent& c)
{
    PaintVectorDiagram(painter, size, c.phasors);
    if (!c.hasEvent || !c.setpoints || !c.profile)
        return;
    const OperatingSectors sectors = LayOutOperatingSectors(
        size.width(), size.height(), c.anglesDegrees, *c.setpoints, *c.profile, c.sectorBoxes);
    painter.save();
    // Over the phasors: the hatch leaves the field between its dots as it was.
    painter.setBackgroundMode(Qt::TransparentMode);
    for (const OperatingSector& s : sectors.shapes()) {
        const Rgb rgb = c.colours[s.colourPhasor];
        const QColor colour(rgb.r, rgb.g, rgb.b);
        const QRect square(ToQPoint(s.squareTopLeft), QSize(s.squareSize, s.squareSize));
        const int start = static_cast<int>(s.startDegrees * 16.0);
        const int span = static_cast<int>(s.spanDegrees * 16.0);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QBrush(colour, Qt::DiagCrossPattern));
        painter.drawPie(square, start, span);
        painter.setBrush(Qt::NoBrush);
        QPen dotted(colour, kSectorPenWidth, Qt::DotLine);
        painter.setPen(dotted);
        painter.drawArc(square, start, span);
        painter.drawLine(ToQPoint(s.centre), ToQPoint(s.centreLineEnd));
        QPen dashed(colour, kSectorPenWidth, Qt::DashLine);
        painter.setPen(dashed);
        painter.drawLine(ToQPoint(s.centre), ToQPoint(s.startEdgeEnd));
        painter.drawLine(ToQPoint(s.centre), ToQPoint(s.endEdgeEnd));
    }
    painter.restore();  // the pen is solid grey again for whatever follows
}

QImage RenderEmergencyDiagram(QSize size, const EmergencyDiagramContent& c)
{
    QImage image(size.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    PaintEmergencyDiagram(painter, size, c);
    return image;
}

EmergencyDiagramView::EmergencyDiagramView(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Square, so that the radius is the same both ways.
    setFixedSize(kDiagramSide, kDiagramSide);
}

void EmergencyDiagramView::setContent(const EmergencyDiagramContent& c)
{
    m_content = c;
    update();
}

QSize EmergencyDiagramView::sizeHint() const
{
    return {kDiagramSide, kDiagramSide};
}

void EmergencyDiagramView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    PaintEmergencyDiagram(painter, size(), m_content);
}

}  // namespace tirv
