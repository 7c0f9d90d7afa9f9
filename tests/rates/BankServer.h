#pragma once
// A stand-in for the bank: an HTTP server on 127.0.0.1 (a free port) in the test's own
// thread. Each request is answered by the handler with a status, a body and options (no
// answer at all, a delay, a redirect, no Content-Length); every request target is kept.

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QPointer>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <functional>

struct TAnswer {
    int status = 200;
    QByteArray body;
    QByteArray location;      // a Location header (redirects)
    bool never = false;       // keep the connection open and say nothing
    int delayMs = 0;
    bool withLength = true;   // Content-Length, or the body ended by closing the connection
};

class BankServer : public QTcpServer {
public:
    explicit BankServer(std::function<TAnswer(const QByteArray& target)> handler) : m_handler(std::move(handler))
    {
        listen(QHostAddress::LocalHost, 0);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* s = nextPendingConnection()) {
                connect(s, &QTcpSocket::readyRead, this, [this, s] { onRead(s); });
                connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
            }
        });
    }
    // The address of a path on this server ("/denni_kurz.txt").
    QString url(const QString& path) const { return QStringLiteral("http://127.0.0.1:%1%2").arg(serverPort()).arg(path); }
    QList<QByteArray> targets;  // "/denni_kurz.txt?date=06.12.2026", in the order asked

private:
    void onRead(QTcpSocket* s)
    {
        QByteArray& got = m_pending[s];
        got += s->readAll();
        const qsizetype end = got.indexOf("\r\n\r\n");
        if (end < 0) return;
        const QList<QByteArray> request = got.left(got.indexOf("\r\n")).split(' ');
        m_pending.remove(s);
        const QByteArray target = request.value(1);
        targets << target;
        const TAnswer a = m_handler(target);
        if (a.never) return;
        QPointer<QTcpSocket> socket(s);
        QTimer::singleShot(a.delayMs, this, [socket, a] {
            if (!socket) return;
            QByteArray head = "HTTP/1.1 " + QByteArray::number(a.status) + (a.status == 200 ? " OK" : " Not OK") + "\r\n";
            head += "Content-Type: text/plain; charset=UTF-8\r\nConnection: close\r\n";
            if (!a.location.isEmpty()) head += "Location: " + a.location + "\r\n";
            if (a.withLength) head += "Content-Length: " + QByteArray::number(a.body.size()) + "\r\n";
            socket->write(head + "\r\n" + a.body);
            socket->disconnectFromHost();
        });
    }

    std::function<TAnswer(const QByteArray&)> m_handler;
    QHash<QTcpSocket*, QByteArray> m_pending;
};
