#pragma once
// TfrmRates, "Currency Rates": the list of exchange rates, newest first, and the entry of a
// new EUR rate for a date. A second entry for a date replaces that date's rate, so the table
// keeps at most one EUR row per date.
//
// Invariants: nothing is written unless both a valid date and a non-zero rate are given; a
// write that changed no row is reported as a failure, never as success; the list is read
// again after every attempt; the entry fields keep their texts.
//
// "Fetch from the Czech National Bank" fetches the bank's fixing (the newest one, or the one
// of the date box's day) and stores its EUR rate under the fixing's own date; the button is
// disabled while the fetch runs, and the outcome is shown when it arrives.

#include <QDialog>

class QGroupBox;
class QLabel;
class QPushButton;
class QStandardItemModel;
class QTableView;

namespace widgets {
class TCalcEdit;
class TDateEdit;
}  // namespace widgets

class TfrmRates : public QDialog {
    Q_OBJECT
public:
    explicit TfrmRates(QWidget* parent = nullptr);

    QTableView* dbgRates = nullptr;
    QGroupBox* gbNewRate = nullptr;
    QLabel* lbDateFrom = nullptr;
    widgets::TDateEdit* edDateFrom = nullptr;
    QLabel* lbRate = nullptr;
    widgets::TCalcEdit* edRate = nullptr;
    QPushButton* btInsert = nullptr;
    QPushButton* btFetch = nullptr;

    // The statements the dialog runs ({db} already put in).
    static QString ListStatement(const QString& db);
    static QString InsertStatement(const QString& db, const QString& date, const QString& rate);
    static QString UpdateStatement(const QString& db, const QString& date, const QString& rate);

    void FormActivate();
    void LoadRates();
    void btInsertClick();
    void btFetchClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void fitColumns();
    QStandardItemModel* m_qryRates;
};
