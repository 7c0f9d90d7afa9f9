#pragma once
// Start-up of the front-office program: the version text, the engine configuration written
// where it is missing, the splash picture, and the one list of windows created at start in
// their fixed order (main window first). Later windows join that list in CreateWindows.
//
// Invariants:
//  - the engine configuration is only ever added to: a value that exists is never changed;
//  - every window is created once here and lives until DestroyWindows at exit;
//  - the main window is created first; the others after it, in the list's order.

#include <QImage>
#include <QString>
#include <QStringList>

class TfrmMain;
class TdmDataModule;
class TfrmNewDateTamarel;
class TfrmImage;

namespace tamarel {

// The program version as built (CMake project version), e.g. "1.0.0.1".
QString FullVersion();
// The version cut before its second '.': "1.3.6.18" gives "1.3".
QString VersionText(const QString& fullVersion = FullVersion());
// The legal notice of the splash window.
QString LegalNotice();

// The 32 entries "key;value name;value" of the engine configuration.
const QStringList& EngineSettingsTable();
// The engine folder: the program folder + "BdeDrivers".
QString EngineFolder();
// Writes every missing or empty entry of the table into the engine settings store.
void ConfigureDatabaseEngine();
void ConfigureDatabaseEngine(const QStringList& entries, const QString& engineFolder);

// Decodes a JPEG file with libjpeg; a null image when the file is missing or broken.
QImage LoadJpeg(const QString& path);
// The splash picture: the program path with ".jpg" appended.
QString SplashPicturePath();

struct TWindows {
    TfrmMain* frmMain = nullptr;
    TfrmImage* frmImage = nullptr;
    TdmDataModule* dmDataModule = nullptr;
    TfrmNewDateTamarel* frmNewDateTamarel = nullptr;
    QWidget* frmOptions = nullptr;
    QWidget* frmChooseBackup = nullptr;
    QWidget* frmBackupFileAction = nullptr;
};

// Creates every window once, in order, and does the main window's start-up work (splash,
// version, engine configuration, options, first day).
TWindows CreateWindows();
void DestroyWindows(TWindows& windows);

}  // namespace tamarel
