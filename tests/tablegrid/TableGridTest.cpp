// The editable grid driven as a user drives it: typing into cells, moving between rows with
// the keys, Tab past the last cell, the grid's own delete, leaving for another control. The
// table files are checked afterwards through statements.
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

#include "data/TableFiles.h"
#include "engine/Engine.h"
#include "lang/Language.h"
#include "platform/Platform.h"
#include "widgets/TableGrid.h"

namespace {

QLineEdit* openEditor(TableGrid* grid)
{
    for (QLineEdit* e : grid->viewport()->findChildren<QLineEdit*>())
        if (e->isVisible()) return e;
    return nullptr;
}

}  // namespace

class TestTableGrid : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void leavingAnEditedRowWritesIt();
    void untouchedNewRowIsDropped();
    void newRowDefaultsDoNotKeepARow();
    void duplicateKeyIsRefusedAndTheRowStays();
    void datesAndDecimalCommas();
    void refusedValueKeepsTheCell();
    void tabAndDownPastTheEndStartANewRow();
    void freeLastRowAlwaysWaitsBelow();
    void deleteAsksFirst();
    void leavingForAnotherControlDropsTheNewRow();
    void hooksSeeEditButNotInsert();
    void writtenRowIsFollowedToItsKeyPlace();
    void modelAnswersTheRowsOfBeforeWhileTheViewIsTold();
    void deleteLeavesNoEditorOnAnotherRow_data();
    void deleteLeavesNoEditorOnAnotherRow();

private:
    void exec(const QString& sql);
    QStringList rows(const QString& sql);
    void type(int row, int column, const QString& text);
    void key(Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier);
    void openRooms(bool freeRow = false);
    void checkGridMatchesTable();

    TLanguage* m_language = nullptr;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<engine::Database> m_db;
    std::unique_ptr<engine::TableCursor> m_cursor;
    QWidget* m_window = nullptr;
    TableGrid* m_grid = nullptr;
    QLineEdit* m_other = nullptr;
    QStringList m_messages;
    int m_answer = QMessageBox::Yes;
};

void TestTableGrid::initTestCase()
{
    m_language = new TLanguage(this);
    m_language->setLanguageIdent(1);
}

void TestTableGrid::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_db = std::make_unique<engine::Database>(m_dir->path().toStdString());
    data::createTables(*m_db, m_dir->path());
    m_messages.clear();
    m_answer = QMessageBox::Yes;
    platform::seams().messageBox = [this](QWidget*, const QString& text, const QString&, platform::Icon,
                                          platform::Buttons) {
        m_messages << text;
        return m_answer;
    };
    exec("INSERT INTO \"{db}POKOJE.DB\" (PID, PNAME, PPRICE) VALUES (\"10\", \"Ten\", 50)");
    exec("INSERT INTO \"{db}POKOJE.DB\" (PID, PNAME, PPRICE) VALUES (\"20\", \"Twenty\", 60)");
    exec("INSERT INTO \"{db}POKOJE.DB\" (PID, PNAME, PPRICE) VALUES (\"30\", \"Thirty\", 70)");

    m_window = new QWidget;
    auto* layout = new QVBoxLayout(m_window);
    m_grid = new TableGrid(m_window);
    m_other = new QLineEdit(m_window);
    layout->addWidget(m_grid);
    layout->addWidget(m_other);
    m_window->resize(600, 400);
}

void TestTableGrid::cleanup()
{
    delete m_window;
    m_window = nullptr;
    m_cursor.reset();
    m_db.reset();
    m_dir.reset();
    platform::seams() = platform::Seams{};
}

void TestTableGrid::exec(const QString& sql)
{
    QString s = sql;
    s.replace("{db}", data::folderPrefix(m_dir->path()));
    m_db->execute(s.toStdString());
}

QStringList TestTableGrid::rows(const QString& sql)
{
    QString s = sql;
    s.replace("{db}", data::folderPrefix(m_dir->path()));
    QStringList out;
    auto q = m_db->open(s.toStdString());
    while (q->next()) {
        QStringList fields;
        for (int i = 0; i < int(q->fields().size()); ++i) fields << QString::fromStdString(q->text(i));
        out << fields.join('|');
    }
    return out;
}

