#pragma once
// TLanguage: switches every window between English and Czech at run time, and translates
// messages at the moment they are shown. Windows carry no translation code: properties are
// reached by object path ("frmMain.mnOverview.Caption") through one property adapter.
//
// Invariants: LanguageIdent 1 is English (the design-time texts), 2 Czech, 0 untranslated;
// switching back to English restores every text an earlier switch changed.

#include <QObject>
#include <QString>
#include <QStringList>

#include "platform/Platform.h"
#include "lang/LanguageTables.h"

#include <functional>
#include <memory>

class QWidget;
class QAbstractItemView;

namespace lang {
// The translation context of texts that code below the translation engine translates with
// QCoreApplication::translate(lang::kContext, "English text"): answered from the message
// table in the current language.
inline constexpr char kContext[] = "Tamarel";
}  // namespace lang

class TLanguage : public QObject {
    Q_OBJECT
public:
    explicit TLanguage(QObject* parent = nullptr);
    ~TLanguage() override;

    int LanguageIdent() const { return m_languageIdent; }
    // Also switches Qt's own texts (message box buttons, standard dialogs) to the language.
    void setLanguageIdent(int ident);
    QStringList LanguageList() const { return m_languageList; }
    void setLanguageList(const QStringList& list) { m_languageList = list; }

    void TranslateAll();
    QString TranslateObject(const QString& path, const QString& newText);
    QString ReadObjectValue(const QString& path) const;
    QString TranslateMessage(const QString& text);
// The text translated when a language is in use, else as it stands, without a word to anyone
// (for windows that also open without one, such as the report preview).
QString TranslateMessageIfAny(const QString& text);
    void DetectLanguage();
    // The include file generator; a failed write reaches the caller as
    // lang::IncludeWriteError (LanguageIncludeWriter.h).
    void WriteLanguageInclude();

    // Fired before a property is set; the handler may change the new value.
    std::function<void(TLanguage* sender, QObject* component, const QString& propertyName,
                       const QString& oldValue, QString& newValue)>
        OnTranslate;

    // The tables in use: the compiled-in ones unless a test puts others in. Replacing them
    // forgets the saved design-time texts, which belong to the rows of the old tables.
    void setTables(std::shared_ptr<const LanguageTables> tables);
    const LanguageTables& tables() const { return *m_tables; }
    // The language number DetectLanguage gives for a system language (LanguageIdent as it
    // stands when the language has no row in the tables, and at least 1).
    int languageForSystem(int systemLanguage) const;
    // The include file texts built by the generator and the rows collected since.
    QString objectText() const { return m_objectText; }
    QString messageText() const { return m_messageText; }
    int collectedMessages() const { return m_collectedMessages; }

signals:
    void OnBeforeTranslation(QObject* sender);
    void OnAfterTranslation(QObject* sender);

private:
    friend class LanguageIncludeWriter;
    QObject* resolvePath(const QString& path, QString* propertyName) const;
    void collectMessage(const QString& text);

    std::shared_ptr<const LanguageTables> m_tables;
    QStringList m_savedDefaults;  // design-time text per object row, saved on first translation
    int m_languageIdent = 1;
    QStringList m_languageList;
    QString m_objectText;
    QString m_messageText;
    int m_collectedMessages = 0;
};

// The one TLanguage in use (set by its constructor, cleared by its destructor).
TLanguage* currentLanguage();

// Message helpers every window uses.
QString TranslateMessage(const QString& text);
// The text translated when a language is in use, else as it stands, without a word to anyone
// (for windows that also open without one, such as the report preview).
QString TranslateMessageIfAny(const QString& text);
int LangMessageBox(QWidget* owner, const QString& text, const QString& caption,
                   platform::Icon icon, platform::Buttons buttons);
// Every column title of the view's model header replaced by TranslateMessage of itself.
void TranslateGridTitles(QAbstractItemView* grid);
