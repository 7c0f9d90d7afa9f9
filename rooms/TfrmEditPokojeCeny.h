#pragma once
// TfrmEditPokojeCeny, "Room Prices Settings": the dated price list POKCENY.DB edited in
// place, for one room (the PID its caller gives) or for all rooms (an empty PID).
//
// Invariants:
//  - with a room given, only that room's rows are shown and every new row starts with its
//    identifier (which alone does not keep an otherwise untouched row);
//  - PID keeps the last value given between openings;
//  - USER, UPMJ and UPMT are set when an existing row enters edit, never for a new row;
//  - closing writes the pending row first and keeps the window open when the table refuses it
//    (the frame shared with the rooms editor, GridEditorWindow, keeps that).

#include "rooms/GridEditorWindow.h"

class QAction;
class QMenu;
class QMenuBar;

class TfrmEditPokojeCeny : public rooms::GridEditorWindow {
    Q_OBJECT
public:
    explicit TfrmEditPokojeCeny(QWidget* parent = nullptr);
    ~TfrmEditPokojeCeny() override;

    // The room to show; empty for all rooms.
    QString PID;

    QMenuBar* mnRoomPricesMenu = nullptr;
    QMenu* mnmPrices = nullptr;
    QAction* mnmClose = nullptr;
    QMenu* mnmEdit = nullptr;
    QAction* mnmNewPriceLine = nullptr;
    QAction* mnmDelete = nullptr;
    QMenu* pmLocal = nullptr;
    QAction* mnDelete = nullptr;

    engine::TableCursor* tbPokojeCeny() const { return table(); }

    // The filter expression for a room: " PID='12'" (an apostrophe in the id doubled).
    static QString RoomFilter(const QString& pid);

    void FormActivate() override;
    void mnmNewPriceLineClick();
};
