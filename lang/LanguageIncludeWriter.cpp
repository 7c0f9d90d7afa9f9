// Include file generator of the translation engine. The layout is fixed so that the opening
// quote of every translation stands in the 24th column and that of every message text in
// the 20th with the two shipped languages; labels are padded from the language name length.
//
// Windows are walked in creation order: the main window, then its child windows in the order
// they were made (Qt keeps a parent's children in that order); a window's named descendants
// are listed flat under the window, as the object paths address them, a menu's entries in
// the menu's order, and child windows as windows of their own. The splash is left out.

#include "lang/LanguageIncludeWriter.h"

#include "lang/Language.h"
#include "lang/PropertyAdapter.h"
#include "platform/Paths.h"
#include "platform/Platform.h"

#include <QApplication>
#include <QFileInfo>
#include <QHash>
#include <QMenu>
#include <QMenuBar>
#include <QSet>
#include <QSaveFile>
#include <QWidget>
#include <algorithm>

namespace lang {

namespace {
QString escapeLineBreaks(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("'#13#10'"));
    text.replace(QChar('\r'), QStringLiteral("'#13'"));
    text.replace(QChar('\n'), QStringLiteral("'#10'"));
    return text;
}
}  // namespace

QString escapeQuotedText(const QString& text)
{
    QString doubled = text;
    doubled.replace(QChar('\''), QStringLiteral("''"));
    return escapeLineBreaks(doubled);
}

QString escapeCommentText(const QString& text)
{
    // A closing brace would end the comment early and leave the rest of the text as Pascal
    // source; the comment only informs the translator, so a parenthesis stands in for it.
    QString safe = text;
    safe.replace(QChar('}'), QChar(')'));
    return escapeLineBreaks(safe);
}

}  // namespace lang

namespace {

const QString kEol = QStringLiteral("\r\n");

QString quoted(const QString& text) { return "'" + lang::escapeQuotedText(text) + "'"; }

QString blanks(int count) { return QString(std::max(count, 0), QChar(' ')); }

bool isOwnWindow(QObject* object)
{
    auto* widget = qobject_cast<QWidget*>(object);
    if (!widget || !widget->isWindow()) return false;
    const Qt::WindowType type = widget->windowType();
    return type != Qt::Popup && type != Qt::ToolTip && !qobject_cast<QMenu*>(widget);
}

bool isListedName(const QString& name) { return !name.isEmpty() && !name.startsWith(QLatin1String("qt_")); }

// A window the tables leave out: the splash, gone before the first translation.
bool isLeftOut(QObject* window) { return window->property(lang::kNotTranslated).toBool(); }

// The walk of one window: the objects in the order the window made them, a menu's or menu
// bar's entries in the menu's own order (a submenu followed by its entries, separators in
// their places) and a menu's own action, which stands for the menu, never as an entry of
// its own. Each object is listed once.
class Walk {
public:
    explicit Walk(QList<LanguageIncludeWriter::ListedProperty>& out) : m_out(out) {}

    void window(QWidget* w)
    {
        const QString prefix = w->objectName() + ".";
        listObject(w, prefix);
        descendants(w, prefix);
        // Child windows after their owner's controls, in creation order.
        for (QObject* child : w->children())
            if (isOwnWindow(child) && isListedName(child->objectName()) && !isLeftOut(child))
                window(static_cast<QWidget*>(child));
    }

private:
    void listObject(QObject* object, const QString& prefix)
    {
        for (const lang::ExposedProperty& p : lang::exposedProperties(object)) {
            if (!p.isList && lang::readProperty(object, p.name).isEmpty()) continue;
            m_out.append({prefix + p.name, object, p.name});
        }
    }

    // An object of the window: listed under its name (when it has one), then what it holds.
    void visit(QObject* object, const QString& prefix)
    {
        if (m_seen.contains(object)) return;
        m_seen.insert(object);
        if (isListedName(object->objectName())) listObject(object, prefix + object->objectName() + ".");
        if (auto* menu = qobject_cast<QMenu*>(object)) {
            m_seen.insert(menu->menuAction());
            entries(menu->actions(), prefix);
        } else if (auto* bar = qobject_cast<QMenuBar*>(object)) {
            entries(bar->actions(), prefix);
        }
        descendants(object, prefix);
    }

