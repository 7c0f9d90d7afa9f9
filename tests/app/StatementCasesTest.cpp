// The statements of the notes, reminder, statistics and shared-lookup code run on a database
// folder whose path holds "%2" and an apostrophe, with texts holding %1, %2, ', " and Czech
// letters: one table of cases, each writing or reading through the program's own statement
// builders and comparing what is stored or found. A builder that read back what it put in
// (chained QString::arg) stores the wrong text or breaks the table reference here.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <functional>

#include "data/TableFiles.h"
#include "notes/NotesLogic.h"
#include "shell/DataModule.h"
#include "shell/Statement.h"
#include "shell/ValueHelpers.h"
#include "stats/RoomUsage.h"

namespace {

QString u(const char* text) { return QString::fromUtf8(text); }

// Every character class a statement builder has to carry through untouched.
const QString kText = u("Order 20%2 more, 50%1st night, O'Brien \"VIP\" Příliš žluťoučký kůň");

class StatementCases : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_folder = m_dir.path() + u("/Recepce%2 O'Hara/DB");
        ASSERT_TRUE(QDir().mkpath(m_folder));
        m_dm = std::make_unique<TdmDataModule>(m_folder);
        data::createTables(m_dm->db(), m_dm->DbPrefix());
    }

    QString db() const { return m_dm->DbPrefix(); }
    void exec(const QString& sql) { ASSERT_TRUE(m_dm->ExecStatement(sql)) << sql.toStdString() << "\n" << m_dm->lastError().toStdString(); }
    // The rows of a query, fields joined by '|', rows by ';'.
    QString rows(const QString& sql)
    {
        QStringList out;
        try {
            auto q = m_dm->Open(sql);
            while (q->next()) {
                QStringList fields;
                for (int i = 0; i < int(q->fields().size()); ++i) fields << QString::fromStdString(q->text(i));
                out << fields.join('|');
            }
        } catch (const std::exception& e) {
            return u("error: ") + QString::fromUtf8(e.what());
        }
        return out.join(';');
    }
    QString table(const char* file) const { return shell::Table(db(), QString::fromLatin1(file)); }

    QTemporaryDir m_dir;
    QString m_folder;
    std::unique_ptr<TdmDataModule> m_dm;
};

