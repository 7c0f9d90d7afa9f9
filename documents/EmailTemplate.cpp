// E-mail templates: reading, splitting, one-pass substitution and the mailto: link.
//
// Invariants: see EmailTemplate.h.

#include "documents/EmailTemplate.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QUrl>

#include "platform/Platform.h"

namespace documents {

EmailTemplate SplitTemplate(const QByteArray& fileBytes)
{
    QByteArray bytes = fileBytes.left(kTemplateBytes);
    const qsizetype zero = bytes.indexOf('\0');
    if (zero >= 0) bytes.truncate(zero);

    EmailTemplate out;
    const qsizetype cr = bytes.indexOf('\r');
    if (cr < 0) {
        out.body = platform::fromCp1250(bytes);
        return out;
    }
    qsizetype bodyStart = cr + 1;
    while (bodyStart < bytes.size() && static_cast<unsigned char>(bytes.at(bodyStart)) < 32) ++bodyStart;
    out.subject = platform::fromCp1250(bytes.left(cr));
    out.body = platform::fromCp1250(bytes.mid(bodyStart));
    return out;
}

bool ReadTemplate(const QString& path, EmailTemplate& out)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QByteArray bytes = file.read(kTemplateBytes);
    // A read that fails part-way is as unusable as a missing file.
    if (file.error() != QFileDevice::NoError) return false;
    out = SplitTemplate(bytes);
    return true;
}

QList<TemplateFile> TemplateFiles(const QString& folder)
{
    QList<TemplateFile> templates;
    // System lists a link whose target is gone as well: it is shown and said unreadable.
    const QDir dir(folder);
    const QStringList files = dir.entryList({QStringLiteral("*.etp")}, QDir::Files | QDir::System, QDir::Unsorted);
    for (const QString& file : files) {
        if (!file.endsWith(QLatin1String(".etp"), Qt::CaseInsensitive)) continue;
        templates.append({file.left(file.size() - 4), dir.filePath(file)});
    }
    return templates;
}

QList<TemplateFile> TemplateFiles(const QStringList& folders)
{
    QList<TemplateFile> templates;
    QSet<QString> names;
    for (const QString& folder : folders)
        for (const TemplateFile& t : TemplateFiles(folder))
            if (!names.contains(t.name.toLower())) {
                names.insert(t.name.toLower());
                templates.append(t);
            }
    return templates;
}

Substituted SubstitutePlaceholders(const QString& text, const PlaceholderLookup& lookup)
{
    Substituted out;
    out.text.reserve(text.size());
    qsizetype from = 0;
    while (from < text.size()) {
        const qsizetype open = text.indexOf(QLatin1Char('{'), from);
        const qsizetype close = open < 0 ? -1 : text.indexOf(QLatin1Char('}'), open + 1);
        if (close < 0) break;
        out.text += QStringView(text).mid(from, open - from);
        const QString name = text.mid(open + 1, close - open - 1);
        const PlaceholderValue value = lookup(name);
        if (value.kind == PlaceholderValue::Failed) {
            out.failed = true;
            return out;
        }
        if (value.kind == PlaceholderValue::Unknown) {
            out.unknownNames.append(name);
            out.text += QLatin1Char('?') + name + QLatin1Char('?');
        } else {
            out.text += value.text;
        }
        from = close + 1;
    }
    out.text += QStringView(text).mid(from);
    return out;
}

QString MailtoLink(const QString& subject, const QString& body)
{
    return QStringLiteral("mailto:?subject=") + QString::fromLatin1(QUrl::toPercentEncoding(subject)) +
           QStringLiteral("&body=") + QString::fromLatin1(QUrl::toPercentEncoding(body));
}

}  // namespace documents