    void entries(const QList<QAction*>& actions, const QString& prefix)
    {
        for (QAction* action : actions) {
            if (QMenu* submenu = action->menu<QMenu*>()) visit(submenu, prefix);
            else visit(action, prefix);
        }
    }

    void descendants(QObject* parent, const QString& prefix)
    {
        for (QObject* child : parent->children()) {
            if (isOwnWindow(child)) continue;
            // A menu's own action is the menu's: it is never an entry of its own.
            if (auto* action = qobject_cast<QAction*>(child); action && action->menu<QMenu*>()) {
                m_seen.insert(action);
                continue;
            }
            visit(child, prefix);
        }
    }

    QList<LanguageIncludeWriter::ListedProperty>& m_out;
    QSet<QObject*> m_seen;
};

}  // namespace

QString LanguageIncludeWriter::projectSourcePath(const QString& programPath)
{
    const QFileInfo info(programPath);
    const QString name = info.fileName();
    const qsizetype dot = name.lastIndexOf('.');
    const QString base = dot > 0 ? name.left(dot) : name;
    return programPath.left(programPath.size() - name.size()) + base + ".dpr";
}

QList<LanguageIncludeWriter::ListedProperty> LanguageIncludeWriter::listProperties() const
{
    // The windows that have no owner window: in the program only the main window (every
    // other window is its child, in creation order; the splash is left out). Qt keeps no
    // order among windows without an owner, so those are taken by name.
    QList<QWidget*> roots;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (isOwnWindow(w) && !w->parentWidget() && isListedName(w->objectName()) && !isLeftOut(w)) roots.append(w);
    std::stable_sort(roots.begin(), roots.end(), [](QWidget* a, QWidget* b) {
        return a->objectName().compare(b->objectName(), Qt::CaseInsensitive) < 0;
    });

    QList<ListedProperty> out;
    Walk walk(out);
    for (QWidget* root : roots) walk.window(root);
    // Modules without a window hang from the application object, after the windows.
    if (qApp) {
        for (QObject* o : qApp->children()) {
            if (o->isWidgetType() || !isListedName(o->objectName())) continue;
            const QString prefix = o->objectName() + ".";
            for (const lang::ExposedProperty& p : lang::exposedProperties(o))
                if (p.isList || !lang::readProperty(o, p.name).isEmpty()) out.append({prefix + p.name, o, p.name});
        }
    }
    return out;
}

QString LanguageIncludeWriter::buildObjectText(const QList<ListedProperty>& listed) const
{
    const LanguageTables& tables = m_language.tables();
    const QStringList languages = m_language.LanguageList();
    QHash<QString, int> rowOfPath;
    for (int i = tables.objects.size() - 1; i >= 0; --i) rowOfPath.insert(tables.objects.at(i).key, i);

    QString t;
    t += "Const" + kEol;
    t += QString(" LLanguagesNum = %1;").arg(languages.size()) + kEol;
    t += " LLanguages : array [0..LLanguagesNum] of String = ('Default'";
    for (const QString& name : languages) t += ", " + quoted(name);
    t += ");" + kEol + kEol;
    t += QString(" LLangObjectsNum = %1;").arg(listed.size()) + kEol;
    t += " LLangObjects : array [1..LLangObjectsNum+1] of String = (" + kEol;
    for (const ListedProperty& p : listed) t += "       " + quoted(p.path) + "," + kEol;
    t += "       '');" + kEol + kEol;

    t += " lLangTranslations : array [1..LLangObjectsNum+1, 1..LLanguagesNum] of String = (" + kEol;
    for (const ListedProperty& p : listed) {
        const int row = rowOfPath.value(p.path, -1);
        for (int k = 1; k <= languages.size(); ++k) {
            const QString& name = languages.at(k - 1);
            t += k == 1 ? QStringLiteral("     (") : QStringLiteral(",") + kEol + blanks(8);
            t += "{" + name + ":} " + blanks(11 - int(name.size()) + (k == 1 ? 2 : 0));
            t += quoted(row >= 0 ? tables.objects.at(row).text(k) : QString());
        }
        const QString saved = row >= 0 && row < m_language.m_savedDefaults.size() ? m_language.m_savedDefaults.at(row)
                                                                                 : QString();
        const QString defaultText = saved.isEmpty() ? lang::readProperty(p.object, p.property) : saved;
        t += "),  {" + lang::escapeCommentText(defaultText) + "}" + kEol;
    }
    QStringList empties;
    for (int k = 0; k < languages.size(); ++k) empties.append("''");
    t += "     (" + empties.join(", ") + "));" + kEol + kEol;
    return t;
}

