#pragma once
// TfrmPolozkyUctu (form frmPolozkyUctu): the read-only list of charges across all accounts,
// filtered by room, account number and client (the account holder).
//
// Invariants: the list is empty on opening and is reloaded after every filter change (leaving
// the account field is one only when its text changed, and never while the dialog closes);
// each room entry keeps its room id, so two rooms of one name filter apart; an account text
// that is not a whole number filters nothing; a failing statement leaves the list empty and
// says why; a load never widens the dialog.

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QStandardItemModel;
class QTableView;

class TfrmPolozkyUctu : public QDialog {
    Q_OBJECT
public:
    explicit TfrmPolozkyUctu(QWidget* parent = nullptr);
    ~TfrmPolozkyUctu() override;

    int Execute();
    void FormActivate();
    // Reloads the list with the current filters; false when the statement failed.
    bool LoadItems();
    void btFindClientClick();
    void cmbRoomsChange();
    void edAccountExit();

    int rowCount() const;

    QLabel* lbClient;
    QLineEdit* edClientName;
    QLineEdit* edClientID;
    QPushButton* btFindClient;
    QLabel* lbRooms;
    QComboBox* cmbRooms;
    QLabel* lbAccount;
    QLineEdit* edAccount;
    QTableView* dbgPolozky;

    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void layoutControls();
    void setColumns();
    void fitColumns(bool fitGrid);

    QStandardItemModel* m_model;
    QString m_listedAccount;   // the account text the list was last loaded (or opened) with
    bool m_closing = false;
    int m_quiet = 0;
};
