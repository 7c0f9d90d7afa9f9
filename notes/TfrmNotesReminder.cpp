// TfrmNotesReminder: the list's controls, filter, reading, and the add, display and delete
// commands.
//
// Invariants: see TfrmNotesReminder.h.

#include "notes/TfrmNotesReminder.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "widgets/QueryTableModel.h"
#include "lang/Language.h"
#include "notes/NotesLogic.h"
#include "notes/TfrmNotesRemDetail.h"
#include "platform/Platform.h"
#include "shell/DataModule.h"
#include "widgets/Named.h"

namespace {

using widgets::named;

QList<widgets::GridColumn> noteColumns()
{
    return {{QStringLiteral("TXT"), QStringLiteral("Text")},
            {QStringLiteral("DAT"), QStringLiteral("Date")},
            {QStringLiteral("TIM"), QStringLiteral("Time")},
            {QStringLiteral("USR"), QStringLiteral("User")}};
}

// The list as the grid shows it: the date and time columns as they were stored (05.03.2004,
// 05:32:49), not in the engine's short form; titles are set on the list itself, so their
// translation reaches the list whether it has rows or not.
class StoredTextsModel : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;
    QVariant data(const QModelIndex& index, int role) const override
    {
        const QVariant shown = QIdentityProxyModel::data(index, role);
        if (role != Qt::DisplayRole) return shown;
        if (index.column() == 1) return notes::StoredDateText(shown.toString());
        if (index.column() == 2) return notes::StoredTimeText(shown.toString());
        return shown;
    }
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant& value, int role) override
    {
        return sourceModel() && sourceModel()->setHeaderData(section, orientation, value, role);
    }
};

}  // namespace

TfrmNotesReminder::TfrmNotesReminder(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmNotesReminder"));
    setWindowTitle(QStringLiteral("Notes / Reminder"));

    m_list = new widgets::QueryTableModel(noteColumns(), this);
    dbgPoznamky = named(new QTableView(this), "dbgPoznamky");
    auto* shown = new StoredTextsModel(this);
    shown->setSourceModel(m_list);
    dbgPoznamky->setModel(shown);
    dbgPoznamky->setEditTriggers(QAbstractItemView::NoEditTriggers);
    dbgPoznamky->setSelectionBehavior(QAbstractItemView::SelectRows);
    dbgPoznamky->setSelectionMode(QAbstractItemView::SingleSelection);
    dbgPoznamky->setTabKeyNavigation(false);
    dbgPoznamky->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    dbgPoznamky->verticalHeader()->setDefaultSectionSize(dbgPoznamky->fontMetrics().height() + 6);
    dbgPoznamky->verticalHeader()->setFixedWidth(14);   // the row indicator

    cmbDisplayType = named(new QComboBox(this), "cmbDisplayType");
    cmbDisplayType->addItems({QStringLiteral("Notes"), QStringLiteral("Reminder"), QStringLiteral("All")});
    cmbDisplayType->setCurrentIndex(m_filter);
    cmbDisplayType->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    lbFilter = named(new QLabel(QStringLiteral("Filter:"), this), "lbFilter");
    lbFilter->setBuddy(cmbDisplayType);
    btAddRecord = named(new QPushButton(QStringLiteral("Add"), this), "btAddRecord");
    btDelete = named(new QPushButton(QStringLiteral("Delete"), this), "btDelete");
    btSelect = named(new QPushButton(QStringLiteral("&Display"), this), "btSelect");
    btSelect->setDefault(true);
    btClose = named(new QPushButton(QStringLiteral("&Close"), this), "btClose");
    for (QPushButton* b : {btAddRecord, btDelete, btClose}) b->setAutoDefault(false);

    auto* filter = new QHBoxLayout;
    filter->addWidget(lbFilter);
    filter->addWidget(cmbDisplayType);
    filter->addStretch(1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btSelect);
    buttons->addWidget(btAddRecord);
    buttons->addWidget(btDelete);
    buttons->addStretch(1);
    buttons->addWidget(btClose);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filter);
    layout->addWidget(dbgPoznamky, 1);
    layout->addLayout(buttons);
    resize(560, 360);

    QWidget* order[] = {cmbDisplayType, dbgPoznamky, btSelect, btAddRecord, btDelete, btClose};
    for (size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);

    connect(cmbDisplayType, &QComboBox::currentIndexChanged, this, &TfrmNotesReminder::cmbDisplayTypeChange);
    connect(btAddRecord, &QPushButton::clicked, this, &TfrmNotesReminder::btAddRecordClick);
    connect(btSelect, &QPushButton::clicked, this, &TfrmNotesReminder::btSelectClick);
    connect(btDelete, &QPushButton::clicked, this, &TfrmNotesReminder::btDeleteClick);
    connect(btClose, &QPushButton::clicked, this, &QDialog::reject);
    connect(dbgPoznamky, &QTableView::doubleClicked, this, &TfrmNotesReminder::btSelectClick);
}

