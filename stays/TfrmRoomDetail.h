#pragma once
// TfrmRoomDetail (form frmRoomDetail): the detail of an occupied room (a stay with status
// "H"). The receptionist changes the departure, persons, business flag and the stay's prices
// in EUR or CZK, sees the account items posted for this room, and posts new items of the
// account item types with one of the type's VAT rates.
//
// Invariants: the controls are reset each time a caller opens the dialog; the stay's changes
// are stored only by Ok, all together, and only on the row of the given BID (a stay that is
// not found is reported and nothing is written, neither the stay nor items); a new account
// item is stored at once by Save, independently of Ok and Cancel; without a usable exchange
// rate nothing is converted and the receptionist is told once per opening.

#include <QDialog>
#include <QList>
#include <QString>

#include "stays/RoomDetailLogic.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTableWidget;
class QWidget;
namespace widgets {
class TCalcEdit;
class TDateEdit;
class TSpinEdit;
class TLeaveRules;
}  // namespace widgets
namespace stays {
class TAfterShown;
}

class TfrmRoomDetail : public QDialog {
    Q_OBJECT
public:
    explicit TfrmRoomDetail(QWidget* parent = nullptr);
    ~TfrmRoomDetail() override;

    // Set by the caller before showing: the stay.
    int BID = 0;

    int Execute();
    void FormActivate();
    bool FormCloseQuery();
    // The control rules: the currency pair shown, Save's enabled state.
    void UpdateControls();

    void chkFXClick();
    void pgPagesChange();
    void dbeDateThruExit();
    void convertStayEurToCzk();
    void convertStayCzkToEur();
    void cmbUPIDChange();
    void convertNewEurToCzk();
    void convertNewCzkToEur();
    void btSaveClick();
    void btOkClick();

    // The stay as loaded (false when it was not found).
    bool stayLoaded() const { return m_loaded; }
    const QList<stays::TTableUcPoDef>& itemTypes() const { return m_types; }

    void done(int result) override;

    QTabWidget* pgPages;
    QWidget* pgMain;
    QLabel* lbClient;
    QLineEdit* edClientName;
    QLabel* lbRoomName;
    QLineEdit* edRoomName;
    QLabel* lbFrom;
    widgets::TDateEdit* dbeDateFrom;
    QLabel* lbCheckinTime;
    QLineEdit* dbeCheckinTime;
    QLabel* lbCheckoutDate;
    widgets::TDateEdit* dbeDateThru;
    QLabel* lbNumPers;
    widgets::TSpinEdit* edNumPers;
    QLabel* lbBusiness;
    QComboBox* cmbBusiness;
    QLabel* lbPrice;
    widgets::TCalcEdit* dbePriceEUR;
    widgets::TCalcEdit* dbePriceCZK;
    QLabel* lbMaidPrice;
    widgets::TCalcEdit* dbePriceMaidEUR;
    widgets::TCalcEdit* dbePriceMaidCZK;
    QLabel* stCurrency;
    QLabel* stCurrencyM;
    QCheckBox* chkFX;
    QWidget* pgAccount;
    QTableWidget* dbAccItems;
    QWidget* pgNewAccountItem;
    QLabel* lbRoomNew;
    QLineEdit* edRoomNew;
    QLabel* lbItemNew;
    QComboBox* cmbUPID;
    QLabel* lbDescription;
    QLineEdit* edDescrNew;
    QLabel* lbPriceNew;
    widgets::TCalcEdit* edPriceEURNew;
    QLabel* stCurrencyNewEUR;
    widgets::TCalcEdit* edPriceCZKNew;
    QLabel* stCurrencyNewCZK;
    QLabel* lbVatNew;
    QComboBox* cmbVatNew;
    QPushButton* btSave;
    QPushButton* btOk;
    QPushButton* btCancel;

private:
    void buildControls();
    void layoutControls();
    void resetControls();
    void loadItemTypes();
    void loadStay();
    bool loadAccountItems();
    void clearNewItem();
    void leaveRule(QWidget* left, bool onEnter);
    void leaveFocusedControl(bool alsoFocused);
    bool warnNoRate(double rate);
    double rateForStay();
    double latestRate();
    bool storeStay();
    void warn(const QString& message, const QString& caption = QString());

    bool m_cancel = true;
    bool m_loaded = false;
    bool m_rateWarned = false;
    int m_quiet = 0;
    int m_uid = 0;
    QString m_pid;
    QList<stays::TTableUcPoDef> m_types;
    widgets::TLeaveRules* m_leave = nullptr;
    stays::TAfterShown* m_afterShown = nullptr;
    // The price boxes' texts as loaded: a box still showing its text is not written back.
    QString m_loadedPrices[4];
};
