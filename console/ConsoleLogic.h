#pragma once
// What the SQL console decides without a window: which kind of statement a text is, the
// statement history with its position, the table references inserted for chosen files,
// and where the working database of a name (folder or alias) lies.
//
// Invariants: the command word must stand at the very start of the text (a leading blank
// makes a SELECT run as a plain statement); the history position runs from -1 to size().

#include <QString>
#include <QStringList>

namespace dorvane {

enum class StatementKind { Query, OpenTable, Other };

StatementKind classifyStatement(const QString& text);
// The table name of an OPEN command: characters 5 to 204, blanks and line breaks trimmed.
QString openTableName(const QString& text);
// The lines of the statement box joined with CR LF, with a line break after the last line.
QString statementText(const QString& boxText);
// The box text a statement was run from: statementText's inverse (its last line break and
// the CR of each line dropped), so a statement recalled and run again is the same text.
QString boxTextOf(const QString& statement);

class StatementHistory {
public:
    void add(const QString& statement);
    // Upper half of the spin button: the previous entry, or empty text past the start.
    QString previous();
    // Lower half: the next entry, or empty text past the end.
    QString next();
    int position() const { return m_position; }
    int size() const { return int(m_entries.size()); }
    bool started() const { return !m_entries.isEmpty(); }
    const QStringList& entries() const { return m_entries; }

private:
    QStringList m_entries;
    int m_position = -1;
};

// " \"path\" AS NAME, \"path2\" AS NAME2 " for the chosen files, in the order given.
QString tableReferences(const QStringList& files);

// The same for tables of a database on a server, chosen by their file names ("POKOJE.DB"):
// " \"POKOJE.DB\" AS POKOJE, \"KARTY.DB\" AS KARTY " (no folder: the server knows no paths).
QString serverTableReferences(const QStringList& tableFiles);

// Whether a database name (after alias resolution) names a PostgreSQL server.
bool isServerDatabase(const QString& resolvedName);

// A database name is a folder path or an alias from the engine configuration store
// (section "Aliases"); answers the folder (or the server URI an alias names), or the name
// itself when it is no alias.
QString resolveDatabaseName(const QString& name, const QString& engineFolder);

}  // namespace dorvane
