#include "viewer/window_commands.h"

#include "viewer/viewer_ids.h"
#include "viewer/window_texts.h"

#include <QFont>
#include <QPainter>
#include <QPixmap>
#include <QPolygonF>

#include <cmath>

namespace tirv::viewer {

namespace tx = viewer_texts;

// One row per command, in menu order: where it sits in the menu and on the toolbar.
const CommandRow kCommands[20] = {
    {CmdOpen, MFile, tx::kMiOpen, false, 0, 1, tx::kTipOpen},
    {CmdSave, MFile, tx::kMiSave, false, 1, 0, tx::kTipSave},
    {CmdExportBmp, MImage, tx::kMiBmp, false, -1, 0, nullptr},
    {CmdExportPng, MImage, tx::kMiPng, false, -1, 0, nullptr},
    {CmdComtrade, MFile, tx::kMiComtrade, false, -1, 0, nullptr},
    {CmdPrint, MFile, tx::kMiPrint, false, 2, 2, tx::kTipPrint},
    {CmdPreview, MFile, tx::kMiPreview, false, 15, 0, tx::kTipPreview},
    {CmdExit, MFile, tx::kMiExit, false, -1, 0, nullptr},
    {CmdStretch, MOsc, tx::kMiStretch, false, 5, 2, tx::kTipStretch},
    {CmdCompress, MOsc, tx::kMiCompress, false, 6, 0, tx::kTipCompress},
    {CmdAbsoluteTime, MTime, tx::kMiAbsolute, true, 7, 2, tx::kTipAbsolute},
    {CmdRelativeTime, MTime, tx::kMiRelative, true, 8, 0, tx::kTipRelative},
    {CmdInstantaneous, MValues, tx::kMiInstantaneous, true, 9, 2, tx::kTipInstantaneous},
    {CmdRms, MValues, tx::kMiRms, true, 10, 0, tx::kTipRms},
    {CmdMarkers, MOsc, tx::kMiMarkers, true, 11, 2, tx::kTipMarkers},
    {CmdAnalogPanel, MSettings, tx::kMiAnalog, true, 12, 2, tx::kTipAnalog},
    {CmdDigitalPanel, MSettings, tx::kMiDigital, true, 13, 0, tx::kTipDigital},
    {CmdGeneralPanel, MSettings, tx::kMiGeneral, true, 14, 0, tx::kTipGeneral},
    {CmdAbout, MInfo, tx::kMiAbout, false, -1, 0, nullptr},
    {CmdHelp, MInfo, tx::kMiHelp, false, -1, 0, nullptr},
};

// Toolbar pictures, 36 × 32, drawn here rather than shipped as a bitmap.
QIcon ToolbarIcon(int image)
{
    static const char* const glyphs[16] = {"", "", "", "", "", "↔", "→←", "abs", "rel", "~", "RMS",
                                           "|t|", "A", "D", "⚙", "◐"};
    QPixmap pm(36, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(30, 60, 120), 2));
    switch (image) {
    case 0:  // folder
        p.setBrush(QColor(240, 200, 90));
        p.drawRect(6, 10, 24, 16);
        p.drawRect(6, 7, 10, 4);
        break;
    case 1:  // disk
        p.setBrush(QColor(90, 120, 200));
        p.drawRect(7, 6, 22, 20);
        p.setBrush(Qt::white);
        p.drawRect(12, 6, 12, 7);
        break;
    case 2:  // printer
        p.setBrush(Qt::white);
        p.drawRect(11, 5, 14, 8);
        p.setBrush(QColor(160, 160, 160));
        p.drawRect(6, 13, 24, 10);
        p.setBrush(Qt::white);
        p.drawRect(11, 20, 14, 7);
        break;
    default: {
        QFont f = p.font();
        f.setPixelSize(image == 7 || image == 8 || image == 10 ? 11 : 16);
        f.setBold(true);
        p.setFont(f);
        p.drawText(QRect(0, 0, 36, 32), Qt::AlignCenter, QString::fromUtf8(glyphs[image]));
    }
    }
    p.end();
    return QIcon(pm);
}

// The window icon: a sine over a time axis.
QIcon WindowIcon()
{
    QPixmap pm(32, 32);
    pm.fill(Qt::black);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x7F, 0x7F, 0x7F), 1));
    p.drawLine(2, 16, 30, 16);
    p.setPen(QPen(QColor(255, 0, 0), 2));
    QPolygonF wave;
    for (int x = 2; x <= 30; ++x)
        wave << QPointF(x, 16 - 10 * std::sin((x - 2) * 3.14159265 / 7));
    p.drawPolyline(wave);
    p.end();
    return QIcon(pm);
}


}  // namespace tirv::viewer
