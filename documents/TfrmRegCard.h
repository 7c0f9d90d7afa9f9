#pragma once
// frmRegCard ("Registration Card"): asks for the payment form and card data, the purpose of
// the stay, the check-in time and the receptionist's name, writes the card data back to the
// client card and previews or prints qrpRegistrationCard.
//
// Invariants: made once and reused; the user name keeps its text between openings, the
// payment choice stays as last used, everything else is set on opening; the card fields are
// enabled only while "Card" is chosen; the card data is written back only for "Card" and
// only to the stay's client card, and a failed write-back is reported before the card prints
// (which prints what the client card holds); Preview and Print close the dialog with OK only
// when the card was built.

#include <QDialog>

#include "documents/TqrpRegistrationCard.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

class TfrmRegCard : public QDialog {
    Q_OBJECT
public:
    TfrmRegCard(TqrpRegistrationCard* report, QWidget* parent = nullptr);

    // The open operation: loads the card data of stay bid, resets purpose and time, shows.
    int Execute(int bid);
    // Everything Execute does before showing the dialog.
    void Open(int bid);
    // Writes the card fields back to the client card; false when the statement failed.
    bool WriteCardBack();
    TRegCardRequest Request() const;

    int BID = 0;
    int KID = 0;

    QLabel* Label1;
    QRadioButton* rbCash;
    QRadioButton* rbCard;
    QLabel* lbCardNum;
    QLineEdit* edCardNum;
    QLabel* lbCardTypExp;
    QComboBox* cmbCardType;
    QLineEdit* edCardExp;
    QLabel* Label2;
    QCheckBox* chkBusiness;
    QCheckBox* chkTravel;
    QLabel* Label3;
    QLineEdit* edCheckinTime;
    QLabel* Label4;
    QLineEdit* edUserName;
    QPushButton* btPreview;
    QPushButton* btPrint;
    QPushButton* btCancel;

public slots:
    void rbClick();
    void btPreviewClick();
    void btPrintClick();

private:
    // Writes back (for "Card"), reporting a failure, and gives the report its request.
    TRegCardRequest prepare();

    TqrpRegistrationCard* m_report;
};
