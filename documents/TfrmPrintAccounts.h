#pragma once
// frmPrintAccounts ("Print Accounts"): the user picks one stay (room) of a closed account
// and the currency, and previews or prints that room's bill through repAccount.
//
// Invariants: the stay list is rebuilt on every opening; with one stay it is chosen, with
// several nothing is chosen and Preview and Print do nothing until the user picks one;
// "In foreign currency?" starts from the PreferEUR option on every opening.

#include <QDialog>
#include <QList>

#include "documents/AccountPrintout.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class TrepAccount;

class TfrmPrintAccounts : public QDialog {
    Q_OBJECT
public:
    TfrmPrintAccounts(TrepAccount* repAccount, QWidget* parent = nullptr);

    // Opens the dialog modally for the account uid.
    int Execute(int uid);
    // The work on every opening: the stay list and the currency choice.
    void FormShow();

    int AccountId = 0;
    const QList<documents::TStaysData>& stays() const { return m_stays; }

    QLabel* lbStayAccount;
    QComboBox* cmbStays;
    QCheckBox* chkFX;
    QPushButton* btPreview;
    QPushButton* btPrint;
    QPushButton* btClose;

public slots:
    void btPreviewClick();
    void btPrintClick();

private:
    const documents::TStaysData* chosenStay() const;

    TrepAccount* m_rep;
    QList<documents::TStaysData> m_stays;
};
