#pragma once
// TfrmRezervace (form frmRezervace): creates or changes one reservation, a row of
// POBYTY.DB with status "P" (preliminary) or "R" (definitive), and prints its confirmation
// and registration card.
//
// Invariants: every control is reset each time a caller opens the dialog (FormActivate),
// not when the focus comes back from the client search or a print dialog; after the first
// successful save of a new reservation BID holds the new row's id, so every later save
// updates that same row; a definitive reservation always has a client card; both currency
// pairs always hold values, chkForeign only chooses which pair is shown; without a usable
// exchange rate nothing is converted and the receptionist is told once per opening.

#include <QDialog>
#include <QString>

#include "stays/ReservationLogic.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;
namespace widgets {
class TCalcEdit;
class TDateEdit;
class TSpinEdit;
class TLeaveRules;
}

class TfrmRezervace : public QDialog {
    Q_OBJECT
public:
    explicit TfrmRezervace(QWidget* parent = nullptr);
    ~TfrmRezervace() override;

    // Set by the caller before showing: the stay (0 = new reservation) and, for a new one
    // from a board cell, the room id and the night (a day number, 0 = none).
    int BID = 0;
    QString PresetPID;
    int PresetDay = 0;

    // Opens the dialog modally; Accepted when it closed through Ok after a successful save.
    int Execute();

    // The work on being shown: lists refilled, controls reset, the stay or the preset loaded.
    void FormActivate();
    // The decision on a request to close; true when the dialog may close.
    bool FormCloseQuery();
    // Runs the save checks and writes the row; true when the row was written.
    bool Save();

    // Handlers named after their controls, public so that the window's behaviour can be
    // reached exactly as the controls reach it.
    void edDateFromOrThruExit();
    void edNightsExit();
    void edNightsChange();
    void cmbPIDChange();
    void cmbStatusChange();
    void chkInDatabaseClick();
    void chkForeignClick();
    void btFindClientClick();
    void tbOkClick();
    void btPrintConfirmationClick();
    void btPrintRegCardClick();
    void convertEurToCzk();
    void convertCzkToEur();
    void ShowClient(const QString& kidText);
    // The control rules: panels, enabled states, caption, the currency pair shown.
    void UpdateControls();

    // What the save checks read from the controls.
    stays::ReservationInput input() const;

    void done(int result) override;

    QGroupBox* gbClient;
    QCheckBox* chkInDatabase;
    QLabel* lbStatus;
    QComboBox* cmbStatus;
    QWidget* pnlNewClient;
    QLabel* lbClientInfo;
    QLineEdit* edBookedFor;
    QLabel* lbKnowsFrom;
    QComboBox* cmbKnowsFrom;
    QWidget* pnlClientInDatabase;
    QLabel* lbClientId;
    QLineEdit* edKID;
    QLabel* lbClientNameReadOnly;
    QLineEdit* edClientNameReadOnly;
    QPushButton* btFindClient;
    QGroupBox* gbStayData;
    QLabel* lbStayFrom;
    widgets::TDateEdit* edDateFrom;
    QLabel* tbStayThru;
    widgets::TDateEdit* edDateThru;
    QLabel* lbNights;
    widgets::TSpinEdit* edNights;
    QGroupBox* gbRoom;
    QLabel* lbPID;
    QComboBox* cmbPID;
    QLabel* lbPrice;
    widgets::TCalcEdit* edRoomPriceEUR;
    widgets::TCalcEdit* edRoomPriceCZK;
    QLabel* blPricePlus;
    widgets::TCalcEdit* edRoomMaidPriceEUR;
    widgets::TCalcEdit* edRoomMaidPriceCZK;
    QLabel* stCurrency;
    QCheckBox* chkForeign;
    QLabel* lbBookThru;
    widgets::TDateEdit* edBookThru;
    QGroupBox* gbOthers;
    QLabel* lbNumPers;
    widgets::TSpinEdit* edNumPers;
    QLabel* lbBusiness;
    QComboBox* cmbBusiness;
    QPushButton* tbOk;
    QPushButton* btCancel;
    QPushButton* btPrintConfirmation;
    QPushButton* btPrintRegCard;

private:
    void buildControls();
    void layoutControls();
    void resetControls();
    void loadStay();
    void applyPreset();
    void proposePrice();
    void setDateFromDay(widgets::TDateEdit* edit, int day);
    void selectRoomByPid(const QString& pid);
    void leaveRule(QWidget* left);
    void leaveFocusedControl(bool alsoFocused);
    double rateForStay() const;
    bool warnNoRate(double rate);
    void printAfterSave(const QString& dialogName);
    int warn(const QString& message, const QString& caption, int icon, int buttons);

    bool m_clientLocked = false;
    bool m_okClose = false;
    bool m_rateWarned = false;
    int m_quiet = 0;   // while above 0, programmatic changes do not count as user changes
    widgets::TLeaveRules* m_leave = nullptr;
};
