// TfrmPolozkyUctu: the account items list, its three filters and the loading of the list.
//
// Invariants: see TfrmPolozkyUctu.h.

#include "accounts/TfrmPolozkyUctu.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardItemModel>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>
#include <QVariantMap>
#include <algorithm>
#include <iterator>

#include "accounts/AccountLogic.h"
#include "lang/Language.h"
#include "platform/DialogSeam.h"
#include "platform/Platform.h"
#include "shell/DataModule.h"
#include "widgets/Named.h"

namespace {

using widgets::named;
using widgets::label;

const QString kFindClientCard = QStringLiteral("frmFindClientCard");
const QString kCantLoad = QStringLiteral("The Account items could not be loaded.");

struct Column {
    const char* field;
    const char* title;
    int width;
    bool number;
};
const Column kColumns[] = {
    {"UID", "Acct ID", 45, true},          {"SNNAME", "Client", 129, false},  {"PNAME", "Room name", 77, false},
    {"DESCR", "Item Description", 144, false}, {"TAXRATE", "VAT", 23, true}, {"ITEMDATE", "Date", 59, false},
    {"AMNTEUR", "EUR", 40, true},          {"AMNTCZK", "CZK", 50, true},      {"RATE", "Rate", 43, true},
};

}  // namespace

TfrmPolozkyUctu::TfrmPolozkyUctu(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmPolozkyUctu"));
    setWindowTitle(QStringLiteral("Account Items"));
    buildControls();
    layoutControls();
}

TfrmPolozkyUctu::~TfrmPolozkyUctu() = default;

void TfrmPolozkyUctu::buildControls()
{
    edClientName = named(new QLineEdit(this), "edClientName");
    edClientName->setReadOnly(true);
    edClientName->setFocusPolicy(Qt::ClickFocus);
    QPalette grey = edClientName->palette();
    grey.setColor(QPalette::Base, grey.color(QPalette::Window));
    edClientName->setPalette(grey);
    edClientName->installEventFilter(this);
    lbClient = label(this, "lbClient", "Client:", edClientName);
    edClientID = named(new QLineEdit(this), "edClientID");
    edClientID->setReadOnly(true);
    edClientID->setVisible(false);
    btFindClient = named(new QPushButton(QStringLiteral("Find Client"), this), "btFindClient");
    btFindClient->setAutoDefault(false);
    cmbRooms = named(new QComboBox(this), "cmbRooms");
    cmbRooms->setMaxVisibleItems(10);
    lbRooms = label(this, "lbRooms", "Room name:", cmbRooms);
    edAccount = named(new QLineEdit(this), "edAccount");
    lbAccount = label(this, "lbAccount", "Account:", edAccount);
    edAccount->installEventFilter(this);

    m_model = new QStandardItemModel(this);
    dbgPolozky = named(new QTableView(this), "dbgPolozky");
    dbgPolozky->setModel(m_model);
    dbgPolozky->setEditTriggers(QAbstractItemView::NoEditTriggers);
    dbgPolozky->setSelectionBehavior(QAbstractItemView::SelectRows);
    dbgPolozky->verticalHeader()->setVisible(false);
    dbgPolozky->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    dbgPolozky->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    dbgPolozky->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    dbgPolozky->setShowGrid(true);

    connect(btFindClient, &QPushButton::clicked, this, &TfrmPolozkyUctu::btFindClientClick);
    connect(cmbRooms, &QComboBox::activated, this, [this] {
        if (!m_quiet) cmbRoomsChange();
    });
    connect(edAccount, &QLineEdit::returnPressed, this, &TfrmPolozkyUctu::edAccountExit);
}

void TfrmPolozkyUctu::layoutControls()
{
    auto* filters = new QGridLayout;
    filters->addWidget(lbClient, 0, 0);
    filters->addWidget(edClientName, 0, 1, 1, 3);
    filters->addWidget(btFindClient, 0, 4);
    filters->addWidget(lbRooms, 1, 0);
    filters->addWidget(cmbRooms, 1, 1);
    filters->addWidget(lbAccount, 1, 2, Qt::AlignRight);
    filters->addWidget(edAccount, 1, 3);
    filters->setColumnStretch(1, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filters);
    layout->addWidget(dbgPolozky, 1);
    cmbRooms->setMinimumWidth(180);
    edAccount->setMaximumWidth(fontMetrics().horizontalAdvance(QStringLiteral("0000000000")) + 12);
    setColumns();

    setTabOrder(btFindClient, cmbRooms);
    setTabOrder(cmbRooms, edAccount);
    setTabOrder(edAccount, dbgPolozky);
}

// The titles in English (translated on every opening).
void TfrmPolozkyUctu::setColumns()
{
    m_model->setColumnCount(int(std::size(kColumns)));
    for (int c = 0; c < int(std::size(kColumns)); ++c)
        m_model->setHeaderData(c, Qt::Horizontal, QString::fromLatin1(kColumns[c].title));
    TranslateGridTitles(dbgPolozky);
    fitColumns(true);
}

