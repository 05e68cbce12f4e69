#pragma once
// The one painter of the vector diagram: the measurement page shows it in a widget, the
// emergency journal and the exports paint the same picture into images.
#include <QImage>
#include <QSize>
#include <QWidget>

#include <array>
#include <span>

#include "configurator/journals/vector_diagram_geometry.h"

class QPainter;

namespace tirv {

// Phasor lines are drawn this wide (the axes use kDiagramAxisPenWidth).
inline constexpr int kPhasorPenWidth = 2;

// Paints a laid-out diagram with its top-left corner at the painter's origin.
void PaintVectorDiagram(QPainter& painter, const VectorDiagramGeometry& geometry);

// Lays out and paints `phasors` (in the relays' order) into a field of `size`.
void PaintVectorDiagram(QPainter& painter, QSize size, std::span<const PhasorInput> phasors);

// The diagram as an image of `size` (for files and for checks of the picture).
QImage RenderVectorDiagram(QSize size, std::span<const PhasorInput> phasors);

// A widget showing the diagram of the phasors last given to it; it repaints at every change.
class VectorDiagramView : public QWidget {
    Q_OBJECT
public:
    explicit VectorDiagramView(QWidget* parent = nullptr);

    void setPhasors(std::span<const PhasorInput> phasors);
    std::span<const PhasorInput> phasors() const { return std::span(m_phasors).first(m_count); }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::array<PhasorInput, kPhasorCount> m_phasors{};
    std::size_t m_count = 0;
};

}  // namespace tirv
