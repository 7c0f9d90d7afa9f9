#pragma once
// The hotel settings windows (rooms, room prices, account item types, exchange rates),
// created once and opened from the main menu through the board's dialog seam by their form
// names "frmEditPokoje", "frmModifActPolDef" and "frmRates". The board reloads its rooms and
// redraws after the rooms editor returns.
//
// Invariants: each window exists at most once; registering again re-registers the handlers
// on the windows that exist; every window is shown modally through platform::runModal.

class QWidget;
class TfrmEditPokoje;
class TfrmEditPokojeCeny;
class TfrmModifActPolDef;
class TfrmRates;

struct TSettingsWindows {
    TfrmEditPokojeCeny* frmEditPokojeCeny = nullptr;
    TfrmEditPokoje* frmEditPokoje = nullptr;
    TfrmModifActPolDef* frmModifActPolDef = nullptr;
    TfrmRates* frmRates = nullptr;
};

// Creates the windows (parented to mainWindow, which may be null) and registers them: each
// at its own place in the start-up order (rooms, then rates, item types and room prices
// among the other windows), or all four at once.
void registerRoomsDialog(QWidget* mainWindow);
void registerRatesDialog(QWidget* mainWindow);
void registerItemTypesDialog(QWidget* mainWindow);
void registerRoomPricesDialog(QWidget* mainWindow);
void registerSettingsDialogs(QWidget* mainWindow);
// Unregisters the handlers and deletes the windows (at exit, and between tests).
void unregisterSettingsDialogs();
const TSettingsWindows& settingsWindows();
