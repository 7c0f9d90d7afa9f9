// The translation engine: applies the object table to the live windows, looks messages up
// in the message table and collects those it lacks for the include file generator.
//
// Invariants: a design-time text is saved the first time its object row is translated and
// never replaced, so any number of switches can restore it; rows whose object cannot be
// found are skipped without a message; a message lookup never reads a language column the
// row does not have.

#include "lang/Language.h"

#include "lang/LanguageIncludeWriter.h"
#include "lang/PropertyAdapter.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QLocale>
#include <QPointer>
#include <QTableWidget>
#include <QTranslator>
#include <QWidget>

namespace {
TLanguage* g_currentLanguage = nullptr;

// The message table behind QCoreApplication::translate(lang::kContext, text), for the texts
// of code below the translation engine (the date box's tooltip and message, the printer
// seam's chooser), which cannot call TranslateMessage. Only that context is answered, so Qt's
// own texts keep Qt's translations; a text the table lacks gives no answer (the English text
// stays), and nothing is collected for the include file.
class MessageTranslator : public QTranslator {
public:
    using QTranslator::QTranslator;
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* sourceText, const char*, int) const override
    {
        TLanguage* language = g_currentLanguage;
        if (!language || !sourceText || qstrcmp(context, lang::kContext) != 0) return {};
        const QString text = QString::fromUtf8(sourceText);
        for (const LanguageRow& row : language->tables().messages)
            if (row.key == text) return language->LanguageIdent() == 0 ? QString() : row.text(language->LanguageIdent());
        return {};
    }
};

QPointer<MessageTranslator> g_messageTranslator;

// (Re)installs the table's translator: installing it tells every widget that the language
// changed (QEvent::LanguageChange), so texts set through it are set again.
void installMessageTranslator()
{
    if (!QCoreApplication::instance()) return;
    if (g_messageTranslator) QCoreApplication::removeTranslator(g_messageTranslator);
    else g_messageTranslator = new MessageTranslator(QCoreApplication::instance());
    QCoreApplication::installTranslator(g_messageTranslator);
}

QObject* findByName(const QList<QObject*>& candidates, const QString& name)
{
    for (QObject* o : candidates)
        if (o->objectName().compare(name, Qt::CaseInsensitive) == 0) return o;
    return nullptr;
}

// A window by its object name; popups (menus) only when no real window has the name.
QObject* findWindow(const QString& name)
{
    QList<QObject*> windows, popups;
    for (QWidget* w : QApplication::topLevelWidgets())
        (w->windowType() == Qt::Popup ? popups : windows).append(w);
    if (QObject* o = findByName(windows, name)) return o;
    if (QObject* o = findByName(popups, name)) return o;
    // Non-visual modules (reports, the data module) hang from the application object.
    return qApp ? findByName(qApp->children(), name) : nullptr;
}
}  // namespace

TLanguage* currentLanguage() { return g_currentLanguage; }

TLanguage::TLanguage(QObject* parent) : QObject(parent)
{
    m_languageList << QStringLiteral("English");
    setTables(LanguageTables::compiled());
    g_currentLanguage = this;
    installMessageTranslator();
}

TLanguage::~TLanguage()
{
    // The generator ran in this session: write the file once more with the messages
    // collected since, so they are not lost.
    if (!m_objectText.isEmpty()) LanguageIncludeWriter(*this).writeFinal();
    if (g_currentLanguage == this) {
        g_currentLanguage = nullptr;
        platform::setInterfaceLanguage(QLocale::English);
    }
}

void TLanguage::setTables(std::shared_ptr<const LanguageTables> tables)
{
    m_tables = tables ? std::move(tables) : std::make_shared<const LanguageTables>();
    m_savedDefaults = QStringList();
    for (qsizetype i = 0; i < m_tables->objects.size(); ++i) m_savedDefaults.append(QString());
}

void TLanguage::TranslateAll()
{
    emit OnBeforeTranslation(this);
    if (m_languageIdent != 1 && m_languageIdent != 2) return;
    // Hold the tables: a handler of OnTranslate could replace them.
    const std::shared_ptr<const LanguageTables> tables = m_tables;
    for (qsizetype i = 0; i < tables->objects.size(); ++i) {
        const LanguageRow& row = tables->objects.at(i);
        const QString text = row.text(m_languageIdent);
        if (!text.isEmpty()) {
            const QString old = TranslateObject(row.key, text);
            if (i < m_savedDefaults.size() && m_savedDefaults.at(i).isEmpty()) m_savedDefaults[i] = old;
        } else if (i < m_savedDefaults.size() && !m_savedDefaults.at(i).isEmpty()) {
            TranslateObject(row.key, m_savedDefaults.at(i));
        }
    }
    emit OnAfterTranslation(this);
}

