#pragma once
// TfrmFeeBook (form frmFeeBook, under Overview): the accommodation fee book of a period, one
// row per person who arrived in it (of checked-in and checked-out stays) with the nights,
// the rate and the fee or the reason of the exemption, and the period's totals. From here the
// book is printed or saved as PDF or CSV.
//
// Invariants: the book shown is the book printed and exported.

#include <QDialog>

#include "fees/Fee.h"

class QDateEdit;
class QLabel;
class QPushButton;
class QTableWidget;

class TfrmFeeBook : public QDialog {
    Q_OBJECT
public:
    explicit TfrmFeeBook(QWidget* parent = nullptr);

    int Execute();
    bool FormActivate();
    // Reads the period's book; false on failure (said to the user).
    bool reload();
    const fees::FeeBook& book() const { return m_book; }

    bool printBook();
    bool savePdf();
    bool saveCsv();

    QDateEdit *dtFrom, *dtThru;
    QTableWidget* grFees;
    QLabel* lbSummary;
    QPushButton *btShow, *btPrint, *btPdf, *btCsv, *btClose;

private:
    fees::FeeBook m_book;
};
