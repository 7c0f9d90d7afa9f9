// The front-office program: sets the application up, creates every window once (main window
// first), runs the message loop until the main window closes, then frees the windows. An
// error no window caught is shown by the application's net and the loop goes on.
#include "app/Application.h"
#include "app/Startup.h"
#include "board/TfrmMain.h"

int main(int argc, char** argv)
{
    tamarel::TApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tamarel"));
    tamarel::TWindows windows = tamarel::CreateWindows();
    windows.frmMain->show();
    const int result = QApplication::exec();
    tamarel::DestroyWindows(windows);
    return result;
}
