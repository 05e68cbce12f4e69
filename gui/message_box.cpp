#include "gui/message_box.h"

#include <QMessageBox>
#include <QString>
#include <array>

namespace tirv {

namespace {

struct IconRow {
    MsgIcon icon;
    QMessageBox::Icon box;
};
constexpr std::array<IconRow, 5> kIcons{{
    {MsgIcon::None, QMessageBox::NoIcon},
    {MsgIcon::Information, QMessageBox::Information},
    {MsgIcon::Warning, QMessageBox::Warning},
    {MsgIcon::Error, QMessageBox::Critical},
    {MsgIcon::Question, QMessageBox::Question},
}};

struct ButtonsRow {
    MsgButtons buttons;
    QMessageBox::StandardButtons box;
};
const std::array<ButtonsRow, 5> kButtons{{
    {MsgButtons::Ok, QMessageBox::Ok},
    {MsgButtons::OkCancel, QMessageBox::Ok | QMessageBox::Cancel},
    {MsgButtons::YesNo, QMessageBox::Yes | QMessageBox::No},
    {MsgButtons::YesNoCancel, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel},
    {MsgButtons::RetryCancel, QMessageBox::Retry | QMessageBox::Cancel},
}};

}  // namespace

Answer ShowMessageBox(QWidget* parent, const Message& m)
{
    QMessageBox box(parent);
    box.setWindowTitle(QString::fromStdString(m.caption));
    box.setText(QString::fromStdString(m.text));
    for (const IconRow& r : kIcons)
        if (r.icon == m.icon)
            box.setIcon(r.box);
    for (const ButtonsRow& r : kButtons)
        if (r.buttons == m.buttons)
            box.setStandardButtons(r.box);
    switch (box.exec()) {
    case QMessageBox::Ok: return Answer::Ok;
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    case QMessageBox::Retry: return Answer::Retry;
    default: return Answer::Cancel;
    }
}

}  // namespace tirv