void TestTableGrid::openRooms(bool freeRow)
{
    m_cursor = m_db->openTable(QString(m_dir->path() + "/POKOJE.DB").toStdString());
    m_grid->setColumns({{"PID", "Room Id", 45}, {"PNAME", "Room name", 90}, {"PPRICE", "Price (EUR)", 60}});
    m_grid->setFreeLastRow(freeRow);
    m_grid->setDeleteCaption("Rooms");
    m_grid->setTableCursor(m_cursor.get());
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
    m_window->activateWindow();
    m_grid->setFocus();
}

void TestTableGrid::type(int row, int column, const QString& text)
{
    m_grid->setCurrentIndex(m_grid->model()->index(row, column));
    QLineEdit* editor = openEditor(m_grid);
    QVERIFY2(editor, "no editor opened on the cell");
    editor->selectAll();
    QTest::keyClicks(editor, text);
}

void TestTableGrid::key(Qt::Key k, Qt::KeyboardModifiers m)
{
    QWidget* target = openEditor(m_grid);
    QTest::keyClick(target ? target : static_cast<QWidget*>(m_grid), k, m);
}

void TestTableGrid::leavingAnEditedRowWritesIt()
{
    openRooms();
    type(1, 1, "Twenty-one");
    // Still only in the grid until the row is left.
    QCOMPARE(rows("SELECT PNAME FROM \"{db}POKOJE.DB\" WHERE PID=\"20\""), QStringList{"Twenty"});
    key(Qt::Key_Down);
    QCOMPARE(m_grid->currentRow(), 2);
    QCOMPARE(rows("SELECT PNAME FROM \"{db}POKOJE.DB\" WHERE PID=\"20\""), QStringList{"Twenty-one"});
    QVERIFY(m_messages.isEmpty());
}

void TestTableGrid::untouchedNewRowIsDropped()
{
    openRooms();
    QVERIFY(m_grid->appendRow());
    QCOMPARE(m_grid->model()->rowCount(), 4);
    QCOMPARE(m_grid->currentRow(), 3);
    key(Qt::Key_Up);
    QCOMPARE(m_grid->model()->rowCount(), 3);
    QCOMPARE(m_grid->currentRow(), 2);
    QCOMPARE(rows("SELECT COUNT(*) FROM \"{db}POKOJE.DB\""), QStringList{"3"});
}

void TestTableGrid::newRowDefaultsDoNotKeepARow()
{
    openRooms();
    m_grid->gridModel()->newRow = [this] { m_cursor->setText(m_cursor->fieldIndex("PNAME"), "Default"); };
    QVERIFY(m_grid->appendRow());
    QCOMPARE(m_grid->currentText("PNAME"), QString("Default"));
    QVERIFY(m_grid->postPending());
    QCOMPARE(m_grid->model()->rowCount(), 3);
    QCOMPARE(rows("SELECT COUNT(*) FROM \"{db}POKOJE.DB\""), QStringList{"3"});
    // Once the user typed something, the defaults are written with it.
    QVERIFY(m_grid->appendRow());
    type(3, 0, "40");
    QVERIFY(m_grid->postPending());
    QCOMPARE(rows("SELECT PID, PNAME FROM \"{db}POKOJE.DB\" WHERE PID=\"40\""), QStringList{"40|Default"});
}

void TestTableGrid::duplicateKeyIsRefusedAndTheRowStays()
{
    openRooms();
    QVERIFY(m_grid->appendRow());
    type(3, 0, "20");
    type(3, 1, "Copy");
    key(Qt::Key_Up);
    QCOMPARE(m_messages.size(), 1);
    QVERIFY2(m_messages.first().contains("Key violation"), qPrintable(m_messages.first()));
    QCOMPARE(m_grid->currentRow(), 3);
    QVERIFY(m_grid->gridModel()->inserting());
    QCOMPARE(m_grid->currentText("PNAME"), QString("Copy"));
    // Corrected, the same row goes in.
    type(3, 0, "25");
    key(Qt::Key_Up);
    QCOMPARE(m_messages.size(), 1);
    QCOMPARE(rows("SELECT PID, PNAME FROM \"{db}POKOJE.DB\" ORDER BY PID"),
             (QStringList{"10|Ten", "20|Twenty", "25|Copy", "30|Thirty"}));
    // An existing row renamed onto another key is refused too, and stays in edit.
    type(0, 0, "30");
    key(Qt::Key_Down);
    QCOMPARE(m_messages.size(), 2);
    QCOMPARE(m_grid->currentRow(), 0);
    QCOMPARE(m_grid->gridModel()->pendingRow(), 0);
    key(Qt::Key_Escape);
    QVERIFY(!m_grid->gridModel()->editing());
    QCOMPARE(m_grid->currentText("PID"), QString("10"));
}

