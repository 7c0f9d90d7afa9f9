// TfrmNotesRemDetail: the controls of one note or reminder, its loading, the time field's
// rule, the checks and the save.
//
// Invariants: see TfrmNotesRemDetail.h. The time field's leaving rule runs after the focus
// has moved; whatever gets the focus, a valid time is shown normalised. Only its warning is
// left out when the focus went to Ok or Cancel: Ok reads the time again itself, and Cancel
// must close without being held up by a time that will not be saved.

#include "notes/TfrmNotesRemDetail.h"

#include <QComboBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <exception>

#include "lang/Language.h"
#include "notes/MemoLength.h"
#include "notes/NotesLogic.h"
#include "platform/Platform.h"
#include "shell/DataModule.h"
#include "shell/ValueHelpers.h"
#include "widgets/ButtonRow.h"
#include "widgets/DateEdit.h"
#include "widgets/Named.h"

namespace {

using widgets::named;
using widgets::label;

bool leftWithinWindow(QEvent* event)
{
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    return reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason || reason == Qt::MouseFocusReason
        || reason == Qt::ShortcutFocusReason || reason == Qt::OtherFocusReason;
}

}  // namespace

TfrmNotesRemDetail::TfrmNotesRemDetail(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("frmNotesRemDetail"));
    setWindowTitle(QStringLiteral("Notes / Reminder Detail"));

    cmbType = named(new QComboBox(this), "cmbType");
    cmbType->addItems({QStringLiteral("Note"), QStringLiteral("Reminder")});
    lbTyp = label(this, "lbTyp", "Type:", cmbType);
    memTxt = named(new QPlainTextEdit(this), "memTxt");
    memTxt->setTabChangesFocus(true);
    notes::LimitMemoLength(memTxt, notes::kMaxTextLength);
    lbText = label(this, "lbText", "Text:", memTxt);
    edDate = named(new widgets::TDateEdit(this), "edDate");
    edDate->setDialogTitle(QStringLiteral("Select a Reminder Date"));
    edTime = named(new QLineEdit(this), "edTime");
    edTime->setMaxLength(8);
    lbDateTime = label(this, "lbDateTime", "Date && Time:", edDate);
    btOk = named(new QPushButton(QStringLiteral("O&k"), this), "btOk");
    btOk->setDefault(true);
    btCancel = named(new QPushButton(QStringLiteral("Cancel"), this), "btCancel");
    btCancel->setAutoDefault(false);

    auto* grid = new QGridLayout;
    grid->addWidget(lbTyp, 0, 0);
    grid->addWidget(cmbType, 0, 1, Qt::AlignLeft);
    grid->addWidget(lbText, 1, 0, Qt::AlignTop);
    grid->addWidget(memTxt, 1, 1);
    grid->addWidget(lbDateTime, 2, 0);
    auto* when = new QHBoxLayout;
    when->addWidget(edDate);
    when->addWidget(edTime);
    when->addStretch(1);
    grid->addLayout(when, 2, 1);
    grid->setColumnStretch(1, 1);
    widgets::bodyAboveButtons(this, grid, {btOk, btCancel});

    cmbType->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    memTxt->setMinimumSize(340, 110);
    edTime->setFixedWidth(edTime->fontMetrics().horizontalAdvance(QStringLiteral("00:00:00")) + 16);

    QWidget* order[] = {cmbType, memTxt, edDate, edTime, btOk, btCancel};
    for (size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);

    connect(cmbType, &QComboBox::currentIndexChanged, this, &TfrmNotesRemDetail::cmbTypeChange);
    connect(btOk, &QPushButton::clicked, this, &TfrmNotesRemDetail::btOkClick);
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);
    edTime->installEventFilter(this);
}

int TfrmNotesRemDetail::Execute(int rmid)
{
    RMID = rmid;
    if (!FormActivate()) return QDialog::Rejected;
    return platform::runModal(this);
}

int TfrmNotesRemDetail::warn(const QString& text, const QString& caption)
{
    return LangMessageBox(this, text, caption, platform::Icon::Warning, platform::Buttons::Ok);
}

