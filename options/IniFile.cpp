// IniFile: line-preserving reader and writer of the settings file.
#include "options/IniFile.h"

#include <QFile>
#include <QSaveFile>

namespace {

bool isSectionLine(const QString& trimmed) { return trimmed.startsWith(u'[') && trimmed.endsWith(u']'); }

bool isComment(const QString& trimmed) { return trimmed.startsWith(u';') || trimmed.startsWith(u'#'); }

QString keyOf(const QString& line)
{
    const int eq = line.indexOf(u'=');
    return eq < 0 ? QString() : line.left(eq).trimmed();
}

}  // namespace

bool IniFile::load(const QString& path)
{
    m_lines.clear();
    m_newline = QStringLiteral("\n");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    // Latin-1 maps every byte to one character and back, so lines in any 8-bit code page
    // (a hand-written comment in Windows-1250) are written back byte for byte.
    fromText(QString::fromLatin1(file.readAll()));
    return true;
}

void IniFile::fromText(const QString& text)
{
    m_newline = text.contains(QStringLiteral("\r\n")) ? QStringLiteral("\r\n") : QStringLiteral("\n");
    QString normalised = text;
    normalised.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_lines = normalised.split(u'\n');
    if (!m_lines.isEmpty() && m_lines.last().isEmpty()) m_lines.removeLast();
}

QString IniFile::toText() const
{
    QString out;
    for (const QString& line : m_lines) out += line + m_newline;
    return out;
}

bool IniFile::save(const QString& path) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    const QByteArray bytes = toText().toLatin1();
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

int IniFile::findSection(const QString& section) const
{
    for (int i = 0; i < m_lines.size(); ++i) {
        const QString t = m_lines[i].trimmed();
        if (isSectionLine(t) && t.mid(1, t.size() - 2).trimmed().compare(section, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

int IniFile::sectionEnd(int sectionLine) const
{
    int i = sectionLine + 1;
    while (i < m_lines.size() && !isSectionLine(m_lines[i].trimmed())) ++i;
    return i;
}

int IniFile::findKey(int sectionLine, const QString& key) const
{
    const int end = sectionEnd(sectionLine);
    for (int i = sectionLine + 1; i < end; ++i) {
        const QString t = m_lines[i].trimmed();
        if (t.isEmpty() || isComment(t)) continue;
        if (keyOf(t).compare(key, Qt::CaseInsensitive) == 0) return i;
    }
    return -1;
}

std::optional<QString> IniFile::value(const QString& section, const QString& key) const
{
    const int s = findSection(section);
    if (s < 0) return std::nullopt;
    const int k = findKey(s, key);
    if (k < 0) return std::nullopt;
    const QString& line = m_lines[k];
    return line.mid(line.indexOf(u'=') + 1).trimmed();
}

void IniFile::setValue(const QString& section, const QString& key, const QString& value)
{
    const QString entry = key + u'=' + value;
    int s = findSection(section);
    if (s < 0) {
        if (!m_lines.isEmpty() && !m_lines.last().trimmed().isEmpty()) m_lines.append(QString());
        m_lines.append(u'[' + section + u']');
        m_lines.append(entry);
        return;
    }
    const int k = findKey(s, key);
    if (k >= 0) {
        m_lines[k] = entry;
        return;
    }
    // After the section's last non-blank line, so a blank line before the next section stays.
    int insertAt = sectionEnd(s);
    while (insertAt > s + 1 && m_lines[insertAt - 1].trimmed().isEmpty()) --insertAt;
    m_lines.insert(insertAt, entry);
}
