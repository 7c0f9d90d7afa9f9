#pragma once
// Seams for what the operating system provides. Every window reaches the desktop through
// these functions; tests replace the handlers so that nothing blocks and time is fixed.
//
// Invariant: with no handler installed each seam does the real thing (a QMessageBox, the
// local clock, the desktop URL handler, ...). Handlers are plain std::function members of
// one process-wide object, set and reset by tests (see ScopedSeams in tests).

#include <QByteArray>
#include <QColor>
#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>

class QWidget;
class QDialog;

namespace platform {

enum class Icon { None, Information, Warning, Error, Question };
// The first button is the default, except in YesNoCancelDefaultNo (for questions whose text
// recommends No).
enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel, YesNoCancelDefaultNo };
// Answers use the QMessageBox::StandardButton values (Ok, Cancel, Yes, No).
int messageBox(QWidget* owner, const QString& text, const QString& caption, Icon icon, Buttons buttons);

// Runs a dialog modally and returns its result code (QDialog::Accepted / Rejected).
int runModal(QDialog* dialog);

// Local clock.
QDateTime now();
QDate today();

// Opens a file or link (help page, mailto:) with the desktop's handler.
bool shellOpen(const QUrl& url);

// True when the folder lies on a fixed local disk (not removable, optical or network).
bool isFixedDrive(const QString& folder);

// File, folder and colour choosers. An empty result means the user cancelled.
QStringList chooseOpenFiles(QWidget* owner, const QString& title, const QString& folder,
                            const QString& filter, bool many);
QString chooseFolder(QWidget* owner, const QString& title, const QString& folder);
// The name of a file to write (the chooser asks before replacing one).
QString chooseSaveFile(QWidget* owner, const QString& title, const QString& file, const QString& filter);
// Returns an invalid colour when cancelled. customColours are kept between calls by the caller.
QColor chooseColour(QWidget* owner, const QColor& initial, QList<QColor>* customColours);

// The language of the user interface: Qt's own texts (message box buttons, file and colour
// dialogs) follow it through Qt's translations, and the calendar shows its month and day
// names. English uses the texts built into Qt.
void setInterfaceLanguage(QLocale::Language language);
QLocale::Language interfaceLanguage();
// The locale of the calendar: the interface language's, or the default locale for English.
QLocale interfaceLocale();

// Copies text to the clipboard.
void setClipboardText(const QString& text);

// Windows-1250, the 8-bit code page at the system's file boundaries.
QByteArray toCp1250(const QString& text);
QString fromCp1250(const QByteArray& bytes);

// The program's own file and folders.
QString programPath();           // full path of the running program
QString programFolder();         // its folder with a trailing '/'
QString databaseFolder();        // paths::databaseFolder(): the command line's, the settings
                                 // file's [DEFAULT] Database, or the layout's "DB/"
void setProgramPathForTests(const QString& path);

// Engine configuration stand-in: an INI file per program in the engine folder. A value is
// written only when it is missing or empty; existing values are never changed.
// Returns false when the store cannot be written (then nothing is reported to the user).
bool writeEngineSettingIfMissing(const QString& engineFolder, const QString& key,
                                 const QString& valueName, const QString& value);
QString readEngineSetting(const QString& engineFolder, const QString& key, const QString& valueName);

// The handlers tests install. Leave a member empty for the real behaviour.
struct Seams {
    std::function<int(QWidget*, const QString&, const QString&, Icon, Buttons)> messageBox;
    std::function<int(QDialog*)> runModal;
    std::function<QDateTime()> now;
    std::function<bool(const QUrl&)> shellOpen;
    std::function<bool(const QString&)> isFixedDrive;
    std::function<QStringList(const QString& title, const QString& folder, const QString& filter, bool many)> chooseOpenFiles;
    std::function<QString(const QString& title, const QString& folder)> chooseFolder;
    std::function<QString(const QString& title, const QString& file, const QString& filter)> chooseSaveFile;
    std::function<QColor(const QColor&)> chooseColour;
    std::function<void(const QString&)> clipboard;
};
Seams& seams();

}  // namespace platform
