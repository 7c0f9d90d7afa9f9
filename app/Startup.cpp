// Start-up: version text, engine configuration, the JPEG decoder of the splash picture and
// the creation of all windows in their fixed order.
#include "app/Startup.h"

#include <QFile>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <jpeglib.h>

#include "accounts/RegisterAccounts.h"
#include "app/TfrmImage.h"
#include "backup/TfrmBackupFileAction.h"
#include "backup/TfrmChooseBackup.h"
#include "board/TfrmMain.h"
#include "calendars/RegisterCalendars.h"
#include "platform/DialogSeam.h"
#include "board/TfrmNewDateTamarel.h"
#include "lang/Language.h"
#include "clients/RegisterClients.h"
#include "documents/RegisterConfirmation.h"
#include "documents/RegisterLabels.h"
#include "documents/RegisterDocuments.h"
#include "fees/RegisterFees.h"
#include "guests/RegisterGuests.h"
#include "invoices/InvoiceWindows.h"
#include "invoices/TakingsWindow.h"
#include "options/OptionsDialog.h"
#include "options/Options.h"
#include "platform/Paths.h"
#include "platform/Platform.h"
#include "notes/RegisterNotes.h"
#include "rooms/RegisterSettings.h"
#include "paradox/TfrmImportParadox.h"
#include "shell/DataModule.h"
#include "stats/RegisterStats.h"
#include "stays/RegisterStays.h"

#ifndef TAMAREL_VERSION
#define TAMAREL_VERSION ""
#endif

