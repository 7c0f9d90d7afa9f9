#pragma once
// repAccount: the printed account of one room of an account, in EUR or CZK. It reads its
// rows (header, item lines, total) with its three queries, hands them to the page model of
// AccountPrintout and previews or prints the result. Made once for the run, never shown
// itself; its one translated object, lbDetailPercent, carries the VAT label.
//
// Invariants: the queries are closed when Build returns (each is read into plain rows);
// the header is the chosen stay's; when the room stands on the account more than once the
// header carries the note that the charges cover those stays (they are kept per room);
// a header that does not come back as exactly one row is reported as "Internal error 89"
// and the build goes on with the first row (or empty texts); a room without charges gives
// a report without pages, which is neither previewed nor printed.

#include <QWidget>

#include "documents/AccountPrintout.h"
#include "platform/Printer.h"

class QLabel;

class TrepAccount : public QWidget {
    Q_OBJECT
public:
    explicit TrepAccount(QWidget* parent = nullptr);

    // Reads the rows of room pid on account uid, the header from its stay bid (0: the room's
    // stay, as long as the room stands once on the account); false when a query failed (then
    // the user was told and nothing is printed).
    bool Build(int uid, const QString& pid, bool inEUR, int bid = 0);
    const documents::AccountPrintData& data() const { return m_data; }
    report::Report Report() const;

    // Build-and-preview and build-and-print; the number of pages shown or the print outcome.
    int Preview(int uid, const QString& pid, bool inEUR, int bid = 0);
    platform::PrintOutcome Print(int uid, const QString& pid, bool inEUR, int bid = 0);

    QLabel* lbDetailPercent;

private:
    documents::AccountPrintData m_data;
};
