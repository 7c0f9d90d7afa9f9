#pragma once
// dmDataModule: the shared lookups every dialog uses (rooms, clients, item types, referral
// sources, agencies, out-of-order reasons, price proposal, exchange rate) and the two
// statement operations. One instance for the program; every operation opens and closes its
// own result within the call, so none stays open between calls.
//
// The program's one engine connection lives here too: db() and DbPrefix() ("{db}").

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>

#include "engine/Engine.h"

class QComboBox;
class QWidget;

struct TTableRooms {
    QString PID, PNAME, PDESCR;
    double PMETR = 0;
    int PCOLOR = 0;
    double PPRICE = 0, MAIDPRICE = 0;
    bool found = false;
};

struct TTableRoomPrices {
    QString PID, DATEFROM;
    double PPRICE = 0, MAIDPRICE = 0;
    bool filled = false;
};

struct TTableClients {
    int KID = 0;
    QString NAME, SURNAME, TITLE, ADDRESS, CITY, POSTAL, COUNTRY, PLACEBIRTH, DATEBIRTH,
        PASSPORT, PASSDATE, PASSPLACE, CARDNUM, CARDEXP, CARDTYPE, RATING, COMMENT, TEL, FAX,
        AGENCY;
    QChar KNOWSFROM = ' ';
    bool found = false;
};

struct TTableAcctTypes {
    int UPID = 0;
    QString UPNAME;
    int UPTAX1 = 0, UPTAX2 = 0;
    bool found = false;
};

class TdmDataModule {
public:
    // folder: the database folder, with or without a trailing '/'.
    explicit TdmDataModule(const QString& databaseFolder);
    ~TdmDataModule();

    engine::Database& db() { return *m_db; }
    // The database folder with its trailing '/', the {db} of every statement text.
    const QString& DbPrefix() const { return m_prefix; }
    // A folder of table files, or a PostgreSQL connection URI ("postgresql://desk@host/hotel").
    void setDatabaseFolder(const QString& folder);
    // Whether the tables are on a database server rather than in a folder.
    bool onServer() const { return m_prefix.isEmpty() && engine::isServerLocation(m_db->workingFolder()); }

    // On a server: the tables other programs changed since the last call ("POBYTY", ...),
    // asked without waiting (a few times a second); on table files always empty.
    QStringList ChangedTables();

    bool ExecStatement(const QString& sql);
    bool OpenAndCount(const QString& sql);
    // Runs the statements as one change over the table files they name: all land or none does.
    // False with lastError() set on failure; lastCount() is the rows the last statement changed.
    bool ExecComposed(const QStringList& statements);
    int lastCount() const { return m_lastCount; }
    // The engine's message of the last failure (empty after success).
    const QString& lastError() const { return m_lastError; }
    // Runs a query for callers that read rows; throws engine::Error.
    std::unique_ptr<engine::Query> Open(const QString& sql);

    void FillRoomCombo(QStringList& list, bool withAll);
    TTableRooms FindRoom(const QString& field, const QString& value);
    bool ProposeRoomPrice(const QString& roomName, int firstNight, int departure,
                          double& roomTotal, double& maidTotal);
    void FillKnowsFromCombo(QStringList& list);
    void FillAgencyCombo(QStringList& list);
    void FillReasonCombo(QStringList& list);
    double CurrentRate(const QString& dateText);
    TTableClients FindClient(const QString& field, const QString& value);
    TTableAcctTypes FindAcctType(const QString& field, const QString& value);

private:
    std::unique_ptr<engine::Database> m_db;
    QString m_prefix;
    int m_lastCount = 0;
    QString m_lastError;
};

// The program's data module (set by start-up, and by tests).
TdmDataModule* dmDataModule();
void setDataModule(TdmDataModule* module);

namespace shell {
QString TwoDigits(int value);
QString PadTwo(const QString& text);
QString TrimLeft(const QString& text);
QString ReplaceAll(QString text, const QString& search, const QString& replacement);
QString HexByte(unsigned char byte);
// Characters outside 0-9, A-Z, a-z become %XX of their Windows-1250 byte.
QString PercentEncode(const QString& text);
void SelectComboItem(QComboBox* box, const QString& text);
void FillPaymentForms(QComboBox* box);
QChar PaymentFormCode(QComboBox* box);
QString PaymentFormName(const QString& code);
// The payment forms' codes in list order, each with its English name (the translation key).
QList<QPair<QChar, QString>> PaymentFormList();
bool ConfirmDelete(QWidget* owner, const QString& caption);
}  // namespace shell
