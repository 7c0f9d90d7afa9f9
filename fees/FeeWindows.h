#pragma once
// What the fee book's and the statistics' windows share: the hotel's stored details and the
// writing of a file with the user told of a failure.

#include <QByteArray>
#include <QString>

#include "guests/HotelSettings.h"

class QWidget;

namespace fees {

// The stored details; empty ones when they cannot be read (the printout shows no name).
guests::HotelDetails storedHotel();
// Writes the whole file or nothing; a failure is said over owner.
bool writeFileOrSay(QWidget* owner, const QString& caption, const QString& path, const QByteArray& bytes);

}  // namespace fees
