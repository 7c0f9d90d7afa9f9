#pragma once
// TfrmGuests (form frmGuests): the persons of one stay as the guest book records them. The
// list on top, the selected person's fields below it, the warnings at the bottom. Persons
// come from a client card (the client search), or are typed in (optionally making a client
// card of them); the citizenship is chosen from the list of states in the window's language.
//
// Invariants: nothing is stored before Ok, and Ok stores the whole list in one change
// (inserted, edited and removed persons together) or nothing, the window staying open on a
// refusal; a person taken from a card holds copies of the card's fields, so later edits or
// the deletion of the card do not change it. Opened after a check-in with the booker's card
// (KID) and an empty list, the booker is listed as the first person, not yet stored.

#include <QDialog>
#include <QList>

#include "guests/Guest.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;

class TfrmGuests : public QDialog {
    Q_OBJECT
public:
    explicit TfrmGuests(QWidget* parent = nullptr);

    // Set by the caller before showing: the stay, and the booker's card to list first (0: none).
    int BID = 0;
    int KID = 0;

    int Execute();
    // Loads the stay and its persons; false (nothing shown) when there is no guest book or stay.
    bool FormActivate();
    bool save();

    // The list as it stands (the edits of the selected person included).
    const QList<guests::Guest>& currentGuests();
    void addFromCard(int kid);
    void addNew();
    void removeSelected();
    void selectGuest(int row);
    QStringList warningLines() const;

    QLabel* lbStay;
    QTableWidget* grGuests;
    QLineEdit *edSurname, *edName, *edBirth, *edDocNum, *edVisa, *edAddress, *edFeeExempt, *edNote;
    QComboBox *cmbCitizen, *cmbDocType, *cmbPurpose;
    QDateEdit *dtFrom, *dtThru;
    QCheckBox* chkMakeCard;
    QPlainTextEdit* mmWarnings;
    QPushButton *btFromCard, *btNew, *btRemove, *btForms, *btOk, *btCancel;

private:
    void buildControls();
    void fillLists();
    void showList();
    void showRow(int row);
    void loadEditors();
    void storeEditors();
    void refreshWarnings();

    QList<guests::Guest> m_guests;
    QList<bool> m_makeCard;
    int m_current = -1;
    bool m_loading = false;
    QDate m_from, m_thru;
    int m_persons = 0;
};
