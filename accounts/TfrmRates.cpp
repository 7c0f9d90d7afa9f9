// The exchange rates dialog: the list of KURZY.DB newest first and the insert that falls back
// to an update for a date that has its rate already.
#include "accounts/TfrmRates.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QShowEvent>
#include <QStandardItemModel>
#include <QTableView>
#include <algorithm>

#include "accounts/AccountLogic.h"
#include "lang/Language.h"
#include "options/Options.h"
#include "platform/Platform.h"
#include "rates/RateUpdate.h"
#include "rates/StartupFetch.h"
#include "shell/DataModule.h"
#include "shell/ValueHelpers.h"
#include "widgets/CalcEdit.h"
#include "widgets/DateEdit.h"

namespace {
const QString kRates = QStringLiteral("Rates");
}

TfrmRates::TfrmRates(QWidget* parent) : QDialog(parent), m_qryRates(new QStandardItemModel(0, 3, this))
{
    setObjectName(QStringLiteral("frmRates"));
    setWindowTitle(QStringLiteral("Currency Rates"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

    m_qryRates->setHorizontalHeaderLabels({QStringLiteral("Date From"), QStringLiteral("Currency"), QStringLiteral("Rate")});
    dbgRates = new QTableView(this);
    dbgRates->setObjectName(QStringLiteral("dbgRates"));
    dbgRates->setModel(m_qryRates);
    dbgRates->setEditTriggers(QAbstractItemView::NoEditTriggers);
    dbgRates->setSelectionBehavior(QAbstractItemView::SelectRows);
    dbgRates->setSelectionMode(QAbstractItemView::SingleSelection);
    dbgRates->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    dbgRates->verticalHeader()->setDefaultSectionSize(dbgRates->fontMetrics().height() + 6);
    dbgRates->verticalHeader()->setMinimumWidth(14);
    dbgRates->setColumnWidth(0, 75);
    dbgRates->setColumnWidth(1, 51);
    dbgRates->setColumnWidth(2, 94);
    dbgRates->setMinimumWidth(75 + 51 + 94 + 40);

    gbNewRate = new QGroupBox(QStringLiteral(" New rate "), this);
    gbNewRate->setObjectName(QStringLiteral("gbNewRate"));
    lbDateFrom = new QLabel(QStringLiteral("Date from:"), gbNewRate);
    lbDateFrom->setObjectName(QStringLiteral("lbDateFrom"));
    edDateFrom = new widgets::TDateEdit(gbNewRate);
    edDateFrom->setObjectName(QStringLiteral("edDateFrom"));
    edDateFrom->setDialogTitle(QStringLiteral("Select a Date From"));
    lbRate = new QLabel(QStringLiteral("Rate:"), gbNewRate);
    lbRate->setObjectName(QStringLiteral("lbRate"));
    edRate = new widgets::TCalcEdit(gbNewRate);
    edRate->setObjectName(QStringLiteral("edRate"));
    edRate->setDecimals(4);
    lbDateFrom->setBuddy(edDateFrom);
    lbRate->setBuddy(edRate);
    btInsert = new QPushButton(QStringLiteral("Insert"), gbNewRate);
    btInsert->setObjectName(QStringLiteral("btInsert"));
    btInsert->setAutoDefault(false);
    btFetch = new QPushButton(QStringLiteral("Fetch from the Czech National Bank"), gbNewRate);
    btFetch->setObjectName(QStringLiteral("btFetch"));
    btFetch->setAutoDefault(false);

    auto* boxLayout = new QGridLayout(gbNewRate);
    boxLayout->addWidget(lbDateFrom, 0, 0);
    boxLayout->addWidget(edDateFrom, 1, 0);
    boxLayout->addWidget(lbRate, 2, 0);
    boxLayout->addWidget(edRate, 3, 0);
    boxLayout->addWidget(btInsert, 4, 0, Qt::AlignHCenter);
    boxLayout->addWidget(btFetch, 5, 0, Qt::AlignHCenter);
    boxLayout->setRowStretch(6, 1);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(dbgRates, 1);
    layout->addWidget(gbNewRate);
    // Labels and the group's title grow with the language; the window follows them.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    dbgRates->setMinimumHeight(220);

    connect(btInsert, &QPushButton::clicked, this, &TfrmRates::btInsertClick);
    connect(btFetch, &QPushButton::clicked, this, &TfrmRates::btFetchClick);
}

QString TfrmRates::ListStatement(const QString& db) { return accounts::ratesListSql(db); }

QString TfrmRates::InsertStatement(const QString& db, const QString& date, const QString& rate)
{
    return accounts::insertRateSql(db, date, rate);
}

QString TfrmRates::UpdateStatement(const QString& db, const QString& date, const QString& rate)
{
    return accounts::updateRateSql(db, date, rate);
}

void TfrmRates::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormActivate();
}

void TfrmRates::FormActivate()
{
    m_qryRates->setHorizontalHeaderLabels({QStringLiteral("Date From"), QStringLiteral("Currency"), QStringLiteral("Rate")});
    TranslateGridTitles(dbgRates);
    LoadRates();
    edDateFrom->setFocus();
}

// Each column at least as wide as its designed width, its title and its texts; the grid as
// wide as its columns, so neither a date nor a translated title is cut.
void TfrmRates::fitColumns()
{
    const int designed[] = {75, 51, 94};
    QHeaderView* header = dbgRates->horizontalHeader();
    int total = dbgRates->verticalHeader()->sizeHint().width() + 2 * dbgRates->frameWidth() +
                dbgRates->verticalScrollBar()->sizeHint().width();
    for (int c = 0; c < 3; ++c) {
        const int wanted = std::max({designed[c], header->sectionSizeHint(c),
                                     static_cast<QAbstractItemView*>(dbgRates)->sizeHintForColumn(c)});
        dbgRates->setColumnWidth(c, wanted);
        total += wanted;
    }
    dbgRates->setMinimumWidth(total);
}

void TfrmRates::LoadRates()
{
    m_qryRates->removeRows(0, m_qryRates->rowCount());
    if (!dmDataModule()) return;
    try {
        auto query = dmDataModule()->Open(ListStatement(dmDataModule()->DbPrefix()));
        const int date = query->fieldIndex("RDATE"), currency = query->fieldIndex("CRCD"), rate = query->fieldIndex("CRR");
        while (query->next()) {
            auto* dateItem = new QStandardItem(QString::fromStdString(query->text(date)));
            auto* currencyItem = new QStandardItem(QString::fromStdString(query->text(currency)));
            auto* rateItem = new QStandardItem(QString::fromStdString(query->text(rate)));
            dateItem->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            currencyItem->setTextAlignment(Qt::AlignCenter);
            rateItem->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_qryRates->appendRow({dateItem, currencyItem, rateItem});
            m_qryRates->setVerticalHeaderItem(m_qryRates->rowCount() - 1, new QStandardItem(QString()));
        }
    } catch (const std::exception&) {
        // The list stays as far as it was read; the dialog remains usable.
    }
    fitColumns();
}

void TfrmRates::btInsertClick()
{
    if (!edDateFrom->date().isValid() || edRate->value() == 0) {
        LangMessageBox(this, QStringLiteral("Data not filled properly"), kRates, platform::Icon::Warning,
                       platform::Buttons::Ok);
        return;
    }
    if (!edDateFrom->checkValidDate()) return;
    TdmDataModule* dm = dmDataModule();
    if (!dm) return;
    const QString date = edDateFrom->text();
    // The number the box shows (a decimal comma read as a point), in its full form.
    const QString rate = shell::NumberForSql(TCalcEdit::fullText(edRate->value()));
    const QString db = dm->DbPrefix();
    // The insert is refused when the date has its EUR rate already; then that rate is replaced.
    // An update that finds no row wrote nothing and counts as a failure. The engine's reason
    // (a table held by another program) is said with the failure.
    const bool written = dm->ExecStatement(InsertStatement(db, date, rate)) ||
                         (dm->ExecStatement(UpdateStatement(db, date, rate)) && dm->lastCount() > 0);
    if (!written) {
        QString text = TranslateMessage(QStringLiteral("Can't Insert/Update record"));
        if (!dm->lastError().isEmpty()) text += QStringLiteral("\r\n\r\n") + dm->lastError();
        LangMessageBox(this, text, kRates, platform::Icon::Warning, platform::Buttons::Ok);
    }
    LoadRates();
}

// The newest fixing, or the one of the date box's day; the answer comes from the event loop.
void TfrmRates::btFetchClick()
{
    TdmDataModule* dm = dmDataModule();
    auto* update = new rates::RateUpdate(dm->db(), dm->DbPrefix(), this);
    btFetch->setEnabled(false);
    connect(update, &rates::RateUpdate::finished, this, [this, update](const rates::TUpdated& updated) {
        update->deleteLater();
        btFetch->setEnabled(true);
        LoadRates();  // the stored row shows at once, beside the message
        // The message is composed in the language in use already.
        platform::messageBox(this, updated.message, TranslateMessage(kRates),
                             updated.ok() ? platform::Icon::Information : platform::Icon::Warning, platform::Buttons::Ok);
    });
    update->start(rates::ReadRateSettings(settingsFilePath()).url, edDateFrom->date());
}
