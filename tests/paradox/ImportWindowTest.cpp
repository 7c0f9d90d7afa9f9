// The import window: the folder typed in, Import pressed; the result table names the ten
// tables, the bar is full and the board is told; a second import into the filled database
// is refused in the window's message and changes nothing; a damaged file is said there too.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>

#include "data/TableFiles.h"
#include "engine/Engine.h"
#include "lang/Language.h"
#include "paradox/ParadoxWriter.h"
#include "paradox/TfrmImportParadox.h"

namespace {

QString rowText(QTableWidget* grid, const QString& table)
{
    for (int r = 0; r < grid->rowCount(); ++r)
        if (grid->item(r, 0)->text() == table) return grid->item(r, 1)->text() + "|" + grid->item(r, 2)->text();
    return "<none>";
}

TEST(ImportWindow, ImportsShowsEachTableAndRefusesAFilledDatabase)
{
    int argc = 1;
    char name[] = "paradox_window_test";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    TLanguage language;  // the window's texts go through the translation engine
    QTemporaryDir dir;
    const QString pdx = dir.path() + "/pdx", into = dir.path() + "/DB";
    QDir().mkpath(pdx);
    {
        paradox::Raw fid, text;
        fid.type = text.type = paradox::Raw::Type::Bytes;
        fid.bytes = "I";
        text.bytes = "Internet";
        paradox::ParadoxWriter w((pdx + "/ODKUDVI.DB").toStdString(),
                                 {{"FID", paradox::Kind::Alpha, 1}, {"FDESCR", paradox::Kind::Alpha, 40}, {"EXTRA", paradox::Kind::Short, 0}},
                                 1250);
        w.append({fid, text, {}});
    }
    TfrmImportParadox window;
    window.databaseLocation = into;
    window.show();
    window.edFolder->setText(pdx);
    window.btImport->click();
    EXPECT_TRUE(window.imported());
    EXPECT_EQ(window.pgProgress->value(), 100);
    EXPECT_EQ(window.grResult->rowCount(), 10);
    EXPECT_TRUE(rowText(window.grResult, "ODKUDVI.DB").startsWith("1|")) << rowText(window.grResult, "ODKUDVI.DB").toStdString();
    EXPECT_TRUE(rowText(window.grResult, "ODKUDVI.DB").contains("EXTRA (short)"));
    EXPECT_TRUE(rowText(window.grResult, "POBYTY.DB").contains("Not in the folder")) << rowText(window.grResult, "POBYTY.DB").toStdString();
    EXPECT_TRUE(window.lbMessage->text().contains("1 rows")) << window.lbMessage->text().toStdString();

    window.FormActivate();
    window.btImport->click();
    EXPECT_FALSE(window.imported());
    EXPECT_TRUE(window.lbMessage->text().contains("ODKUDVI.DB")) << window.lbMessage->text().toStdString();
    EXPECT_EQ(window.pgProgress->value(), 0);

    QFile broken(pdx + "/POKOJE.DB");
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write(QByteArray(5000, 'x'));
    broken.close();
    window.btImport->click();
    EXPECT_FALSE(window.imported());
    EXPECT_TRUE(window.lbMessage->text().contains("POKOJE.DB")) << window.lbMessage->text().toStdString();
    EXPECT_TRUE(window.btImport->isEnabled());

    engine::Database db(data::databaseLocation(into).toStdString());
    auto q = db.open(("SELECT COUNT(*) AS N FROM \"" + data::folderPrefix(into) + "ODKUDVI.DB\"").toStdString());
    ASSERT_TRUE(q->next());
    EXPECT_EQ(q->integer(0), 1);
}

}  // namespace
