// The front-office program: sets the application up, creates every window once (main window
// first), runs the message loop until the main window closes, then frees the windows.
#include <QApplication>
#include <QLabel>
#include <memory>

#include "app/Startup.h"
#include "board/DrawGrid.h"
#include "board/TfrmMain.h"
#include "options/Options.h"
#include "rates/StartupFetch.h"
#include "shell/DataModule.h"

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tamarel"));
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
