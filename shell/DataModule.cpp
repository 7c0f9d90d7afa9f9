// dmDataModule: the shared lookups and the two statement operations, and the small text
// and list helpers the dialogs share.
//
// Invariants: every operation opens and drops its own result inside the call; lookups and
// list fills never show a message (a failure is a shorter list or found == false); every
// text value spliced into a statement goes through QuoteText; a field name spliced into a
// lookup must be a plain identifier, anything else finds nothing.

#include "shell/DataModule.h"

#include <QComboBox>
#include <QDir>
#include <QMessageBox>
#include <QRegularExpression>
#include <algorithm>
#include <array>
#include <exception>

#include "platform/Platform.h"
#include "shell/Statement.h"
#include "shell/ValueHelpers.h"

#ifdef TAMAREL_HAVE_LANG
#include "lang/Language.h"
#else
// Until the translation library is part of the build, messages stay in English.
namespace {
QString TranslateMessage(const QString& text) { return text; }
int LangMessageBox(QWidget* owner, const QString& text, const QString& caption,
                   platform::Icon icon, platform::Buttons buttons)
{
    return platform::messageBox(owner, text, caption, icon, buttons);
}
}  // namespace
#endif

namespace {

TdmDataModule* g_dataModule = nullptr;

QString qs(const std::string& s) { return QString::fromStdString(s); }

QString fieldText(const engine::Query& q, const char* name)
{
    const int i = q.fieldIndex(name);
    return i < 0 ? QString() : qs(q.text(i));
}

double fieldNumber(const engine::Query& q, const char* name)
{
    const int i = q.fieldIndex(name);
    return i < 0 ? 0.0 : q.number(i);
}

qint64 fieldInteger(const engine::Query& q, const char* name)
{
    const int i = q.fieldIndex(name);
    return i < 0 ? 0 : q.integer(i);
}

bool isPlainIdentifier(const QString& field)
{
    static const QRegularExpression re(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    return re.match(field).hasMatch();
}

// Runs a statement that answers a row count and keeps its outcome for the caller to read:
// the count and no error, or -1 and the engine's message.
template <class Run>
bool keepCount(int& lastCount, QString& lastError, Run run)
{
    try {
        lastCount = static_cast<int>(run());
        lastError.clear();
        return true;
    } catch (const std::exception& e) {
        lastCount = -1;
        lastError = qs(e.what());
        return false;
    }
}

// "SELECT * FROM table WHERE field=value", or no statement when the field is no plain
// identifier (it goes into the statement's text).
QString selectWhereEquals(const QString& prefix, const char* table, const QString& field, const QString& value)
{
    if (!isPlainIdentifier(field)) return QString();
    return shell::Sql(u"SELECT * FROM %1 WHERE %2=%3", shell::Table(prefix, QString::fromLatin1(table)), field,
                      shell::QuoteText(value));
}

// The one row the statement selects, read into a Record by fill. No statement, no row, a
// second row or a failing query all give the empty Record, whose found stays false.
template <class Record, class Fill>
Record readUnique(TdmDataModule& dm, const QString& sql, Fill fill)
{
    Record record;
    if (sql.isEmpty()) return record;
    try {
        auto q = dm.Open(sql);
        if (!q->next()) return record;
        fill(*q, record);
        record.found = !q->next();
    } catch (const std::exception&) {
        record.found = false;
    }
    if (!record.found) record = Record();
    return record;
}

// The payment forms in list order: the English name is the translation key.
struct PaymentForm { const char* name; QChar code; };
const std::array<PaymentForm, 4> kPaymentForms = {{
    {"Card", QLatin1Char('C')}, {"Cash", QLatin1Char('M')},
    {"Bank transfer", QLatin1Char('B')}, {"Other", QLatin1Char('?')},
}};

constexpr int kMaxPriceRows = 101;

}  // namespace

TdmDataModule* dmDataModule() { return g_dataModule; }
void setDataModule(TdmDataModule* module) { g_dataModule = module; }

TdmDataModule::TdmDataModule(const QString& databaseFolder)
    : m_db(std::make_unique<engine::Database>())
{
    setDatabaseFolder(databaseFolder);
}

TdmDataModule::~TdmDataModule()
{
    if (g_dataModule == this) g_dataModule = nullptr;
}

void TdmDataModule::setDatabaseFolder(const QString& folder)
{
    // On a server the statements name bare tables ("POBYTY.DB"): the prefix is empty.
    if (engine::isServerLocation(folder.trimmed().toStdString())) {
        m_prefix.clear();
        m_db->setWorkingFolder(folder.trimmed().toStdString());
        return;
    }
    // Absolute, because the engine resolves a relative table path in its working folder,
    // which is this folder already.
    m_prefix = folder.isEmpty() ? QString() : QDir::cleanPath(QDir(folder).absolutePath());
    if (!m_prefix.isEmpty() && !m_prefix.endsWith(QLatin1Char('/'))) m_prefix += QLatin1Char('/');
    m_db->setWorkingFolder(m_prefix.toStdString());
}

QStringList TdmDataModule::ChangedTables()
{
    QStringList tables;
    for (const std::string& t : m_db->changedTables()) tables << QString::fromStdString(t);
    return tables;
}

bool TdmDataModule::ExecStatement(const QString& sql)
{
    return keepCount(m_lastCount, m_lastError, [&] { return m_db->execute(sql.toStdString()); });
}

bool TdmDataModule::ExecComposed(const QStringList& statements)
{
    // The table files are the statements' double-quoted "....DB" references ({db} already
    // replaced by the folder; a double quote in the folder's name stands doubled).
    static const QRegularExpression tableRef(QStringLiteral("\"((?:[^\"]|\"\")*\\.DB)\""),
                                             QRegularExpression::CaseInsensitiveOption);
    std::vector<std::string> files;
    for (const QString& sql : statements) {
        for (auto it = tableRef.globalMatch(sql); it.hasNext();) {
            const std::string file =
                it.next().captured(1).replace(QStringLiteral("\"\""), QStringLiteral("\"")).toStdString();
            if (std::find(files.begin(), files.end(), file) == files.end()) files.push_back(file);
        }
    }
    return keepCount(m_lastCount, m_lastError, [&]() -> std::int64_t {
        if (statements.isEmpty()) return 0;
        const auto change = m_db->beginChange(files);
        std::int64_t rows = 0;
        for (const QString& sql : statements) rows = change->execute(sql.toStdString());
        change->commit();
        return rows;
    });
}

bool TdmDataModule::OpenAndCount(const QString& sql)
{
    return keepCount(m_lastCount, m_lastError, [&] { return m_db->open(sql.toStdString())->rowCount(); });
}

std::unique_ptr<engine::Query> TdmDataModule::Open(const QString& sql)
{
    return m_db->open(sql.toStdString());
}

void TdmDataModule::FillRoomCombo(QStringList& list, bool withAll)
{
    list.clear();
    if (withAll) list << TranslateMessage(QStringLiteral("* All rooms *"));
    try {
        auto q = Open(shell::Sql(u"SELECT PID,PNAME FROM %1 ORDER BY PID", shell::Table(m_prefix, u"POKOJE.DB")));
        while (q->next()) list << fieldText(*q, "PNAME");
    } catch (const std::exception&) {
    }
}

TTableRooms TdmDataModule::FindRoom(const QString& field, const QString& value)
{
    const QString sql = selectWhereEquals(m_prefix, "POKOJE.DB", field, value);
    return readUnique<TTableRooms>(*this, sql, [](const engine::Query& q, TTableRooms& room) {
        room.PID = fieldText(q, "PID");
        room.PNAME = fieldText(q, "PNAME");
        room.PDESCR = fieldText(q, "PDESCR");
        room.PMETR = fieldNumber(q, "PMETR");
        room.PCOLOR = static_cast<int>(fieldInteger(q, "PCOLOR"));
        room.PPRICE = fieldNumber(q, "PPRICE");
        room.MAIDPRICE = fieldNumber(q, "MAIDPRICE");
    });
}

bool TdmDataModule::ProposeRoomPrice(const QString& roomName, int firstNight, int departure,
                                     double& roomTotal, double& maidTotal)
{
    roomTotal = 0;
    maidTotal = 0;
    const TTableRooms room = FindRoom(QStringLiteral("PNAME"), roomName);
    if (!room.found) return false;

    std::array<TTableRoomPrices, kMaxPriceRows> entries;
    std::array<int, kMaxPriceRows> entryDay{};
    int k = -1;
    bool anyRow = false;
    try {
        auto q = Open(shell::Sql(u"SELECT * FROM %1 WHERE PID=%2 ORDER BY PID,DATEFROM",
                                 shell::Table(m_prefix, u"POKCENY.DB"), shell::QuoteText(room.PID)));
        while (q->next()) {
            anyRow = true;
            TTableRoomPrices row;
            row.PID = fieldText(*q, "PID");
            row.DATEFROM = fieldText(*q, "DATEFROM");
            row.PPRICE = fieldNumber(*q, "PPRICE");
            row.MAIDPRICE = fieldNumber(*q, "MAIDPRICE");
            row.filled = true;
            const int d = shell::ParseDayMonthYear(row.DATEFROM);
            if (d < firstNight) {
                // Entry 0 ends as the latest row before the stay.
                entries[0] = row;
                entryDay[0] = d;
                k = 0;
            } else if (d > departure) {
                break;
            } else {
                for (int repeat = 0; repeat < 2; ++repeat) {
                    if (k + 1 >= kMaxPriceRows) {
                        // More dated rows within one stay than the table holds: a total
                        // from part of them would be wrong, so no proposal is made.
                        return false;
                    }
                    ++k;
                    entries[k] = row;
                    entryDay[k] = d;
                    if (k != 0) break;   // with no earlier row, the row fills entries 0 and 1
                }
            }
        }
    } catch (const std::exception&) {
        // A failure while walking ends the walk; what was read so far is used.
    }

    if (!anyRow) {
        roomTotal = room.PPRICE * (departure - firstNight);
        maidTotal = room.MAIDPRICE * (departure - firstNight);
        return true;
    }
    for (int night = firstNight; night < departure; ++night) {
        for (int i = k; i >= 0; --i) {
            if (entryDay[i] <= night) {
                roomTotal += entries[i].PPRICE;
                maidTotal += entries[i].MAIDPRICE;
                break;
            }
        }
    }
    return true;
}

void TdmDataModule::FillKnowsFromCombo(QStringList& list)
{
    list.clear();
    try {
        auto q = Open(shell::Sql(u"SELECT FID,FDESCR FROM %1 ORDER BY FID", shell::Table(m_prefix, u"ODKUDVI.DB")));
        while (q->next()) list << fieldText(*q, "FID") + QStringLiteral(" - ") + fieldText(*q, "FDESCR");
    } catch (const std::exception&) {
    }
}

void TdmDataModule::FillAgencyCombo(QStringList& list)
{
    list.clear();
    try {
        auto q = Open(shell::Sql(u"SELECT DISTINCT(AGENCY) FROM %1 ORDER BY AGENCY", shell::Table(m_prefix, u"KARTY.DB")));
        while (q->next()) list << qs(q->text(0));
    } catch (const std::exception&) {
    }
}

void TdmDataModule::FillReasonCombo(QStringList& list)
{
    list.clear();
    try {
        auto q = Open(shell::Sql(u"SELECT DISTINCT(BOOKEDFOR) FROM %1 WHERE (STATUS=\"X\") ORDER BY BOOKEDFOR",
                                 shell::Table(m_prefix, u"POBYTY.DB")));
        while (q->next()) list << qs(q->text(0));
    } catch (const std::exception&) {
    }
}

double TdmDataModule::CurrentRate(const QString& dateText)
{
    const QString rates = shell::Table(m_prefix, u"KURZY.DB");
    const QString latest = dateText.isEmpty()
        ? shell::Sql(u"SELECT max(RDATE) FROM %1", rates)
        : shell::Sql(u"SELECT max(RDATE) FROM %1 WHERE RDATE<=%2", rates, shell::QuoteText(dateText));
    try {
        auto q = Open(shell::Sql(u"SELECT CRR FROM %1 WHERE RDATE in (%2)", rates, latest));
        if (!q->next()) return -1;
        const double rate = q->number(0);
        if (q->next()) return -1;   // two currencies on the latest date: no single rate
        return rate;
    } catch (const std::exception&) {
        return -1;
    }
}

TTableClients TdmDataModule::FindClient(const QString& field, const QString& value)
{
    const QString sql = selectWhereEquals(m_prefix, "KARTY.DB", field, value);
    return readUnique<TTableClients>(*this, sql, [](const engine::Query& q, TTableClients& c) {
        c.KID = static_cast<int>(fieldInteger(q, "KID"));
        c.NAME = fieldText(q, "NAME");
        c.SURNAME = fieldText(q, "SURNAME");
        c.TITLE = fieldText(q, "TITLE");
        c.ADDRESS = fieldText(q, "ADDRESS");
        c.CITY = fieldText(q, "CITY");
        c.POSTAL = fieldText(q, "POSTAL");
        c.COUNTRY = fieldText(q, "COUNTRY");
        c.PLACEBIRTH = fieldText(q, "PLACEBIRTH");
        c.DATEBIRTH = fieldText(q, "DATEBIRTH");
        c.PASSPORT = fieldText(q, "PASSPORT");
        c.PASSDATE = fieldText(q, "PASSDATE");
        c.PASSPLACE = fieldText(q, "PASSPLACE");
        c.CARDNUM = fieldText(q, "CARDNUM");
        c.CARDEXP = fieldText(q, "CARDEXP");
        c.CARDTYPE = fieldText(q, "CARDTYPE");
        c.RATING = fieldText(q, "RATING");
        c.COMMENT = fieldText(q, "COMMENT");
        c.TEL = fieldText(q, "TEL");
        c.FAX = fieldText(q, "FAX");
        c.AGENCY = fieldText(q, "AGENCY");
        const QString knows = fieldText(q, "KNOWSFROM");
        c.KNOWSFROM = knows.isEmpty() ? QLatin1Char(' ') : knows.at(0);
    });
}

TTableAcctTypes TdmDataModule::FindAcctType(const QString& field, const QString& value)
{
    // The name is looked up as a part of it; any other field by its whole value.
    const QString sql = field.compare(QLatin1String("UPNAME"), Qt::CaseInsensitive) == 0
        ? shell::Sql(u"SELECT * FROM %1 WHERE UPNAME like %2", shell::Table(m_prefix, u"UCPODEF.DB"),
                     shell::QuoteText(QLatin1Char('%') + value + QLatin1Char('%')))
        : selectWhereEquals(m_prefix, "UCPODEF.DB", field, value);
    return readUnique<TTableAcctTypes>(*this, sql, [](const engine::Query& q, TTableAcctTypes& t) {
        t.UPID = static_cast<int>(fieldInteger(q, "UPID"));
        t.UPNAME = fieldText(q, "UPNAME");
        t.UPTAX1 = static_cast<int>(fieldInteger(q, "UPTAX1"));
        t.UPTAX2 = static_cast<int>(fieldInteger(q, "UPTAX2"));
    });
}

namespace shell {

QString TwoDigits(int value) { return PadTwo(QString::number(value)); }

QString PadTwo(const QString& text)
{
    return text.size() >= 2 ? text : text.rightJustified(2, QLatin1Char('0'));
}

QString TrimLeft(const QString& text)
{
    qsizetype i = 0;
    while (i < text.size() && text.at(i).unicode() <= ' ') ++i;
    return text.mid(i);
}

QString ReplaceAll(QString text, const QString& search, const QString& replacement)
{
    if (search.isEmpty()) return text;
    if (replacement.contains(search)) {
        // Replacing from the start again would never end; one pass is what was meant.
        return text.replace(search, replacement);
    }
    qsizetype from = 0;
    for (;;) {
        // A replacement can join with the text after it into a new occurrence that starts
        // before the replaced spot, so each search starts a little before it.
        const qsizetype at = text.indexOf(search, from);
        if (at < 0) return text;
        text.replace(at, search.size(), replacement);
        from = std::max<qsizetype>(0, at - search.size() + 1);
    }
}

QString HexByte(unsigned char byte)
{
    static const char digits[] = "0123456789ABCDEF";
    return QString(QLatin1Char(digits[byte >> 4])) + QLatin1Char(digits[byte & 0x0F]);
}

QString PercentEncode(const QString& text)
{
    const QByteArray bytes = platform::toCp1250(text);
    QString out;
    out.reserve(bytes.size() * 3);
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if ((b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z'))
            out += QLatin1Char(static_cast<char>(b));
        else
            out += QLatin1Char('%') + HexByte(b);
    }
    return out;
}

void SelectComboItem(QComboBox* box, const QString& text)
{
    if (!box) return;
    box->setCurrentIndex(-1);
    for (int i = 0; i < box->count(); ++i)
        if (box->itemText(i) == text) box->setCurrentIndex(i);
}

void FillPaymentForms(QComboBox* box)
{
    if (!box) return;
    box->clear();
    for (const auto& form : kPaymentForms) box->addItem(TranslateMessage(QLatin1String(form.name)));
}

QChar PaymentFormCode(QComboBox* box)
{
    if (!box || box->currentIndex() < 0) return QLatin1Char('?');
    const QString selected = box->itemText(box->currentIndex());
    for (const auto& form : kPaymentForms)
        if (selected == TranslateMessage(QLatin1String(form.name))) return form.code;
    return QLatin1Char('?');
}

QString PaymentFormName(const QString& code)
{
    if (!code.isEmpty())
        for (const auto& form : kPaymentForms)
            if (code.at(0) == form.code) return TranslateMessage(QLatin1String(form.name));
    return TranslateMessage(QStringLiteral("unknown"));
}

QList<QPair<QChar, QString>> PaymentFormList()
{
    QList<QPair<QChar, QString>> list;
    for (const auto& form : kPaymentForms) list.append({form.code, QLatin1String(form.name)});
    return list;
}

bool ConfirmDelete(QWidget* owner, const QString& caption)
{
    return LangMessageBox(owner, QStringLiteral("Are you sure to delete this record?"), caption,
                          platform::Icon::None, platform::Buttons::YesNo) == QMessageBox::Yes;
}

}  // namespace shell
