#pragma once
// TfrmPrintLabels (form frmPrintLabels, "Print labels"): chooses whether the address labels
// are previewed or printed and the sheet layout, then runs the label report of
// TfrmClientLabels.
//
// Invariants: "Preview" and "3x7" are chosen when the program starts; both choices keep
// their values between openings; Ok runs the report and closes the dialog with Accepted.

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;
class TfrmClientLabels;

class TfrmPrintLabels : public QDialog {
    Q_OBJECT
public:
    TfrmPrintLabels(TfrmClientLabels* labels, QWidget* parent = nullptr);

    // Opens the dialog modally; Accepted after Ok.
    int Execute();

    void btOkClick();

    QLabel* lbAction;
    QComboBox* cmbAction;
    QLabel* lbLabelSize;
    QComboBox* cmbLabelsSize;
    QPushButton* btOk;
    QPushButton* btCancel;

private:
    TfrmClientLabels* m_labels;
};
