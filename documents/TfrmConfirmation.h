#pragma once
// TfrmConfirmation (form frmConfirmation, "Definitive Confirmation"): the confirmation of a
// definitive reservation, previewed, printed as the form TrepConfirmation, or handed to the
// mail program from an e-mail template with its body also on the clipboard.
//
// Invariants: the three texts, the template list and the chosen template keep their values
// between openings (the dialog is made once for the run); the template list is read from
// the program's folder once, when it is first found empty; btEmail is enabled from the
// first choice of a template on; Preview and Print close the dialog with Accepted after
// their action, Email leaves it open; an e-mail is handed over only when every step worked.

#include <QDialog>

#include "documents/ConfirmationLogic.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TrepConfirmation;

class TfrmConfirmation : public QDialog {
    Q_OBJECT
public:
    TfrmConfirmation(TrepConfirmation* report, QWidget* parent = nullptr);

    // Set by the caller before showing: the stay (POBYTY.BID).
    int BID = 0;

    // Opens the dialog modally; Accepted after Preview or Print.
    int Execute();
    // The work on being shown: the template list read when it is empty.
    void FormActivate();

    void cmbEmailTemplateChange();
    void btEmailClick();
    void btPreviewClick();
    void btPrintClick();

    // The three texts as typed.
    documents::ConfirmationTexts texts() const;

    QLabel* lbSpecialOffer;
    QLineEdit* edSpecialOffer;
    QLabel* lbBreakfast;
    QLineEdit* edBreakfast;
    QLabel* lbUserName;
    QLineEdit* edUserName;
    QLabel* lbEmailTemplate;
    QComboBox* cmbEmailTemplate;
    QPushButton* btEmail;
    QPushButton* btPreview;
    QPushButton* btPrint;
    QPushButton* btCancel;

private:
    // Composes the e-mail; false (after the warning) when it cannot be sent.
    bool composeEmail(documents::EmailTemplate& mail);
    void cannotSend();

    TrepConfirmation* m_report;
};
