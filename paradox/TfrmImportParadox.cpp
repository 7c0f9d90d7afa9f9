// The Paradox import window; see TfrmImportParadox.h.
#include "paradox/TfrmImportParadox.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>

#include "backup/DatabaseCopy.h"
#include "lang/Language.h"
#include "paradox/ParadoxFile.h"
#include "paradox/ParadoxImport.h"
#include "platform/DialogSeam.h"
#include "platform/Platform.h"

namespace {

// The code pages offered besides the tables' own: the Czech Windows and DOS ones, the
// Western Windows and the first DOS one.
const int kCodePages[] = {1250, 852, 1252, 437};

QTableWidgetItem* cell(const QString& text)
{
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

}  // namespace

TfrmImportParadox::TfrmImportParadox(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmImportParadox"));
    setWindowTitle(QStringLiteral("Import Paradox Tables"));
    resize(640, 440);
    lbFolder = new QLabel(QStringLiteral("Folder of the Paradox tables:"), this);
    lbFolder->setObjectName(QStringLiteral("lbFolder"));
    lbFolder->setGeometry(8, 8, 400, 18);
    edFolder = new QLineEdit(this);
    edFolder->setObjectName(QStringLiteral("edFolder"));
    edFolder->setGeometry(8, 28, 540, 24);
    btBrowse = new QPushButton(QStringLiteral("Browse..."), this);
    btBrowse->setObjectName(QStringLiteral("btBrowse"));
    btBrowse->setGeometry(554, 27, 78, 26);
    chkReplace = new QCheckBox(QStringLiteral("Replace the rows the database holds"), this);
    chkReplace->setObjectName(QStringLiteral("chkReplace"));
    chkReplace->setGeometry(8, 60, 300, 22);
    chkCutLongTexts = new QCheckBox(QStringLiteral("Cut long texts (and leave wrong values empty)"), this);
    chkCutLongTexts->setObjectName(QStringLiteral("chkCutLongTexts"));
    chkCutLongTexts->setGeometry(8, 84, 360, 22);
    lbCodePage = new QLabel(QStringLiteral("Code page:"), this);
    lbCodePage->setObjectName(QStringLiteral("lbCodePage"));
    lbCodePage->setGeometry(380, 62, 90, 18);
    cmbCodePage = new QComboBox(this);
    cmbCodePage->setObjectName(QStringLiteral("cmbCodePage"));
    cmbCodePage->setGeometry(470, 58, 162, 24);
    cmbCodePage->addItem(QStringLiteral("From the tables"), 0);
    for (int cp : kCodePages) cmbCodePage->addItem(QString::number(cp), cp);
    btImport = new QPushButton(QStringLiteral("Import"), this);
    btImport->setObjectName(QStringLiteral("btImport"));
    btImport->setGeometry(470, 86, 78, 26);
    btClose = new QPushButton(QStringLiteral("Close"), this);
    btClose->setObjectName(QStringLiteral("btClose"));
    btClose->setGeometry(554, 86, 78, 26);
    pgProgress = new QProgressBar(this);
    pgProgress->setObjectName(QStringLiteral("pgProgress"));
    pgProgress->setGeometry(8, 118, 624, 20);
    pgProgress->setRange(0, 100);
    grResult = new QTableWidget(0, 3, this);
    grResult->setObjectName(QStringLiteral("grResult"));
    grResult->setGeometry(8, 144, 624, 250);
    grResult->setHorizontalHeaderLabels({QStringLiteral("Table"), QStringLiteral("Rows"), QStringLiteral("Findings")});
    grResult->horizontalHeader()->setStretchLastSection(true);
    grResult->verticalHeader()->hide();
    grResult->setColumnWidth(0, 110);
    grResult->setColumnWidth(1, 80);
    grResult->setWordWrap(true);
    lbMessage = new QLabel(this);
    lbMessage->setObjectName(QStringLiteral("lbMessage"));
    lbMessage->setGeometry(8, 400, 624, 34);
    lbMessage->setWordWrap(true);

    connect(btBrowse, &QPushButton::clicked, this, [this] {
        const QString folder = platform::chooseFolder(this, TranslateMessage(QStringLiteral("Folder of the Paradox tables:")),
                                                      edFolder->text());
        if (!folder.isEmpty()) edFolder->setText(folder);
    });
    connect(btImport, &QPushButton::clicked, this, &TfrmImportParadox::btImportClick);
    connect(btClose, &QPushButton::clicked, this, [this] { m_imported ? accept() : reject(); });
}

void TfrmImportParadox::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormActivate();
}

void TfrmImportParadox::FormActivate()
{
    m_imported = false;
    // Texts that are no window property, in the current language.
    grResult->setHorizontalHeaderLabels({TranslateMessage(QStringLiteral("Table")), TranslateMessage(QStringLiteral("Rows")),
                                         TranslateMessage(QStringLiteral("Findings"))});
    cmbCodePage->setItemText(0, TranslateMessage(QStringLiteral("From the tables")));
    pgProgress->setValue(0);
    grResult->setRowCount(0);
    lbMessage->clear();
}