int TfrmNotesReminder::Execute()
{
    FormActivate();
    return platform::runModal(this);
}

void TfrmNotesReminder::FormActivate()
{
    m_list->resetTitles();
    TranslateGridTitles(dbgPoznamky);
    Reload();
    fitColumns();
    dbgPoznamky->setFocus();
}

void TfrmNotesReminder::fitColumns()
{
    // The usual widths, widened where a (translated) title or a date needs more room.
    const int widths[] = {270, 0, 61, 94};
    QHeaderView* header = dbgPoznamky->horizontalHeader();
    for (int i = 0; i < int(std::size(widths)) && i < m_list->columnCount(); ++i) {
        const int content = i == 1 ? dbgPoznamky->fontMetrics().horizontalAdvance(QStringLiteral("00.00.0000")) + 12 : 0;
        dbgPoznamky->setColumnWidth(i, std::max({widths[i], content, header->sectionSizeHint(i)}));
    }
    // The window is never narrower than its columns.
    int total = dbgPoznamky->verticalHeader()->width() + 2 * dbgPoznamky->frameWidth()
        + dbgPoznamky->verticalScrollBar()->sizeHint().width();
    for (int i = 0; i < m_list->columnCount(); ++i) total += dbgPoznamky->columnWidth(i);
    dbgPoznamky->setMinimumWidth(total);
}

bool TfrmNotesReminder::Reload()
{
    const QString db = dmDataModule() ? dmDataModule()->DbPrefix() : QString();
    m_list->setStatement(notes::ListSql(db, m_filter));
    setWindowTitle(m_filter == 0   ? QStringLiteral("Notes")
                   : m_filter == 1 ? QStringLiteral("Reminder")
                                   : TranslateMessage(QStringLiteral("Notes / Reminder")));
    if (!m_list->open()) {
        LangMessageBox(this, QStringLiteral("Can't load the data"), QStringLiteral("Tamarel"), platform::Icon::None,
                       platform::Buttons::Ok);
        return false;
    }
    setCurrentRow(0);
    return true;
}

void TfrmNotesReminder::cmbDisplayTypeChange()
{
    m_filter = std::clamp(cmbDisplayType->currentIndex(), 0, 2);
    Reload();
}

void TfrmNotesReminder::btAddRecordClick()
{
    if (m_detail && m_detail->Execute(0) == QDialog::Accepted) Reload();
}

void TfrmNotesReminder::btSelectClick()
{
    const int rmid = currentRMID();
    if (!m_detail || m_detail->Execute(rmid) != QDialog::Accepted) return;
    if (!Reload()) return;
    const int row = m_list->findRow({{QStringLiteral("RMID"), QString::number(rmid)}});
    if (row >= 0) setCurrentRow(row);
}

void TfrmNotesReminder::btDeleteClick()
{
    const int rmid = currentRMID();
    if (rmid < 1) {
        LangMessageBox(this, QStringLiteral("No record selected"), QStringLiteral("Notes / Reminders"),
                       platform::Icon::Warning, platform::Buttons::Ok);
        return;
    }
    if (LangMessageBox(this, QStringLiteral("Are you sure to delete the selected Note / Reminder?"),
                       QStringLiteral("Note / Reminder"), platform::Icon::Question, platform::Buttons::YesNo)
        != QMessageBox::Yes)
        return;
    TdmDataModule* dm = dmDataModule();
    if (dm && !dm->ExecStatement(notes::DeleteSql(dm->DbPrefix(), rmid)))
        platform::messageBox(this,
                             TranslateMessage(QStringLiteral("The Note / Reminder could not be deleted:"))
                                 + QStringLiteral("\r\n") + dm->lastError(),
                             TranslateMessage(QStringLiteral("Note / Reminder")), platform::Icon::Warning,
                             platform::Buttons::Ok);
    Reload();
}

int TfrmNotesReminder::currentRow() const
{
    const QModelIndex index = dbgPoznamky->currentIndex();
    return index.isValid() ? index.row() : -1;
}

int TfrmNotesReminder::currentRMID() const
{
    const int row = currentRow();
    return row < 0 ? 0 : m_list->fieldText(row, QStringLiteral("RMID")).toInt();
}

void TfrmNotesReminder::setCurrentRow(int row)
{
    if (row < 0 || row >= m_list->rowCount()) return;
    const QModelIndex index = dbgPoznamky->model()->index(row, 0);   // the shown model
    dbgPoznamky->setCurrentIndex(index);
    dbgPoznamky->selectRow(row);
    dbgPoznamky->scrollTo(index);
}

void TfrmNotesReminder::done(int result)
{
    m_list->close();
    QDialog::done(result);
}
