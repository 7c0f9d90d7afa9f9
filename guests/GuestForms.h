#pragma once
// The printed papers of the guest book, laid out with the report facility: the guest book
// itself (entries in order of arrival, the hotel's name and the page number on every page)
// and the registration form of each foreign guest (Czech and English side by side, a line
// to sign). Plus the guest book as CSV.
//
// Invariants: the texts come from the rows as given (nothing is looked up here); the book's
// pages carry "n / N" once the layout knows N.

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>

#include "guests/Guest.h"
#include "guests/HotelSettings.h"
#include "report/Report.h"

class QWidget;

namespace guests {

// tr translates an English label (nullptr: English as it stands).
QList<report::Page> guestBookPages(const HotelDetails& hotel, const QList<Guest>& rows, const QDate& from,
                                   const QDate& thru, QString (*tr)(const QString&) = nullptr);
report::Report registrationForms(const HotelDetails& hotel, const QList<Guest>& guests, const QString& language);
// UTF-8 with a byte-order mark, ";" between fields, a header row, dates DD.MM.YYYY.
QByteArray guestBookCsv(const QList<Guest>& rows);

// Shows the forms of the foreign guests among guests in the preview (the hotel's details
// read from the database); says so when there is none.
void previewRegistrationForms(QWidget* owner, const QList<Guest>& guests);

}  // namespace guests
