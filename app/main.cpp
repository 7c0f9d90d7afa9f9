// The front-office program: reads its command line, sets the application up, lets an
// installed program without a database choose one, creates every window once (main window
// first), runs the message loop until the main window closes, then frees the windows. An
// error no window caught is shown by the application's net and the loop goes on.
#include <QLabel>
#include <memory>

#include "app/Application.h"
#include "app/Startup.h"
#include "app/TfrmFirstRun.h"
#include "board/DrawGrid.h"
#include "board/TfrmMain.h"
#include "lang/Language.h"
#include "platform/CommandLine.h"
#include "options/Options.h"
#include "platform/Paths.h"
#include "rates/StartupFetch.h"
#include "shell/DataModule.h"

namespace {
const char* const kDescription = "Tamarel, the front office of a small hotel or guest house.";

QStringList arguments(int argc, char** argv)
{
    QStringList args;
    for (int i = 0; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    return args;
}

// The first start of an installed program: the user picks the database, in the system's
// language. False when the user quits instead.
bool chooseFirstDatabase()
{
    TLanguage language;
    language.setLanguageList(language.LanguageList() << QStringLiteral("Česky"));
    language.DetectLanguage();
    tamarel::TfrmFirstRun window(platform::paths::defaultDatabaseFolder(platform::paths::current()),
                                 platform::paths::settingsFile());
    return window.exec() == QDialog::Accepted;
}
}  // namespace

int main(int argc, char** argv)
{
    // --help, --version and a wrong line answer without a display.
    const platform::CommandLine line = platform::parseCommandLine(arguments(argc, argv), QStringLiteral("tamarel"),
                                                                  tamarel::FullVersion(), QString::fromUtf8(kDescription));
    if (line.action != platform::CommandLine::Action::Run) return platform::finishCommandLine(line);

    tamarel::TApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tamarel"));
    platform::paths::setDatabaseForThisRun(line.database);
    if (platform::paths::layout() == platform::paths::Layout::Installed && !platform::paths::databaseChosen()
        && !chooseFirstDatabase())
        return 0;

    tamarel::TWindows windows = tamarel::CreateWindows();
    // The day's EUR rate, fetched in the background once the board has painted itself; what
    // came of it is said once, in the status bar.
    QLabel* status = windows.frmMain->statusPanel();
    auto rateFetch = std::make_unique<rates::StartupFetch>(
        windows.dmDataModule->db(), windows.dmDataModule->DbPrefix(), rates::ReadRateSettings(settingsFilePath()),
        [status](const QString& text) { status->setText(status->text() + QStringLiteral("    ") + text); });
    rateFetch->armAfterFirstPaint(windows.frmMain->grDraw()->viewport());
    windows.frmMain->show();
    const int result = QApplication::exec();
    rateFetch.reset();
    tamarel::DestroyWindows(windows);
    return result;
}
