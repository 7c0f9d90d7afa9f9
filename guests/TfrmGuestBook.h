#pragma once
// TfrmGuestBook (form frmGuestBook, under Overview): the persons who arrived in a period, all
// or the foreign ones, in order of arrival; each foreign guest not yet reported to the police
// is marked with the last day to report, in the conflict colour once that day has passed.
// From here the book is printed or saved as PDF or CSV, and the police file of the foreign
// guests not yet reported is saved (then, and only then, they are marked reported).
//
// Invariants: the list shown is the list printed and exported; a police file that cannot be
// made or written marks nobody.

#include <QDialog>
#include <QList>

#include "guests/Guest.h"

class QComboBox;
class QDateEdit;
class QLabel;
class QPushButton;
class QTableWidget;
class QWidget;

class TfrmGuestBook : public QDialog {
    Q_OBJECT
public:
    explicit TfrmGuestBook(QWidget* parent = nullptr);

    int Execute();
    bool FormActivate();
    // Reads the period's rows; false on failure (said to the user).
    bool reload();
    const QList<guests::Guest>& rows() const { return m_rows; }

    bool printBook();
    bool savePdf();
    bool saveCsv();
    // The police file of the period's foreign guests not yet reported; true when written.
    bool savePoliceFile();

    QDateEdit *dtFrom, *dtThru;
    QComboBox* cmbShow;
    QTableWidget* grBook;
    QLabel* lbSummary;
    QPushButton *btShow, *btPrint, *btPdf, *btCsv, *btPolice, *btClose;

private:
    QList<guests::Guest> m_rows;
};

namespace guests {
// The foreign guests not yet reported whose last day to report is today or past (the
// reminder at start); 0 when the guest book is not set up.
int dueReports(const QDate& today);
// Shows the reminder over the board when some are due.
void remindDueReports(QWidget* owner);
}  // namespace guests
