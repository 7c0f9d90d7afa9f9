#pragma once
// TfrmOutOfOrders (form frmOutOfOrders): creates, changes and deletes an out-of-order period
// of a room, a stay row with status "X" whose reason is kept in BOOKEDFOR.
//
// Invariants: the controls are reset each time a caller opens the dialog; Ok stores the whole
// period at once and Cancel stores nothing; Delete removes only the period of the given BID,
// after the receptionist confirms; a BID that is not found is reported and then nothing can
// be stored or deleted; each room entry keeps its room id, so rooms of the same name are
// never mistaken for each other.

#include <QDialog>
#include <QString>

class QComboBox;
class QLabel;
class QPushButton;
namespace stays {
class TAfterShown;
}
namespace widgets {
class TDateEdit;
}

class TfrmOutOfOrders : public QDialog {
    Q_OBJECT
public:
    explicit TfrmOutOfOrders(QWidget* parent = nullptr);
    ~TfrmOutOfOrders() override;

    // Set by the caller before showing: the period (0 for a new one) and, for a new one, the
    // day (a day number) and the room (its id, or else its name).
    int BID = 0;
    int PresetDay = 0;
    QString PresetPID;
    QString PresetName;

    enum class CloseMode { Cancel, Save, Delete };

    int Execute();
    void FormActivate();
    bool FormCloseQuery();
    void btOKClick();
    void btDeleteClick();
    // The room id of the chosen entry (empty when none is chosen).
    QString chosenPid() const;
    bool recordFound() const { return m_found; }

    void done(int result) override;

    QLabel* lbPID;
    QComboBox* cmbPID;
    QLabel* lbFrom;
    widgets::TDateEdit* dbeDateFrom;
    QLabel* lbThru;
    widgets::TDateEdit* dbeDateThru;
    QLabel* lbReason;
    QComboBox* dbcReason;
    QPushButton* btOK;
    QPushButton* btCancel;
    QPushButton* btDelete;

private:
    void buildControls();
    void fillLists();
    void loadPeriod();
    void selectRoom(const QString& pid, const QString& name);
    bool save();
    bool remove();
    void warn(const QString& message);

    CloseMode m_mode = CloseMode::Cancel;
    stays::TAfterShown* m_afterShown = nullptr;
    bool m_found = false;
};
