// TfrmPrintLabels: the two choices and Ok.
//
// Invariants: see TfrmPrintLabels.h.

#include "documents/TfrmPrintLabels.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "documents/TfrmClientLabels.h"
#include "platform/Platform.h"
#include "widgets/Named.h"

namespace {

using widgets::named;
}  // namespace

TfrmPrintLabels::TfrmPrintLabels(TfrmClientLabels* labels, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint),
      m_labels(labels)
{
    setObjectName(QStringLiteral("frmPrintLabels"));
    setWindowTitle(QStringLiteral("Print labels"));
    cmbAction = named(new QComboBox(this), "cmbAction");
    cmbAction->addItems({QStringLiteral("Preview"), QStringLiteral("Print")});
    lbAction = named(new QLabel(QStringLiteral("Action:"), this), "lbAction");
    cmbLabelsSize = named(new QComboBox(this), "cmbLabelsSize");
    cmbLabelsSize->addItems({QStringLiteral("3x7"), QStringLiteral("3x8")});
    lbLabelSize = named(new QLabel(QStringLiteral("Page size:"), this), "lbLabelSize");
    btOk = named(new QPushButton(QStringLiteral("Ok"), this), "btOk");
    btCancel = named(new QPushButton(QStringLiteral("Cancel"), this), "btCancel");
    lbAction->setBuddy(cmbAction);
    lbLabelSize->setBuddy(cmbLabelsSize);
    btOk->setDefault(true);

    auto* fields = new QGridLayout;
    fields->addWidget(lbAction, 0, 0);
    fields->addWidget(cmbAction, 0, 1);
    fields->addWidget(lbLabelSize, 1, 0);
    fields->addWidget(cmbLabelsSize, 1, 1);
    fields->setColumnStretch(1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btOk);
    buttons->addWidget(btCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    cmbAction->setMinimumWidth(140);

    connect(btOk, &QPushButton::clicked, this, &TfrmPrintLabels::btOkClick);
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);
}

int TfrmPrintLabels::Execute() { return platform::runModal(this); }

void TfrmPrintLabels::btOkClick()
{
    m_labels->LabelsDown = cmbLabelsSize->currentIndex() == 1 ? 8 : 7;
    m_labels->RunReport(cmbAction->currentIndex() == 1);
    accept();
}
