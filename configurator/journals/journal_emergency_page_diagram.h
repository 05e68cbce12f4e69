#pragma once
// The vector diagram of the selected emergency event: the measurement page's painter draws the
// field, the axes and the phasors; the operating sectors of the directional protections are
// drawn over them — hatched pies with a dotted arc, a dotted centre line and dashed edges.
#include "configurator/journals/journal_sectors.h"
#include "configurator/journals/vector_diagram_geometry.h"

#include <QImage>
#include <QWidget>

#include <array>

namespace tirv {

struct EmergencyDiagramContent {
    std::array<PhasorInput, kDrawnPhasorCount> phasors{};
    bool hasEvent = false;
    std::array<double, 11> anglesDegrees{};
    std::array<Rgb, kDrawnPhasorCount> colours{};
    std::array<bool, kSectorKinds> sectorBoxes{};
    const SetpointImage* setpoints = nullptr;
    const ModelProfile* profile = nullptr;
};

void PaintEmergencyDiagram(QPainter& painter, QSize size, const EmergencyDiagramContent& c);
QImage RenderEmergencyDiagram(QSize size, const EmergencyDiagramContent& c);

class EmergencyDiagramView : public QWidget {
public:
    explicit EmergencyDiagramView(QWidget* parent = nullptr);
    void setContent(const EmergencyDiagramContent& c);
    const EmergencyDiagramContent& content() const { return m_content; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    EmergencyDiagramContent m_content;
};

}  // namespace tirv
