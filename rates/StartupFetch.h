#pragma once
// The rate fetched at start-up, in the background: once the board has painted itself, the
// newest EUR rate in KURZY.DB is compared with the day of the bank's newest fixing, and if it
// is older the file is fetched and stored. The board never waits for it: the fetch starts
// from the event loop after the first painting and its answer arrives there.
//
// Settings (per desk, section [RATES] of the program's settings file):
//     FetchAtStart=1        0 switches the start-up fetch off
//     Url=https://...       the daily file's address (a proxy or a mirror), for the window too
//
// Invariants: at most one start-up fetch per run; its outcome is said once through `say`
// (the status bar), never in a message box.

#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

#include "rates/RateUpdate.h"

class QWidget;

namespace rates {

struct TRateSettings {
    bool fetchAtStart = true;
    QString url = kBankUrl;
};
// The [RATES] section of the settings file; defaults for what is missing or empty.
TRateSettings ReadRateSettings(const QString& settingsFile);

// Whether the table lacks the newest fixing published at `now` (no EUR rate at all counts).
// A table that cannot be read answers false: the start is not the place to report it.
bool StartupFetchDue(engine::Database& db, const QString& prefix, const QDateTime& now);

class StartupFetch : public QObject {
    Q_OBJECT
public:
    StartupFetch(engine::Database& db, QString prefix, TRateSettings settings, std::function<void(const QString&)> say,
                 QObject* parent = nullptr, TFetchLimits limits = {});
    // Runs run() from the event loop after the widget's first painting.
    void armAfterFirstPaint(QWidget* painted);
    // Checks and, when due, starts the fetch; returns at once. False when nothing started.
    bool run();
    bool running() const { return m_update.running(); }

signals:
    void finished(const rates::TUpdated& updated);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    engine::Database& m_db;
    QString m_prefix;
    TRateSettings m_settings;
    std::function<void(const QString&)> m_say;
    RateUpdate m_update;
    QPointer<QWidget> m_painted;
    bool m_ran = false;
};

}  // namespace rates