namespace tamarel {

QString FullVersion() { return QStringLiteral(TAMAREL_VERSION); }

QString VersionText(const QString& fullVersion)
{
    const int first = fullVersion.indexOf(QLatin1Char('.'));
    if (first < 0) return fullVersion;
    const int second = fullVersion.indexOf(QLatin1Char('.'), first + 1);
    return second < 0 ? fullVersion : fullVersion.left(second);
}

QString LegalNotice() { return QStringLiteral("Copyright (C) Tamarel developers. All rights reserved."); }

const QStringList& EngineSettingsTable()
{
    static const QStringList table = {
        QStringLiteral("\\BLW32;BLAPIPATH;\\"),
        QStringLiteral("\\BLW32;LOCALE_LIB1;\\USA.BLL"),
        QStringLiteral("\\BLW32;LOCALE_LIB2;\\EUROPE.BLL"),
        QStringLiteral("\\BLW32;LOCALE_LIB3;\\OTHER.BLL"),
        QStringLiteral("\\BLW32;LOCALE_LIB4;\\CHARSET.BLL"),
        QStringLiteral("\\BLW32;LOCALE_LIB5;\\CEEUROPE.BLL"),
        QStringLiteral("\\Database Engine;CONFIGFILE01;\\IDAPI32.CFG"),
        QStringLiteral("\\Database Engine;DLLPATH;\\"),
        QStringLiteral("\\Database Engine;RESOURCE;0009"),
        QStringLiteral("\\Database Engine;SaveConfig;WIN32"),
        QStringLiteral("\\Database Engine;UseCount;1"),
        QStringLiteral("\\Database Engine\\Settings\\DRIVERS\\PARADOX\\INIT;LANGDRIVER;DBWINUS0"),
        QStringLiteral("\\Database Engine\\Settings\\DRIVERS\\PARADOX\\INIT;TYPE;FILE"),
        QStringLiteral("\\Database Engine\\Settings\\DRIVERS\\PARADOX\\INIT;VERSION;4.0"),
        QStringLiteral("\\Database Engine\\Settings\\DRIVERS\\PARADOX\\TABLE CREATE;BLOCK SIZE;2048"),
        QStringLiteral("\\Database Engine\\Settings\\DRIVERS\\PARADOX\\TABLE CREATE;LEVEL;4"),
        QStringLiteral("\\Database Engine\\Settings\\DRIVERS\\PARADOX\\TABLE CREATE;STRICTINTEGRTY;TRUE"),
        QStringLiteral("\\Database Engine\\Settings\\SYSTEM\\FORMATS\\DATE;FOURDIGITYEAR;FALSE"),
        QStringLiteral("\\Database Engine\\Settings\\SYSTEM\\FORMATS\\DATE;LEADINGZEROD;FALSE"),
        QStringLiteral("\\Database Engine\\Settings\\SYSTEM\\FORMATS\\DATE;LEADINGZEROM;FALSE"),
        QStringLiteral("\\Database Engine\\Settings\\SYSTEM\\FORMATS\\DATE;MODE;0"),
        QStringLiteral("\\Database Engine\\Settings\\SYSTEM\\FORMATS\\DATE;SEPARATOR;/"),
        QStringLiteral("\\Database Engine\\Settings\\SYSTEM\\FORMATS\\DATE;YEARBIASED;TRUE"),
        QStringLiteral("\\Database Engine\\Settings\\SYSTEM\\FORMATS\\NUMBER;DECIMALDIGITS;2"),
        QStringLiteral("\\Database Engine\\Settings\\SYSTEM\\FORMATS\\NUMBER;DECIMALSEPARATOR;."),
        QStringLiteral("\\Database Engine\\Settings\\SYSTEM\\FORMATS\\NUMBER;LEADINGZERON;TRUE"),
        QStringLiteral("\\Database Engine\\Settings\\SYSTEM\\FORMATS\\NUMBER;THOUSANDSEPARATOR;,"),
        QStringLiteral("\\Database Engine\\Settings\\SYSTEM\\FORMATS\\TIME;AMSTRING;AM"),
        QStringLiteral("\\Database Engine\\Settings\\SYSTEM\\FORMATS\\TIME;MILSECONDS;FALSE"),
        QStringLiteral("\\Database Engine\\Settings\\SYSTEM\\FORMATS\\TIME;PMSTRING;PM"),
        QStringLiteral("\\Database Engine\\Settings\\SYSTEM\\FORMATS\\TIME;SECONDS;TRUE"),
        QStringLiteral("\\Database Engine\\Settings\\SYSTEM\\FORMATS\\TIME;TWELVEHOUR;TRUE"),
    };
    return table;
}

QString EngineFolder() { return platform::paths::engineFolder(); }

void ConfigureDatabaseEngine() { ConfigureDatabaseEngine(EngineSettingsTable(), EngineFolder()); }

void ConfigureDatabaseEngine(const QStringList& entries, const QString& engineFolder)
{
    for (const QString& entry : entries) {
        const int first = entry.indexOf(QLatin1Char(';'));
        const int second = first < 0 ? -1 : entry.indexOf(QLatin1Char(';'), first + 1);
        const QString key = first < 0 ? entry : entry.left(first);
        const QString name = first < 0 ? QString() : entry.mid(first + 1, second < 0 ? -1 : second - first - 1);
        QString value = second < 0 ? QString() : entry.mid(second + 1);
        // A third separator is a fault in the table itself; its rest stays in the value.
        if (value.contains(QLatin1Char(';')))
            platform::messageBox(nullptr, QStringLiteral("Internal error: Too many semicolons"),
                                 QStringLiteral("Error"), platform::Icon::Error, platform::Buttons::Ok);
        // Paths below the engine folder: the folder separator of this system.
        if (value == QStringLiteral("\\")) value = engineFolder;
        else if (value.startsWith(QLatin1Char('\\'))) value = engineFolder + QString(value).replace(QLatin1Char('\\'), QLatin1Char('/'));
        // A key that cannot be written is skipped without a message.
        platform::writeEngineSettingIfMissing(engineFolder, QStringLiteral("\\SOFTWARE\\Borland") + key, name, value);
    }
}

namespace {
struct JpegError {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

void jpegFail(j_common_ptr info)
{
    auto* error = reinterpret_cast<JpegError*>(info->err);
    std::longjmp(error->jump, 1);
}

void jpegSilence(j_common_ptr) {}
}  // namespace

QImage LoadJpeg(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QByteArray bytes = file.readAll();
    if (bytes.isEmpty()) return {};

    jpeg_decompress_struct info{};
    JpegError error{};
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = jpegFail;
    error.manager.output_message = jpegSilence;
    // Only plain memory between setjmp and longjmp: no C++ object may be skipped.
    unsigned char* volatile pixels = nullptr;
    if (setjmp(error.jump)) {
        jpeg_destroy_decompress(&info);
        std::free(pixels);
        return {};
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.constData()),
                 static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    const unsigned width = info.output_width, height = info.output_height;
    if (info.output_components != 3 || width == 0 || height == 0 || width > 20000 || height > 20000) {
        jpeg_destroy_decompress(&info);
        return {};
    }
    const std::size_t stride = std::size_t(width) * 3;
    pixels = static_cast<unsigned char*>(std::malloc(stride * height));
    if (!pixels) {
        jpeg_destroy_decompress(&info);
        return {};
    }
    while (info.output_scanline < height) {
        JSAMPROW row = pixels + stride * info.output_scanline;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    QImage image(int(width), int(height), QImage::Format_RGB888);
    for (unsigned y = 0; y < height; ++y) std::memcpy(image.scanLine(int(y)), pixels + stride * y, stride);
    std::free(pixels);
    return image;
}

QString SplashPicturePath() { return platform::paths::splashPicture(); }

namespace {
// Moves the named child windows of the main window, in the given order, behind all its other
// children: a parent keeps its children in creation order, and the translation tables and
// their include file follow that order. The windows are hidden while this runs.
void placeLast(QWidget* main, std::initializer_list<const char*> names)
{
    for (const char* name : names) {
        auto* window = main->findChild<QWidget*>(QLatin1String(name), Qt::FindDirectChildrenOnly);
        if (!window) continue;
        const Qt::WindowFlags flags = window->windowFlags();
        window->setParent(nullptr);
        window->setParent(main, flags);
    }
}
}  // namespace

TWindows CreateWindows()
{
    TWindows w;
    // The main window comes first; its creation must not use the windows created after it.
    w.frmMain = new TfrmMain;
    w.frmImage = new TfrmImage(SplashPicturePath(), VersionText(), LegalNotice());
    w.frmImage->showNow();
    w.frmMain->setSplash(w.frmImage);
    w.frmMain->setVersionText(VersionText());
    ConfigureDatabaseEngine();
    w.frmMain->applyStartOptions(loadOptions());
    w.frmImage->translateNotice();   // the options chose the language

    // The other windows, in their fixed order. Windows of later subsystems join here.
    // Each subsystem creates its windows once and enters them in the dialog seam.
    registerRoomsDialog(w.frmMain);
    accounts::registerAccountItemsDialog(w.frmMain);
    w.dmDataModule = new TdmDataModule(platform::databaseFolder());
    setDataModule(w.dmDataModule);
    // A server that cannot be reached is said at once, with the server's reason; the board
    // then stays empty instead of each window failing on its own.
    if (w.dmDataModule->onServer() && !w.dmDataModule->OpenAndCount(QStringLiteral("SELECT PID FROM \"POKOJE.DB\"")))
        platform::messageBox(w.frmMain,
                             TranslateMessage(QStringLiteral("Can't open the database on the server:")) + QStringLiteral("\r\n") +
                                 w.dmDataModule->lastError(),
                             QStringLiteral("Tamarel"), platform::Icon::Warning, platform::Buttons::Ok);
    registerStaysDialogs(w.frmMain);      // reservation
    registerClientDialogs(w.frmMain);     // client card, search, browse, referral sources
    registerRatesDialog(w.frmMain);
    // The client windows are made card first (the search and browse windows are given it
    // when made); they take their places in the start-up order here, with the rates between
    // the referral sources and the search.
    placeLast(w.frmMain, {"frmKnowsFrom", "frmRates", "frmFindClientCard", "frmBrowseClientCard", "frmClientDetail"});
    registerStayDetailDialogs(w.frmMain); // check-in, out-of-order periods, room detail
    registerItemTypesDialog(w.frmMain);
    w.frmNewDateTamarel = new TfrmNewDateTamarel(w.frmMain);
    accounts::registerCloseAccountDialog(w.frmMain);   // and the check-out and account commands
    registerAccountPrintout(w.frmMain);   // repAccount, print accounts
    registerStatsDialogs(w.frmMain);      // rooms usage statistics
    accounts::registerReviseItemsDialog(w.frmMain);
    auto* options = new TfrmOptions(w.frmMain);
    w.frmOptions = options;
    platform::registerDialog(platform::dialogs::Options, [options](QVariantMap& args) {
        int columns = args.value(QStringLiteral("columnCount")).toInt();
        const bool ok = options->Execute(columns);
        args.insert(QStringLiteral("columnCount"), columns);
        return ok ? platform::kAccepted : platform::kRejected;
    });
    w.frmChooseBackup = new TfrmChooseBackup(w.frmMain);
    registerNotesDialogs(w.frmMain);      // notes list, note detail, reminder pop-up
    w.frmBackupFileAction = new TfrmBackupFileAction(w.frmMain);
    registerLabelsDialogs(w.frmMain);        // label report, print labels
    registerRoomPricesDialog(w.frmMain);
    registerConfirmationDialogs(w.frmMain);  // confirmation report and dialog
    registerRegistrationCard(w.frmMain);     // registration card report and dialog
    registerGuestsDialogs(w.frmMain);        // guests of a stay, guest book, hotel details
    invoices::registerInvoiceDialogs(w.frmMain);  // the invoice's preview, print and copy
    registerFeesDialogs(w.frmMain);          // accommodation fee book, guests by country
    registerTakingsDialogs(w.frmMain);       // the day's takings, the buyer of an invoice
    calendars::registerCalendarsDialogs(w.frmMain);  // feeds window, synchronisation, export
    paradox::registerImportDialog(w.frmMain);  // moving in from Paradox files
    return w;
}

void DestroyWindows(TWindows& w)
{
    guests::unregisterGuestsDialogs();
    invoices::unregisterInvoiceDialogs();
    fees::unregisterFeesDialogs();
    invoices::unregisterTakingsDialogs();
    calendars::unregisterCalendarsDialogs();
    paradox::unregisterImportDialog();
    documents::unregisterRegistrationCard();
    documents::unregisterConfirmationDialogs();
    documents::unregisterLabelsDialogs();
    notes::unregisterNotesDialogs();
    platform::unregisterDialog(platform::dialogs::Options);
    stats::unregisterStatsDialogs();
    documents::unregisterAccountPrintout();
    accounts::unregisterAccountDialogs();
    clients::unregisterClientDialogs();
    stays::unregisterStaysDialogs();
    unregisterSettingsDialogs();
    delete w.frmBackupFileAction;
    delete w.frmChooseBackup;
    delete w.frmOptions;
    delete w.frmNewDateTamarel;
    delete w.frmImage;
    delete w.frmMain;
    setDataModule(nullptr);
    delete w.dmDataModule;
    w = TWindows{};
}

}  // namespace tamarel