void TestTableGrid::datesAndDecimalCommas()
{
    m_cursor = m_db->openTable(QString(m_dir->path() + "/POKCENY.DB").toStdString());
    m_grid->setColumns({{"PID", "Room Id", 45}, {"DATEFROM", "Date From", 80}, {"PPRICE", "Price (EUR)", 80}});
    m_grid->setTableCursor(m_cursor.get());
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
    QVERIFY(m_grid->appendRow());
    type(0, 0, "10");
    type(0, 1, "05.03.2004");
    type(0, 2, "25,5");
    QVERIFY(m_grid->postPending());
    QCOMPARE(m_grid->currentText("DATEFROM"), QString("5.3.2004"));
    QCOMPARE(m_grid->currentText("PPRICE"), QString("25.5"));
    QCOMPARE(rows("SELECT PID, DATEFROM, PPRICE FROM \"{db}POKCENY.DB\" WHERE DATEFROM=\"5.3.2004\""),
             QStringList{"10|5.3.2004|25.5"});
    QVERIFY(m_messages.isEmpty());
}

void TestTableGrid::refusedValueKeepsTheCell()
{
    openRooms();
    type(0, 2, "cheap");
    key(Qt::Key_Down);
    QCOMPARE(m_messages.size(), 1);
    QCOMPARE(m_grid->currentIndex(), m_grid->model()->index(0, 2));
    QCOMPARE(rows("SELECT PPRICE FROM \"{db}POKOJE.DB\" WHERE PID=\"10\""), QStringList{"50"});
    // A name longer than the column is the table's refusal, not a cut.
    type(0, 0, "1000");
    key(Qt::Key_Down);
    QCOMPARE(m_messages.size(), 2);
    QCOMPARE(m_grid->currentRow(), 0);
    QCOMPARE(rows("SELECT COUNT(*) FROM \"{db}POKOJE.DB\" WHERE PID=\"10\""), QStringList{"1"});
}

void TestTableGrid::tabAndDownPastTheEndStartANewRow()
{
    openRooms();
    type(2, 2, "71");
    key(Qt::Key_Tab);
    QCOMPARE(m_grid->currentIndex(), m_grid->model()->index(3, 0));
    QVERIFY(m_grid->gridModel()->inserting());
    QCOMPARE(rows("SELECT PPRICE FROM \"{db}POKOJE.DB\" WHERE PID=\"30\""), QStringList{"71"});
    // Down on the untouched new row stays there.
    key(Qt::Key_Down);
    QCOMPARE(m_grid->model()->rowCount(), 4);
    QCOMPARE(m_grid->currentRow(), 3);
    type(3, 0, "40");
    key(Qt::Key_Down);
    QCOMPARE(m_grid->model()->rowCount(), 5);
    QCOMPARE(m_grid->currentRow(), 4);
    QCOMPARE(rows("SELECT COUNT(*) FROM \"{db}POKOJE.DB\""), QStringList{"4"});
}

void TestTableGrid::freeLastRowAlwaysWaitsBelow()
{
    openRooms(true);
    QCOMPARE(m_grid->model()->rowCount(), 4);
    // The last room can be edited in place: the free row does not take the cursor from it.
    type(2, 1, "Thirty-one");
    QCOMPARE(m_grid->currentRow(), 2);
    key(Qt::Key_Down);
    QCOMPARE(m_grid->currentRow(), 3);
    QCOMPARE(rows("SELECT PNAME FROM \"{db}POKOJE.DB\" WHERE PID=\"30\""), QStringList{"Thirty-one"});
    QVERIFY(!m_grid->gridModel()->editing());
    type(3, 0, "40");
    type(3, 1, "Forty");
    key(Qt::Key_Up);
    QCOMPARE(rows("SELECT PID, PNAME FROM \"{db}POKOJE.DB\" WHERE PID=\"40\""), QStringList{"40|Forty"});
    QCOMPARE(m_grid->model()->rowCount(), 5);
    QCOMPARE(m_grid->gridModel()->fieldText(4, "PID"), QString());
    // Leaving the free row untouched writes nothing.
    m_grid->setCurrentIndex(m_grid->model()->index(4, 0));
    key(Qt::Key_Up);
    QCOMPARE(rows("SELECT COUNT(*) FROM \"{db}POKOJE.DB\""), QStringList{"4"});
}

