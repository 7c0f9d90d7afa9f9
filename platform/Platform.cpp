// Real implementations of the platform seams, each replaceable by a test handler.
#include "platform/Platform.h"
#include "platform/Paths.h"

#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QTranslator>
#include <QMessageBox>
#include <QSettings>
#include <QStorageInfo>

namespace platform {

Seams& seams()
{
    static Seams s;
    return s;
}

int messageBox(QWidget* owner, const QString& text, const QString& caption, Icon icon, Buttons buttons)
{
    if (seams().messageBox) return seams().messageBox(owner, text, caption, icon, buttons);
    QMessageBox box(owner);
    box.setWindowTitle(caption);
    box.setText(text);
    switch (icon) {
    case Icon::Information: box.setIcon(QMessageBox::Information); break;
    case Icon::Warning: box.setIcon(QMessageBox::Warning); break;
    case Icon::Error: box.setIcon(QMessageBox::Critical); break;
    case Icon::Question: box.setIcon(QMessageBox::Question); break;
    case Icon::None: break;
    }
    switch (buttons) {
    case Buttons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
    case Buttons::OkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case Buttons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    case Buttons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    case Buttons::YesNoCancelDefaultNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::No);
        break;
    }
    return box.exec();
}

int runModal(QDialog* dialog)
{
    if (seams().runModal) return seams().runModal(dialog);
    return dialog->exec();
}

QDateTime now()
{
    if (seams().now) return seams().now();
    return QDateTime::currentDateTime();
}

QDate today() { return now().date(); }

bool shellOpen(const QUrl& url)
{
    if (seams().shellOpen) return seams().shellOpen(url);
    return QDesktopServices::openUrl(url);
}

bool isFixedDrive(const QString& folder)
{
    if (seams().isFixedDrive) return seams().isFixedDrive(folder);
    QStorageInfo info(folder);
    if (!info.isValid()) return false;
    const QByteArray fs = info.fileSystemType().toLower();
    static const QList<QByteArray> notFixed = {"nfs", "nfs4", "cifs", "smbfs", "smb3", "iso9660",
                                               "udf", "sshfs", "fuse.sshfs", "vfat", "exfat", "msdos"};
    if (notFixed.contains(fs)) return false;
    // Removable media are mounted below /media or /run/media on the desktop.
    const QString root = info.rootPath();
    return !(root.startsWith("/media/") || root.startsWith("/run/media/"));
}

QStringList chooseOpenFiles(QWidget* owner, const QString& title, const QString& folder,
                            const QString& filter, bool many)
{
    if (seams().chooseOpenFiles) return seams().chooseOpenFiles(title, folder, filter, many);
    if (many) return QFileDialog::getOpenFileNames(owner, title, folder, filter);
    const QString one = QFileDialog::getOpenFileName(owner, title, folder, filter);
    return one.isEmpty() ? QStringList{} : QStringList{one};
}

QString chooseFolder(QWidget* owner, const QString& title, const QString& folder)
{
    if (seams().chooseFolder) return seams().chooseFolder(title, folder);
    return QFileDialog::getExistingDirectory(owner, title, folder);
}

QString chooseSaveFile(QWidget* owner, const QString& title, const QString& file, const QString& filter)
{
    if (seams().chooseSaveFile) return seams().chooseSaveFile(title, file, filter);
    return QFileDialog::getSaveFileName(owner, title, file, filter);
}

QColor chooseColour(QWidget* owner, const QColor& initial, QList<QColor>* customColours)
{
    if (seams().chooseColour) return seams().chooseColour(initial);
    if (customColours) {
        for (int i = 0; i < customColours->size() && i < QColorDialog::customCount(); ++i)
            QColorDialog::setCustomColor(i, customColours->at(i));
    }
    const QColor c = QColorDialog::getColor(initial, owner);
    if (customColours) {
        customColours->clear();
        for (int i = 0; i < QColorDialog::customCount(); ++i)
            customColours->append(QColorDialog::customColor(i));
    }
    return c;
}

namespace {
QLocale::Language g_interfaceLanguage = QLocale::English;
QTranslator* g_qtTranslator = nullptr;
}  // namespace

void setInterfaceLanguage(QLocale::Language language)
{
    if (language == g_interfaceLanguage && (language == QLocale::English || g_qtTranslator)) return;
    g_interfaceLanguage = language;
    if (g_qtTranslator) {
        QCoreApplication::removeTranslator(g_qtTranslator);
        delete g_qtTranslator;
        g_qtTranslator = nullptr;
    }
    if (language == QLocale::English || !QCoreApplication::instance()) return;
    auto* translator = new QTranslator(QCoreApplication::instance());
    // "qtbase_cs.qm" from Debian's qt6-translations-l10n; without it Qt's texts stay English.
    if (!translator->load(QLocale(language), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return;
    }
    QCoreApplication::installTranslator(translator);
    g_qtTranslator = translator;
}

QLocale::Language interfaceLanguage() { return g_interfaceLanguage; }

QLocale interfaceLocale() { return g_interfaceLanguage == QLocale::English ? QLocale() : QLocale(g_interfaceLanguage); }

void setClipboardText(const QString& text)
{
    if (seams().clipboard) return seams().clipboard(text);
    QApplication::clipboard()->setText(text);
}

namespace {
// Windows-1250 upper half, 0x80..0xFF; 0xFFFD marks bytes the code page leaves undefined.
const char16_t kCp1250[128] = {
#include "platform/cp1250.inc"
};
}  // namespace

QByteArray toCp1250(const QString& text)
{
    QByteArray out;
    out.reserve(text.size());
    for (QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u < 0x80) { out.append(char(u)); continue; }
        int found = -1;
        for (int i = 0; i < 128; ++i)
            if (kCp1250[i] == u) { found = i; break; }
        out.append(found >= 0 ? char(0x80 + found) : '?');
    }
    return out;
}

QString fromCp1250(const QByteArray& bytes)
{
    QString out;
    out.reserve(bytes.size());
    for (char c : bytes) {
        const unsigned char b = static_cast<unsigned char>(c);
        out.append(b < 0x80 ? QChar(b) : QChar(kCp1250[b - 0x80]));
    }
    return out;
}

namespace {
QString& programPathOverride()
{
    static QString p;
    return p;
}
}  // namespace

void setProgramPathForTests(const QString& path) { programPathOverride() = path; }

QString programPath()
{
    if (!programPathOverride().isEmpty()) return programPathOverride();
    return QCoreApplication::applicationFilePath();
}

QString programFolder()
{
    QString f = QFileInfo(programPath()).absolutePath();
    if (!f.endsWith('/')) f += '/';
    return f;
}

QString databaseFolder() { return paths::databaseFolder(); }

namespace {
QString engineStorePath(const QString& engineFolder) { return engineFolder + "/engine.ini"; }
}

bool writeEngineSettingIfMissing(const QString& engineFolder, const QString& key,
                                 const QString& valueName, const QString& value)
{
    if (!QDir().mkpath(engineFolder)) return false;
    QSettings store(engineStorePath(engineFolder), QSettings::IniFormat);
    const QString path = key + "/" + valueName;
    if (!store.value(path).toString().isEmpty()) return true;
    store.setValue(path, value);
    store.sync();
    return store.status() == QSettings::NoError;
}

QString readEngineSetting(const QString& engineFolder, const QString& key, const QString& valueName)
{
    QSettings store(engineStorePath(engineFolder), QSettings::IniFormat);
    return store.value(key + "/" + valueName).toString();
}

}  // namespace platform
