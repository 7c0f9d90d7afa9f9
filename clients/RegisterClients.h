#pragma once
// The client windows, created once for the whole run, and their entries in the dialog seam,
// so the board and the other dialogs open them by form name.
//
// Names and arguments (QVariantMap keys) of platform::openDialog:
//  - "frmClientDetail"     reads "KID" (int; 0 or missing: a new card). Accepted when the card
//                          was saved. Writes nothing back.
//  - "frmFindClientCard"   reads nothing. Writes "KID" (QString, decimal; empty when nothing
//                          was chosen). Accepted when a client was chosen.
//  - "frmBrowseClientCard" reads nothing, writes nothing (the board reloads afterwards).
//  - "frmKnowsFrom"        reads nothing, writes nothing.
// A dialog of another subsystem may also use the windows directly through clientDialogs():
// set the public fields (TfrmClientDetail::KID) or call Execute(), and read
// TfrmFindClientCard::KID after it returns.
//
// Invariants: registering twice creates no second set of windows; the windows are children
// of the main window and go with it; unregisterClientDialogs() removes the seam entries and
// deletes whatever windows are still alive.

#include <QPointer>
#include <QString>

class QWidget;
class TfrmClientDetail;
class TfrmFindClientCard;
class TfrmBrowseClientCard;
class TfrmKnowsFrom;

namespace clients {

inline const QString kClientDetail = QStringLiteral("frmClientDetail");
inline const QString kFindClientCard = QStringLiteral("frmFindClientCard");
inline const QString kBrowseClientCard = QStringLiteral("frmBrowseClientCard");
inline const QString kKnowsFrom = QStringLiteral("frmKnowsFrom");

struct ClientDialogs {
    QPointer<TfrmClientDetail> frmClientDetail;
    QPointer<TfrmFindClientCard> frmFindClientCard;
    QPointer<TfrmBrowseClientCard> frmBrowseClientCard;
    QPointer<TfrmKnowsFrom> frmKnowsFrom;
};

// The windows made by registerClientDialogs (null pointers before it or after they died).
const ClientDialogs& clientDialogs();
void unregisterClientDialogs();

}  // namespace clients

void registerClientDialogs(QWidget* mainWindow);
