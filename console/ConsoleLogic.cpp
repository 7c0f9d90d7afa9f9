// The console's decisions without a window (see ConsoleLogic.h).
#include "console/ConsoleLogic.h"

#include <QDir>
#include <QFileInfo>

#include "engine/Engine.h"
#include "platform/Platform.h"

namespace dorvane {

StatementKind classifyStatement(const QString& text)
{
    if (text.left(6).toUpper() == "SELECT") return StatementKind::Query;
    if (text.left(4).toUpper() == "OPEN") return StatementKind::OpenTable;
    return StatementKind::Other;
}

QString openTableName(const QString& text)
{
    QString name = text.mid(4, 200);
    // Blanks and line breaks count as white space at both ends.
    int start = 0, end = name.size();
    auto blank = [](QChar c) { return c == ' ' || c == '\r' || c == '\n' || c == '\t'; };
    while (start < end && blank(name[start])) ++start;
    while (end > start && blank(name[end - 1])) --end;
    return name.mid(start, end - start);
}

QString statementText(const QString& boxText)
{
    QStringList lines = boxText.split('\n');
    for (QString& l : lines)
        if (l.endsWith('\r')) l.chop(1);
    return lines.join("\r\n") + "\r\n";
}

QString boxTextOf(const QString& statement)
{
    QString box = statement;
    if (box.endsWith("\r\n")) box.chop(2);
    return box.replace("\r\n", "\n");
}

void StatementHistory::add(const QString& statement)
{
    m_entries.append(statement);
    m_position = int(m_entries.size());
}

QString StatementHistory::previous()
{
    if (!started()) return {};
    if (m_position > 0) return m_entries.at(--m_position);
    m_position = -1;
    return {};
}

QString StatementHistory::next()
{
    if (!started()) return {};
    if (m_position + 1 < m_entries.size()) return m_entries.at(++m_position);
    m_position = int(m_entries.size());
    return {};
}

QString tableReferences(const QStringList& files)
{
    QString out = " ";
    for (int i = 0; i < files.size(); ++i) {
        const QFileInfo info(files[i]);
        QString alias = info.fileName();
        const int dot = alias.lastIndexOf('.');
        if (dot >= 0) alias.truncate(dot);
        if (i > 0) out += ", ";
        out += '"' + QDir::toNativeSeparators(info.absoluteFilePath()) + "\" AS " + alias;
    }
    return out + " ";
}

QString serverTableReferences(const QStringList& tableFiles)
{
    QStringList refs;
    for (const QString& file : tableFiles) {
        const int dot = file.lastIndexOf('.');
        refs << '"' + file + "\" AS " + (dot >= 0 ? file.left(dot) : file);
    }
    return " " + refs.join(", ") + " ";
}

bool isServerDatabase(const QString& resolvedName)
{
    return engine::isServerLocation(resolvedName.trimmed().toStdString());
}

QString resolveDatabaseName(const QString& name, const QString& engineFolder)
{
    if (name.isEmpty()) return name;
    const QString aliasPath = platform::readEngineSetting(engineFolder, "Aliases", name);
    return aliasPath.isEmpty() ? name : aliasPath;
}

}  // namespace dorvane
