#pragma once
// E-mail templates of the confirmation: reading a template file, splitting it into subject
// and body, replacing the placeholders of the body, and composing the mailto: link that hands
// the result to the mail program.
//
// A template is a Windows-1250 text file "<name>.etp" in the program's folder. Only its first
// 10000 bytes count, and it ends at its first zero byte. Its first line, up to the first
// carriage return, is the subject; that carriage return and every control character right
// after it are dropped, and the rest is the body. Without a carriage return the whole text
// is body and the subject is empty. The subject is never substituted.
//
// Invariants of the substitution:
//  - one pass from the start of the body to its end: a value once inserted is never scanned
//    again, so a value holding "{NAME}" stays as it is and the pass always ends;
//  - a "{" without a later "}" ends the substitution; the rest of the body stays unchanged;
//  - every "{name}" asks the lookup exactly once, in the order the body holds them.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

namespace documents {

inline constexpr qsizetype kTemplateBytes = 10000;

struct EmailTemplate {
    QString subject;
    QString body;
};

// Splits the bytes of a template file (Windows-1250) into subject and body.
EmailTemplate SplitTemplate(const QByteArray& fileBytes);

// Reads and splits the template file; false when it is missing or cannot be read.
bool ReadTemplate(const QString& path, EmailTemplate& out);

// A template file of the folder: the name the list shows (the file name without its
// extension) and the file itself, which is the one opened when the name is chosen.
struct TemplateFile {
    QString name;
    QString path;
};
// The "*.etp" files of a folder in any letter case ("Hotel.ETP"), in the order the folder
// lists them; a file that cannot be read is listed too, so choosing it can say so.
QList<TemplateFile> TemplateFiles(const QString& folder);
// The templates of several folders, searched in order: a name an earlier folder has (the
// user's own copy) hides the same name in a later one (the installed template).
QList<TemplateFile> TemplateFiles(const QStringList& folders);

// What a placeholder stands for.
struct PlaceholderValue {
    enum Kind { Found, Unknown, Failed };
    Kind kind = Found;
    QString text;

    static PlaceholderValue found(const QString& text) { return {Found, text}; }
    static PlaceholderValue unknown() { return {Unknown, {}}; }
    static PlaceholderValue failed() { return {Failed, {}}; }
};
using PlaceholderLookup = std::function<PlaceholderValue(const QString& name)>;

struct Substituted {
    QString text;
    QStringList unknownNames;   // each unknown placeholder, once per occurrence, in order
    bool failed = false;        // a placeholder could not be given a value; the text is unusable
};

// Replaces every "{name}" of the text by its value; an unknown name becomes "?name?".
// Stops at the first placeholder whose value failed.
Substituted SubstitutePlaceholders(const QString& text, const PlaceholderLookup& lookup);

// "mailto:?subject=<subject>&body=<body>", both percent-encoded as UTF-8 (RFC 6068): every
// byte but the unreserved characters (0-9, A-Z, a-z, "-", ".", "_", "~") as %XX, so a
// blank, a line break, "&", "=" and "%" of the text stay part of it.
QString MailtoLink(const QString& subject, const QString& body);

}  // namespace documents
