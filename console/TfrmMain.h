#pragma once
// Dorvane's one window: a statement box, run and table-file buttons, the history spin
// button and the result grid. Statements run through the engine; its errors are shown in a
// message box and the window stays usable; a failing statement is kept out of the history.

#include <QMainWindow>
#include <memory>

#include "console/ConsoleLogic.h"
#include "engine/Engine.h"

class QLabel;
class QPlainTextEdit;
class QTableView;
class QToolButton;

namespace dorvane {

class ResultModel;

// The two-halved spin button: upper half steps back in the history, lower half forward.
class SpinButton : public QWidget {
    Q_OBJECT
public:
    explicit SpinButton(QWidget* parent = nullptr);
    QToolButton* upButton() const { return m_up; }
    QToolButton* downButton() const { return m_down; }
signals:
    void upClicked();
    void downClicked();

private:
    QToolButton* m_up;
    QToolButton* m_down;
};

class TfrmMain : public QMainWindow {
    Q_OBJECT
public:
    // settingsPath: the console's INI file; engineFolder: where aliases are looked up.
    TfrmMain(const QString& settingsPath, const QString& engineFolder, QWidget* parent = nullptr);
    ~TfrmMain() override;
    // Opens another database for this run (the command line's); the settings file keeps
    // the configured one.
    void setDatabasePathForThisRun(const QString& name);
    // Whether the settings file names a database folder or alias.
    bool hasConfiguredDatabase() const { return !m_queryDatabaseName.trimmed().isEmpty(); }

    QPlainTextEdit* memSQL() const { return m_memSQL; }
    QTableView* dbgResult() const { return m_dbgResult; }
    SpinButton* rxsPrevNextSQL() const { return m_spin; }
    QToolButton* btPerform() const { return m_btPerform; }
    QToolButton* btFile() const { return m_btFile; }
    ResultModel* resultModel() const { return m_model; }
    const StatementHistory& history() const { return m_history; }
    QString queryDatabaseName() const { return m_queryDatabaseName; }
    QString rowCountText() const;

public slots:
    void btPerformClick();
    void btFileClick();
    void previousStatement();
    void nextStatement();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void readSettings();
    void writeSettings();
    void setQueryDatabase(const QString& name);
    void showRowCount();
    void closeResults();

    QString m_settingsPath;
    QString m_engineFolder;
    QString m_queryDatabaseName;
    QString m_tableDatabaseName;
    QString m_filesPath;
    bool m_databaseForThisRun = false;
    QString m_configuredDatabaseName;
    std::unique_ptr<engine::Database> m_queryDb;
    std::unique_ptr<engine::Database> m_tableDb;
    StatementHistory m_history;

    QPlainTextEdit* m_memSQL;
    QToolButton* m_btPerform;
    QToolButton* m_btFile;
    SpinButton* m_spin;
    QTableView* m_dbgResult;
    QLabel* m_rowCount;
    ResultModel* m_model;
};

}  // namespace dorvane
