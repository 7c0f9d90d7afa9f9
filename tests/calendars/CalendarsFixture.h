#pragma once
// Test support for the calendars: a database (a folder, or a schema on the test server) made
// from the table definitions with a fixed clock, and a small HTTP server on 127.0.0.1 that
// answers each path as the test says (a feed, an HTTP error, a redirect, silence).

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QTcpServer>
#include <QTcpSocket>
#include <memory>

#include "TestFolder.h"
#include "data/TableFiles.h"
#include "engine/Engine.h"
#include "platform/Platform.h"
#include "shell/ValueHelpers.h"

class FeedServer {
public:
    struct Answer {
        int status = 200;
        QByteArray body;
        QByteArray location;   // a redirect's target path
        bool silent = false;   // never answers
    };

    FeedServer()
    {
        m_server.listen(QHostAddress::LocalHost);
        QObject::connect(&m_server, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection()) {
                auto request = std::make_shared<QByteArray>();
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, request] {
                    *request += socket->readAll();
                    if (!request->contains("\r\n\r\n")) return;
                    const QByteArray path = request->split(' ').value(1);
                    request->clear();
                    answer(socket, m_answers.value(QString::fromLatin1(path), Answer{404, "no such feed"}));
                });
                QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }

    QString url(const QString& path) const { return QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path); }
    void set(const QString& path, const Answer& a) { m_answers[path] = a; }
    void feed(const QString& path, const QByteArray& body) { m_answers[path] = Answer{200, body}; }

private:
    static void answer(QTcpSocket* socket, const Answer& a)
    {
        if (a.silent) return;
        QByteArray head = "HTTP/1.1 " + QByteArray::number(a.status) + (a.status < 300 ? " OK" : a.status < 400 ? " Found" : " Error") +
                          "\r\nContent-Type: text/calendar; charset=utf-8\r\nContent-Length: " + QByteArray::number(a.body.size()) +
                          "\r\nConnection: close\r\n";
        if (!a.location.isEmpty()) head += "Location: " + a.location + "\r\n";
        socket->write(head + "\r\n" + a.body);
        socket->disconnectFromHost();
    }

    QTcpServer m_server;
    QHash<QString, Answer> m_answers;
};

// A database for one test with the tables made and the clock fixed.
class CalendarsDb {
public:
    CalendarsDb(enginetest::Storage storage, const QDateTime& now)
    {
        const enginetest::TestDb t = enginetest::emptyDb(storage);
        m_location = QString::fromStdString(t.location);
        m_db = std::make_unique<engine::Database>(data::databaseLocation(m_location).toStdString());
        data::createTables(*m_db, m_location);
        m_prefix = data::folderPrefix(m_location);
        platform::seams().now = [now] { return now; };
    }
    ~CalendarsDb() { platform::seams() = platform::Seams{}; }

    engine::Database& db() { return *m_db; }
    const QString& prefix() const { return m_prefix; }

    void exec(QString sql)
    {
        sql.replace(QStringLiteral("{db}"), m_prefix);
        m_db->execute(sql.toStdString());
    }
    // Every row of the query, its fields joined by '|', sorted.
    QStringList rows(QString sql)
    {
        sql.replace(QStringLiteral("{db}"), m_prefix);
        auto q = m_db->open(sql.toStdString());
        QStringList out;
        while (q->next()) {
            QStringList fields;
            for (int i = 0; i < int(q->fields().size()); ++i) fields << QString::fromStdString(q->text(i));
            out << fields.join(QLatin1Char('|'));
        }
        out.sort();
        return out;
    }
    int lastBid() { return rows(QStringLiteral("SELECT max(BID) AS M FROM \"{db}POBYTY.DB\"")).value(0).toInt(); }
    void room(const QString& pid, const QString& name)
    {
        exec(QStringLiteral("INSERT INTO \"{db}POKOJE.DB\" (PID, PNAME) VALUES (\"%1\", \"%2\")").arg(pid, name));
    }
    int client(const QString& title, const QString& surname, const QString& name)
    {
        exec(QStringLiteral("INSERT INTO \"{db}KARTY.DB\" (TITLE, SURNAME, NAME) VALUES (\"%1\", \"%2\", \"%3\")").arg(title, surname, name));
        return rows(QStringLiteral("SELECT max(KID) AS M FROM \"{db}KARTY.DB\"")).value(0).toInt();
    }
    int stay(const QString& pid, int from, int thru, const QString& status, int kid, const QString& bookedFor)
    {
        exec(QStringLiteral("INSERT INTO \"{db}POBYTY.DB\" (KID, PID, DATEFROM, DATETHRU, STATUS, BOOKEDFOR, UID, UPMJ, UPMT) "
                            "VALUES (%1, \"%2\", \"%3\", \"%4\", \"%5\", \"%6\", 0, \"20.2.2027\", \"9:30:0\")")
                 .arg(kid)
                 .arg(pid, shell::DateText(double(from)), shell::DateText(double(thru)), status, bookedFor));
        return lastBid();
    }

private:
    QString m_location, m_prefix;
    std::unique_ptr<engine::Database> m_db;
};
