#pragma once
// The three settings panels at the left of the viewer window: analog (channels, colours,
// graphs), digital (shown signals, filter, apply/cancel) and general (line width, colours).
// They edit the window's state through PanelHost and reach their controls by id.
#include "viewer/plot_geometry.h"
#include "viewer/viewer_settings.h"

#include <QWidget>

namespace tirv {

// The analog panel's state; it outlives the panel, which is created and destroyed on demand.
struct AnalogChoice {
    std::array<bool, kPlotChannels> enabled{};  // recorded channels
    std::array<bool, kPlotChannels> checked{};
    std::array<int, kPlotChannels> graph{};     // the selector: graph 1–6, 0 for the empty item
};

// Checked, recorded channels at load: Ia … Uc on their own graphs 1–6, 3Io with the empty item.
AnalogChoice AnalogChoiceAtLoad(const PlotSource& src);
// The lanes the choice asks for. 3Io keeps its own lane (graph 7) while its selector is empty,
// joins the voltage lane it names, and is hidden when unchecked; the others need a graph.
GraphChoice EffectiveGraphs(const AnalogChoice& c);

struct PanelHost {
    virtual ~PanelHost() = default;
    virtual AnalogChoice& analogChoice() = 0;
    virtual ViewerSettings& viewerSettings() = 0;
    virtual std::array<bool, kDigitalSignals>& pendingDigital() = 0;
    virtual int& digitalFilter() = 0;  // 0 inputs, 1 outputs, 2 all
    virtual void analogChanged() = 0;
    virtual void digitalChanged() = 0;
    virtual void appearanceChanged() = 0;
    virtual bool pickColour(std::uint32_t& colour) = 0;  // false when cancelled
};

class SettingsPanel : public QWidget {
public:
    SettingsPanel(QWidget* parent, int dialogId, PanelHost& host);
    QWidget* control(int id) const;

protected:
    QWidget* makeSwatch(int id, int colourIndex);
    void paintSwatches();
    PanelHost& m_host;

private:
    std::vector<std::pair<QWidget*, int>> m_swatches;
};

class AnalogPanel : public SettingsPanel {
public:
    AnalogPanel(QWidget* parent, PanelHost& host);
    void reload();  // the controls from the host's choice
};

class DigitalPanel : public SettingsPanel {
public:
    DigitalPanel(QWidget* parent, PanelHost& host);
    void reload();  // the boxes from the pending flags

private:
    void setRange(bool value);
};

class GeneralPanel : public SettingsPanel {
public:
    GeneralPanel(QWidget* parent, PanelHost& host);
};

}  // namespace tirv
