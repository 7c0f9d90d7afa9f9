#pragma once
// Test support for the board's window tests: a program folder in a temporary directory (its
// path holding an apostrophe and "%2") with a database folder (or, with TAMAREL_TEST_STORAGE=server, a schema on the test server) made
// from the table definitions, the data module on it, a fixed clock
// and recorded message boxes and dialog requests. Every seam is reset when it goes away.

#include <QDateTime>
#include <QDir>
#include <QTemporaryDir>
#include <QVariantMap>
#include <QVector>
#include <memory>

#include "platform/DialogSeam.h"
#include "data/TableFiles.h"
#include "options/Options.h"
#include "platform/Platform.h"
#include "shell/DataModule.h"
#include "TestFolder.h"

struct ShownMessage {
    QString text, caption;
    platform::Icon icon;
    platform::Buttons buttons;
};

struct DialogRequest {
    QString name;
    QVariantMap args;
};

class BoardFixture {
public:
    // now: the fixed clock.
    explicit BoardFixture(const QDateTime& now)
    {
        m_program = m_dir.path() + QStringLiteral("/tamarel");
        platform::setProgramPathForTests(m_program);
        // TAMAREL_TEST_STORAGE=server: the tables are on the test server, in a schema of
        // their own, and statements name bare tables.
        m_location = m_db = m_dir.path() + QStringLiteral("/DB/");
        if (onServer()) {
            m_location = QString::fromStdString(enginetest::emptyDb(enginetest::Storage::Server).location);
            m_db.clear();
        }
        QDir().mkpath(m_dir.path() + QStringLiteral("/DB/"));
        platform::seams() = platform::Seams{};
        platform::seams().now = [now] { return now; };
        platform::seams().isFixedDrive = [](const QString&) { return true; };
        platform::seams().messageBox = [this](QWidget*, const QString& text, const QString& caption,
                                              platform::Icon icon, platform::Buttons buttons) {
            messages.append({text, caption, icon, buttons});
            if (answers.isEmpty()) return buttons == platform::Buttons::Ok ? 0x400 : 0x4000;  // Ok / Yes
            return answers.takeFirst();
        };
        options() = TOptions{};
        m_module = std::make_unique<TdmDataModule>(m_location);
        setDataModule(m_module.get());
        createTables();
    }

    ~BoardFixture()
    {
        for (const QString& name : m_registered) platform::unregisterDialog(name);
        setDataModule(nullptr);
        m_module.reset();
        platform::seams() = platform::Seams{};
        platform::setProgramPathForTests(QString());
    }

    static bool onServer() { return qEnvironmentVariable("TAMAREL_TEST_STORAGE") == QLatin1String("server"); }
    TdmDataModule& dm() { return *m_module; }
    const QString& db() const { return m_db; }
    QString programFolder() const { return m_dir.path(); }

    // Runs a statement with {db} replaced; fails the test run loudly when it does not run.
    void exec(QString sql)
    {
        sql.replace(QStringLiteral("{db}"), m_db);
        if (!m_module->ExecStatement(sql)) qFatal("statement failed: %s\n%s", qPrintable(sql), qPrintable(m_module->lastError()));
    }

    int count(QString sql)
    {
        sql.replace(QStringLiteral("{db}"), m_db);
        if (!m_module->OpenAndCount(sql)) qFatal("query failed: %s", qPrintable(sql));
        return m_module->lastCount();
    }

    QString value(QString sql)
    {
        sql.replace(QStringLiteral("{db}"), m_db);
        auto q = m_module->Open(sql);
        return q->next() ? QString::fromStdString(q->text(0)) : QStringLiteral("<none>");
    }

    void addRoom(const QString& pid, const QString& name, int color = 0xC0C0C0)
    {
        exec(QStringLiteral("INSERT INTO \"{db}POKOJE.DB\" (PID,PNAME,PCOLOR,PPRICE,MAIDPRICE) VALUES (\"%1\",\"%2\",%3,100,10)")
                 .arg(pid, name)
                 .arg(color));
    }
    int addClient(const QString& title, const QString& surname, const QString& name)
    {
        exec(QStringLiteral("INSERT INTO \"{db}KARTY.DB\" (TITLE,SURNAME,NAME) VALUES (\"%1\",\"%2\",\"%3\")")
                 .arg(title, surname, name));
        return value(QStringLiteral("SELECT max(KID) AS M FROM \"{db}KARTY.DB\"")).toInt();
    }
    int addStay(int kid, const QString& pid, const QString& from, const QString& thru, const QString& status,
                const QString& bookedFor = QString(), int uid = 0, const QString& prthru = QStringLiteral("null"))
    {
        const QString prthruText = prthru == QStringLiteral("null") ? prthru : QStringLiteral("\"%1\"").arg(prthru);
        exec(QStringLiteral("INSERT INTO \"{db}POBYTY.DB\" (KID,PID,DATEFROM,DATETHRU,STATUS,PRTHRU,NUMPERS,PRICEEUR,PRICECZK,MAIDEUR,MAIDCZK,BOOKEDFOR,UID) "
                            "VALUES (%1,\"%2\",\"%3\",\"%4\",\"%5\",%6,2,150,3750,30,750,\"%7\",%8)")
                 .arg(kid)
                 .arg(pid, from, thru, status, prthruText, bookedFor)
                 .arg(uid));
        return value(QStringLiteral("SELECT max(BID) AS BIDMAX FROM \"{db}POBYTY.DB\"")).toInt();
    }
    int openAccount(int kid)
    {
        exec(QStringLiteral("INSERT INTO \"{db}UCTY.DB\" (KID,PKID,UFROM) VALUES (%1,%1,\"1.3.2004\")").arg(kid));
        return value(QStringLiteral("SELECT max(UID) AS M FROM \"{db}UCTY.DB\"")).toInt();
    }

    // Records requests for the named dialogs and answers them with result.
    void recordDialogs(const QStringList& names, int result = platform::kAccepted)
    {
        for (const QString& name : names) {
            m_registered << name;
            platform::registerDialog(name, [this, name, result](QVariantMap& args) {
                dialogs.append({name, args});
                return result;
            });
        }
    }

    QVector<ShownMessage> messages;
    QList<int> answers;  // QMessageBox::StandardButton values, taken in order
    QVector<DialogRequest> dialogs;

private:
    void createTables()
    {
        data::createTables(m_module->db(), m_location);
    }

    // The program and database folder's path holds an apostrophe and "%2": every statement of
    // the board names its tables in such a folder.
    QTemporaryDir m_dir{QDir::tempPath() + QStringLiteral("/Board's %2 desk XXXXXX")};
    QString m_program;
    QString m_location;  // the folder or the server's URI
    QString m_db;
    std::unique_ptr<TdmDataModule> m_module;
    QStringList m_registered;
};
