// Property adapter of the translation engine: one row per (property name, kind of object).
// Rows are kept sorted by property name, so walking them lists an object's properties in
// name order; the first row of a name whose kind matches the object wins, so more specific
// kinds (a menu, a tab page) stand before the general ones (any window).

#include "lang/PropertyAdapter.h"

#include <QAbstractButton>
#include <QAction>
#include <QButtonGroup>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTextEdit>
#include <QVariant>
#include <QtCharts/QAbstractSeries>
#include <QtCharts/QBarSet>
#include <functional>

namespace lang {

namespace {

const QString kLineBreak = QStringLiteral("\r\n");

QString joinLines(const QStringList& lines)
{
    QString out;
    for (const QString& line : lines) out += line + kLineBreak;
    return out;
}

// The tab widget whose page the widget is, with the page's index.
QTabWidget* tabOfPage(QObject* object, int* index)
{
    auto* widget = qobject_cast<QWidget*>(object);
    if (!widget) return nullptr;
    auto* stack = qobject_cast<QStackedWidget*>(widget->parentWidget());
    if (!stack) return nullptr;
    auto* tabs = qobject_cast<QTabWidget*>(stack->parentWidget());
    if (!tabs) return nullptr;
    *index = tabs->indexOf(widget);
    return *index >= 0 ? tabs : nullptr;
}

bool isWindow(QObject* object)
{
    auto* widget = qobject_cast<QWidget*>(object);
    return widget && widget->isWindow();
}

bool hasDynamic(QObject* object, const char* name)
{
    return object->dynamicPropertyNames().contains(QByteArray(name));
}

// Stripped text of an action, as Qt derives a tool tip from it when none was set.
QString strippedActionText(const QString& text)
{
    QString s = text;
    s.remove(QStringLiteral("..."));
    for (qsizetype i = 0; i < s.size(); ++i)
        if (s.at(i) == '&') s.remove(i, 1);
    return s.trimmed();
}

QList<QAbstractButton*> radioButtons(QObject* object)
{
    QList<QAbstractButton*> buttons;
    if (auto* group = qobject_cast<QButtonGroup*>(object)) return group->buttons();
    for (QRadioButton* b : object->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly)) buttons.append(b);
    return buttons;
}

bool isRadioGroup(QObject* object)
{
    if (qobject_cast<QButtonGroup*>(object)) return true;
    return qobject_cast<QGroupBox*>(object) && !radioButtons(object).isEmpty();
}

void setComboItems(QComboBox* combo, const QStringList& items)
{
    const QSignalBlocker block(combo);
    const int index = combo->currentIndex();
    if (items.size() == combo->count()) {
        // Same items in other words: item data the window keeps stays attached.
        for (int i = 0; i < items.size(); ++i) combo->setItemText(i, items.at(i));
    } else {
        combo->clear();
        combo->addItems(items);
    }
    combo->setCurrentIndex(index < combo->count() ? index : -1);
}

void setListItems(QListWidget* list, const QStringList& items)
{
    const QSignalBlocker block(list);
    const int row = list->currentRow();
    if (items.size() == list->count()) {
        for (int i = 0; i < items.size(); ++i) list->item(i)->setText(items.at(i));
    } else {
        list->clear();
        list->addItems(items);
        if (row < list->count()) list->setCurrentRow(row);
    }
}

struct Accessor {
    const char* name;
    bool isList;
    std::function<bool(QObject*)> applies;
    std::function<QString(QObject*)> read;                  // lists: items each followed by CR LF
    std::function<void(QObject*, const QString&)> write;    // lists: the CR LF separated text
};

const QList<Accessor>& accessors()
{
    static const QList<Accessor> rows = {
        // Caption
        {"Caption", false, [](QObject* o) { return qobject_cast<QAction*>(o) != nullptr; },
         [](QObject* o) { return static_cast<QAction*>(o)->text(); },
         [](QObject* o, const QString& t) { static_cast<QAction*>(o)->setText(t); }},
        {"Caption", false, [](QObject* o) { return qobject_cast<QMenu*>(o) != nullptr; },
         [](QObject* o) { return static_cast<QMenu*>(o)->title(); },
         [](QObject* o, const QString& t) { static_cast<QMenu*>(o)->setTitle(t); }},
        {"Caption", false, [](QObject* o) { int i; return tabOfPage(o, &i) != nullptr; },
         [](QObject* o) { int i; QTabWidget* tabs = tabOfPage(o, &i); return tabs->tabText(i); },
         [](QObject* o, const QString& t) { int i; QTabWidget* tabs = tabOfPage(o, &i); tabs->setTabText(i, t); }},
        {"Caption", false, [](QObject* o) { return qobject_cast<QGroupBox*>(o) != nullptr; },
         [](QObject* o) { return static_cast<QGroupBox*>(o)->title(); },
         [](QObject* o, const QString& t) { static_cast<QGroupBox*>(o)->setTitle(t); }},
        {"Caption", false, [](QObject* o) { return qobject_cast<QLabel*>(o) != nullptr; },
         [](QObject* o) { return static_cast<QLabel*>(o)->text(); },
         [](QObject* o, const QString& t) { static_cast<QLabel*>(o)->setText(t); }},
        {"Caption", false, [](QObject* o) { return qobject_cast<QAbstractButton*>(o) != nullptr; },
         [](QObject* o) { return static_cast<QAbstractButton*>(o)->text(); },
         [](QObject* o, const QString& t) { static_cast<QAbstractButton*>(o)->setText(t); }},
        {"Caption", false, isWindow,
         [](QObject* o) { return static_cast<QWidget*>(o)->windowTitle(); },
         [](QObject* o, const QString& t) { static_cast<QWidget*>(o)->setWindowTitle(t); }},
        // DialogTitle: date edits read it for the title of their calendar.
        {"DialogTitle", false,
         [](QObject* o) {
             return hasDynamic(o, "DialogTitle") || qobject_cast<QDateTimeEdit*>(o)
                 || QByteArray(o->metaObject()->className()).contains("DateEdit");
         },
         [](QObject* o) { return o->property("DialogTitle").toString(); },
         [](QObject* o, const QString& t) { o->setProperty("DialogTitle", t); }},
        // Hint
        {"Hint", false, [](QObject* o) { return qobject_cast<QAction*>(o) != nullptr; },
         [](QObject* o) {
             auto* a = static_cast<QAction*>(o);
             // Qt makes up a tool tip from the text; only one set on purpose is a hint.
             return a->toolTip() == strippedActionText(a->text()) ? QString() : a->toolTip();
         },
         [](QObject* o, const QString& t) { static_cast<QAction*>(o)->setToolTip(t); }},
        {"Hint", false, [](QObject* o) { return qobject_cast<QWidget*>(o) != nullptr; },
         [](QObject* o) { return static_cast<QWidget*>(o)->toolTip(); },
         [](QObject* o, const QString& t) { static_cast<QWidget*>(o)->setToolTip(t); }},
        // Items
        {"Items", true, [](QObject* o) { return qobject_cast<QComboBox*>(o) != nullptr; },
         [](QObject* o) {
             auto* c = static_cast<QComboBox*>(o);
             QStringList items;
             for (int i = 0; i < c->count(); ++i) items.append(c->itemText(i));
             return joinLines(items);
         },
         [](QObject* o, const QString& t) { setComboItems(static_cast<QComboBox*>(o), splitListText(t)); }},
        {"Items", true, [](QObject* o) { return qobject_cast<QListWidget*>(o) != nullptr; },
         [](QObject* o) {
             auto* l = static_cast<QListWidget*>(o);
             QStringList items;
             for (int i = 0; i < l->count(); ++i) items.append(l->item(i)->text());
             return joinLines(items);
         },
         [](QObject* o, const QString& t) { setListItems(static_cast<QListWidget*>(o), splitListText(t)); }},
        {"Items", true, isRadioGroup,
         [](QObject* o) {
             QStringList items;
             for (QAbstractButton* b : radioButtons(o)) items.append(b->text());
             return joinLines(items);
         },
         [](QObject* o, const QString& t) {
             const QStringList items = splitListText(t);
             const QList<QAbstractButton*> buttons = radioButtons(o);
             for (int i = 0; i < items.size() && i < buttons.size(); ++i) buttons.at(i)->setText(items.at(i));
         }},
        // Lines
        {"Lines", true, [](QObject* o) { return qobject_cast<QPlainTextEdit*>(o) != nullptr; },
         [](QObject* o) {
             const QString text = static_cast<QPlainTextEdit*>(o)->toPlainText();
             return text.isEmpty() ? QString() : joinLines(text.split('\n'));
         },
         [](QObject* o, const QString& t) {
             auto* e = static_cast<QPlainTextEdit*>(o);
             const QSignalBlocker block(e);
             e->setPlainText(splitListText(t).join('\n'));
         }},
        {"Lines", true, [](QObject* o) { return qobject_cast<QTextEdit*>(o) != nullptr; },
         [](QObject* o) {
             const QString text = static_cast<QTextEdit*>(o)->toPlainText();
             return text.isEmpty() ? QString() : joinLines(text.split('\n'));
         },
         [](QObject* o, const QString& t) {
             auto* e = static_cast<QTextEdit*>(o);
             const QSignalBlocker block(e);
             e->setPlainText(splitListText(t).join('\n'));
         }},
        // Text
        {"Text", false, [](QObject* o) { return qobject_cast<QComboBox*>(o) != nullptr; },
         [](QObject* o) { return static_cast<QComboBox*>(o)->currentText(); },
         [](QObject* o, const QString& t) {
             // The selected index is the user's choice and is kept, as for Items: the text
             // of a list is its selected item's, so a translation only fills the edit of an
             // editable box that has no selection.
             auto* c = static_cast<QComboBox*>(o);
             const QSignalBlocker block(c);
             if (c->isEditable() && c->currentIndex() < 0) c->setEditText(t);
         }},
        {"Text", false, [](QObject* o) { return qobject_cast<QLineEdit*>(o) != nullptr; },
         [](QObject* o) { return static_cast<QLineEdit*>(o)->text(); },
         [](QObject* o, const QString& t) {
             auto* e = static_cast<QLineEdit*>(o);
             const QSignalBlocker block(e);
             e->setText(t);
         }},
        // Title: chart series name, a bar set's label (a series of a stacked bar chart), or a
        // dynamic property of that name.
        {"Title", false, [](QObject* o) { return qobject_cast<QAbstractSeries*>(o) != nullptr; },
         [](QObject* o) { return static_cast<QAbstractSeries*>(o)->name(); },
         [](QObject* o, const QString& t) { static_cast<QAbstractSeries*>(o)->setName(t); }},
        {"Title", false, [](QObject* o) { return qobject_cast<QBarSet*>(o) != nullptr; },
         [](QObject* o) { return static_cast<QBarSet*>(o)->label(); },
         [](QObject* o, const QString& t) { static_cast<QBarSet*>(o)->setLabel(t); }},
        {"Title", false, [](QObject* o) { return hasDynamic(o, "Title"); },
         [](QObject* o) { return o->property("Title").toString(); },
         [](QObject* o, const QString& t) { o->setProperty("Title", t); }},
    };
    return rows;
}

const Accessor* accessorFor(QObject* object, const QString& name)
{
    if (!object) return nullptr;
    for (const Accessor& a : accessors())
        if (name.compare(QLatin1String(a.name), Qt::CaseInsensitive) == 0 && a.applies(object)) return &a;
    return nullptr;
}

}  // namespace

QList<ExposedProperty> exposedProperties(QObject* object)
{
    QList<ExposedProperty> out;
    if (!object) return out;
    for (const Accessor& a : accessors()) {
        const QString name = QLatin1String(a.name);
        if (!out.isEmpty() && out.last().name == name) continue;
        if (accessorFor(object, name) == &a) out.append({name, a.isList});
    }
    return out;
}

bool hasProperty(QObject* object, const QString& name) { return accessorFor(object, name) != nullptr; }

QString readProperty(QObject* object, const QString& name)
{
    const Accessor* a = accessorFor(object, name);
    return a ? a->read(object) : QString();
}

void writeProperty(QObject* object, const QString& name, const QString& text)
{
    if (const Accessor* a = accessorFor(object, name)) a->write(object, text);
}

QStringList splitListText(const QString& text)
{
    QStringList pieces = text.split(kLineBreak);
    for (QString& piece : pieces) piece = piece.trimmed();
    if (!pieces.isEmpty() && pieces.last().isEmpty()) pieces.removeLast();
    return pieces;
}

}  // namespace lang
