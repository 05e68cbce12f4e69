#pragma once
// Image export (BMP, PNG), printing in print style and the colour and preview dialog 148.
#include "viewer/plot_renderer.h"

#include <QDialog>
#include <QString>

#include <functional>

class QPrinter;

namespace tirv {

struct Reporter;

enum class ImageKind { Bmp, Png };

// Saves the picture as a 24-bit image of exactly its size; a failure is told through the
// reporter with the writer's error code. Returns false on failure.
bool SaveImage(const QImage& picture, const QString& path, ImageKind kind, Reporter& reporter);

// Prints the picture as one document of one page in the given orientation: as large as the
// printable area allows, keeping its aspect ratio, centred (what the preview shows).
bool PrintPicture(const QImage& picture, QPrinter& printer, bool landscape);

// The largest rectangle of the picture's aspect that fits into the area, centred in it; empty
// when either is empty.
QRect FitCentred(QSize picture, QRect area);

// The print colours: black everywhere but a white background and a grey grid.
std::array<std::uint32_t, kSettingColours> DefaultPrintColours();

// Where the preview draws the page and the picture inside a preview area of the given size:
// a page of aspect 1 : √2 centred in the square inset by 10 pixels, and the picture fitted into
// the page keeping its aspect.
struct PreviewGeometry {
    QRect page;
    QRect picture;
};
PreviewGeometry ComputePreviewGeometry(QSize area, QSize picture, bool landscape);

class PreviewDialog : public QDialog {
public:
    struct Host {
        std::function<QImage(const PlotPalette&)> render;              // the current view
        std::function<std::array<std::uint32_t, kColourTableSize>()> screenColours;
        std::function<bool(std::uint32_t&)> pickColour;
    };
    PreviewDialog(QWidget* parent, Host host);

    QWidget* control(int id) const;
    const std::array<std::uint32_t, kSettingColours>& printColours() const { return m_colours; }
    bool landscape() const { return m_landscape; }
    void redraw();
    QImage previewPicture() const;  // the picture in the print colours

private:
    void paintSwatches();
    Host m_host;
    std::array<std::uint32_t, kSettingColours> m_colours;
    bool m_landscape = false;
    std::vector<std::pair<QWidget*, int>> m_swatches;
    QWidget* m_area = nullptr;
};

}  // namespace tirv
