// The main window's Reporter (status-bar cells and message boxes), the window state changes,
// help and the About window.
#include "configurator/shell/main_window.h"
#include "gui/build_date.h"
#include "gui/gui_texts.h"
#include "gui/message_box.h"

#include "configurator/shell/icons.h"
#include "configurator/shell/texts.h"

#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMoveEvent>
#include <QProgressBar>
#include <QVBoxLayout>

#ifndef TIRV_VERSION
#define TIRV_VERSION "0.0.0"
#endif

namespace tirv {

// Reporter: status bar and message boxes.
void MainWindow::status(const QString& text, StatusIcon icon)
{
    m_fields[0]->setText(text);
    m_field0Icon->setPixmap(StatusBarIcon(icon).pixmap(16, 16));
    if (m_options.reporterTap)
        m_options.reporterTap->status(text, icon);
}

void MainWindow::linkState(const QString& text, StatusIcon icon)
{
    m_fields[3]->setText(text);
    m_linkIcon->setPixmap(StatusBarIcon(icon).pixmap(16, 16));
    if (m_options.reporterTap)
        m_options.reporterTap->linkState(text, icon);
}

void MainWindow::progress(int value, int max)
{
    if (max <= 0) {
        m_progress->hide();
    } else {
        m_progress->setRange(0, max);
        m_progress->setValue(value);
        m_progress->show();
    }
    if (m_options.reporterTap)
        m_options.reporterTap->progress(value, max);
}

Answer MainWindow::ask(const Message& m)
{
    if (m_options.reporterTap)
        return m_options.reporterTap->ask(m);
    return ShowMessageBox(this, m);
}

void MainWindow::changeEvent(QEvent* e)
{
    if (e->type() == QEvent::WindowStateChange) {
        const bool was = m_state.minimized;
        m_state.minimized = (windowState() & Qt::WindowMinimized) != 0;
        // Back from the task bar: the field that had the focus must not greet the user with a
        // validation message.
        if (was && !m_state.minimized) {
            m_state.skipFieldMessage = true;
            if (m_restored)
                m_restored();
        }
    }
    QMainWindow::changeEvent(e);
}

void MainWindow::resizeEvent(QResizeEvent* e) { QMainWindow::resizeEvent(e); }

bool MainWindow::event(QEvent* e)
{
    if (e->type() == QEvent::NonClientAreaMouseButtonPress)
        titleBarUsed();
    return QMainWindow::event(e);
}

void MainWindow::showEvent(QShowEvent* e)
{
    m_shownClock.start();
    QMainWindow::showEvent(e);
}

// Window managers that keep the title bar to themselves (X11) never report a click there; a
// move of the window while a field is being edited is the trace such a click leaves. The moves
// right after the window appears are the window manager placing it, not the user.
void MainWindow::moveEvent(QMoveEvent* e)
{
    constexpr qint64 kPlacementMs = 300;
    QMainWindow::moveEvent(e);
    if (!isVisible() || m_state.minimized || e->pos() == e->oldPos() ||
        !m_shownClock.isValid() || m_shownClock.elapsed() < kPlacementMs)
        return;
    QWidget* focus = QApplication::focusWidget();
    if (qobject_cast<QLineEdit*>(focus) && isAncestorOf(focus))
        titleBarUsed();
}

void MainWindow::titleBarUsed()
{
    m_state.skipFieldMessage = true;
    if (m_titleBar)
        m_titleBar();
}

void MainWindow::showHelp()
{
    const QString name = QString::fromUtf8(tx::HelpFile);
    const QString path = QDir(m_state.programFolder).filePath(name);
    const bool ok = !m_state.programFolder.isEmpty() && QFileInfo::exists(path);
    if (!ok) {
        ask(Box(QString::fromUtf8(tx::CaptionError), QString::fromUtf8(tx::HelpMissing).arg(name),
             MsgIcon::Warning, MsgButtons::Ok));
        return;
    }
    const QUrl url = QUrl::fromLocalFile(path);
    const bool started = m_options.openUrl ? m_options.openUrl(url) : QDesktopServices::openUrl(url);
    if (!started)  // no browser: name the file so that the user can open it by hand
        ask(Box(QString::fromUtf8(tx::CaptionError),
                QString::fromUtf8(gui_texts::kHelpNotStarted).arg(QDir::toNativeSeparators(path)),
                MsgIcon::Warning, MsgButtons::Ok));
}

void MainWindow::showAbout()
{
    if (!m_about) {
        auto* dlg = new QDialog(this);
        dlg->setObjectName("114");
        dlg->setAttribute(Qt::WA_DeleteOnClose);
        dlg->setWindowTitle(QString::fromUtf8(tx::AboutCaption));
        dlg->setWindowIcon(AppIcon());
        auto* lay = new QVBoxLayout(dlg);
        auto* icon = new QLabel;
        icon->setPixmap(AppIcon().pixmap(32, 32));
        lay->addWidget(icon);
        lay->addWidget(new QLabel(QString::fromUtf8(tx::AboutProduct)));
        auto* version = new QLabel(QString::fromUtf8(tx::AboutVersion)
                                       .arg(QString::fromLatin1(TIRV_VERSION),
                                            QString::fromStdString(BuildDate(__DATE__))));
        version->setObjectName("version");
        lay->addWidget(version);
        m_about = dlg;
    }
    m_about->show();
    m_about->raise();
}

}  // namespace tirv
