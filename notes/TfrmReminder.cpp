// TfrmReminder: the pop-up's controls, reading the reminder, postponing and removing it.
//
// Invariants: see TfrmReminder.h. A postponement or removal the table refused keeps the window
// open with its message and the text typed into it: the reminder stays as it was.

#include "notes/TfrmReminder.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <exception>

#include "lang/Language.h"
#include "notes/MemoLength.h"
#include "notes/NotesLogic.h"
#include "platform/Platform.h"
#include "shell/DataModule.h"
#include "widgets/DateEdit.h"
#include "widgets/Named.h"

namespace {

using widgets::named;
using widgets::label;

// The splash window goes before a reminder comes up over it: a reminder already due at start
// pops up at the board's first tick, which may come before the splash has gone.
void hideSplash()
{
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->objectName() == QLatin1String("frmImage") && window->isVisible()) window->hide();
}

}  // namespace

TfrmReminder::TfrmReminder(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint
                          | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("frmReminder"));
    setWindowTitle(QStringLiteral("Reminder"));

    memTxt = named(new QPlainTextEdit(this), "memTxt");
    memTxt->setTabChangesFocus(true);
    notes::LimitMemoLength(memTxt, notes::kMaxTextLength);
    lbText = label(this, "lbText", "Text:", memTxt);
    edDate = named(new widgets::TDateEdit(this), "edDate");
    edDate->setDialogTitle(QStringLiteral("Select a Date"));
    edDate->setReadOnly(true);
    edDate->setFocusPolicy(Qt::ClickFocus);
    edTime = named(new QLineEdit(this), "edTime");
    edTime->setReadOnly(true);
    edTime->setFocusPolicy(Qt::ClickFocus);
    lbDateTime = label(this, "lbDateTime", "Date && Time:", edDate);
    cmbPostponeBy = named(new QComboBox(this), "cmbPostponeBy");
    cmbPostponeBy->setEditable(true);
    cmbPostponeBy->setInsertPolicy(QComboBox::NoInsert);
    cmbPostponeBy->addItems({"2", "5", "10", "15", "30", "60", "120", "1440"});
    lbPostpone = label(this, "lbPostpone", "Postpone by:", cmbPostponeBy);
    lbMinutes = named(new QLabel(QStringLiteral("min"), this), "lbMinutes");
    btPostpone = named(new QPushButton(QStringLiteral("Postpone"), this), "btPostpone");
    btRemove = named(new QPushButton(QStringLiteral("Remove"), this), "btRemove");
    // No default button: Enter in the postpone box or the memo acts on neither button.
    for (QPushButton* b : {btPostpone, btRemove}) b->setAutoDefault(false);

    auto* grid = new QGridLayout;
    grid->addWidget(lbText, 0, 0, Qt::AlignTop);
    grid->addWidget(memTxt, 0, 1);
    grid->addWidget(lbDateTime, 1, 0);
    auto* when = new QHBoxLayout;
    when->addWidget(edDate);
    when->addWidget(edTime);
    when->addStretch(1);
    grid->addLayout(when, 1, 1);
    grid->addWidget(lbPostpone, 2, 0);
    auto* postpone = new QHBoxLayout;
    postpone->addWidget(cmbPostponeBy);
    postpone->addWidget(lbMinutes);
    postpone->addStretch(1);
    grid->addLayout(postpone, 2, 1);
    grid->setColumnStretch(1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btPostpone);
    buttons->addWidget(btRemove);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);

    memTxt->setMinimumSize(340, 110);
    edTime->setFixedWidth(edTime->fontMetrics().horizontalAdvance(QStringLiteral("00:00:00")) + 16);
    cmbPostponeBy->setMinimumWidth(cmbPostponeBy->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 40);

    QWidget* order[] = {cmbPostponeBy, btPostpone, btRemove, memTxt};
    for (size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);

    connect(btPostpone, &QPushButton::clicked, this, &TfrmReminder::btPostponeClick);
    connect(btRemove, &QPushButton::clicked, this, &TfrmReminder::btRemoveClick);
}

int TfrmReminder::Execute(int rmid, bool bringForward, bool* shown)
{
    if (shown) *shown = false;
    RMID = rmid;
    if (!FormActivate()) return QDialog::Rejected;
    if (shown) *shown = true;
    hideSplash();
    if (bringForward && parentWidget()) {
        QWidget* main = parentWidget()->window();
        if (main->isMinimized()) main->showNormal();
        main->raise();
        main->activateWindow();
    }
    cmbPostponeBy->setFocus();
    return platform::runModal(this);
}

bool TfrmReminder::FormActivate()
{
    memTxt->clear();
    edDate->clear();
    edTime->clear();
    cmbPostponeBy->setCurrentIndex(cmbPostponeBy->findText(QStringLiteral("5")));
    TdmDataModule* dm = dmDataModule();
    try {
        if (!dm) throw std::runtime_error("no database");
        auto q = dm->Open(notes::RowSql(dm->DbPrefix(), RMID));
        if (!q->next()) return false;
        const QString txt = QString::fromStdString(q->text("TXT"));
        const QString dat = QString::fromStdString(q->text("DAT"));
        const QString tim = QString::fromStdString(q->text("TIM"));
        const double due = q->number("DATTIM");
        if (q->next()) return false;   // not exactly one row
        memTxt->setPlainText(notes::TextFromStorage(txt));
        edDate->setText(dat);
        const notes::TTimeOfDay time = notes::ParseTime(tim);
        edTime->setText(time.valid ? time.text : tim);
        DueMoment = due;
        return true;
    } catch (const std::exception&) {
        LangMessageBox(this, QStringLiteral("Error reading item"), QStringLiteral("Reminder"), platform::Icon::Warning,
                       platform::Buttons::Ok);
        return false;
    }
}

void TfrmReminder::btPostponeClick()
{
    const QDateTime until = notes::PostponedUntil(platform::now(), cmbPostponeBy->currentText());
    const QString dat = notes::MomentDateText(until), tim = notes::MomentTimeText(until);
    const double due = notes::MomentNumber(until);
    TdmDataModule* dm = dmDataModule();
    // The window closes only when the row took the new moment: otherwise the reminder would
    // be due again at once and the text typed here would be lost.
    if (!dm
        || !dm->ExecStatement(notes::PostponeSql(dm->DbPrefix(), RMID, notes::TextForStorage(memTxt->toPlainText()),
                                                 dat, tim, due))
        || dm->lastCount() != 1) {
        LangMessageBox(this, QStringLiteral("Error inserting/updating the record"), QStringLiteral("Reminder"),
                       platform::Icon::Warning, platform::Buttons::Ok);
        return;
    }
    edDate->setText(dat);
    edTime->setText(tim);
    DueMoment = due;
    accept();
}

void TfrmReminder::btRemoveClick()
{
    TdmDataModule* dm = dmDataModule();
    // A row another desk removed already needs no removing; a refused removal keeps the
    // window, so the receptionist knows the reminder will come up again.
    if (dm && !dm->ExecStatement(notes::DeleteSql(dm->DbPrefix(), RMID))) {
        platform::messageBox(this,
                             TranslateMessage(QStringLiteral("The reminder could not be removed:")) + QStringLiteral("\r\n")
                                 + dm->lastError(),
                             TranslateMessage(QStringLiteral("Reminder")), platform::Icon::Warning, platform::Buttons::Ok);
        return;
    }
    accept();
}

void TfrmReminder::reject() {}
