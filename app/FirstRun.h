#pragma once
// The first start of an installed program that has no database yet: the four choices
// (an empty database, the demo hotel, an existing folder, a server) carried out, and the
// database that worked written into the settings file, so later starts go to the board.
//
// Invariants: nothing is written into the settings file unless the database opened; a
// server that cannot be reached, or a folder without the tables, is said and not kept.

#include <QDateTime>
#include <QString>

namespace tamarel {

enum class FirstRunChoice { Empty, Demo, Existing, Server };

struct FirstRunResult {
    bool kept = false;
    QString database;   // the folder or URI written into the settings file
    QString message;    // why it was not kept (English; translated where shown)
    QString reason;     // the engine's own words, when it had any
};

// folderOrUri: the existing folder or the server URI (ignored for Empty and Demo, which
// use defaultFolder).
FirstRunResult applyFirstRunChoice(FirstRunChoice choice, const QString& folderOrUri, const QString& defaultFolder,
                                   const QString& settingsFile, const QDateTime& now);

}  // namespace tamarel
