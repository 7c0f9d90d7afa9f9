#pragma once
// TfrmVisitorStatistics (form frmVisitorStatistics, under Statistics): the statistical
// office's counts of a month or a quarter, arrivals and nights by country of residence with
// their totals, the rooms, beds and days open; printed, saved as PDF or CSV.
//
// Invariants: the counts shown are the counts printed and exported.

#include <QDialog>

#include "fees/VisitorStatistics.h"

class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTableWidget;

class TfrmVisitorStatistics : public QDialog {
    Q_OBJECT
public:
    explicit TfrmVisitorStatistics(QWidget* parent = nullptr);

    int Execute();
    bool FormActivate();
    // The period chosen: a month (cmbKind 0, cmbPart 0..11) or a quarter (1, 0..3) of spYear.
    fees::StatPeriod period() const;
    bool reload();
    const fees::VisitorStatistics& counts() const { return m_stats; }

    bool printCounts();
    bool savePdf();
    bool saveCsv();

    QComboBox *cmbKind, *cmbPart;
    QSpinBox* spYear;
    QTableWidget* grCountries;
    QLabel* lbSummary;
    QPushButton *btShow, *btPrint, *btPdf, *btCsv, *btClose;

private:
    void fillParts();
    fees::VisitorStatistics m_stats;
};
