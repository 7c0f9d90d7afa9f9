#pragma once
// The one place that maps the property names of object paths (Caption, Items, Text, Hint,
// DialogTitle, Title, Lines) onto the Qt properties of each kind of object. The translation
// engine reads, sets and lists properties only through these functions.
//
// Invariants: names compare without regard to letter case; a property an object does not
// have reads as the empty text and ignores writes; list properties read as their items each
// followed by CR LF and are written from a CR LF separated text (each piece trimmed, a last
// empty piece dropped, earlier empty pieces kept). Writing a combo box's list or its text
// keeps its selected index (translating never changes a user's selection), and no write
// makes a control signal a user change.

#include <QString>
#include <QStringList>

class QObject;

namespace lang {

struct ExposedProperty {
    QString name;
    bool isList = false;  // Items and Lines: listed by the generator even when empty
};

// The properties the object exposes, sorted by name.
QList<ExposedProperty> exposedProperties(QObject* object);
bool hasProperty(QObject* object, const QString& name);
QString readProperty(QObject* object, const QString& name);
void writeProperty(QObject* object, const QString& name, const QString& text);

// The split rule for list-valued properties.
QStringList splitListText(const QString& text);

}  // namespace lang
