#pragma once
// What the settings window tests share: a database folder with the ten empty table files, the
// data module on it, the settings windows registered with the board's seam, message boxes
// recorded and answered from a queue, a fixed clock, the colour dialog answered, and modal
// windows run by per-window scripts (the window is shown, the script drives it, and it is
// closed through its own close request).
#include <QApplication>
#include <QDialog>
#include <QHash>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>

#include "data/TableFiles.h"
#include "platform/Platform.h"
#include "rooms/RegisterSettings.h"
#include "shell/DataModule.h"
#include "widgets/TableGrid.h"

class SettingsFixture {
public:
    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<TdmDataModule> dm;
    QStringList messages;                 // "caption|text"
    QList<int> answers;                   // next answers; Yes (or Ok) when empty
    QColor colour;                        // the colour dialog's answer
    QColor offeredColour;                 // what the colour dialog was opened with
    QHash<QString, std::function<void(QDialog*)>> scripts;
    QStringList opened;                   // object names of the windows run modally
    bool stillOpenAfterClose = false;

    void setUp()
    {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
        dm = std::make_unique<TdmDataModule>(dir->path());
        data::createTables(dm->db(), dir->path());
        setDataModule(dm.get());
        messages.clear();
        answers.clear();
        scripts.clear();
        opened.clear();
        auto& s = platform::seams();
        s.messageBox = [this](QWidget*, const QString& text, const QString& caption, platform::Icon,
                              platform::Buttons buttons) {
            messages << caption + "|" + text;
            if (!answers.isEmpty()) return answers.takeFirst();
            return int(buttons == platform::Buttons::Ok ? QMessageBox::Ok : QMessageBox::Yes);
        };
        s.now = [] { return QDateTime(QDate(2004, 3, 5), QTime(9, 5, 7)); };
        s.chooseColour = [this](const QColor& initial) {
            offeredColour = initial;
            return colour;
        };
        s.runModal = [this](QDialog* d) {
            opened << d->objectName();
            d->show();
            if (!QTest::qWaitForWindowExposed(d)) qWarning("window not exposed");
            d->activateWindow();
            if (auto it = scripts.constFind(d->objectName()); it != scripts.constEnd()) (*it)(d);
            d->close();
            stillOpenAfterClose = d->isVisible();
            if (d->isVisible()) d->QDialog::done(QDialog::Rejected);  // let the test go on
            return d->result();
        };
        registerSettingsDialogs(nullptr);
    }

    void tearDown()
    {
        unregisterSettingsDialogs();
        setDataModule(nullptr);
        dm.reset();
        dir.reset();
        platform::seams() = platform::Seams{};
    }

    QString sql(QString text) const { return text.replace("{db}", dm->DbPrefix()); }
    void exec(const QString& text) { QVERIFY2(dm->ExecStatement(sql(text)), qPrintable(dm->lastError())); }
    QStringList rows(const QString& text)
    {
        QStringList out;
        auto q = dm->Open(sql(text));
        while (q->next()) {
            QStringList fields;
            for (int i = 0; i < int(q->fields().size()); ++i) fields << QString::fromStdString(q->text(i));
            out << fields.join('|');
        }
        return out;
    }

    static QLineEdit* editor(TableGrid* grid)
    {
        for (QLineEdit* e : grid->viewport()->findChildren<QLineEdit*>())
            if (e->isVisible()) return e;
        return nullptr;
    }
    // Moves to a cell as the user does and types over its text.
    static void type(TableGrid* grid, int row, int column, const QString& text)
    {
        grid->setCurrentIndex(grid->model()->index(row, column));
        QLineEdit* e = editor(grid);
        QVERIFY2(e, "no editor on the cell");
        e->selectAll();
        QTest::keyClicks(e, text);
    }
    static void key(TableGrid* grid, Qt::Key k)
    {
        QWidget* e = editor(grid);
        QTest::keyClick(e ? e : static_cast<QWidget*>(grid), k);
    }
    static int rowOf(TableGrid* grid, const QString& field, const QString& value)
    {
        for (int r = 0; r < grid->model()->rowCount(); ++r)
            if (grid->gridModel()->fieldText(r, field) == value) return r;
        return -1;
    }
};