QString LanguageIncludeWriter::buildMessageText() const
{
    const LanguageTables& tables = m_language.tables();
    const int languages = int(m_language.LanguageList().size());
    QString t = " lLangMessages : array [1..lLangMessagesNum+1, 0..lLanguagesNum] of String =(" + kEol;
    for (const LanguageRow& row : tables.messages) {
        for (int column = 0; column <= languages; ++column) {
            t += column == 0 ? QStringLiteral("    (") : QStringLiteral(",") + kEol + blanks(7);
            if (column > 2) {
                t += "''";
                continue;
            }
            const QString name = tables.languageName(column);
            t += "{" + name + "} " + blanks(11 - int(name.size()) - (column > 0 ? 2 : 0));
            t += quoted(column == 0 ? row.key : row.text(column));
        }
        t += ")," + kEol;
    }
    return t;
}

QString LanguageIncludeWriter::collectedRow(const QString& text, int languages, const QStringList& tableLanguages)
{
    auto name = [&](int i) { return i < tableLanguages.size() ? tableLanguages.at(i) : QString(); };
    QString row = "    ({" + name(0) + "} " + quoted(text);
    for (int column = 1; column <= languages; ++column)
        row += column <= 2 ? ", {" + name(column) + "} ''" : QStringLiteral(", ''");
    return row + ")," + kEol;
}

QString LanguageIncludeWriter::closingMessageRow(const QString& indent) const
{
    QStringList empties;
    for (int column = 0; column <= m_language.LanguageList().size(); ++column) empties.append("''");
    return indent + "(" + empties.join(", ") + "));" + kEol;
}

bool LanguageIncludeWriter::write()
{
    // The project's sources stand beside the include file: beside the program when it is
    // portable, in the user's data folder when installed.
    const QString besideInclude =
        QFileInfo(includePath()).absolutePath() + QLatin1Char('/') + QFileInfo(platform::programPath()).fileName();
    if (!QFileInfo::exists(projectSourcePath(besideInclude))) return false;
    m_language.m_objectText = buildObjectText(listProperties());
    m_language.m_messageText = buildMessageText();
    m_language.m_collectedMessages = 0;
    const QString text = m_language.m_objectText
        + QString("Const lLangMessagesNum = %1;").arg(m_language.tables().messages.size()) + kEol
        + m_language.m_messageText + closingMessageRow(QStringLiteral("  "));
    if (!save(text))
        throw lang::IncludeWriteError(
            (TranslateMessage(QStringLiteral("The file cannot be written:")) + QStringLiteral("\r\n") + includePath())
                .toStdString());
    return true;
}

bool LanguageIncludeWriter::writeFinal()
{
    if (m_language.m_objectText.isEmpty()) return false;
    const qsizetype rows = m_language.tables().messages.size() + m_language.m_collectedMessages;
    const QString text = m_language.m_objectText + kEol
        + "Const            { Now define the message translations }" + kEol
        + QString(" lLangMessagesNum = %1;").arg(rows) + kEol
        + m_language.m_messageText + closingMessageRow(QStringLiteral("    "));
    return save(text);
}

QString LanguageIncludeWriter::includePath() { return platform::paths::languageIncludeFile(); }

bool LanguageIncludeWriter::save(const QString& text) const
{
    QSaveFile file(includePath());
    if (!file.open(QIODevice::WriteOnly)) return false;
    file.write(platform::toCp1250(text));
    return file.commit();
}
