#pragma once
// The configurator's main window: menu, toolbar, status bar and the work area that shows one
// page at a time. It hosts and switches pages, forwards the context toolbar commands, runs the
// exchanges the user starts one at a time (LineHolder), and reports to the user.
//
// Adding a page (in the program's composition, program_pages.cpp, before start()):
//     auto* page = new MyPage(window, PageLeds);     // a tirv::Page
//     window.registerPage(iocfg_rows::kLeds, page);  // its row: status, toolbar commands, files
// Pages made of tabs register a PageStack; a command handled outside any page (file commands,
// windows of their own, the setpoint read and write) with registerCommand(id, handler).
#include "gui/reporter.h"
#include "configurator/shell/command_line.h"
#include "configurator/ui/shell.h"
#include "configurator/ui/ids.h"
#include "configurator/ui/line_holder.h"
#include "configurator/ui/page_row.h"

#include <QElapsedTimer>
#include <QMainWindow>
#include <QPointer>
#include <QUrl>
#include <array>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>

class QAction;
class QActionGroup;
class QLabel;
class QProgressBar;
class QScrollArea;
class QStackedWidget;
class QToolBar;

namespace tirv {

class Page;

class MainWindow : public QMainWindow, public Shell, private Reporter {
public:
    struct Options {
        // The raw command line (the arguments after the program name, joined by blanks).
        QString commandLine;
        // Records everything reported and answers the questions instead of message boxes.
        Reporter* reporterTap = nullptr;
        // Opens the help file; the system browser when empty.
        std::function<bool(const QUrl&)> openUrl;
        // The folder of the program's own files (settings, oscillograms, viewer); empty: the
        // folder of the executable. Tests give each run a folder of its own.
        QString programFolder;
        // Answers the file and colour dialogs instead of showing them (tests).
        FileDialogs* dialogs = nullptr;
    };

    explicit MainWindow(Options options);
    MainWindow();
    ~MainWindow() override;

    // Registration, before start().
    // The page and its row (configurator/ui/page_row.h): enables its menu items and button.
    void registerPage(const PageRow& row, Page* page);
    void registerCommand(int id, std::function<void()> handler);
    // The handler registered for `id` (empty if none), for a part that runs a step before it.
    std::function<void()> commandHandler(int id) const
    {
        const auto it = m_handlers.find(id);
        return it == m_handlers.end() ? std::function<void()>() : it->second;
    }
    void registerAbort(std::function<void()> handler);
    // Called when the window is restored after being minimized.
    void setRestoreHandler(std::function<void()> handler) { m_restored = std::move(handler); }
    // Called when the user reaches for the title bar (a click outside the client area, or the
    // window moved while a field has the focus). Leaving a field that way raises no validation
    // message: the window drops the next one itself (ShellState::skipFieldMessage).
    void setTitleBarHandler(std::function<void()> handler) { m_titleBar = std::move(handler); }

    // Applies the model, the initial menu and toolbar states and the command line.
    void start();

    // Shell
    Reporter& reporter() override { return *this; }
    ShellState& state() override { return m_state; }
    DeviceModel& model() override { return m_model; }
    FileDialogs& dialogs() override;
    int currentPage() const override { return m_current; }
    Page* page(int pageId) const override;
    void command(int id) override;
    bool sendToPage(int pageId, int cmd) override;
    void setMenuEnabled(int id, bool enabled) override;
    void setToolEnabled(int id, bool enabled) override;
    void setModeText(const QString& text) override;
    void lockControls(bool locked) override;
    bool runExchange(ExchangeJob job) override;
    void registerPoller(int pageId, int finishTimer, int handOverTimer) override;
    // How the line is settled when a left poll hands it on (the port is the program's).
    void setLineSettler(std::function<void()> settle) { m_settle = std::move(settle); }
    const LineHolder& line() const { return *m_line; }
    void linkChanged() override;

    QString takeCommandLinePath(int kind) override;
    const CommandLineFile& commandLineFile() const { return m_commandLine; }

    // For tests and the demo.
    QAction* action(int id) const;      // the menu item, else the toolbar button
    QAction* toolAction(int id) const;  // the toolbar button
    QString statusText(int field) const;
    bool progressVisible() const;
    QScrollArea* pageArea(int pageId) const;
    QWidget* aboutWindow() const { return m_about; }
    QToolBar* toolBar() const { return m_toolBar; }
    double dpiScale() const { return m_scale; }

protected:
    void changeEvent(QEvent* e) override;
    bool event(QEvent* e) override;
    void moveEvent(QMoveEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    // Reporter: the status bar and message boxes.
    void status(const QString& text, StatusIcon icon) override;
    void linkState(const QString& text, StatusIcon icon) override;
    void progress(int value, int max) override;
    Answer ask(const Message& m) override;

    void buildMenu();
    void buildToolBar();
    void buildStatusBar();
    void showPage(int pageId);
    void contextCommand(int cmd);
    void updateContextTips();
    bool available(int id) const;
    void refreshAvailability();
    void unlockAfterExchange();
    void applyEnabled(int id);
    void sendOpenForCommandLine(int pageId);
    // What a context command does on `page`, from the page's row or the window's own rows.
    struct Context {
        int mainCmd = 0;
        int pageCmd = 0;
        const char* tip = nullptr;
    };
    std::optional<Context> contextOf(int cmd, int page) const;
    const PageRow* rowOf(int pageId) const;
    bool mOnlyItem(int id) const;
    void showHelp();
    void showAbout();
    void abortExchange();
    void titleBarUsed();

    void modelChanged(int code);

    ShellState m_state;
    DeviceModel m_model{DeviceModel::kDefaultCode};
    std::unique_ptr<FileDialogs> m_realDialogs;
    Options m_options;
    CommandLineFile m_commandLine;
    double m_scale = 1.0;
    int m_current = PageNone;
    int m_previous = PageNone;
    bool m_locked = false;

    std::map<int, Page*> m_pages;
    std::map<int, PageRow> m_rows;  // by page id
    std::map<Page*, QScrollArea*> m_hosts;
    QStackedWidget* m_work = nullptr;
    std::map<int, std::function<void()>> m_handlers;
    std::vector<std::function<void()>> m_abortHandlers;
    std::unique_ptr<LineHolder> m_line;  // who holds the device line (runExchange)

    std::map<int, QAction*> m_actions;       // menu items by id
    std::map<int, QAction*> m_toolActions;   // toolbar buttons by command
    std::set<int> m_wantDisabled;            // items disabled by state, not by availability
    std::set<int> m_toolDisabled;            // toolbar buttons disabled by state
    std::function<void()> m_restored;
    std::function<void()> m_settle;
    std::function<void()> m_titleBar;
    QElapsedTimer m_shownClock;  // since the window was last shown
    QToolBar* m_toolBar = nullptr;
    QActionGroup* m_pageGroup = nullptr;
    std::array<QLabel*, 4> m_fields{};
    QLabel* m_field0Icon = nullptr;
    QLabel* m_linkIcon = nullptr;
    QProgressBar* m_progress = nullptr;
    QPointer<QWidget> m_about;
};

}  // namespace tirv
