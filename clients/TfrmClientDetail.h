#pragma once
// TfrmClientDetail (form frmClientDetail): shows, creates and changes one client card (a row
// of KARTY.DB) on three pages: Basic, Extra and the History of the client's accounts.
//
// Invariants: the controls are reset every time a caller opens the dialog (FormActivate);
// the dialog closes with Accepted only after its save statement ran and changed a row, so a
// card id that is no longer in the table is reported, never "saved"; warnings about missing
// fields and duplicates never block a save by themselves (the user may confirm each).

#include <QDialog>
#include <QString>

class QComboBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QTableView;
class QWidget;
namespace widgets { class TDateEdit; class QueryTableModel; }

namespace clients {
struct ClientCardValues;
enum class DuplicateKind;
}

class TfrmClientDetail : public QDialog {
    Q_OBJECT
public:
    explicit TfrmClientDetail(QWidget* parent = nullptr);
    ~TfrmClientDetail() override;

    // The client the dialog is opened for: 0 or less for a new card, else its KID.
    int KID = 0;

    // Opens the dialog modally for a client (0: new card); Accepted when the card was saved.
    int Execute(int kid);

    // The work on being shown: lists refilled, controls reset, the card loaded.
    void FormActivate();
    // The decision on a request to close with the given result; true when it may close.
    bool FormCloseQuery(int result);

    // The text of a duplicate finding for the edit's value (empty when none or the check
    // itself fails).
    QString duplicateFinding(clients::DuplicateKind kind, const QString& value) const;
    clients::ClientCardValues values() const;

    void done(int result) override;

    QTabWidget* pgPages;
    QWidget* pgDefault;
    QWidget* pgExtra;
    QWidget* pgHistory;
    QGroupBox* grpBasic;
    QLabel* lnSurname;
    QLineEdit* edSurname;
    QLabel* lbName;
    QLineEdit* edName;
    QLabel* lbTitle;
    QLineEdit* edTitle;
    QLabel* lbAddress;
    QLineEdit* edAddress;
    QLabel* lbCity;
    QLineEdit* edCity;
    QLabel* lbPostal;
    QLineEdit* edPostal;
    QLabel* lbCountry;
    QLineEdit* edCountry;
    QLabel* lbTel;
    QLineEdit* edTel;
    QLineEdit* edFax;
    QLabel* lbBirth;
    widgets::TDateEdit* edBirthDate;
    QLabel* lbBirthPlace;
    QLineEdit* edBirthPlace;
    QGroupBox* grpPassportAndCard;
    QLabel* lbPassport;
    QLineEdit* edPassport;
    QLabel* lbPassportDatePlace;
    widgets::TDateEdit* edPassDate;
    QLineEdit* edPassPlace;
    QLabel* lbCardNum;
    QLineEdit* edCardNum;
    QLabel* lbCardTypExp;
    QComboBox* cmbCardType;
    QLineEdit* edCardExp;
    QGroupBox* gbExtra;
    QLabel* lbAgency;
    QComboBox* cmbAgency;
    QLabel* lbRating;
    QComboBox* cmbRating;
    QLabel* lbKnowsFrom;
    QComboBox* cmbKnowsFrom;
    QLabel* lbComment;
    QPlainTextEdit* memComment;
    QLabel* lbFuture;
    QTableView* dbgHistory;
    QPushButton* bkOk;
    QPushButton* btCancel;

    static constexpr int kCommentLength = 255;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();
    void layoutControls();
    void clearControls();
    void loadCard();
    void pgPagesChange(int index);
    void edDuplicateExit(clients::DuplicateKind kind, QLineEdit* edit);
    void memCommentChange();
    void applyColumnWidths();
    bool saveCard();

    widgets::QueryTableModel* m_history;
    QGridLayout* m_basicGrid = nullptr;
    QGridLayout* m_cardGrid = nullptr;
    bool m_saveRequested = false;
    bool m_activating = false;
    bool m_loadFailed = false;   // the card of KID could not be read when the dialog opened
    int m_closeResult = 0;
    int m_commentLength = kCommentLength;
};
