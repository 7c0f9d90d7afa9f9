#pragma once
// Runs tamarel-db (TAMAREL_DB_TOOL, given by the build) as a program and keeps what it said.

#include <QProcess>
#include <QString>
#include <QStringList>

struct ToolRun {
    int exitCode = -1;  // -1 when the tool crashed or did not end within four minutes
    QString out, err;
};

inline ToolRun tool(const QStringList& args, const QString& workingFolder = {})
{
    QProcess p;
    if (!workingFolder.isEmpty()) p.setWorkingDirectory(workingFolder);
    p.start(QStringLiteral(TAMAREL_DB_TOOL), args);
    p.waitForFinished(240000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}
