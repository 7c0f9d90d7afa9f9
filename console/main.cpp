// Dorvane: the SQL console. Its settings file is the program path with ".ini" appended;
// aliases of database folders come from the engine configuration beside the program.
#include <QApplication>

#include "console/TfrmMain.h"
#include "platform/Platform.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("Dorvane");
    dorvane::TfrmMain window(platform::programPath() + ".ini",
                             platform::programFolder() + "BdeDrivers");
    window.show();
    return QApplication::exec();
}
