#include "configurator/service/breaker_window.h"

#include "configurator/service/breaker_texts.h"
#include "configurator/ui/ids.h"
#include "configurator/ui/shell.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>

namespace tirv {

BreakerWindow::BreakerWindow(Shell& shell, BreakerControl& control, QWidget* parent)
    : QDialog(parent), m_shell(shell), m_control(control)
{
    setWindowTitle(QString::fromUtf8(breaker_texts::kTitle));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    auto* row = new QHBoxLayout(this);
    for (const BreakerRow& r : BreakerTable()) {
        auto* b = new QPushButton(QString::fromUtf8(r.caption));
        b->setObjectName(QString::number(r.control));
        b->setAutoDefault(false);
        b->setDefault(false);
        b->setAutoRepeat(false);
        b->setMinimumWidth(130);
        const BreakerCommand command = r.command;
        connect(b, &QPushButton::clicked, this, [this, command] { send(command); });
        row->addWidget(b);
        m_buttons[command] = b;
    }
}

BreakerWindow::~BreakerWindow()
{
    // Nothing of this window may be left waiting on the line.
    m_control.abort();
}

QPushButton* BreakerWindow::button(BreakerCommand command) const
{
    auto it = m_buttons.find(command);
    return it == m_buttons.end() ? nullptr : it->second;
}

void BreakerWindow::send(BreakerCommand command)
{
    m_shell.runExchange({[this, command](std::function<void(bool)> done) {
                             m_control.send(command, [this, done](const BreakerEnd& end) {
                                 done(end.ok());
                                 if (end.toFirmware)
                                     m_shell.command(CmdShowFirmware);
                             });
                         },
                         [this] { m_control.abort(); }});
}

void BreakerWindow::closeEvent(QCloseEvent* e)
{
    m_control.abort();
    QDialog::closeEvent(e);
}

void BreakerWindow::keyPressEvent(QKeyEvent* e)
{
    // Enter never sends a command; Escape closes the window as usual.
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        e->accept();
        return;
    }
    QDialog::keyPressEvent(e);
}

}  // namespace tirv
