// The front-office program: sets the application up, creates every window once (main window
// first), runs the message loop until the main window closes, then frees the windows.
#include <QApplication>

#include "app/Startup.h"
#include "board/TfrmMain.h"

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tamarel"));
    tamarel::TWindows windows = tamarel::CreateWindows();
    windows.frmMain->show();
    const int result = QApplication::exec();
    tamarel::DestroyWindows(windows);
    return result;
}
