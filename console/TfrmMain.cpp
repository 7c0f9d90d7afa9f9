// Dorvane's window (see TfrmMain.h).
#include "console/TfrmMain.h"

#include <QCloseEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QListWidget>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTableView>
#include <QTextCursor>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "console/ResultModel.h"
#include "platform/Paths.h"
#include "platform/Platform.h"

namespace dorvane {

namespace {
// The row count of a large result costs a pass over the table: it waits until the first
// screen of rows has been painted.
constexpr int kRowCountDelayMs = 150;
}  // namespace

SpinButton::SpinButton(QWidget* parent) : QWidget(parent)
{
    setObjectName("rxsPrevNextSQL");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_up = new QToolButton(this);
    m_up->setObjectName("btPrevSQL");
    m_up->setArrowType(Qt::UpArrow);
    m_up->setToolTip(tr("Previous statement"));
    m_down = new QToolButton(this);
    m_down->setObjectName("btNextSQL");
    m_down->setArrowType(Qt::DownArrow);
    m_down->setToolTip(tr("Next statement"));
    for (QToolButton* b : {m_up, m_down}) {
        b->setFixedSize(28, 16);
        layout->addWidget(b);
    }
    connect(m_up, &QToolButton::clicked, this, &SpinButton::upClicked);
    connect(m_down, &QToolButton::clicked, this, &SpinButton::downClicked);
}

TfrmMain::TfrmMain(const QString& settingsPath, const QString& engineFolder, QWidget* parent)
    : QMainWindow(parent), m_settingsPath(settingsPath), m_engineFolder(engineFolder)
{
    setObjectName("frmMain");
    setWindowTitle("Dorvane Application");
    resize(900, 600);

    auto* central = new QWidget(this);
    auto* top = new QHBoxLayout;
    m_memSQL = new QPlainTextEdit(central);
    m_memSQL->setObjectName("memSQL");
    QFont mono("Liberation Mono");
    mono.setStyleHint(QFont::Monospace);
    m_memSQL->setFont(mono);
    m_memSQL->installEventFilter(this);
    top->addWidget(m_memSQL, 1);

    auto* buttons = new QVBoxLayout;
    m_btPerform = new QToolButton(central);
    m_btPerform->setObjectName("btPerform");
    m_btPerform->setIcon(style()->standardIcon(QStyle::SP_MediaPlay));
    m_btPerform->setToolTip(tr("Run the statement (F5)"));
    m_btPerform->setIconSize(QSize(24, 24));
    m_btFile = new QToolButton(central);
    m_btFile->setObjectName("btFile");
    m_btFile->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    m_btFile->setToolTip(tr("Insert table file references"));
    m_btFile->setIconSize(QSize(24, 24));
    m_spin = new SpinButton(central);
    buttons->addWidget(m_btPerform);
    buttons->addWidget(m_btFile);
    buttons->addWidget(m_spin);
    buttons->addStretch();
    top->addLayout(buttons);

    m_dbgResult = new QTableView(central);
    m_dbgResult->setObjectName("dbgResult");
    m_model = new ResultModel(this);
    m_dbgResult->setModel(m_model);
    m_dbgResult->verticalHeader()->setDefaultSectionSize(m_dbgResult->fontMetrics().height() + 6);
    m_dbgResult->setAlternatingRowColors(true);

    auto* topWidget = new QWidget(central);
    topWidget->setLayout(top);
    auto* splitter = new QSplitter(Qt::Vertical, central);
    splitter->addWidget(topWidget);
    splitter->addWidget(m_dbgResult);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({140, 460});
    auto* layout = new QVBoxLayout(central);
    layout->addWidget(splitter);
    setCentralWidget(central);

    m_rowCount = new QLabel(this);
    statusBar()->addWidget(m_rowCount);

    connect(m_btPerform, &QToolButton::clicked, this, &TfrmMain::btPerformClick);
    connect(m_btFile, &QToolButton::clicked, this, &TfrmMain::btFileClick);
    connect(m_spin, &SpinButton::upClicked, this, &TfrmMain::previousStatement);
    connect(m_spin, &SpinButton::downClicked, this, &TfrmMain::nextStatement);

    readSettings();
}

TfrmMain::~TfrmMain()
{
    closeResults();
}

void TfrmMain::readSettings()
{
    QString database, files;
    if (QFileInfo::exists(m_settingsPath)) {
        QSettings ini(m_settingsPath, QSettings::IniFormat);
        database = ini.value("MAIN/DatabasePath").toString();
        files = ini.value("MAIN/FilesPath").toString();
    }
    m_tableDatabaseName = database;
    m_tableDb = std::make_unique<engine::Database>(
        resolveDatabaseName(database, m_engineFolder).toStdString());
    setQueryDatabase(database);
    m_filesPath = files;
}

void TfrmMain::setDatabasePathForThisRun(const QString& name)
{
    if (!m_databaseForThisRun) m_configuredDatabaseName = m_queryDatabaseName;
    m_databaseForThisRun = true;
    m_tableDatabaseName = name;
    m_tableDb = std::make_unique<engine::Database>(resolveDatabaseName(name, m_engineFolder).toStdString());
    setQueryDatabase(name);
}

void TfrmMain::writeSettings()
{
    QSettings ini(m_settingsPath, QSettings::IniFormat);
    ini.setValue("MAIN/DatabasePath", m_databaseForThisRun ? m_configuredDatabaseName : m_queryDatabaseName);
    ini.setValue("MAIN/FilesPath", m_filesPath);
    ini.sync();
}

void TfrmMain::setQueryDatabase(const QString& name)
{
    m_queryDatabaseName = name;
    const std::string folder = resolveDatabaseName(name, m_engineFolder).toStdString();
    if (!m_queryDb)
        m_queryDb = std::make_unique<engine::Database>(folder);
    else
        m_queryDb->setWorkingFolder(folder);
}

void TfrmMain::closeResults()
{
    m_model->clear();
    m_rowCount->clear();
}

void TfrmMain::btPerformClick()
{
    const QString text = statementText(m_memSQL->toPlainText());
    const StatementKind kind = classifyStatement(text);
    closeResults();
    try {
        switch (kind) {
        case StatementKind::Query: {
            const std::string sql = text.toStdString();
            engine::Database* db = m_queryDb.get();
            const std::string folder = db->workingFolder();
            m_model->setResult(db->open(sql), [db, sql, folder] {
                // Bare table names would now resolve in another folder: the result ends.
                if (db->workingFolder() != folder) throw engine::Error("The working folder has changed");
                return db->open(sql);
            });
            m_dbgResult->show();
            break;
        }
        case StatementKind::OpenTable: {
            const QString name = openTableName(text);
            const std::string sql = "SELECT * FROM " + engine::quoteText(name.toStdString());
            engine::Database* db = m_tableDb.get();
            m_model->setResult(db->open(sql), [db, sql] { return db->open(sql); });
            m_dbgResult->show();
            break;
        }
        case StatementKind::Other: {
            const std::int64_t affected = m_queryDb->execute(text.toStdString());
            m_dbgResult->hide();
            platform::messageBox(this, "Number of affected rows: " + QString::number(affected),
                                 "Result", platform::Icon::Information, platform::Buttons::Ok);
            break;
        }
        }
    } catch (const engine::Error& e) {
        closeResults();
        platform::messageBox(this, QString::fromStdString(e.what()), "Dorvane",
                             platform::Icon::Error, platform::Buttons::Ok);
        return;
    }
    m_history.add(text);
    // The count comes after the first screen is painted, so a large result opens at once.
    if (kind != StatementKind::Other) QTimer::singleShot(kRowCountDelayMs, this, &TfrmMain::showRowCount);
}

void TfrmMain::showRowCount()
{
    const qint64 total = m_model->totalRows();
    m_rowCount->setText(total >= 0 ? tr("%n row(s)", nullptr, int(qMin<qint64>(total, INT_MAX)))
                                   : QString());
}

QString TfrmMain::rowCountText() const { return m_rowCount->text(); }

namespace {
// The tables of a database on a server to choose from (it has no files to pick): several may
// be chosen; answers them in list order, or nothing when cancelled.
QStringList chooseServerTables(QWidget* owner, const QStringList& tables)
{
    QDialog dialog(owner);
    dialog.setObjectName("dlgTables");
    dialog.setWindowTitle("Choose database table");
    auto* list = new QListWidget(&dialog);
    list->setObjectName("lbTables");
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->addItems(tables);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(list, &QListWidget::itemDoubleClicked, &dialog, &QDialog::accept);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(list);
    layout->addWidget(buttons);
    dialog.resize(260, 320);
    if (platform::runModal(&dialog) != QDialog::Accepted) return {};
    QStringList chosen;
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->isSelected()) chosen << list->item(i)->text();
    return chosen;
}
}  // namespace

