#pragma once
// Small factories for the connection panel's fields, shared by the files that lay the panel out.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QString>

#include <initializer_list>

namespace tirv::panel_widgets {

inline QLineEdit* NumberEdit(int maxLength, int width = 60)
{
    auto* e = new QLineEdit;
    e->setMaxLength(maxLength);
    e->setFixedWidth(width);
    return e;
}

inline QComboBox* Combo(std::initializer_list<const char*> items)
{
    auto* c = new QComboBox;
    for (const char* i : items)
        c->addItem(QString::fromUtf8(i));
    return c;
}

inline QLabel* Label(const char* text) { return new QLabel(QString::fromUtf8(text)); }

}  // namespace tirv::panel_widgets
