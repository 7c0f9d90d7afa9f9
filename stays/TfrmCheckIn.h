#pragma once
// TfrmCheckIn (form frmCheckIn): turns a reservation into an occupied room. It opens a new
// guest account (a row of UCTY.DB) for the client with the account's start date and card,
// and marks the chosen stay checked in ("H") with the account id and the time of arrival.
//
// Invariants: the controls are reset each time the board opens the dialog; nothing is
// written before Ok, and Ok writes the account row and the stay together or nothing (a
// refused or fruitless check-in keeps the dialog open with nothing stored, so a second Ok
// starts afresh); each room entry of the list keeps its room id.

#include <QDialog>
#include <QString>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
namespace stays {
class TAfterShown;
}
namespace widgets {
class TDateEdit;
}

class TfrmCheckIn : public QDialog {
    Q_OBJECT
public:
    explicit TfrmCheckIn(QWidget* parent = nullptr);
    ~TfrmCheckIn() override;

    // Set by the board before showing: the stay, its client and its first day (day number).
    int BID = 0;
    int KID = 0;
    int DATEFROM = 0;

    // Opens the dialog modally; Accepted after a completed check-in.
    int Execute();
    // The work on being shown: client, card and the client's rooms of the day.
    void FormActivate();
    // The decision on a request to close; true when the dialog may close.
    bool FormCloseQuery();
    void btOkClick();
    // The room ids of the ticked entries, in list order.
    QStringList tickedRooms() const;

    void done(int result) override;

    QLabel* lbClientName;
    QLineEdit* edClientName;
    QLabel* lbAccountFrom;
    widgets::TDateEdit* dbdUFrom;
    QLabel* lbCardNum;
    QLineEdit* dbeCardNum;
    QLabel* lbCardTypeExp;
    QComboBox* dbcCardType;
    QLineEdit* dbeCardExp;
    QLabel* lbCheckInRooms;
    QListWidget* chkRooms;
    QPushButton* btOk;
    QPushButton* btCancel;

private:
    void buildControls();
    bool checkIn();
    void warn(const QString& message, const QString& detail = QString());

    stays::TAfterShown* m_afterShown = nullptr;
    bool m_cancel = true;
    bool m_clientFound = false;
};