void TestTableGrid::deleteAsksFirst()
{
    openRooms();
    m_grid->setCurrentIndex(m_grid->model()->index(1, 0));
    m_answer = QMessageBox::No;
    key(Qt::Key_Delete, Qt::ControlModifier);
    QCoreApplication::processEvents();
    QCOMPARE(m_messages, QStringList{"Are you sure to delete this record?"});
    QCOMPARE(rows("SELECT COUNT(*) FROM \"{db}POKOJE.DB\""), QStringList{"3"});
    m_answer = QMessageBox::Yes;
    QVERIFY(m_grid->deleteCurrentRow());
    QCOMPARE(rows("SELECT PID FROM \"{db}POKOJE.DB\" ORDER BY PID"), (QStringList{"10", "30"}));
    QCOMPARE(m_grid->model()->rowCount(), 2);
    QCOMPARE(m_grid->currentText("PID"), QString("30"));
    // A new row is only given up: nothing to ask.
    QVERIFY(m_grid->appendRow());
    QVERIFY(m_grid->deleteCurrentRow());
    QVERIFY2(m_messages.size() == 2, qPrintable(m_messages.join(" / ")));
    QCOMPARE(m_grid->model()->rowCount(), 2);
}

void TestTableGrid::leavingForAnotherControlDropsTheNewRow()
{
    openRooms();
    QVERIFY(QTest::qWaitForWindowActive(m_window));
    QVERIFY(m_grid->appendRow());
    QVERIFY(openEditor(m_grid) && openEditor(m_grid)->hasFocus());
    m_other->setFocus();
    QCOMPARE(m_grid->model()->rowCount(), 3);
    QVERIFY(!m_grid->gridModel()->editing());
}

void TestTableGrid::hooksSeeEditButNotInsert()
{
    openRooms();
    QStringList events;
    auto* model = m_grid->gridModel();
    model->beforeEdit = [&] { events << "before:" + QString::fromStdString(m_cursor->text(0)); };
    model->afterEdit = [&] { events << "after"; };
    model->newRow = [&] { events << "new"; };
    model->fieldChanged = [&](const QString& field) { events << "changed:" + field; };
    model->beforePost = [&] { events << "post"; };
    type(1, 1, "X");
    key(Qt::Key_Down);
    QVERIFY(m_grid->appendRow());
    type(3, 0, "50");
    QVERIFY(m_grid->postPending());
    QCOMPARE(events, (QStringList{"before:20", "after", "changed:PNAME", "post", "new", "changed:PID", "post"}));
}

void TestTableGrid::writtenRowIsFollowedToItsKeyPlace()
{
    openRooms();
    // A new room "05" sorts first; after writing it the grid stands on the row the user chose.
    QVERIFY(m_grid->appendRow());
    type(3, 0, "05");
    m_grid->setCurrentIndex(m_grid->model()->index(1, 1));
    QCOMPARE(m_grid->currentText("PID"), QString("20"));
    QVERIFY(m_grid->postPending());
    QCOMPARE(m_grid->currentText("PID"), QString("20"));
    QCOMPARE(m_grid->gridModel()->fieldText(0, "PID"), QString("05"));
}