// Each column at least as wide as its design width, its translated title and what it lists.
// Only on opening is the grid made wide enough for all of them: a load widens a column, and
// the grid scrolls, so the dialog keeps its width from load to load.
void TfrmPolozkyUctu::fitColumns(bool fitGrid)
{
    const QFontMetrics header(dbgPolozky->horizontalHeader()->font());
    int total = 0;
    for (int c = 0; c < int(std::size(kColumns)); ++c) {
        const int title = header.horizontalAdvance(m_model->headerData(c, Qt::Horizontal).toString()) + 16;
        const int width = std::max({kColumns[c].width, title, static_cast<QAbstractItemView*>(dbgPolozky)->sizeHintForColumn(c)});
        dbgPolozky->setColumnWidth(c, width);
        total += width;
    }
    if (!fitGrid) return;
    const int scrollBar = dbgPolozky->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    dbgPolozky->setMinimumSize(total + scrollBar + 2 * dbgPolozky->frameWidth() + 2, 260);
}

int TfrmPolozkyUctu::Execute()
{
    FormActivate();
    return platform::runModal(this);
}

void TfrmPolozkyUctu::FormActivate()
{
    ++m_quiet;
    m_closing = false;
    edClientID->clear();
    edClientName->setText(QStringLiteral("*"));
    edClientName->setToolTip(QString());
    edAccount->setText(QStringLiteral("*"));
    m_listedAccount = edAccount->text();
    cmbRooms->clear();
    cmbRooms->addItem(TranslateMessage(QStringLiteral("* All rooms *")), QString());
    if (TdmDataModule* dm = dmDataModule()) {
        try {
            auto q = dm->Open(accounts::roomsSql(dm->DbPrefix()));
            while (q->next())
                cmbRooms->addItem(QString::fromStdString(q->text("PNAME")), QString::fromStdString(q->text("PID")));
        } catch (const std::exception&) {
        }
    }
    cmbRooms->setCurrentIndex(0);
    m_model->removeRows(0, m_model->rowCount());
    setColumns();
    --m_quiet;
}

bool TfrmPolozkyUctu::LoadItems()
{
    m_model->removeRows(0, m_model->rowCount());
    TdmDataModule* dm = dmDataModule();
    if (!dm) return false;
    const QString where = accounts::accountItemsFilter(cmbRooms->currentData().toString(), edAccount->text(),
                                                       edClientID->text().toInt());
    m_listedAccount = edAccount->text();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    bool ok = true;
    QString reason;
    try {
        auto q = dm->Open(accounts::accountItemsSql(dm->DbPrefix(), where));
        while (q->next()) {
            QList<QStandardItem*> row;
            for (const Column& column : kColumns) {
                auto* item = new QStandardItem(QString::fromStdString(q->text(column.field)));
                if (column.number) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
                row << item;
            }
            m_model->appendRow(row);
        }
        fitColumns(false);
    } catch (const std::exception& e) {
        m_model->removeRows(0, m_model->rowCount());
        reason = QString::fromUtf8(e.what());
        ok = false;
    }
    QApplication::restoreOverrideCursor();
    // The list stays empty; the receptionist learns why (another program may hold a table).
    if (!ok)
        LangMessageBox(this, TranslateMessage(kCantLoad) + QStringLiteral("\r\n\r\n") + reason, QStringLiteral("Account Items"),
                       platform::Icon::Warning, platform::Buttons::Ok);
    return ok;
}

int TfrmPolozkyUctu::rowCount() const { return m_model->rowCount(); }

void TfrmPolozkyUctu::cmbRoomsChange() { LoadItems(); }

// Leaving the account field is a filter change only when its text changed since the list
// was loaded (or opened).
void TfrmPolozkyUctu::edAccountExit()
{
    if (m_closing || edAccount->text() == m_listedAccount) return;
    LoadItems();
}

void TfrmPolozkyUctu::btFindClientClick()
{
    QVariantMap args;
    const bool chosen = platform::openDialog(kFindClientCard, args) == platform::kAccepted;
    const QString kid = args.value(QStringLiteral("KID")).toString().trimmed();
    TTableClients client;
    if (chosen && !kid.isEmpty() && dmDataModule()) client = dmDataModule()->FindClient(QStringLiteral("KID"), kid);
    if (client.found) {
        const QString name = accounts::clientFilterName(client.TITLE, client.SURNAME, client.NAME, client.COUNTRY);
        edClientID->setText(QString::number(client.KID));
        edClientName->setText(name);
        edClientName->setToolTip(name);
    } else {
        edClientID->clear();
        edClientName->setText(QStringLiteral("*"));
        edClientName->setToolTip(QString());
    }
    LoadItems();
}

bool TfrmPolozkyUctu::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == edAccount && event->type() == QEvent::FocusOut) edAccountExit();
    if (watched == edClientName && event->type() == QEvent::MouseButtonRelease) btFindClientClick();
    return QDialog::eventFilter(watched, event);
}

void TfrmPolozkyUctu::done(int result)
{
    // The focus leaving the account field as the dialog closes loads nothing.
    m_closing = true;
    m_model->removeRows(0, m_model->rowCount());
    QDialog::done(result);
}
