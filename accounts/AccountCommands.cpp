// The check-out and account commands of the board, registered in the dialog seam.
//
// Invariants: see AccountCommands.h. Messages go through the translated message box; a
// question's "No" or "Cancel" stops the command before anything is written; a failure the
// engine reports (a table held by another program, a refused commit) is said with the
// engine's reason and ends only the command, never the program.

#include "accounts/AccountCommands.h"

#include <QMessageBox>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

#include "accounts/AccountLogic.h"
#include "engine/Engine.h"
#include "invoices/InvoiceStore.h"
#include "invoices/InvoiceWindows.h"
#include "fees/FeeCharge.h"
#include "lang/Language.h"
#include "options/Options.h"
#include "platform/DialogSeam.h"
#include "platform/Platform.h"
#include "shell/DataModule.h"
#include "shell/ValueHelpers.h"

namespace accounts {

namespace {

const QString kCheckOutCaption = QStringLiteral("Check out");
const QString kCloseCaption = QStringLiteral("Close Account");
const QString kPrintCaption = QStringLiteral("Print Account");
const QString kReviseCaption = QStringLiteral("Revise Account Items");
const QString kDeleteCaption = QStringLiteral("Delete Account Info");

int say(const QString& text, const QString& caption, platform::Icon icon = platform::Icon::Warning,
        platform::Buttons buttons = platform::Buttons::Ok)
{
    return LangMessageBox(nullptr, text, caption, icon, buttons);
}

bool ask(const QString& text, const QString& caption)
{
    return say(text, caption, platform::Icon::Question, platform::Buttons::YesNo) == QMessageBox::Yes;
}

bool hasStay(const QVariantMap& stay) { return stay.value(QStringLiteral("hasStay")).toBool(); }
QString status(const QVariantMap& stay) { return stay.value(QStringLiteral("STATUS")).toString(); }
int uidOf(const QVariantMap& stay) { return stay.value(QStringLiteral("UID")).toInt(); }

// A translated lead and the engine's reason under it.
QString withReason(const QString& lead, const QString& reason)
{
    const QString text = TranslateMessage(lead);
    return reason.isEmpty() ? text : text + QStringLiteral("\r\n\r\n") + reason;
}

// Runs a query and tells whether it ran and how many rows it found, or the engine's reason.
struct Count {
    bool ran = false;
    int rows = 0;
    QString error;
};
Count countRows(const QString& sql)
{
    TdmDataModule* dm = dmDataModule();
    if (!dm) return {};
    if (!dm->OpenAndCount(sql)) return {false, 0, dm->lastError()};
    return {true, dm->lastCount(), {}};
}

// The message of an account check: the condition it guards, or, when its query could not
// run (a table held by another program), that the account could not be checked and why.
QString checkMessage(const Count& count, const QString& condition)
{
    if (count.ran || count.error.isEmpty()) return condition;
    return withReason(QStringLiteral("The Account could not be checked."), count.error);
}

// The stay as the tables hold it now; none (with the engine's reason when it failed) when it
// cannot be read.
std::optional<CheckOutStay> readStay(TdmDataModule& dm, int bid, QString& error)
{
    try {
        auto q = dm.Open(stayByBidSql(dm.DbPrefix(), bid));
        if (!q->next()) return std::nullopt;
        CheckOutStay s;
        s.BID = bid;
        s.UID = int(q->integer("UID"));
        s.KID = int(q->integer("KID"));
        s.PID = QString::fromStdString(q->text("PID"));
        s.STATUS = QString::fromStdString(q->text("STATUS"));
        s.PRICEEUR = q->number("PRICEEUR");
        s.PRICECZK = q->number("PRICECZK");
        s.MAIDEUR = q->number("MAIDEUR");
        s.MAIDCZK = q->number("MAIDCZK");
        s.NUMPERS = int(q->integer("NUMPERS"));
        return s;
    } catch (const std::exception& e) {
        error = QString::fromUtf8(e.what());
        return std::nullopt;
    }
}

// The first look-up that finds exactly one type, and its index.
std::optional<std::pair<TTableAcctTypes, int>> findType(TdmDataModule& dm, const QList<TypeLookup>& lookups)
{
    for (int i = 0; i < lookups.size(); ++i) {
        const TTableAcctTypes type = dm.FindAcctType(lookups[i].field, lookups[i].value);
        if (type.found) return std::make_pair(type, i);
    }
    return std::nullopt;
}

AccountItem itemFor(const CheckOutStay& s, const TTableAcctTypes& type, int taxRate, const QString& description,
                    shell::Hundredths eur, shell::Hundredths czk, double rate)
{
    AccountItem item;
    item.UID = s.UID;
    item.PID = s.PID;
    item.UPID = type.UPID;
    item.DESCR = description;
    item.ITEMDATE = shell::TodayText();
    item.eur = eur;
    item.czk = czk;
    item.taxRate = taxRate;
    item.rate = rate;
    item.changedDate = shell::TodayText();
    item.changedTime = shell::NowTimeText();
    return item;
}

// Runs body as one change over the table files: every statement it runs lands, or none
// does (body answering false, or a failure, leaves the tables as they were). The failure's
// message goes to error.
using Execute = std::function<std::int64_t(const QString&)>;
// first, when given, runs in the change before body (for what needs the change itself).
bool composed(TdmDataModule& dm, const QStringList& tableFiles, const std::function<bool(const Execute&)>& body,
              QString* error = nullptr, const std::function<void(engine::Change&)>& first = {})
{
    try {
        std::vector<std::string> files;
        for (const QString& file : tableFiles) files.push_back((dm.DbPrefix() + file).toStdString());
        // The table files' locks are taken here, before the first statement runs; the change
        // rolls back when it goes out of scope without a commit.
        const std::unique_ptr<engine::Change> change = dm.db().beginChange(files);
        if (first) first(*change);
        if (!body([&](const QString& sql) { return change->execute(sql.toStdString()); })) return false;
        change->commit();
        return true;
    } catch (const std::exception& e) {
        if (error) *error = QString::fromUtf8(e.what());
        return false;
    }
}

// How a check-out's change ended: written, the stay no longer checked in (nothing to do), or
// refused as a whole (the reason is the engine's, when it gave one).
enum class CheckOutWrite { Written, NotCheckedIn, Refused };

// The accommodation fee's charge, when the hotel has it charged at check-out: its item (the
// UPID filled in within the change, once the type is found or made) and whether the type's
// name is Czech.
struct FeeItem {
    AccountItem item;
    bool czech = false;
};

// The stay's status change and its two items (three with the fee), as one change: a refusal
// at any step leaves every table as it was.
CheckOutWrite writeCheckOut(TdmDataModule& dm, const CheckOutStay& s, const AccountItem& accommodation,
                            const AccountItem& maid, std::optional<FeeItem> fee, QString& reason)
{
    const QString prefix = dm.DbPrefix();
    bool stayChanged = false;
    QStringList files = {QStringLiteral("POBYTY.DB"), QStringLiteral("UCTYPOL.DB")};
    if (fee) files << QStringLiteral("UCPODEF.DB");
    const bool written = composed(dm, files, [&](const Execute& run) {
        if (run(checkOutStaySql(prefix, s.BID, shell::TodayText(), shell::NowTimeText())) != 1) return false;
        stayChanged = true;
        if (run(insertAccountItemSql(prefix, accommodation)) != 1 || run(insertAccountItemSql(prefix, maid)) != 1) return false;
        return !fee || run(insertAccountItemSql(prefix, fee->item)) == 1;
    }, &reason, fee ? std::function<void(engine::Change&)>([&](engine::Change& change) {
        fee->item.UPID = fees::feeItemType(change, prefix, fee->czech);
    }) : std::function<void(engine::Change&)>());
    if (written) return CheckOutWrite::Written;
    return stayChanged || !reason.isEmpty() ? CheckOutWrite::Refused : CheckOutWrite::NotCheckedIn;
}

// An invoiced account is asked whether its invoice is meant (shown marked as a copy); true
// when it was.
bool offerInvoiceCopy(TdmDataModule& dm, int uid)
{
    std::optional<invoices::Invoice> invoice;
    try {
        if (invoices::hasInvoiceTable(dm.db(), dm.DbPrefix())) invoice = invoices::invoiceOfAccount(dm.db(), dm.DbPrefix(), uid);
    } catch (const std::exception&) {
        return false;   // the account printout still opens
    }
    if (!invoice) return false;
    const QString question = TranslateMessage(QStringLiteral("This account has the invoice")) + QLatin1Char(' ')
        + invoice->number + QStringLiteral(".\r\n\r\n")
        + TranslateMessage(QStringLiteral("Print a copy of the invoice? (No: the account printout)"));
    if (platform::messageBox(nullptr, question, TranslateMessage(kPrintCaption), platform::Icon::Question, platform::Buttons::YesNo)
        != QMessageBox::Yes)
        return false;
    platform::openDialog(QLatin1String(invoices::kInvoiceDialog), QVariantMap{{QStringLiteral("UID"), uid}, {QStringLiteral("copy"), true}});
    return true;
}

}  // namespace

int CheckOut(const QVariantMap& args)
{
    TdmDataModule* dm = dmDataModule();
    if (!hasStay(args) || status(args) != QStringLiteral("H") || !dm) {
        say(QStringLiteral("Can't check out, select appropriate stay and try again"), kCheckOutCaption);
        return platform::kRejected;
    }
    const int bid = args.value(QStringLiteral("BID")).toInt();
    const int more = say(QStringLiteral("Do you wish to add some items to client's account?\r\n(telephone, minibar, news etc.)"),
                         kCheckOutCaption, platform::Icon::Question, platform::Buttons::YesNoCancel);
    if (more == QMessageBox::Cancel) return platform::kRejected;
    if (more == QMessageBox::Yes) platform::openDialog(kRoomDetail, QVariantMap{{QStringLiteral("BID"), bid}});

    // The room detail may have changed the prices and persons, or the stay itself.
    QString readError;
    const std::optional<CheckOutStay> stay = readStay(*dm, bid, readError);
    if (!stay || stay->STATUS != QStringLiteral("H")) {
        say(withReason(QStringLiteral("Can't Check out"), readError), kCheckOutCaption);
        return platform::kAccepted;
    }
    const QString question = TranslateMessage(QStringLiteral("Are you sure to check out "))
        + args.value(QStringLiteral("name")).toString() + TranslateMessage(QStringLiteral(" from "))
        + args.value(QStringLiteral("PNAME")).toString() + QLatin1Char('?');
    // The room detail may have changed the stay: then the board reloads even when nothing
    // more happens here.
    const int unchanged = more == QMessageBox::Yes ? platform::kAccepted : platform::kRejected;
    if (!ask(question, kCheckOutCaption)) return unchanged;

    const QString roomName = dm->FindRoom(QStringLiteral("PID"), stay->PID).PNAME;
    // A type that offers no VAT rate at all cannot carry the charge: it counts as missing, and
    // nothing is written.
    const auto accommodationType = findType(*dm, accommodationLookups());
    const std::optional<int> accommodationTax =
        accommodationType ? checkOutTaxRate(accommodationType->first.UPTAX1, accommodationType->first.UPTAX2) : std::nullopt;
    if (!accommodationTax) {
        say(QStringLiteral("Can't locate Account type definition record for Accomodation"), kCheckOutCaption);
        return unchanged;
    }
    const auto maidType = findType(*dm, maidLookups());
    const std::optional<int> maidTax = maidType ? checkOutTaxRate(maidType->first.UPTAX1, maidType->first.UPTAX2) : std::nullopt;
    if (!maidTax) {
        say(QStringLiteral("Can't locate Account type definition record for Maid Service"), kCheckOutCaption);
        return unchanged;
    }
    const ItemDescriptions descriptions =
        checkOutDescriptions(roomName, accommodationType->second == kCzechAccommodationLookup);
    const CheckOutAmounts amounts = checkOutAmounts(*stay, options().PricePerPerson);
    const double rate = dm->CurrentRate(QString());
    const AccountItem accommodation = itemFor(*stay, accommodationType->first, *accommodationTax, descriptions.accommodation,
                                              amounts.accommodationEur, amounts.accommodationCzk, rate);
    const AccountItem maid =
        itemFor(*stay, maidType->first, *maidTax, descriptions.maid, amounts.maidEur, amounts.maidCzk, rate);

    // The fee is read before the change (the guests and the settings are not written by it).
    std::optional<FeeItem> fee;
    try {
        const bool czech = accommodationType->second == kCzechAccommodationLookup;
        if (const auto due = fees::checkOutFee(dm->db(), dm->DbPrefix(), stay->BID, roomName, czech)) {
            const shell::Hundredths eur = convertedTotal(due->fee.amount, rate, false).value_or(0);
            fee = FeeItem{itemFor(*stay, TTableAcctTypes{}, 0, due->description, eur, due->fee.amount, rate), czech};
        }
    } catch (const std::exception& e) {
        say(withReason(QStringLiteral("Can't Check out; nothing was changed."), QString::fromUtf8(e.what())), kCheckOutCaption);
        return unchanged;
    }

    QString reason;
    switch (writeCheckOut(*dm, *stay, accommodation, maid, fee, reason)) {
    case CheckOutWrite::NotCheckedIn:
        say(QStringLiteral("Can't Check out"), kCheckOutCaption);
        return platform::kAccepted;
    case CheckOutWrite::Refused:
        // The change was rolled back as a whole: nothing is to be added by hand.
        say(withReason(QStringLiteral("Can't Check out; nothing was changed."), reason), kCheckOutCaption);
        return unchanged;
    case CheckOutWrite::Written:
        break;
    }
    say(QStringLiteral("Client successfully checked out"), kCheckOutCaption, platform::Icon::Information);

    const Count left = countRows(stillCheckedInSql(dm->DbPrefix(), stay->UID, stay->KID));
    if (left.ran && left.rows == 0 && ask(QStringLiteral("Do you wish to close the client's acount?"), kCheckOutCaption)) {
        QVariantMap closing = args;
        closing.insert(QStringLiteral("STATUS"), QStringLiteral("O"));
        closing.insert(QStringLiteral("UID"), stay->UID);
        CloseAccount(closing);
    }
    return platform::kAccepted;
}

int CloseAccount(const QVariantMap& args)
{
    TdmDataModule* dm = dmDataModule();
    if (!hasStay(args) || !dm) {
        say(QStringLiteral("No stay selected"), kCloseCaption);
        return platform::kRejected;
    }
    if (status(args) != QStringLiteral("O")) {
        say(QStringLiteral("Can't close account, the client must be already checked out.\r\n\r\nSelect appropriate stay and try again."),
            kCloseCaption);
        return platform::kRejected;
    }
    const int uid = uidOf(args);
    const Count notOut = countRows(notCheckedOutSql(dm->DbPrefix(), uid));
    if (!notOut.ran || notOut.rows > 0) {
        say(checkMessage(notOut, QStringLiteral("Some of this Account's rooms are not checked out yet.")), kCloseCaption);
        return platform::kRejected;
    }
    const Count open = countRows(openAccountSql(dm->DbPrefix(), uid));
    if (!open.ran || open.rows == 0) {
        say(checkMessage(open, QStringLiteral("The Account is already closed.")), kCloseCaption);
        return platform::kRejected;
    }
    const QVariantMap account{{QStringLiteral("UID"), uid}};
    if (platform::openDialog(kCloseAccount, account) != platform::kAccepted) return platform::kRejected;
    // The invoice the closing gave (none on a database without the invoices' table), then the
    // account printout as always.
    platform::openDialog(QLatin1String(invoices::kInvoiceDialog), QVariantMap{{QStringLiteral("UID"), uid}, {QStringLiteral("quiet"), true}});
    platform::openDialog(kPrintAccounts, account);
    return platform::kAccepted;
}

int PrintAccount(const QVariantMap& args)
{
    TdmDataModule* dm = dmDataModule();
    if (!hasStay(args) || !dm) {
        say(QStringLiteral("No stay selected"), kPrintCaption);
        return platform::kRejected;
    }
    const int uid = uidOf(args);
    Count closed;
    if (status(args) == QStringLiteral("O")) {
        closed = countRows(closedAccountSql(dm->DbPrefix(), uid));
        if (closed.ran && closed.rows == 1) {
            if (!offerInvoiceCopy(*dm, uid)) platform::openDialog(kPrintAccounts, QVariantMap{{QStringLiteral("UID"), uid}});
            return platform::kRejected;
        }
    }
    say(checkMessage(closed, QStringLiteral("The Account is not closed yet.")), kPrintCaption);
    return platform::kRejected;
}

int ReviseAccountItems(const QVariantMap& args)
{
    if (!hasStay(args) || (status(args) != QStringLiteral("H") && status(args) != QStringLiteral("O"))) {
        say(QStringLiteral("Select appropriate stay and try again"), kReviseCaption);
        return platform::kRejected;
    }
    platform::openDialog(kReviseAcctItems, QVariantMap{{QStringLiteral("UID"), uidOf(args)}});
    // The board is not reloaded: the stays are unchanged.
    return platform::kRejected;
}

int DeleteAccountInfo(const QVariantMap& args)
{
    TdmDataModule* dm = dmDataModule();
    if (!hasStay(args) || !dm) {
        say(QStringLiteral("No stay selected"), kDeleteCaption);
        return platform::kRejected;
    }
    if (status(args) != QStringLiteral("O")) {
        say(QStringLiteral("Stay not in the Checked-out status"), kDeleteCaption);
        return platform::kRejected;
    }
    const int uid = uidOf(args);
    const Count paid = uid > 0 ? countRows(paidAccountSql(dm->DbPrefix(), uid)) : Count{};
    if (!paid.ran || paid.rows == 0) {
        say(checkMessage(paid, QStringLiteral("Account must be already paid to delete")), kDeleteCaption);
        return platform::kRejected;
    }
    if (say(QStringLiteral("Are you absolutely sure to delete this Account?\r\n\r\nThe operation can not be undone!"),
            kDeleteCaption, platform::Icon::Question, platform::Buttons::YesNoCancel)
        != QMessageBox::Yes)
        return platform::kRejected;

    const QString prefix = dm->DbPrefix();
    QString error;
    // The account's invoice is never deleted: it stays on record, cancelled today, so the
    // series keeps no gap.
    const bool invoiced = invoices::hasInvoiceTable(dm->db(), prefix);
    QStringList files = {QStringLiteral("UCTYPOL.DB"), QStringLiteral("POBYTY.DB"), QStringLiteral("UCTY.DB")};
    if (invoiced) files << QLatin1String(invoices::kInvoicesFile);
    std::int64_t cancelled = 0;
    const bool deleted = composed(*dm, files,
                                  [&](const Execute& run) {
                                      for (const QString& sql : deleteAccountSqls(prefix, uid)) run(sql);
                                      if (invoiced)
                                          cancelled = run(invoices::cancelInvoiceSql(prefix, uid, platform::today(),
                                                                                     QStringLiteral("Account deleted")));
                                      return true;
                                  },
                                  &error);
    if (!deleted) {
        say(withReason(QStringLiteral("The Account could not be deleted; nothing was changed."), error), kDeleteCaption);
        return platform::kRejected;
    }
    say(QStringLiteral("Account, Account Items and Stay have been deleted."), kDeleteCaption, platform::Icon::Information);
    if (cancelled > 0)
        say(QStringLiteral("The account's invoice stays on record, marked cancelled."), kDeleteCaption, platform::Icon::Information);
    return platform::kAccepted;
}

void registerAccountCommands()
{
    namespace names = platform::dialogs;
    platform::registerDialog(names::CheckOut, [](QVariantMap& args) { return accounts::CheckOut(args); });
    platform::registerDialog(names::CloseAccount, [](QVariantMap& args) { return accounts::CloseAccount(args); });
    platform::registerDialog(names::PrintAccount, [](QVariantMap& args) { return accounts::PrintAccount(args); });
    platform::registerDialog(names::ReviseAccountItems, [](QVariantMap& args) { return accounts::ReviseAccountItems(args); });
    platform::registerDialog(names::DeleteAccountInfo, [](QVariantMap& args) { return accounts::DeleteAccountInfo(args); });
}

void unregisterAccountCommands()
{
    namespace names = platform::dialogs;
    for (const QString& name : {names::CheckOut, names::CloseAccount, names::PrintAccount, names::ReviseAccountItems,
                                names::DeleteAccountInfo})
        platform::unregisterDialog(name);
}

}  // namespace accounts