void TestTableGrid::checkGridMatchesTable()
{
    // Every row the grid shows is the table's row in key order, and an open editor holds the
    // text of the cell it stands on: nothing it would write back can differ from the table.
    const QStringList table = rows("SELECT PID, PNAME FROM \"{db}POKOJE.DB\" ORDER BY PID");
    QCOMPARE(m_grid->gridModel()->tableRowCount(), int(table.size()));
    for (int r = 0; r < table.size(); ++r)
        QCOMPARE(m_grid->gridModel()->fieldText(r, "PID") + '|' + m_grid->gridModel()->fieldText(r, "PNAME"), table.at(r));
    for (QLineEdit* editor : m_grid->viewport()->findChildren<QLineEdit*>()) {
        if (!editor->isVisible()) continue;
        QVERIFY2(editor->geometry().intersects(m_grid->visualRect(m_grid->currentIndex())),
                 "an editor is open on a cell that is not the current one");
        QCOMPARE(editor->text(), m_grid->currentIndex().data(Qt::EditRole).toString());
    }
}

void TestTableGrid::modelAnswersTheRowsOfBeforeWhileTheViewIsTold()
{
    // A view reads rows while it is told that one goes (before the model has dropped it) and
    // after; the model answers each time with the rows as that view counts them, although the
    // table itself no longer has the row. Nothing was read before the delete here.
    exec("INSERT INTO \"{db}POKOJE.DB\" (PID, PNAME, PPRICE) VALUES (\"40\", \"Forty\", 80)");
    m_cursor = m_db->openTable(QString(m_dir->path() + "/POKOJE.DB").toStdString());
    auto* model = new widgets::TableCursorModel(m_window);
    model->setColumns({{"PID", "Room Id", 45}, {"PNAME", "Room name", 90}});
    model->setTableCursor(m_cursor.get());
    auto rowsSeen = [model] {
        QStringList out;
        for (int r = 0; r < model->rowCount(); ++r)
            out << model->data(model->index(r, 0)).toString() + '|' + model->data(model->index(r, 1)).toString();
        return out;
    };
    QStringList before, after;
    QList<QPair<int, int>> refreshed;
    connect(model, &QAbstractItemModel::rowsAboutToBeRemoved, this, [&] { before = rowsSeen(); });
    connect(model, &QAbstractItemModel::rowsRemoved, this, [&] { after = rowsSeen(); });
    connect(model, &QAbstractItemModel::dataChanged, this,
            [&](const QModelIndex& from, const QModelIndex& to) { refreshed << qMakePair(from.row(), to.row()); });
    QVERIFY(model->deleteRow(1));
    QCOMPARE(before, (QStringList{"10|Ten", "20|Twenty", "30|Thirty", "40|Forty"}));
    QCOMPARE(after, (QStringList{"10|Ten", "30|Thirty", "40|Forty"}));
    // The rows that moved up are announced, so an editor open on one of them loads it again.
    QCOMPARE(refreshed, (QList<QPair<int, int>>{{1, 2}}));
}

void TestTableGrid::deleteLeavesNoEditorOnAnotherRow_data()
{
    // The rows of the grid may be read already (the window was painted), not yet (the window
    // was just shown, as a dialog is when its first action comes), or read again only in part
    // (a row was written just before, which makes the grid forget what it had read).
    QTest::addColumn<bool>("freeRow");
    QTest::addColumn<bool>("editorOpen");
    QTest::addColumn<QString>("moment");
    QTest::addColumn<bool>("byKeyboard");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<QStringList>("left");
    const QStringList noTwenty{"10|Ten", "30|Thirty", "40|Forty"};
    const QStringList noTen{"20|Twenty", "30|Thirty", "40|Forty"};
    const QStringList noThirty{"10|Ten", "20|Twenty", "40|Forty"};
    const QStringList noForty{"10|Ten", "20|Twenty", "30|Thirty"};
    for (bool freeRow : {false, true}) {
        for (bool editorOpen : {false, true}) {
            for (const char* moment : {"painted", "unpainted", "written"}) {
                const QByteArray tag = QByteArray(freeRow ? "free row, " : "") + (editorOpen ? "editor, " : "no editor, ") + moment;
                const QString m = QString::fromLatin1(moment);
                QTest::newRow(tag + ", first key") << freeRow << editorOpen << m << false << 0 << 0 << noTen;
                QTest::newRow(tag + ", middle name") << freeRow << editorOpen << m << false << 1 << 1 << noTwenty;
                QTest::newRow(tag + ", one but last") << freeRow << editorOpen << m << false << 2 << 0 << noThirty;
                QTest::newRow(tag + ", last") << freeRow << editorOpen << m << false << 3 << 1 << noForty;
                if (m == "unpainted")
                    QTest::newRow(tag + ", by keyboard") << freeRow << editorOpen << m << true << 1 << 0 << noTwenty;
            }
        }
    }
}

