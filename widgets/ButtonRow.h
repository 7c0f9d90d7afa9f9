#pragma once
// The frame most dialogs share: their body above a row of buttons at the right (Ok, Cancel).

#include <QBoxLayout>
#include <QWidget>
#include <initializer_list>

namespace widgets {

// Lays the dialog out as body over the buttons, right-aligned in the order given; returns
// the dialog's layout (to fix its size, for instance).
inline QVBoxLayout* bodyAboveButtons(QWidget* dialog, QLayout* body, std::initializer_list<QWidget*> buttons)
{
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    for (QWidget* button : buttons) row->addWidget(button);
    auto* layout = new QVBoxLayout(dialog);
    layout->addLayout(body);
    layout->addLayout(row);
    return layout;
}

}  // namespace widgets
