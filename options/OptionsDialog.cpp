// TfrmOptions: controls, filling them from the options and storing them back on OK.
#include "options/OptionsDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "lang/Language.h"
#include "options/ColorButton.h"
#include "options/Options.h"
#include "platform/Platform.h"
#include "widgets/SpinEdit.h"
#include "widgets/Named.h"

using widgets::TSpinEdit;

namespace {

using widgets::named;
using widgets::label;

// The option each colour button edits, in the order of the buttons.
int TOptions::* const kColourMembers[TfrmOptions::kColourCount] = {
    &TOptions::Default,   &TOptions::PreliminaryR, &TOptions::DefinitiveR, &TOptions::CheckedIn,
    &TOptions::CheckedOut, &TOptions::NotAvailable, &TOptions::Conflict,
};

constexpr int kColourLeft = 150;
constexpr int kColourTops[TfrmOptions::kColourCount] = {12, 36, 60, 84, 108, 132, 156};

// The box's value within its range; an empty box keeps the value the dialog opened with.
int spinValue(const TSpinEdit* box, int opened)
{
    if (box->text().trimmed().isEmpty()) return opened;
    return qBound(box->minValue(), box->value(), box->maxValue());
}

}  // namespace

TfrmOptions::TfrmOptions(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(QStringLiteral("Options"));

    lbGridDays = label(this, "lbGridDays", "Number of days in main view:");
    edGridDays = named(new TSpinEdit(this), "edGridDays");
    edGridDays->setRange(7, 365);
    edGridDays->setMaxLength(3);
    lbRelativeFirstDay = label(this, "lbRelativeFirstDay", "Default shift of main view by");
    edDaysShift = named(new TSpinEdit(this), "edDaysShift");
    edDaysShift->setRange(0, 14);
    edDaysShift->setMaxLength(2);
    lb1 = label(this, "lb1", "days");

    pnlColors = named(new QFrame(this), "pnlColors");
    pnlColors->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    lbDefColor = label(pnlColors, "lbDefColor", "Default main view color:");
    lbPreliminaryColor = label(pnlColors, "lbPreliminaryColor", "Preliminary reservation:");
    lbDefinitiveColor = label(pnlColors, "lbDefinitiveColor", "Definitive reservation:");
    lbCheckinColor = label(pnlColors, "lbCheckinColor", "After check in:");
    lbCheckoutColor = label(pnlColors, "lbCheckoutColor", "After check out:");
    lbNotAvailableColor = label(pnlColors, "lbNotAvailableColor", "Not available:");
    lbConflictColor = label(pnlColors, "lbConflictColor", "Conflict:");
    for (int i = 0; i < kColourCount; ++i) m_colorButtons[i] = new TColorButton(pnlColors);
    placeColourButtons();

    lbLanguage = label(this, "lbLanguage", "Language:");
    cmbLanguage = named(new QComboBox(this), "cmbLanguage");
    lbPricePer = label(this, "lbPricePer", "Price is per person:");
    chkPricePerPerson = named(new QCheckBox(this), "chkPricePerPerson");
    lbPreferEUR = label(this, "lbPreferEUR", "Prefer EUR (else CZK):");
    chkPreferEUR = named(new QCheckBox(this), "chkPreferEUR");

    btOk = named(new QPushButton(QStringLiteral("O&k"), this), "btOk");
    btOk->setDefault(true);
    btCancel = named(new QPushButton(QStringLiteral("Cancel"), this), "btCancel");
    connect(btOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* days = new QGridLayout;
    days->addWidget(lbGridDays, 0, 0);
    days->addWidget(edGridDays, 0, 1);
    days->addWidget(lbRelativeFirstDay, 1, 0);
    days->addWidget(edDaysShift, 1, 1);
    days->addWidget(lb1, 1, 2);
    days->setColumnStretch(3, 1);

    auto* others = new QGridLayout;
    others->addWidget(lbLanguage, 0, 0);
    others->addWidget(cmbLanguage, 0, 1);
    others->addWidget(lbPricePer, 1, 0);
    others->addWidget(chkPricePerPerson, 1, 1);
    others->addWidget(lbPreferEUR, 2, 0);
    others->addWidget(chkPreferEUR, 2, 1);
    others->setColumnStretch(2, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btOk);
    buttons->addWidget(btCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(days);
    layout->addWidget(pnlColors);
    layout->addLayout(others);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TfrmOptions::placeColourButtons()
{
    QLabel* labels[kColourCount] = {lbDefColor,      lbPreliminaryColor,  lbDefinitiveColor, lbCheckinColor,
                                    lbCheckoutColor, lbNotAvailableColor, lbConflictColor};
    // The buttons stand at 150 pixels unless a label (in this font or language) needs more.
    int left = kColourLeft;
    for (QLabel* l : labels) left = qMax(left, 8 + l->sizeHint().width() + 8);
    for (int i = 0; i < kColourCount; ++i) {
        labels[i]->setGeometry(8, kColourTops[i], left - 16, 22);
        m_colorButtons[i]->move(left, kColourTops[i]);
    }
    pnlColors->setFixedSize(left + 80 + 12, kColourTops[kColourCount - 1] + 22 + 12);
}

void TfrmOptions::FormShow(int columnCount)
{
    placeColourButtons();   // the labels may have been translated since
    const TOptions& o = options();
    m_openedColumnCount = columnCount;
    edGridDays->setValue(columnCount - 1);
    edDaysShift->setValue(o.FirstColRelative);
    for (int i = 0; i < kColourCount; ++i) m_colorButtons[i]->setDefColor(colorFromWindows(o.*kColourMembers[i]));

    cmbLanguage->clear();
    if (TLanguage* lang = currentLanguage()) {
        cmbLanguage->addItems(lang->LanguageList());
        cmbLanguage->setCurrentIndex(lang->LanguageIdent() - 1);
    }
    chkPricePerPerson->setChecked(o.PricePerPerson);
    chkPreferEUR->setChecked(o.PreferEUR);
    btOk->setFocus();
}

int TfrmOptions::applyControls()
{
    TOptions& o = options();
    const int days = spinValue(edGridDays, m_openedColumnCount - 1);
    o.NumDays = days;
    o.FirstColRelative = spinValue(edDaysShift, o.FirstColRelative);
    for (int i = 0; i < kColourCount; ++i) o.*kColourMembers[i] = windowsFromColor(m_colorButtons[i]->ActColor());
    o.PricePerPerson = chkPricePerPerson->isChecked();
    o.PreferEUR = chkPreferEUR->isChecked();
    if (TLanguage* lang = currentLanguage()) {
        lang->setLanguageIdent(cmbLanguage->currentIndex() + 1);
        o.Language = lang->LanguageIdent();
        lang->TranslateAll();
    }
    return days + 1;
}

bool TfrmOptions::Execute(int& columnCount)
{
    FormShow(columnCount);
    if (platform::runModal(this) != QDialog::Accepted) return false;
    columnCount = applyControls();
    emit optionsApplied(columnCount);
    return true;
}