QObject* TLanguage::resolvePath(const QString& path, QString* propertyName) const
{
    QStringList parts = path.trimmed().split('.');
    *propertyName = parts.takeLast().trimmed();
    if (parts.isEmpty()) return qApp;  // the application object itself exposes nothing
    QObject* current = findWindow(parts.takeFirst().trimmed());
    for (const QString& part : parts) {
        if (!current) return nullptr;
        current = findByName(current->findChildren<QObject*>(), part.trimmed());
    }
    return current;
}

QString TLanguage::TranslateObject(const QString& path, const QString& newText)
{
    if (path.trimmed().isEmpty()) {
        if (!newText.isEmpty())
            platform::messageBox(nullptr, "Property " + path + " does not exist. Translation not performed.",
                                 QStringLiteral("Translation error"), platform::Icon::Warning, platform::Buttons::Ok);
        return {};
    }
    QString property;
    QObject* component = resolvePath(path, &property);
    if (!component || newText.isEmpty()) return {};
    QString value = newText;
    const QString old = lang::readProperty(component, property);
    if (OnTranslate) OnTranslate(this, component, property, old, value);
    lang::writeProperty(component, property, value);
    return old;
}

QString TLanguage::ReadObjectValue(const QString& path) const
{
    if (path.trimmed().isEmpty()) return {};
    QString property;
    QObject* component = resolvePath(path, &property);
    return component ? lang::readProperty(component, property) : QString();
}

QString TLanguage::TranslateMessage(const QString& text)
{
    for (const LanguageRow& row : m_tables->messages) {
        if (row.key != text) continue;
        if (m_languageIdent == 0) return row.key;
        const QString translated = row.text(m_languageIdent);
        return translated.isEmpty() ? text : translated;
    }
    collectMessage(text);
    return text;
}

void TLanguage::collectMessage(const QString& text)
{
    const QString quotedText = "'" + lang::escapeQuotedText(text) + "'";
    if (m_messageText.contains(quotedText)) return;
    m_messageText += LanguageIncludeWriter::collectedRow(text, int(m_languageList.size()), m_tables->languages);
    ++m_collectedMessages;
}

int TLanguage::languageForSystem(int systemLanguage) const
{
    QString name;
    switch (systemLanguage) {
    case QLocale::Czech:
    case QLocale::Slovak: name = QStringLiteral("Česky"); break;
    case QLocale::German: name = QStringLiteral("Deutsch"); break;
    case QLocale::English: name = QStringLiteral("English"); break;
    default: break;
    }
    int ident = m_languageIdent;
    for (int number = 1; number <= 2; ++number)
        if (!name.isEmpty() && m_tables->languageName(number) == name) ident = number;
    return ident < 1 ? 1 : ident;
}

void TLanguage::setLanguageIdent(int ident)
{
    const bool changed = ident != m_languageIdent;
    m_languageIdent = ident;
    if (g_currentLanguage == this) {
        platform::setInterfaceLanguage(ident == 2 ? QLocale::Czech : QLocale::English);
        if (changed || !g_messageTranslator) installMessageTranslator();
    }
}

void TLanguage::DetectLanguage() { setLanguageIdent(languageForSystem(QLocale::system().language())); }

void TLanguage::WriteLanguageInclude() { LanguageIncludeWriter(*this).write(); }

QString TranslateMessage(const QString& text)
{
    TLanguage* language = currentLanguage();
    if (!language) {
        platform::messageBox(nullptr, QStringLiteral("Error: Language class not initialized"), QStringLiteral("Error"),
                             platform::Icon::Warning, platform::Buttons::Ok);
        return text;
    }
    return language->TranslateMessage(text);
}

QString TranslateMessageIfAny(const QString& text)
{
    TLanguage* language = currentLanguage();
    return language ? language->TranslateMessage(text) : text;
}

int LangMessageBox(QWidget* owner, const QString& text, const QString& caption, platform::Icon icon,
                   platform::Buttons buttons)
{
    const QString translatedCaption = TranslateMessage(caption);
    const QString translatedText = TranslateMessage(text);
    return platform::messageBox(owner, translatedText, translatedCaption, icon, buttons);
}

void TranslateGridTitles(QAbstractItemView* grid)
{
    if (!grid) return;
    if (auto* table = qobject_cast<QTableWidget*>(grid)) {
        for (int column = 0; column < table->columnCount(); ++column)
            if (QTableWidgetItem* item = table->horizontalHeaderItem(column))
                item->setText(TranslateMessage(item->text()));
        return;
    }
    QAbstractItemModel* model = grid->model();
    if (!model) return;
    for (int column = 0; column < model->columnCount(); ++column) {
        const QVariant title = model->headerData(column, Qt::Horizontal, Qt::DisplayRole);
        // Models without titles number their columns; numbers are not texts to translate.
        if (title.typeId() != QMetaType::QString) continue;
        model->setHeaderData(column, Qt::Horizontal, TranslateMessage(title.toString()), Qt::DisplayRole);
    }
}
