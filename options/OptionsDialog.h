#pragma once
// TfrmOptions (form frmOptions): the options dialog. It shows the options as they are,
// lets the user change days, shift, colours, language and the pricing switches, and on OK
// stores them in options(), switches the language of every window at once and tells the
// caller the new column count of the board.
//
// Invariants: nothing changes unless the dialog closes with OK (colours picked before Cancel
// are dropped with the dialog's controls); after OK the stored day count and shift lie in the
// ranges the spin boxes offer, even when a box was left empty or out of range.

#include <QDialog>

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QPushButton;
class TColorButton;
namespace widgets { class TSpinEdit; }

class TfrmOptions : public QDialog {
    Q_OBJECT
public:
    explicit TfrmOptions(QWidget* parent = nullptr);

    // Runs the dialog for the board's column count (days + 1). On OK the options are stored,
    // the language applied, columnCount updated, optionsApplied emitted, and the answer is
    // true; otherwise nothing changes and the answer is false.
    bool Execute(int& columnCount);

    // The work on being shown: every control from the current options.
    void FormShow(int columnCount);
    // The work after OK: the controls into the options; returns the new column count.
    int applyControls();

    // The seven colour buttons in the order Default, PreliminaryR, DefinitiveR, CheckedIn,
    // CheckedOut, NotAvailable, Conflict.
    TColorButton* colorButton(int index) const { return m_colorButtons[index]; }
    static constexpr int kColourCount = 7;

    QLabel* lbGridDays;
    widgets::TSpinEdit* edGridDays;
    QLabel* lbRelativeFirstDay;
    widgets::TSpinEdit* edDaysShift;
    QLabel* lb1;
    QFrame* pnlColors;
    QLabel* lbDefColor;
    QLabel* lbPreliminaryColor;
    QLabel* lbDefinitiveColor;
    QLabel* lbCheckinColor;
    QLabel* lbCheckoutColor;
    QLabel* lbNotAvailableColor;
    QLabel* lbConflictColor;
    QLabel* lbLanguage;
    QComboBox* cmbLanguage;
    QLabel* lbPricePer;
    QCheckBox* chkPricePerPerson;
    QLabel* lbPreferEUR;
    QCheckBox* chkPreferEUR;
    QPushButton* btOk;
    QPushButton* btCancel;

signals:
    // After OK: the board sets its column count (if changed) and reloads.
    void optionsApplied(int columnCount);

private:
    void placeColourButtons();

    TColorButton* m_colorButtons[kColourCount] = {};
    int m_openedColumnCount = 0;
};