void TestTableGrid::deleteLeavesNoEditorOnAnotherRow()
{
    QFETCH(bool, freeRow);
    QFETCH(bool, editorOpen);
    QFETCH(QString, moment);
    QFETCH(bool, byKeyboard);
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(QStringList, left);
    exec("INSERT INTO \"{db}POKOJE.DB\" (PID, PNAME, PPRICE) VALUES (\"40\", \"Forty\", 80)");
    if (moment == "unpainted") {
        // As a dialog opens: the grid is set up and placed while hidden, then shown.
        m_cursor = m_db->openTable(QString(m_dir->path() + "/POKOJE.DB").toStdString());
        m_grid->setColumns({{"PID", "Room Id", 45}, {"PNAME", "Room name", 90}, {"PPRICE", "Price (EUR)", 60}});
        m_grid->setFreeLastRow(freeRow);
        m_grid->setDeleteCaption("Rooms");
        m_grid->setTableCursor(m_cursor.get());
        m_grid->setCurrentIndex(m_grid->model()->index(row, column));
        m_window->show();
        m_grid->setFocus();
        QVERIFY(!openEditor(m_grid));
        if (editorOpen) m_grid->edit(m_grid->currentIndex());
    } else {
        openRooms(freeRow);
        if (moment == "written") {
            type(row == 2 ? 1 : 2, 2, "75");
            m_grid->setCurrentIndex(m_grid->model()->index(row, column));
            QCOMPARE(rows("SELECT COUNT(*) FROM \"{db}POKOJE.DB\" WHERE PPRICE=75"), QStringList{"1"});
        } else {
            m_grid->setCurrentIndex(m_grid->model()->index(row, column));
        }
        if (!openEditor(m_grid)) m_grid->edit(m_grid->currentIndex());
        QVERIFY(openEditor(m_grid));
        // Escape closes the cell editor; the cell stays current with no editor on it.
        if (!editorOpen) key(Qt::Key_Escape);
    }
    QCOMPARE(bool(openEditor(m_grid)), editorOpen);
    QCOMPARE(m_grid->currentRow(), row);
    if (byKeyboard) {
        key(Qt::Key_Delete, Qt::ControlModifier);
        QCoreApplication::processEvents();
    } else {
        QVERIFY(m_grid->deleteCurrentRow());
    }
    QCOMPARE(m_messages, QStringList{"Are you sure to delete this record?"});
    QCOMPARE(rows("SELECT PID, PNAME FROM \"{db}POKOJE.DB\" ORDER BY PID"), left);
    // The grid stays at the place of the deleted row (the free row, when that was the last).
    QCOMPARE(m_grid->currentRow(), std::min(row, m_grid->model()->rowCount() - 1));
    QVERIFY(!m_grid->gridModel()->editing());
    // The row that took the place has an editor of its own, as after any move of the user's.
    QVERIFY(openEditor(m_grid));
    checkGridMatchesTable();
    if (QTest::currentTestFailed()) return;
    QCoreApplication::processEvents();
    checkGridMatchesTable();
    if (QTest::currentTestFailed()) return;

    // Moving off the row and back, and writing whatever is pending, changes nothing.
    key(Qt::Key_Up);
    checkGridMatchesTable();
    key(Qt::Key_Down);
    QVERIFY(m_grid->postPending());
    m_grid->setCurrentIndex(m_grid->model()->index(0, 1));
    QVERIFY(m_grid->postPending());
    QCOMPARE(m_messages, QStringList{"Are you sure to delete this record?"});
    QCOMPARE(rows("SELECT PID, PNAME FROM \"{db}POKOJE.DB\" ORDER BY PID"), left);
    QCOMPARE(rows("SELECT COUNT(*) FROM \"{db}POKOJE.DB\" WHERE PNAME IS NULL OR PNAME=\"\""), QStringList{"0"});
    checkGridMatchesTable();
}

QTEST_MAIN(TestTableGrid)
#include "TableGridTest.moc"
