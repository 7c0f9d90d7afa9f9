// Creation of the settings windows and their entries in the board's dialog seam.
#include "rooms/RegisterSettings.h"

#include <QPointer>
#include <QVariantMap>

#include "accounts/TfrmModifActPolDef.h"
#include "accounts/TfrmRates.h"
#include "platform/DialogSeam.h"
#include "platform/Platform.h"
#include "rooms/TfrmEditPokoje.h"
#include "rooms/TfrmEditPokojeCeny.h"

namespace {
TSettingsWindows& windows()
{
    static TSettingsWindows w;
    return w;
}

platform::DialogHandler modalHandler(QDialog* dialog)
{
    QPointer<QDialog> guarded(dialog);
    return [guarded](QVariantMap&) {
        if (!guarded) return platform::kRejected;
        return platform::runModal(guarded) == QDialog::Accepted ? platform::kAccepted : platform::kRejected;
    };
}
}  // namespace

void registerRoomsDialog(QWidget* mainWindow)
{
    TSettingsWindows& w = windows();
    if (!w.frmEditPokoje) w.frmEditPokoje = new TfrmEditPokoje(w.frmEditPokojeCeny, mainWindow);
    platform::registerDialog(platform::dialogs::Rooms, modalHandler(w.frmEditPokoje));
}

void registerRatesDialog(QWidget* mainWindow)
{
    TSettingsWindows& w = windows();
    if (!w.frmRates) w.frmRates = new TfrmRates(mainWindow);
    platform::registerDialog(platform::dialogs::Rates, modalHandler(w.frmRates));
}

void registerItemTypesDialog(QWidget* mainWindow)
{
    TSettingsWindows& w = windows();
    if (!w.frmModifActPolDef) w.frmModifActPolDef = new TfrmModifActPolDef(mainWindow);
    platform::registerDialog(platform::dialogs::AcctItemTypes, modalHandler(w.frmModifActPolDef));
}

void registerRoomPricesDialog(QWidget* mainWindow)
{
    TSettingsWindows& w = windows();
    if (!w.frmEditPokojeCeny) w.frmEditPokojeCeny = new TfrmEditPokojeCeny(mainWindow);
    if (w.frmEditPokoje) w.frmEditPokoje->setPrices(w.frmEditPokojeCeny);
}

void registerSettingsDialogs(QWidget* mainWindow)
{
    registerRoomsDialog(mainWindow);
    registerRatesDialog(mainWindow);
    registerItemTypesDialog(mainWindow);
    registerRoomPricesDialog(mainWindow);
}

void unregisterSettingsDialogs()
{
    platform::unregisterDialog(platform::dialogs::Rooms);
    platform::unregisterDialog(platform::dialogs::AcctItemTypes);
    platform::unregisterDialog(platform::dialogs::Rates);
    TSettingsWindows& w = windows();
    delete w.frmEditPokoje;
    delete w.frmEditPokojeCeny;
    delete w.frmModifActPolDef;
    delete w.frmRates;
    w = TSettingsWindows{};
}

const TSettingsWindows& settingsWindows() { return windows(); }
