// TfrmCalendars: the feeds window.
#include "calendars/TfrmCalendars.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>
#include <exception>

#include "calendars/CalendarExport.h"
#include "calendars/CalendarSync.h"
#include "lang/Language.h"
#include "platform/Platform.h"
#include "shell/DataModule.h"
#include "shell/ValueHelpers.h"

namespace {
const QString kCaption = QStringLiteral("Calendars");

template <class W>
W* named(W* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QTableWidget* grid(QWidget* parent, const char* name, const QStringList& titles)
{
    auto* g = named(new QTableWidget(0, int(titles.size()), parent), name);
    g->setHorizontalHeaderLabels(titles);
    g->setSelectionBehavior(QAbstractItemView::SelectRows);
    g->setSelectionMode(QAbstractItemView::SingleSelection);
    g->setEditTriggers(QAbstractItemView::NoEditTriggers);
    g->verticalHeader()->hide();
    g->horizontalHeader()->setStretchLastSection(true);
    return g;
}

std::unique_ptr<calendars::Store> store()
{
    TdmDataModule* dm = dmDataModule();
    if (!dm) return nullptr;
    return std::make_unique<calendars::Store>(dm->db(), dm->DbPrefix());
}
}  // namespace

TfrmCalendars::TfrmCalendars(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmCalendars"));
    setWindowTitle(kCaption);
    buildControls();
}

void TfrmCalendars::buildControls()
{
    auto* layout = new QVBoxLayout(this);
    auto* top = new QGridLayout;
    lbExportFolder = named(new QLabel(QStringLiteral("Export folder:"), this), "lbExportFolder");
    edExportFolder = named(new QLineEdit(this), "edExportFolder");
    edExportFolder->setMaxLength(250);
    btExportFolder = named(new QPushButton(QStringLiteral("..."), this), "btExportFolder");
    chkNames = named(new QCheckBox(QStringLiteral("Guests' names in the exported calendars"), this), "chkNames");
    lbInterval = named(new QLabel(QStringLiteral("Read the feeds every (minutes):"), this), "lbInterval");
    edInterval = named(new QSpinBox(this), "edInterval");
    edInterval->setRange(1, 1440);
    top->addWidget(lbExportFolder, 0, 0);
    top->addWidget(edExportFolder, 0, 1);
    top->addWidget(btExportFolder, 0, 2);
    top->addWidget(chkNames, 1, 1, 1, 2);
    top->addWidget(lbInterval, 2, 0);
    top->addWidget(edInterval, 2, 1, Qt::AlignLeft);
    layout->addLayout(top);

    lbRooms = named(new QLabel(QStringLiteral("Rooms:"), this), "lbRooms");
    grRooms = grid(this, "grRooms", {QStringLiteral("Room"), QStringLiteral("Export file"), QStringLiteral("Feeds")});
    lbFeeds = named(new QLabel(QStringLiteral("Feeds of the room:"), this), "lbFeeds");
    grFeeds = grid(this, "grFeeds", {QStringLiteral("Portal"), QStringLiteral("Address"), QStringLiteral("Last result")});
    layout->addWidget(lbRooms);
    layout->addWidget(grRooms, 1);
    layout->addWidget(lbFeeds);
    layout->addWidget(grFeeds, 1);

    auto* add = new QGridLayout;
    lbPortal = named(new QLabel(QStringLiteral("Portal:"), this), "lbPortal");
    edPortal = named(new QLineEdit(this), "edPortal");
    edPortal->setMaxLength(30);
    lbAddress = named(new QLabel(QStringLiteral("Address:"), this), "lbAddress");
    edAddress = named(new QLineEdit(this), "edAddress");
    edAddress->setMaxLength(250);
    btAdd = named(new QPushButton(QStringLiteral("Add feed"), this), "btAdd");
    btRemove = named(new QPushButton(QStringLiteral("Remove feed"), this), "btRemove");
    btTest = named(new QPushButton(QStringLiteral("Test now"), this), "btTest");
    add->addWidget(lbPortal, 0, 0);
    add->addWidget(edPortal, 0, 1);
    add->addWidget(lbAddress, 1, 0);
    add->addWidget(edAddress, 1, 1);
    add->addWidget(btAdd, 1, 2);
    layout->addLayout(add);
    auto* buttons = new QHBoxLayout;
    btOk = named(new QPushButton(QStringLiteral("Ok"), this), "btOk");
    btOk->setDefault(true);
    btCancel = named(new QPushButton(QStringLiteral("Cancel"), this), "btCancel");
    buttons->addWidget(btRemove);
    buttons->addWidget(btTest);
    buttons->addStretch(1);
    buttons->addWidget(btOk);
    buttons->addWidget(btCancel);
    layout->addLayout(buttons);
    resize(760, 560);

    connect(btExportFolder, &QPushButton::clicked, this, &TfrmCalendars::btExportFolderClick);
    connect(btAdd, &QPushButton::clicked, this, &TfrmCalendars::btAddClick);
    connect(btRemove, &QPushButton::clicked, this, &TfrmCalendars::btRemoveClick);
    connect(btTest, &QPushButton::clicked, this, &TfrmCalendars::btTestClick);
    connect(btOk, &QPushButton::clicked, this, [this] {
        if (btOkClick()) accept();
    });
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(grRooms, &QTableWidget::itemSelectionChanged, this, &TfrmCalendars::fillFeeds);
}

int TfrmCalendars::Execute()
{
    FormActivate();
    return platform::runModal(this);
}

void TfrmCalendars::warn(const QString& message, const QString& detail)
{
    LangMessageBox(this, TranslateMessage(message) + (detail.isEmpty() ? QString() : QStringLiteral("\r\n") + detail), kCaption,
                   platform::Icon::Warning, platform::Buttons::Ok);
}

void TfrmCalendars::FormActivate()
{
    // The English titles each time, then their translation in the language now in use.
    grRooms->setHorizontalHeaderLabels({QStringLiteral("Room"), QStringLiteral("Export file"), QStringLiteral("Feeds")});
    grFeeds->setHorizontalHeaderLabels({QStringLiteral("Portal"), QStringLiteral("Address"), QStringLiteral("Last result")});
    TranslateGridTitles(grRooms);
    TranslateGridTitles(grFeeds);
    edPortal->clear();
    edAddress->clear();
    try {
        auto s = store();
        if (!s) return;
        const calendars::Settings settings = s->settings();
        edExportFolder->setText(settings.exportFolder);
        chkNames->setChecked(settings.names);
        edInterval->setValue(settings.intervalMinutes);
    } catch (const std::exception& e) {
        warn(QStringLiteral("The calendar settings cannot be read."), QString::fromUtf8(e.what()));
    }
    fillRooms();
    if (grRooms->rowCount() > 0) grRooms->selectRow(0);
    fillFeeds();
}

void TfrmCalendars::fillRooms()
{
    const QString keep = selectedPid();
    grRooms->setRowCount(0);
    try {
        auto s = store();
        if (!s) return;
        m_feeds = s->feeds();
        for (const auto& [pid, name] : s->rooms()) {
            const int row = grRooms->rowCount();
            grRooms->insertRow(row);
            auto* room = new QTableWidgetItem(name.isEmpty() ? pid : name);
            room->setData(Qt::UserRole, pid.trimmed());
            grRooms->setItem(row, 0, room);
            grRooms->setItem(row, 1, new QTableWidgetItem(calendars::exportFileName(pid)));
            int count = 0;
            for (const calendars::Feed& f : m_feeds) count += f.pid.trimmed() == pid.trimmed();
            grRooms->setItem(row, 2, new QTableWidgetItem(QString::number(count)));
            if (pid.trimmed() == keep) grRooms->selectRow(row);
        }
    } catch (const std::exception& e) {
        warn(QStringLiteral("The calendar feeds cannot be read."), QString::fromUtf8(e.what()));
    }
}

QString TfrmCalendars::selectedPid() const
{
    const int row = grRooms->currentRow();
    QTableWidgetItem* item = row >= 0 ? grRooms->item(row, 0) : nullptr;
    return item ? item->data(Qt::UserRole).toString() : QString();
}

int TfrmCalendars::selectedFeed() const
{
    const int row = grFeeds->currentRow();
    QTableWidgetItem* item = row >= 0 ? grFeeds->item(row, 0) : nullptr;
    return item ? item->data(Qt::UserRole).toInt() : 0;
}

void TfrmCalendars::fillFeeds()
{
    grFeeds->setRowCount(0);
    const QString pid = selectedPid();
    for (const calendars::Feed& f : m_feeds) {
        if (pid.isEmpty() || f.pid.trimmed() != pid) continue;
        const int row = grFeeds->rowCount();
        grFeeds->insertRow(row);
        auto* portal = new QTableWidgetItem(f.portal);
        portal->setData(Qt::UserRole, f.id);
        grFeeds->setItem(row, 0, portal);
        grFeeds->setItem(row, 1, new QTableWidgetItem(f.url));
        const QString when = f.lastDate > 0 ? shell::DateText(double(f.lastDate)) + QLatin1Char(' ') +
                                                  QTime(0, 0).addSecs(f.lastTime).toString(QStringLiteral("H:mm")) + QStringLiteral(": ")
                                            : QString();
        grFeeds->setItem(row, 2, new QTableWidgetItem(when + f.lastResult));
    }
}

void TfrmCalendars::btAddClick()
{
    const QString pid = selectedPid();
    if (pid.isEmpty()) return warn(QStringLiteral("Choose the room the feed is for."));
    const QString problem = calendars::addressProblem(edAddress->text());
    if (!problem.isEmpty()) return warn(problem);
    try {
        if (auto s = store()) s->addFeed(pid, edAddress->text(), edPortal->text());
    } catch (const std::exception& e) {
        return warn(QStringLiteral("The feed cannot be saved."), QString::fromUtf8(e.what()));
    }
    edAddress->clear();
    edPortal->clear();
    fillRooms();
    fillFeeds();
}

void TfrmCalendars::btRemoveClick()
{
    const int id = selectedFeed();
    if (id <= 0) return warn(QStringLiteral("Choose the feed to remove."));
    if (LangMessageBox(this, QStringLiteral("Remove this feed? Its holds stay on the board as ordinary reservations."), kCaption,
                       platform::Icon::Question, platform::Buttons::YesNo) != QMessageBox::Yes)
        return;
    try {
        if (auto s = store()) s->removeFeed(id);
    } catch (const std::exception& e) {
        return warn(QStringLiteral("The feed cannot be removed."), QString::fromUtf8(e.what()));
    }
    fillRooms();
    fillFeeds();
}

void TfrmCalendars::btTestClick()
{
    // A typed address is tested before it is added; else the chosen feed.
    QString address = edAddress->text().trimmed();
    if (address.isEmpty())
        for (const calendars::Feed& f : m_feeds)
            if (f.id == selectedFeed()) address = f.url;
    if (address.isEmpty()) return warn(QStringLiteral("Choose the feed to test."));
    if (const QString problem = calendars::addressProblem(address); !problem.isEmpty()) return warn(problem);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const calendars::Fetched fetched = calendars::fetchFeeds({address}).value(0);
    QApplication::restoreOverrideCursor();
    const calendars::ParsedFeed parsed = fetched.ok ? calendars::parseFeed(fetched.bytes) : calendars::ParsedFeed{};
    const auto tr = [](const QString& s) { return TranslateMessage(s); };
    const QString text = !fetched.ok  ? calendars::problemText(fetched.problem, fetched.detail, tr)
                         : !parsed.ok ? calendars::problemText(parsed.problem, parsed.detail, tr)
                                      : TranslateMessage(QStringLiteral("The feed was read: %1 events.")).arg(parsed.events.size());
    LangMessageBox(this, address + QStringLiteral("\r\n") + text, kCaption,
                   fetched.ok && parsed.ok ? platform::Icon::Information : platform::Icon::Warning, platform::Buttons::Ok);
}

void TfrmCalendars::btExportFolderClick()
{
    const QString folder = platform::chooseFolder(this, TranslateMessage(QStringLiteral("Export folder")), edExportFolder->text());
    if (!folder.isEmpty()) edExportFolder->setText(folder);
}

bool TfrmCalendars::btOkClick()
{
    calendars::Settings settings;
    settings.exportFolder = edExportFolder->text().trimmed();
    settings.names = chkNames->isChecked();
    settings.intervalMinutes = edInterval->value();
    try {
        if (auto s = store()) s->saveSettings(settings);
    } catch (const std::exception& e) {
        warn(QStringLiteral("The calendar settings cannot be saved."), QString::fromUtf8(e.what()));
        return false;
    }
    return true;
}
