#pragma once
// The police's import file of foreign guests ("UNL"): its layout, kept in one table of fields
// per record type (PoliceFile.cpp, kProviderFields and kGuestFields) so that a change of the
// police's instruction is one edit there, the purpose codes and the police's additional
// citizenship codes.
//
// The layout: Windows-1250 text, one record a line ending CR LF, fields separated by "|",
// every line ending with "|" after its last field, blanks at the right of a field dropped.
// The first line (type A) names the provider, then one line of type U per person.
//
// Invariants: a text is never changed to fit: a field holding CR, LF or "|", a letter that
// Windows-1250 lacks, or too many characters refuses the file, naming the guest and field; a
// guest lacking a required field is listed and the file is not made unless the caller
// chose to leave such guests out.

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include "guests/Guest.h"
#include "guests/HotelSettings.h"

namespace guests {

struct PurposeCode {
    const char* code;
    const char* english;
    const char* czech;
};
// The police's purposes of stay, "10" tourism being the default.
const QList<PurposeCode>& purposeCodes();

struct ExtraCitizenship {
    const char* code;
    const char* english;
    const char* czech;
};
// The police's codes beyond ISO 3166-1 alpha-3 (stateless, refugees, Kosovo, UN, EU, Malta).
const QList<ExtraCitizenship>& extraCitizenships();

// One refusal or omission: the guest (empty for the provider line), the field and the
// English reason ("missing", "holds | or a line break", ...).
struct PoliceProblem {
    int HID = 0;
    QString guest;    // "NOVÁK Jan"; empty for the hotel's details
    QString field;    // English field name ("document number", "IDUB")
    QString reason;   // English
    bool missing = false;  // a required field is empty (the guest may be left out)
};

struct PoliceFile {
    QByteArray bytes;          // the whole file; empty when it was not made
    QList<int> written;        // HIDs of the persons written, in file order
    QList<PoliceProblem> problems;
    bool ok() const { return problems.isEmpty(); }
};

// Makes the file for the guests (those that are not foreign are skipped) with the file's
// time made. leaveOutIncomplete: guests lacking a required field are left out (listed in
// omitted) instead of stopping the file. Nothing is made while any problem remains.
PoliceFile makePoliceFile(const HotelDetails& hotel, const QList<Guest>& guests, const QDateTime& made,
                          bool leaveOutIncomplete = false, QList<PoliceProblem>* omitted = nullptr);
// The police's file name: IDUB_YYMMDDHHMM.unl.
QString policeFileName(const QString& idub, const QDateTime& made);
// "NOVÁK Jan: document number missing" (English, for the tool and the tests).
QString problemText(const PoliceProblem& p);

}  // namespace guests
