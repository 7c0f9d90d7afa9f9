// Dorvane: the SQL console. Its settings file and the engine folder (aliases of database
// folders) are where platform::paths puts them: beside the program, or in the user's
// folders when installed. A database named on the command line opens for this run.
#include <QApplication>
#include <QFileInfo>

#include "console/TfrmMain.h"
#include "platform/CommandLine.h"
#include "platform/Paths.h"

#ifndef TAMAREL_VERSION
#define TAMAREL_VERSION "0"
#endif

namespace {
const char* const kDescription = "Dorvane, the SQL console of Tamarel's database.";

QStringList arguments(int argc, char** argv)
{
    QStringList args;
    for (int i = 0; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    return args;
}
}  // namespace

int main(int argc, char** argv)
{
    const QString version = QStringLiteral(TAMAREL_VERSION);
    // --help, --version and a wrong line answer without a display.
    const platform::CommandLine line =
        platform::parseCommandLine(arguments(argc, argv), QStringLiteral("dorvane"), version, QString::fromUtf8(kDescription));
    if (line.action != platform::CommandLine::Action::Run) return platform::finishCommandLine(line);

    QApplication app(argc, argv);
    QApplication::setApplicationName("Dorvane");
    dorvane::TfrmMain window(platform::paths::settingsFile(), platform::paths::engineFolder());
    if (!line.database.isEmpty()) {
        window.setDatabasePathForThisRun(line.database);
    } else if (platform::paths::layout() == platform::paths::Layout::Installed && !window.hasConfiguredDatabase()) {
        // An installed console that was never pointed anywhere opens Tamarel's database.
        platform::paths::Inputs tamarel = platform::paths::current();
        tamarel.programPath = QFileInfo(tamarel.programPath).absolutePath() + QStringLiteral("/tamarel");
        window.setDatabasePathForThisRun(platform::paths::databaseFolder(tamarel));
    }
    window.show();
    return QApplication::exec();
}
