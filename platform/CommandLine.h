#pragma once
// The command line of the windowed programs, as desktop programs have it:
//   PROGRAM [--help] [--version] [FOLDER|URI]
// FOLDER|URI opens another database for this run only. Qt's own options (-platform, -style)
// are passed over here and left to the application object. The line is read before the
// application object exists, so --help, --version and a refusal need no display.
//
// Invariants: an unknown option or a second database is refused with the usage text; the
// help text is the one a man page is made from, so the two cannot drift apart.

#include <QString>
#include <QStringList>

namespace platform {

struct CommandLine {
    enum class Action { Run, Help, Version, Refuse };
    Action action = Action::Run;
    QString database;   // FOLDER|URI, or empty
    QString text;       // the help or version text, or the reason and usage for Refuse
};

// args as QCoreApplication::arguments() gives them (the program name first).
CommandLine parseCommandLine(const QStringList& args, const QString& program, const QString& version,
                             const QString& description);

// Prints the text of a Help, Version or Refuse action (Refuse to stderr) and gives the exit
// code: 0 for Help and Version, 2 for Refuse.
int finishCommandLine(const CommandLine& line);

}  // namespace platform