bool TfrmNotesRemDetail::FormActivate()
{
    m_saving = false;
    m_timeOfDay = 0;
    {
        const QSignalBlocker block(cmbType);
        cmbType->setCurrentIndex(-1);
    }
    memTxt->clear();
    edDate->clear();
    edTime->clear();
    if (RMID != 0) {
        TdmDataModule* dm = dmDataModule();
        try {
            if (!dm) throw std::runtime_error("no database");
            auto q = dm->Open(notes::RowSql(dm->DbPrefix(), RMID));
            if (!q->next()) return false;
            const QString typ = QString::fromStdString(q->text("TYP"));
            const QString txt = QString::fromStdString(q->text("TXT"));
            const QString dat = QString::fromStdString(q->text("DAT"));
            const QString tim = QString::fromStdString(q->text("TIM"));
            if (q->next()) return false;   // not exactly one row
            const QSignalBlocker block(cmbType);
            cmbType->setCurrentIndex(typ == QLatin1String("R") ? 1 : 0);
            memTxt->setPlainText(notes::TextFromStorage(txt));
            edDate->setText(dat);
            edTime->setText(tim);
        } catch (const std::exception&) {
            warn(QStringLiteral("Error reading item"), QStringLiteral("Notes / Reminder"));
            return false;
        }
    }
    const notes::TTimeOfDay time = notes::ParseTime(edTime->text());
    if (time.valid) {
        edTime->setText(time.text);
        m_timeOfDay = time.dayFraction;
    }
    cmbTypeChange();
    memTxt->setFocus();
    return true;
}

void TfrmNotesRemDetail::cmbTypeChange()
{
    const bool reminder = cmbType->currentIndex() == 1;
    edDate->setEnabled(reminder);
    edTime->setEnabled(reminder);
    setWindowTitle(TranslateMessage(reminder ? QStringLiteral("Reminder Detail") : QStringLiteral("Note Detail")));
}

bool TfrmNotesRemDetail::edTimeExit()
{
    const notes::TTimeOfDay time = notes::ParseTime(edTime->text());
    if (!time.valid) {
        m_timeOfDay = 0;
        warn(notes::kTimeInvalid, QStringLiteral("Time"));
        edTime->setFocus();
        return false;
    }
    edTime->setText(time.text);
    m_timeOfDay = time.dayFraction;
    return true;
}

void TfrmNotesRemDetail::showTimeIfValid()
{
    const notes::TTimeOfDay time = notes::ParseTime(edTime->text());
    if (!time.valid) return;
    edTime->setText(time.text);
    m_timeOfDay = time.dayFraction;
}

bool TfrmNotesRemDetail::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == edTime && event->type() == QEvent::FocusOut && leftWithinWindow(event)) {
        QTimer::singleShot(0, this, [this] {
            QWidget* now = focusWidget();
            if (!isVisible() || !edTime->isEnabled() || now == edTime) return;
            // Towards Ok or Cancel the box shows the normalised time too, but an invalid one
            // is not warned about here: Ok says it itself, and Cancel must not be held up.
            if (now == btOk || now == btCancel) showTimeIfValid();
            else edTimeExit();
        });
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmNotesRemDetail::btOkClick()
{
    m_saving = true;
    done(QDialog::Accepted);
}

void TfrmNotesRemDetail::done(int result)
{
    const bool throughOk = m_saving;
    if (!FormCloseQuery()) return;
    QDialog::done(throughOk && result == QDialog::Accepted ? QDialog::Accepted : QDialog::Rejected);
}

bool TfrmNotesRemDetail::FormCloseQuery()
{
    if (!m_saving) return true;
    m_saving = false;
    return save();
}

bool TfrmNotesRemDetail::save()
{
    const int type = cmbType->currentIndex();
    const QDate date = edDate->date();
    const int day = date.isValid() ? shell::NumberFromDate(date) : 0;
    const QString problem = notes::SaveProblem(type, memTxt->toPlainText(), day, edTime->text());
    if (problem == notes::kTimeInvalid) {
        edTimeExit();
        return false;
    }
    if (!problem.isEmpty()) {
        warn(problem, windowTitle());
        return false;
    }
    notes::TNoteRow row;
    row.txt = notes::TextForStorage(memTxt->toPlainText());
    row.reminder = type == 1;
    if (row.reminder) {
        // Read again here: a time typed and saved without leaving the field counts.
        edTimeExit();
        row.dat = edDate->text();
        row.tim = edTime->text();
        row.dattim = day + m_timeOfDay;
    }
    row.upmj = shell::TodayText();
    row.upmt = shell::NowTimeText();
    TdmDataModule* dm = dmDataModule();
    const QString sql = !dm ? QString()
        : RMID == 0         ? notes::InsertSql(dm->DbPrefix(), row)
                            : notes::UpdateSql(dm->DbPrefix(), RMID, row);
    if (dm && dm->ExecStatement(sql) && dm->lastCount() == 1) return true;
    warn(QStringLiteral("Error inserting/updating the record"), windowTitle());
    return false;
}