void TfrmImportParadox::showReport(const paradox::ImportReport& report)
{
    grResult->setRowCount(0);
    for (const paradox::TableReport& t : report.tables) {
        QStringList findings;
        if (!t.found) {
            findings << TranslateMessage(QStringLiteral("Not in the folder, imported empty"));
        } else {
            findings << TranslateMessage(QStringLiteral("Code page")) + QStringLiteral(" ") + QString::number(t.codePage);
            if (!t.extraFields.isEmpty())
                findings << TranslateMessage(QStringLiteral("Fields left out:")) + QStringLiteral(" ") +
                                t.extraFields.join(QStringLiteral(", "));
            if (!t.absentColumns.isEmpty())
                findings << TranslateMessage(QStringLiteral("Columns left empty:")) + QStringLiteral(" ") +
                                t.absentColumns.join(QStringLiteral(", "));
            for (const QString& l : t.longTexts) findings << TranslateMessage(QStringLiteral("Long text:")) + QStringLiteral(" ") + l;
            for (const QString& l : t.wrongKinds) findings << TranslateMessage(QStringLiteral("Wrong kind:")) + QStringLiteral(" ") + l;
        }
        const int row = grResult->rowCount();
        grResult->insertRow(row);
        grResult->setItem(row, 0, cell(t.file));
        grResult->setItem(row, 1, cell(t.found ? QString::number(t.rows) : QString()));
        grResult->setItem(row, 2, cell(findings.join(QLatin1Char('\n'))));
    }
    grResult->resizeRowsToContents();
}

void TfrmImportParadox::btImportClick()
{
    const QString folder = edFolder->text().trimmed();
    if (folder.isEmpty()) {
        lbMessage->setText(TranslateMessage(QStringLiteral("Choose the folder of the Paradox tables first.")));
        return;
    }
    paradox::ImportOptions options;
    options.replace = chkReplace->isChecked();
    options.cutLongTexts = chkCutLongTexts->isChecked();
    options.codePage = cmbCodePage->currentData().toInt();
    // The ten tables in turn, each a tenth of the bar.
    QStringList seen;
    options.progress = [this, &seen](const QString& table, qint64 done, qint64 total) {
        if (!seen.contains(table)) seen << table;
        const double part = total > 0 ? double(done) / double(total) : 1.0;
        pgProgress->setValue(int(((seen.size() - 1) + part) * 10.0));
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    };
    grResult->setRowCount(0);
    lbMessage->clear();
    btImport->setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QString message;
    try {
        const paradox::ImportReport report = paradox::importParadox(folder, databaseLocation, options);
        showReport(report);
        pgProgress->setValue(100);
        m_imported = true;
        message = TranslateMessage(QStringLiteral("The Paradox tables are imported:")) + QStringLiteral(" ") +
                  QString::number(report.rows) + QStringLiteral(" ") + TranslateMessage(QStringLiteral("rows"));
    } catch (const paradox::ImportRefused& e) {
        showReport(e.report);
        message = TranslateMessage(QStringLiteral("Nothing was imported: some texts are longer than their columns or some values are "
                                                  "of the wrong kind (see the table). Cutting them imports the rest."));
    } catch (const backup::CopyRefused& e) {
        message = TranslateMessage(QStringLiteral("Nothing was imported: the database already holds rows in")) + QStringLiteral(" ") +
                  e.filled.join(QStringLiteral(", ")) + QStringLiteral(". ") +
                  TranslateMessage(QStringLiteral("Replacing them imports the tables."));
    } catch (const std::exception& e) {
        message = TranslateMessage(QStringLiteral("Nothing was imported:")) + QStringLiteral(" ") + QString::fromUtf8(e.what());
    }
    QApplication::restoreOverrideCursor();
    btImport->setEnabled(true);
    if (!m_imported) pgProgress->setValue(0);
    lbMessage->setText(message);
}

namespace paradox {

namespace {
QPointer<TfrmImportParadox>& window()
{
    static QPointer<TfrmImportParadox> w;
    return w;
}
}  // namespace

void registerImportDialog(QWidget* mainWindow)
{
    if (!window()) window() = new TfrmImportParadox(mainWindow);
    platform::registerDialog(ImportDialog, [](QVariantMap&) {
        TfrmImportParadox* w = window();
        if (!w) return platform::kRejected;
        w->databaseLocation = platform::databaseFolder();
        platform::runModal(w);
        return w->imported() ? platform::kAccepted : platform::kRejected;
    });
}

void unregisterImportDialog()
{
    platform::unregisterDialog(ImportDialog);
    delete window().data();
}

}  // namespace paradox
