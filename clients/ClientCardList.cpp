// TClientCardList: the grid, filter panel, search mechanics and Add shared by the client
// picker and the client register.
//
// Invariants: see ClientCardList.h.

#include "clients/ClientCardList.h"

#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "clients/ClientStatements.h"
#include "widgets/QueryTableModel.h"
#include "clients/TfrmClientDetail.h"
#include "lang/Language.h"
#include "platform/Platform.h"
#include "shell/DataModule.h"
#include "widgets/Named.h"

namespace {

using widgets::named;

QList<widgets::GridColumn> clientColumns()
{
    const char* const columns[][2] = {
        {"KID", "Id"},           {"SURNAME", "Surname"},   {"NAME", "Name"},
        {"TITLE", "Title"},      {"ADDRESS", "Address"},   {"CITY", "City"},
        {"POSTAL", "Postal"},    {"COUNTRY", "Country"},   {"DATEBIRTH", "Date of Birth"},
        {"PASSPORT", "Passport"}, {"CARDNUM", "Card Number"}, {"CARDEXP", "Exp."},
        {"CARDTYPE", "Card Type"}, {"COMMENT", "Comment"},
    };
    QList<widgets::GridColumn> list;
    for (const auto& c : columns) list.append({QLatin1String(c[0]), QLatin1String(c[1])});
    return list;
}

QString dbPrefix() { return dmDataModule() ? dmDataModule()->DbPrefix() : QString(); }

}  // namespace

TClientCardList::TClientCardList(const char* formName, const char* caption, TfrmClientDetail* detail, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint
                          | Qt::WindowMaximizeButtonHint),
      m_detail(detail)
{
    setObjectName(QLatin1String(formName));
    setWindowTitle(QLatin1String(caption));

    pnlFilter = named(new QFrame(this), "pnlFilter");
    pnlFilter->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    cmbFilterBy = named(new QComboBox(pnlFilter), "cmbFilterBy");
    lbFilterBy = named(new QLabel(QStringLiteral("Filter:"), pnlFilter), "lbFilterBy");
    lbFilterBy->setBuddy(cmbFilterBy);
    cmbFilterOperation = named(new QComboBox(pnlFilter), "cmbFilterOperation");
    cmbFilterOperation->addItems(clients::filterOperations());
    edFilterValue = named(new QLineEdit(pnlFilter), "edFilterValue");
    btSearch = named(new QPushButton(QStringLiteral("Search"), pnlFilter), "btSearch");
    btClearFilter = named(new QPushButton(QStringLiteral("Clear Filter"), pnlFilter), "btClearFilter");

    m_list = new widgets::QueryTableModel(clientColumns(), this);
    dbgClients = named(new QTableView(this), "dbgClients");
    dbgClients->setModel(m_list);
    dbgClients->setEditTriggers(QAbstractItemView::NoEditTriggers);
    dbgClients->setSelectionBehavior(QAbstractItemView::SelectRows);
    dbgClients->setSelectionMode(QAbstractItemView::SingleSelection);
    dbgClients->setTabKeyNavigation(false);
    dbgClients->verticalHeader()->setDefaultSectionSize(dbgClients->fontMetrics().height() + 6);
    dbgClients->verticalHeader()->setFixedWidth(14);   // the row indicator

    btSelect = named(new QPushButton(this), "btSelect");
    btSelect->setDefault(true);
    btAddRecord = named(new QPushButton(QStringLiteral("Add"), this), "btAddRecord");
    btClose = named(new QPushButton(QStringLiteral("&Close"), this), "btClose");
    m_buttons = new QHBoxLayout;
    placeControls();

    connect(btSearch, &QPushButton::clicked, this, &TClientCardList::btSearchClick);
    connect(btClearFilter, &QPushButton::clicked, this, &TClientCardList::btClearFilterClick);
    connect(btAddRecord, &QPushButton::clicked, this, &TClientCardList::btAddRecordClick);
    connect(btSelect, &QPushButton::clicked, this, [this] { btSelectClick(); });
    connect(dbgClients, &QTableView::doubleClicked, this, [this] {
        if (btSelect->isEnabled()) btSelect->click();
    });
}

void TClientCardList::placeControls()
{
    auto* filterRow = new QHBoxLayout(pnlFilter);
    filterRow->addWidget(lbFilterBy);
    filterRow->addWidget(cmbFilterBy);
    filterRow->addWidget(cmbFilterOperation);
    filterRow->addWidget(edFilterValue, 1);
    filterRow->addWidget(btSearch);
    filterRow->addWidget(btClearFilter);
    cmbFilterBy->setMinimumWidth(130);
    edFilterValue->setMinimumWidth(160);

    m_buttons->addWidget(btSelect);
    m_buttons->addWidget(btAddRecord);
    m_buttons->addStretch(1);
    m_buttons->addWidget(btClose);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pnlFilter);
    layout->addWidget(dbgClients, 1);
    layout->addLayout(m_buttons);
    resize(860, 460);

    // Filter first (field, operation, value, search), then the list and its buttons.
    QWidget* order[] = {cmbFilterBy, cmbFilterOperation, edFilterValue, btSearch, btClearFilter,
                        dbgClients, btSelect, btAddRecord, btClose};
    for (size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);
}