void TfrmMain::btFileClick()
{
    if (isServerDatabase(QString::fromStdString(m_queryDb->workingFolder()))) {
        // A server has tables, not files: choose among them, and the working database stays.
        QStringList tables;
        try {
            for (const std::string& t : m_queryDb->tableFiles()) tables << QString::fromStdString(t);
        } catch (const engine::Error& e) {
            platform::messageBox(this, QString::fromStdString(e.what()), "Dorvane", platform::Icon::Error,
                                 platform::Buttons::Ok);
            return;
        }
        const QStringList chosen = chooseServerTables(this, tables);
        if (chosen.isEmpty()) return;
        QTextCursor caret = m_memSQL->textCursor();
        caret.clearSelection();
        caret.insertText(serverTableReferences(chosen));
        m_memSQL->setTextCursor(caret);
        return;
    }
    const QString start =
        m_filesPath.isEmpty() ? platform::paths::defaultDatabaseFolder(platform::paths::current()) : m_filesPath;
    const QStringList files = platform::chooseOpenFiles(
        this, "Choose database table", start,
        "Paradox Table (*.db *.DB);;dBase Table (*.dbf *.DBF);;All files (*)", true);
    if (files.isEmpty()) return;
    // At the caret, replacing no selection; the caret ends after the inserted text.
    QTextCursor caret = m_memSQL->textCursor();
    caret.clearSelection();
    caret.insertText(tableReferences(files));
    m_memSQL->setTextCursor(caret);
    const QString folder = QFileInfo(files.first()).absolutePath();
    setQueryDatabase(folder);
    m_filesPath = folder;
}

void TfrmMain::previousStatement()
{
    if (!m_history.started()) return;
    m_memSQL->setPlainText(boxTextOf(m_history.previous()));
}

void TfrmMain::nextStatement()
{
    if (!m_history.started()) return;
    m_memSQL->setPlainText(boxTextOf(m_history.next()));
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_memSQL && event->type() == QEvent::KeyRelease) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_F5 && !key->isAutoRepeat()) {
            btPerformClick();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TfrmMain::closeEvent(QCloseEvent* event)
{
    closeResults();
    writeSettings();
    QMainWindow::closeEvent(event);
}

}  // namespace dorvane
