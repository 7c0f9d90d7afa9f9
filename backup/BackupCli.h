#pragma once
// Backups without windows, for the database tool:
//   tamarel-db backup FOLDER [ARCHIVE]   writes the archive the menu command writes (into
//                                        FOLDER/Backup under its usual name when ARCHIVE is
//                                        not given) and prints its path;
//   tamarel-db backup URI ARCHIVE        the same of a database on a server (the archive holds
//                                        the database's tables as table files);
//   tamarel-db restore FOLDER ARCHIVE    checks and restores it, all or nothing (FOLDER may be
//                                        a server URI: all tables in one transaction).
// args are the words after the program name, starting with "backup" or "restore".
// Returns the exit code: 0 done, 1 failed (the message is on stderr), 2 usage.

#include <QStringList>

int backupMain(const QStringList& args);
