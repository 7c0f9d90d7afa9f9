#pragma once
// Fetch and store in one: the day's file from the bank (or its stand-in), its EUR rate into
// KURZY.DB. The window's command, the start-up fetch and `tamarel-db rates fetch` all go
// through here.
//
// Invariants: nothing is written unless the whole file was fetched and read; the outcome
// is reported exactly once per start(), as a fault with its message or as what was stored.

#include <QDate>
#include <QObject>
#include <QString>

#include "rates/BankFetch.h"
#include "rates/RateStore.h"

namespace engine { class Database; }

namespace rates {

struct TUpdated {
    Fault fault = Fault::None;
    QString message;   // the fault, or what was stored (TStored::message)
    TStored stored;    // when fault is None
    bool ok() const { return fault == Fault::None; }
};

class RateUpdate : public QObject {
    Q_OBJECT
public:
    // db and prefix as the statements use them (TdmDataModule::db() and DbPrefix()).
    RateUpdate(engine::Database& db, QString prefix, QObject* parent = nullptr, TFetchLimits limits = {});
    // address: the daily file's address (the setting); day: the day asked for, or invalid
    // for the newest fixing. The row stored is dated by the file's own first line.
    void start(const QString& address, const QDate& day = {});
    bool running() const { return m_fetch.running() || m_starting; }

signals:
    void finished(const rates::TUpdated& updated);

private:
    void onFetched(const TFetched& fetched);

    engine::Database& m_db;
    QString m_prefix;
    BankFetch m_fetch;
    bool m_starting = false;
};

// The same, waiting in an event loop of its own until the outcome is known (the tool).
TUpdated UpdateNow(engine::Database& db, const QString& prefix, const QString& address, const QDate& day = {},
                   TFetchLimits limits = {});

}  // namespace rates