void TClientCardList::fitColumns()
{
    // The usual widths, widened where a (translated) title needs more room.
    const int widths[] = {45, 110, 90, 50, 150, 90, 60, 80, 90, 90, 110, 50, 80, 160};
    QHeaderView* header = dbgClients->horizontalHeader();
    for (int i = 0; i < int(std::size(widths)) && i < m_list->columnCount(); ++i)
        dbgClients->setColumnWidth(i, std::max(widths[i], header->sectionSizeHint(i)));
}

QString TClientCardList::listStatement() const { return clients::clientListSql(dbPrefix(), m_filter); }

void TClientCardList::FormActivate()
{
    m_filter.clear();
    cmbFilterOperation->setCurrentIndex(int(clients::filterOperations().indexOf(QStringLiteral("like"))));
    m_list->resetTitles();
    TranslateGridTitles(dbgClients);
    fitColumns();
    m_list->close();
    m_list->setStatement(listStatement());
    cmbFilterBy->clear();
    cmbFilterBy->addItems(m_list->titles());
    cmbFilterBy->setCurrentIndex(cmbFilterBy->count() > 1 ? 1 : 0);
    updateButtons();
    edFilterValue->setFocus();
}

void TClientCardList::btSearchClick()
{
    const int column = m_list->columnOfTitle(cmbFilterBy->currentText());
    if (column < 0) {
        platform::messageBox(this, internalErrorText(), TranslateMessage(QStringLiteral("Error")),
                             platform::Icon::None, platform::Buttons::Ok);
        return;
    }
    const QString condition = clients::filterCondition(m_list->columns().at(column).field,
                                                       cmbFilterOperation->currentText(), edFilterValue->text());
    // A condition the database refuses stays in the filter until the filter is cleared.
    m_filter = clients::appendCondition(m_filter, condition);
    m_list->setStatement(listStatement());
    if (m_list->open()) setCurrentRow(0);
    else
        LangMessageBox(this, QStringLiteral("Error in your request"), QStringLiteral("Clients"),
                       platform::Icon::Warning, platform::Buttons::Ok);
    updateButtons();
}

void TClientCardList::btClearFilterClick()
{
    m_list->close();
    m_filter.clear();
    m_list->setStatement(listStatement());
    if (listAllOnClear()) {
        if (m_list->open()) setCurrentRow(0);
        else cannotLoad();
    }
    updateButtons();
}

void TClientCardList::refresh()
{
    if (m_list->open()) setCurrentRow(0);
    else cannotLoad();
    updateButtons();
}

void TClientCardList::cannotLoad()
{
    // The list stays empty; the next search or clear reads it again.
    LangMessageBox(this, QStringLiteral("Can't load the data"), QStringLiteral("Clients"), platform::Icon::Warning,
                   platform::Buttons::Ok);
}

void TClientCardList::btAddRecordClick()
{
    if (!m_detail || m_detail->Execute(0) != QDialog::Accepted) return;
    const QString surname = m_detail->edSurname->text();
    const QString name = m_detail->edName->text();
    refresh();
    if (!m_list->isOpen()) return;
    const int row = m_list->findRow({{QStringLiteral("SURNAME"), surname}, {QStringLiteral("NAME"), name}});
    if (row >= 0) setCurrentRow(row);
    else
        LangMessageBox(this, QStringLiteral("The new record is filtered out and thus not visible"), QStringLiteral("Clients"),
                       platform::Icon::Information, platform::Buttons::Ok);
}

void TClientCardList::updateButtons()
{
    const bool hasRows = m_list->isOpen() && m_list->rowCount() > 0;
    btSelect->setEnabled(hasRows);
    enableRowButtons(hasRows);
}

int TClientCardList::currentRow() const
{
    const QModelIndex index = dbgClients->currentIndex();
    return index.isValid() ? index.row() : -1;
}

void TClientCardList::setCurrentRow(int row)
{
    if (row < 0 || row >= m_list->rowCount()) return;
    const QModelIndex index = m_list->index(row, 0);
    dbgClients->setCurrentIndex(index);
    dbgClients->selectRow(row);
    dbgClients->scrollTo(index);
}

int TClientCardList::currentKID() const
{
    const int row = currentRow();
    return row < 0 ? 0 : m_list->fieldText(row, QStringLiteral("KID")).toInt();
}

void TClientCardList::done(int result)
{
    m_list->close();
    QDialog::done(result);
}
