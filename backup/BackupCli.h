#pragma once
// Backups without windows, for the database tool:
//   tamarel-db backup FOLDER [ARCHIVE]   writes the archive the menu command writes (into
//                                        FOLDER/Backup under its usual name when ARCHIVE is
//                                        not given) and prints its path;
//   tamarel-db restore FOLDER ARCHIVE    checks and restores it, all or nothing.
// args are the words after the program name, starting with "backup" or "restore".
// Returns the exit code: 0 done, 1 failed (the message is on stderr), 2 usage.

#include <QStringList>

int backupMain(const QStringList& args);
