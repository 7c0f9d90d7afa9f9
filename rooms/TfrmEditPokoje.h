#pragma once
// TfrmEditPokoje, "Rooms Settings": the rooms of the house edited in place in a grid over
// POKOJE.DB, with the board colour chosen in the colour dialog and the dated prices of the
// current room opened in TfrmEditPokojeCeny.
//
// Invariants:
//  - a room that existed before its row was put into edit remembers its identifier, and any
//    change of PID away from it is confirmed by the user (No puts it back); a new room has
//    nothing to remember, so typing its identifier asks nothing;
//  - USER, UPMJ and UPMT are set when an existing row enters edit, never for a new row;
//  - PCOLOR holds the Windows colour value 0x00BBGGRR as a decimal number;
//  - the number of beds of the current room (the setting BEDS.<room id>, shared by every desk)
//    is shown below the grid and stored as soon as it is changed; 0 removes the setting; with
//    no guest book's tables in the database the box is disabled;
//  - closing writes the pending row first and keeps the window open when the table refuses it
//    (the frame shared with the prices editor, GridEditorWindow, keeps that).

#include <QList>
#include <QColor>
#include <optional>

#include "rooms/GridEditorWindow.h"

class QAction;
class QMenu;
class QLabel;
class QMenuBar;
class QSpinBox;
class TfrmEditPokojeCeny;

class TfrmEditPokoje : public rooms::GridEditorWindow {
    Q_OBJECT
public:
    explicit TfrmEditPokoje(TfrmEditPokojeCeny* prices, QWidget* parent = nullptr);
    ~TfrmEditPokoje() override;

    QMenuBar* mnRoomsMain = nullptr;
    QMenu* mnRooms = nullptr;
    QAction* mnmClose = nullptr;
    QMenu* mnEdit = nullptr;
    QAction* mnmNewRecord = nullptr;
    QAction* mnmDelete = nullptr;
    QAction* mnmChooseColor = nullptr;
    QAction* mnmDetailPrices = nullptr;
    QMenu* pmLocal = nullptr;
    QAction* mnChooseColor = nullptr;
    QAction* mnDetailPrices = nullptr;
    QAction* mnDelete = nullptr;
    QLabel* lbBeds = nullptr;
    QSpinBox* spBeds = nullptr;

    engine::TableCursor* tbPokoje() const { return table(); }
    // The prices window is made later at start-up than this one, and handed over then.
    void setPrices(TfrmEditPokojeCeny* prices) { m_prices = prices; }

    void FormActivate() override;
    void mnmNewRecordClick();
    void mnChooseColorClick();
    void mnDetailPricesClick();

    // The current room's beds into spBeds, and spBeds into the settings.
    void showBeds();
    bool storeBeds();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildMenus();
    void setAuditFields();
    void roomIdChanged();

    TfrmEditPokojeCeny* m_prices;
    std::optional<QString> m_rememberedPid;
    QString m_bedsPid;          // the room spBeds shows
    bool m_showingBeds = false;
    QList<QColor> m_customColours;
};
