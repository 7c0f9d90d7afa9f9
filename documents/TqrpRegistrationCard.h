#pragma once
// qrpRegistrationCard: the one-page registration card of a stay. It reads the stay, room
// and client with its query into plain rows and hands them to the form's page model.
// Made once for the run, never shown itself.
//
// Invariants: the query is closed when Build returns; a query that does not return exactly
// one row is reported as "Internal error 53 ..." and the form is built from the first row
// (or without values); the card lines print for "card" what the client card holds (the
// texts just written back, or the older ones when the write-back failed) and stay blank for
// "cash".

#include <QWidget>

#include "documents/RegistrationCard.h"
#include "platform/Printer.h"

struct TRegCardRequest {
    int BID = 0;
    QString paymentWord;   // "card" or "cash"
    bool business = false;
    bool travel = false;
    QString userName;
    QString checkInTime;
    QString cardNum, cardExp, cardType;
};

class TqrpRegistrationCard : public QWidget {
    Q_OBJECT
public:
    explicit TqrpRegistrationCard(QWidget* parent = nullptr);

    // False when the query failed (the user was told).
    bool Build(const TRegCardRequest& request);
    const documents::RegCardData& data() const { return m_data; }
    report::Report Report() const { return documents::buildRegCardReport(m_data); }

    // The pages previewed, -1 when the card could not be built; Print is Failed then.
    int Preview(const TRegCardRequest& request);
    platform::PrintOutcome Print(const TRegCardRequest& request);

private:
    documents::RegCardData m_data;
};
