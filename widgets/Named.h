#pragma once
// The two helpers every window's control building uses: a control gets the component name
// its translation rows and tests address it by, and a label gets its caption and the
// control its mnemonic moves the focus to.

#include <QLabel>
#include <QLatin1String>
#include <QObject>
#include <QString>

namespace widgets {

template <typename W>
W* named(W* object, const char* name)
{
    object->setObjectName(QLatin1String(name));
    return object;
}

inline QLabel* label(QWidget* parent, const char* name, const char* caption, QWidget* buddy = nullptr)
{
    auto* l = named(new QLabel(QString::fromUtf8(caption), parent), name);
    if (buddy) l->setBuddy(buddy);
    return l;
}

}  // namespace widgets