TEST_F(StatementCases, TextsAndFolderPassThroughEveryBuilderUntouched)
{
    const QString stored = notes::TextForStorage(kText);   // the double quotes become grave accents
    notes::TNoteRow note;
    note.txt = stored;
    note.usr = kText.left(20);
    note.upmj = u("5.3.2004");
    note.upmt = u("9:05:00");
    notes::TNoteRow reminder = note;
    reminder.reminder = true;
    reminder.dat = u("05.03.2004");
    reminder.tim = u("07:05:00");
    reminder.dattim = 38051 + 7 / 24.0 + 5 / 1440.0;

    // Shared lookups' rows, written once for the cases that read them.
    const QString room = shell::QuoteText(u("1%2"));   // a room id with a place in it
    exec(shell::Sql(u"INSERT INTO %1 (PID, PNAME, PPRICE, MAIDPRICE) VALUES (%2, %3, 50, 7)", table("POKOJE.DB"), room,
                    shell::QuoteText(kText.left(30))));
    exec(shell::Sql(u"INSERT INTO %1 (KID, SURNAME, AGENCY) VALUES (7, %2, %3)", table("KARTY.DB"),
                    shell::QuoteText(kText.left(40)), shell::QuoteText(kText.left(40))));
    exec(shell::Sql(u"INSERT INTO %1 (UPID, UPNAME, UPTAX1, UPTAX2) VALUES (3, %2, 21, 15)", table("UCPODEF.DB"),
                    shell::QuoteText(kText.left(40))));
    exec(shell::Sql(u"INSERT INTO %1 (FID, FDESCR) VALUES (\"W\", %2)", table("ODKUDVI.DB"), shell::QuoteText(kText.left(40))));
    exec(shell::Sql(u"INSERT INTO %1 (RDATE, CRCD, CRR) VALUES (\"1.3.2004\", \"EUR\", 32.5)", table("KURZY.DB")));
    exec(shell::Sql(u"INSERT INTO %1 (KID, PID, DATEFROM, DATETHRU, STATUS, BOOKEDFOR) VALUES "
                    u"(7, %2, \"1.3.2004\", \"4.3.2004\", \"X\", %3)",
                    table("POBYTY.DB"), room, shell::QuoteText(kText.left(60))));

    struct Case {
        const char* what;
        std::function<QString()> run;   // what is stored or found afterwards
        QString expected;
    };
    const QString notes = table("POZNAMKY.DB");
    const QString grave = QString(kText).replace('"', QChar(0x60));
    const Case cases[] = {
        {"note inserted",
         [&] {
             exec(notes::InsertSql(db(), note));
             return rows(shell::Sql(u"SELECT TXT, TYP, USR FROM %1 WHERE RMID=1", notes));
         },
         grave + "|N|" + kText.left(20)},
        {"note saved again (\"Order 20%2 more\")",
         [&] {
             notes::TNoteRow again = note;
             again.txt = notes::TextForStorage(kText + "!");
             exec(notes::UpdateSql(db(), 1, again));
             return QString::number(m_dm->lastCount()) + " " + rows(shell::Sql(u"SELECT TXT FROM %1 WHERE RMID=1", notes));
         },
         "1 " + grave + "!"},
        {"reminder inserted and read by its row statement",
         [&] {
             exec(notes::InsertSql(db(), reminder));
             return rows(notes::RowSql(db(), 2)).section('|', 1, 3);
         },
         grave + "|R|5.3.2004"},
        {"reminder saved again",
         [&] {
             notes::TNoteRow again = reminder;
             again.tim = u("18:30:00");
             exec(notes::UpdateSql(db(), 2, again));
             return QString::number(m_dm->lastCount()) + " " + rows(shell::Sql(u"SELECT TIM FROM %1 WHERE RMID=2", notes));
         },
         u("1 18:30:00")},
        {"reminder postponed (\"Deposit 50%1st night\")",
         [&] {
             exec(notes::PostponeSql(db(), 2, notes::TextForStorage(u("Deposit 50%1st night ") + kText.left(30)),
                                     u("06.03.2004"), u("08:00:00"), 38052 + 8 / 24.0));
             return QString::number(m_dm->lastCount()) + " "
                 + rows(shell::Sql(u"SELECT TXT, DAT, TIM FROM %1 WHERE RMID=2", notes));
         },
         u("1 Deposit 50%1st night ") + QString(kText.left(30)).replace('"', QChar(0x60)) + u("|6.3.2004|8:00:00")},
        {"lists of each filter",
         [&] {
             auto count = [&](int filter) { return rows(notes::ListSql(db(), filter)).split(';').size(); };
             return QString("%1 %2 %3").arg(count(0)).arg(count(1)).arg(count(2));
         },
         u("1 1 2")},
        {"note deleted",
         [&] {
             exec(notes::DeleteSql(db(), 1));
             return rows(shell::Sql(u"SELECT RMID FROM %1", notes));
         },
         u("2")},
        {"room found by its name; price proposed for it",
         [&] {
             double room = 0, maid = 0;
             const bool proposed = m_dm->ProposeRoomPrice(kText.left(30), 38047, 38050, room, maid);
             return m_dm->FindRoom(u("PNAME"), kText.left(30)).PID + QString(" %1 %2 %3").arg(int(proposed)).arg(room).arg(maid);
         },
         u("1%2 1 150 21")},
        {"client found by a text field",
         [&] { return QString::number(m_dm->FindClient(u("SURNAME"), kText.left(40)).KID); }, u("7")},
        {"item type found by a part of its name",
         [&] { return QString::number(m_dm->FindAcctType(u("UPNAME"), u("20%2 more, 50%1st")).UPID); }, u("3")},
        {"lists: rooms, agencies, referral sources, out-of-order reasons",
         [&] {
             QStringList rooms, agencies, sources, reasons;
             m_dm->FillRoomCombo(rooms, false);
             m_dm->FillAgencyCombo(agencies);
             m_dm->FillKnowsFromCombo(sources);
             m_dm->FillReasonCombo(reasons);
             return (QStringList{rooms.join(','), agencies.join(','), sources.join(','), reasons.join(',')}).join('#');
         },
         (QStringList{kText.left(30), kText.left(40), "W - " + kText.left(40), kText.left(60)}).join('#')},
        {"rate of a day", [&] { return QString::number(m_dm->CurrentRate(u("3.3.2004"))); }, u("32.5")},
        {"statistics' rooms and stays",
         [&] { return rows(stats::RoomsStatement(db())) + " " + rows(stats::StaysStatement(db(), 38040, 38060)); },
         u("1%2 1%2|1.3.2004|4.3.2004|X")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.run().toStdString(), c.expected.toStdString());
    }
}

}  // namespace
