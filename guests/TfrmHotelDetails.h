#pragma once
// TfrmHotelDetails (form frmHotelDetails, under Settings): the hotel's details that the
// police file, the guest book and the registration forms print, stored in the database so
// every desk uses the same (guests/HotelSettings).
//
// Invariants: one edit per key of settingKeys(), named "ed" + key; Ok writes all of them in
// one change after every check passed, or nothing, and the window stays open on a refusal.

#include <QDialog>
#include <QMap>

class QLineEdit;
class QPushButton;

class TfrmHotelDetails : public QDialog {
    Q_OBJECT
public:
    explicit TfrmHotelDetails(QWidget* parent = nullptr);

    // Rejected at once when the database has no guest book tables.
    int Execute();
    // Loads the stored values into the edits; false when they cannot be read.
    bool FormActivate();
    // Writes the edits; true when stored.
    bool save();

    QMap<QString, QLineEdit*> edits;   // key -> edit
    QPushButton* btOk;
    QPushButton* btCancel;
};
