#pragma once
// The developer tool of the translation engine: writes the tables back out as the Pascal
// include file "lang.inc" beside the program, listing every translatable property of the
// live windows, so that new windows and messages can be added to the tables.
//
// Invariants: every line ends with CR LF and the file is Windows-1250; every quoted text has
// its single quotes doubled and its line breaks written as #13#10, #13 or #10 outside the
// quotes, and no text inside a brace comment can close it, so the file is always valid Pascal; the number of message rows written equals the
// rows in the file. Nothing is written unless the project source file is beside the program;
// a generator run that cannot write the file throws IncludeWriteError to its caller (the
// write on destruction cannot, and answers false).

#include <QList>
#include <QString>
#include <QStringList>
#include <stdexcept>

class QObject;
class TLanguage;

namespace lang {
// The generator run could not write "lang.inc"; the message names the file.
class IncludeWriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
// The dynamic property that leaves a window out of the file (the splash, which is gone
// before the first translation).
inline constexpr char kNotTranslated[] = "notTranslated";
// 'text' as Pascal wants it inside quotes: quotes doubled, line breaks as '#13#10' etc.
QString escapeQuotedText(const QString& text);
// A text inside a brace comment: line breaks as above, a closing brace as ')'.
QString escapeCommentText(const QString& text);
}  // namespace lang

class LanguageIncludeWriter {
public:
    struct ListedProperty {
        QString path;
        QObject* object = nullptr;
        QString property;
    };

    explicit LanguageIncludeWriter(TLanguage& language) : m_language(language) {}

    // The project source file: the program path with its extension replaced by ".dpr", or
    // ".dpr" appended when the program has no extension ("tamarel" -> "tamarel.dpr").
    static QString projectSourcePath(const QString& programPath);
    // Translatable properties of all windows, in the order the file lists them.
    QList<ListedProperty> listProperties() const;

    QString buildObjectText(const QList<ListedProperty>& listed) const;
    QString buildMessageText() const;
    // One collected message row (a text the tables lack) for a file of `languages` languages.
    static QString collectedRow(const QString& text, int languages, const QStringList& tableLanguages);

    // The generator run: rebuilds both texts in the TLanguage and writes the file. False when
    // the project source file is missing (nothing is done); throws IncludeWriteError when
    // the file cannot be written.
    bool write();
    // "lang.inc" in the program's folder.
    static QString includePath();
    // The write on destruction: the texts as they stand, with the collected rows counted.
    bool writeFinal();

private:
    bool save(const QString& text) const;
    QString closingMessageRow(const QString& indent) const;

    TLanguage& m_language;
};
