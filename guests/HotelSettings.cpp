// The shared settings and the hotel's details; see HotelSettings.h.
#include "guests/HotelSettings.h"

#include <QRegularExpression>
#include <stdexcept>

#include "engine/Engine.h"
#include "fees/FeeLaw.h"
#include "shell/Statement.h"
#include "shell/ValueHelpers.h"

namespace guests {

namespace {
QString noCheck(const QString&) { return {}; }

QString checkIdub(const QString& v)
{
    static const QRegularExpression re(QStringLiteral("^[0-9A-Za-z]{12,14}$"));
    return re.match(v).hasMatch() ? QString() : QStringLiteral("The provider number (IDUB) has 12 to 14 letters or digits.");
}

QString checkAbbrev(const QString& v)
{
    static const QRegularExpression re(QStringLiteral("^[0-9A-Za-z]{5}$"));
    return re.match(v).hasMatch() ? QString() : QStringLiteral("The provider's abbreviation has 5 letters or digits.");
}

// At most four digits, "E" before an evidence number.
QString checkHouseNo(const QString& v)
{
    static const QRegularExpression re(QStringLiteral("^E?[0-9]{1,4}$"));
    return re.match(v).hasMatch() ? QString()
                                  : QStringLiteral("The house number has at most 4 digits (\"E\" before an evidence number).");
}

QString checkPostcode(const QString& v)
{
    static const QRegularExpression re(QStringLiteral("^[0-9]{5}$"));
    return re.match(v).hasMatch() ? QString() : QStringLiteral("The postcode has 5 digits without a blank.");
}

// The company number: eight digits, the last one the mod-11 check digit of the first seven
// (weights 8 down to 2).
QString checkIco(const QString& v)
{
    return icoIsValid(v) ? QString() : QStringLiteral("The company number (IČO) has 8 digits, the last one its check digit.");
}

QString checkDic(const QString& v)
{
    static const QRegularExpression re(QStringLiteral("^CZ[0-9]{8,10}$"));
    return re.match(v).hasMatch() ? QString() : QStringLiteral("The VAT number (DIČ) is CZ and 8 to 10 digits.");
}

QString checkIban(const QString& v)
{
    return ibanIsValid(v) ? QString() : QStringLiteral("The IBAN is not valid (letters, digits and its mod-97 check digits).");
}

QString checkVatPayer(const QString& v)
{
    return v == QLatin1String("0") || v == QLatin1String("1") ? QString()
                                                               : QStringLiteral("VAT payer is 1 (yes) or 0 (no).");
}

QString checkInvoicePrefix(const QString& v)
{
    static const QRegularExpression re(QStringLiteral("^[0-9A-Za-z/-]{1,8}$"));
    return re.match(v).hasMatch() ? QString() : QStringLiteral("The invoice prefix has at most 8 letters, digits, \"-\" or \"/\".");
}

QString checkDueDays(const QString& v)
{
    static const QRegularExpression re(QStringLiteral("^[0-9]{1,3}$"));
    return re.match(v).hasMatch() && v.toInt() <= 365 ? QString() : QStringLiteral("The days to pay are a number from 0 to 365.");
}

// A whole number from lo to hi.
QString wholeNumber(const QString& v, int lo, int hi)
{
    bool ok = false;
    const int n = v.toInt(&ok);
    return ok && n >= lo && n <= hi ? QString() : QStringLiteral("a whole number from %1 to %2").arg(lo).arg(hi);
}

QString checkFeeRate(const QString& v)
{
    static const QRegularExpression re(QStringLiteral("^[0-9]{1,3}(\\.[0-9]{1,2})?$"));
    if (re.match(v).hasMatch() && v.toDouble() <= fees::kMaxRate) return {};
    return QStringLiteral("The fee rate is CZK per person and night, at most %1, with a decimal point.")
        .arg(QString::number(fees::kMaxRate));
}

QString checkFeeDays(const QString& v)
{
    const QString problem = wholeNumber(v, 1, 366);
    return problem.isEmpty() ? problem : QStringLiteral("The fee's limit of nights is ") + problem + QLatin1Char('.');
}

QString checkSwitch(const QString& v)
{
    return v == QLatin1String("0") || v == QLatin1String("1") ? QString() : QStringLiteral("The switch is 0 (off) or 1 (on).");
}

// Reasons between ";", each short enough for the guest's FEEEXEMPT (40 characters).
QString checkReasons(const QString& v)
{
    for (const QString& reason : v.split(QLatin1Char(';')))
        if (reason.trimmed().size() > 40) return QStringLiteral("An exemption reason is longer than 40 characters:") + QLatin1Char(' ') + reason.trimmed();
    return {};
}

QString checkBeds(const QString& v)
{
    const QString problem = wholeNumber(v, 0, fees::kMaxBeds);
    return problem.isEmpty() ? problem : QStringLiteral("The number of beds is ") + problem + QLatin1Char('.');
}

// A key ending in "." is a pattern: "BEDS." stands for BEDS.<room id> of every room.
bool isPattern(const SettingKey& k) { return QLatin1String(k.key).endsWith(QLatin1Char('.')); }

// The limits are the police file's (name 35, contact 50) or the column's.
const QList<SettingKey> kKeys = {
    {"NAME", "Name:", 35, noCheck},
    {"CONTACT", "Contact:", 50, noCheck},
    {"DISTRICT", "District:", 60, noCheck},
    {"MUNICIPALITY", "Municipality:", 60, noCheck},
    {"PART", "Part of municipality:", 60, noCheck},
    {"STREET", "Street:", 60, noCheck},
    {"HOUSENO", "House number:", 5, checkHouseNo},
    {"ORIENTNO", "Orientation number:", 10, noCheck},
    {"POSTCODE", "Postcode:", 6, checkPostcode},
    {"IDUB", "Police provider number (IDUB):", 14, checkIdub},
    {"ABBREV", "Provider abbreviation:", 5, checkAbbrev},
    // The invoices' supplier: identification, bank account, VAT status, numbering, due date.
    {"ICO", "Company number (IČO):", 8, checkIco},
    {"DIC", "VAT number (DIČ):", 12, checkDic},
    {"IBAN", "Bank account (IBAN):", 34, checkIban},
    {"VATPAYER", "VAT payer (1 yes, 0 no):", 1, checkVatPayer},
    {"INVPREFIX", "Invoice number prefix:", 8, checkInvoicePrefix},
    {"DUEDAYS", "Days to pay a transfer (14 when empty):", 3, checkDueDays},
    {fees::kRateKey, "Accommodation fee (CZK per person and night):", 6, checkFeeRate},
    {fees::kDaysKey, "Fee limit (consecutive nights):", 3, checkFeeDays},
    {fees::kOnAccountKey, "Fee on the account at check-out (0 or 1):", 1, checkSwitch},
    {fees::kReasonsKey, "Fee exemption reasons (separated by ;):", 255, checkReasons},
    {fees::kBedsKeyPrefix, "Beds:", 2, checkBeds},
};
}  // namespace

const QList<SettingKey>& settingKeys() { return kKeys; }

bool icoIsValid(const QString& ico)
{
    static const QRegularExpression re(QStringLiteral("^[0-9]{8}$"));
    if (!re.match(ico).hasMatch()) return false;
    int sum = 0;
    for (int i = 0; i < 7; ++i) sum += (ico[i].unicode() - '0') * (8 - i);
    const int rest = sum % 11;
    const int digit = rest == 0 ? 1 : rest == 1 ? 0 : 11 - rest;
    return ico[7].unicode() - '0' == digit;
}

bool ibanIsValid(const QString& iban)
{
    static const QRegularExpression re(QStringLiteral("^[A-Z]{2}[0-9]{2}[0-9A-Z]{11,30}$"));
    if (!re.match(iban).hasMatch()) return false;
    // The country and check digits move to the end, letters count as 10..35, mod 97 is 1.
    const QString moved = iban.mid(4) + iban.left(4);
    int rest = 0;
    for (const QChar c : moved) {
        const int value = c.isDigit() ? c.unicode() - '0' : c.unicode() - 'A' + 10;
        rest = (value >= 10 ? rest * 100 : rest * 10) + value;
        rest %= 97;
    }
    return rest == 1;
}

const SettingKey* findSettingKey(const QString& key)
{
    for (const SettingKey& k : kKeys) {
        const QLatin1String name(k.key);
        if (isPattern(k) ? key.size() > name.size() && key.size() <= name.size() + 3 && key.startsWith(name, Qt::CaseInsensitive)
                         : key.compare(name, Qt::CaseInsensitive) == 0)
            return &k;
    }
    return nullptr;
}

bool isKeyPattern(const SettingKey& key) { return isPattern(key); }

QString storedKey(const QString& key)
{
    const SettingKey* k = findSettingKey(key);
    if (!k) return key;
    const QString name = QString::fromLatin1(k->key);
    return isPattern(*k) ? name + key.mid(name.size()) : name;
}

QString checkSetting(const QString& key, const QString& value)
{
    const SettingKey* k = findSettingKey(key);
    if (!k) return QStringLiteral("Unknown setting:") + QLatin1Char(' ') + key;
    if (value.isEmpty()) return {};
    // The key's own check first: it says what the value should be, which a length does not.
    if (const QString problem = k->check(value); !problem.isEmpty()) return problem;
    if (value.size() > k->maxLength)
        return QStringLiteral("%1 is longer than %2 characters.").arg(storedKey(key), QString::number(k->maxLength));
    if (value.contains(QLatin1Char('|')) || value.contains(QLatin1Char('\n')) || value.contains(QLatin1Char('\r')))
        return QStringLiteral("%1 may not hold \"|\" or a line break.").arg(storedKey(key));
    return {};
}

QMap<QString, QString> readSettings(engine::Database& db, const QString& prefix)
{
    auto q = db.open(shell::Sql(u"SELECT KEY, VALUE FROM %1", shell::Table(prefix, u"NASTAVENI.DB")).toStdString());
    QMap<QString, QString> values;
    while (q->next()) values.insert(QString::fromStdString(q->text(0)), QString::fromStdString(q->text(1)));
    return values;
}

void writeSettings(engine::Database& db, const QString& prefix, const QMap<QString, QString>& values)
{
    for (auto it = values.begin(); it != values.end(); ++it)
        if (const QString problem = checkSetting(it.key(), it.value()); !problem.isEmpty())
            throw std::invalid_argument(problem.toStdString());
    const QString table = shell::Table(prefix, u"NASTAVENI.DB");
    auto change = db.beginChange({(prefix + QLatin1String(kSettingsFile)).toStdString()});
    for (auto it = values.begin(); it != values.end(); ++it) {
        const QString key = storedKey(it.key());
        change->execute(shell::Sql(u"DELETE FROM %1 WHERE KEY=%2", table, shell::QuoteText(key)).toStdString());
        if (!it.value().isEmpty())
            change->execute(shell::Sql(u"INSERT INTO %1 (KEY, VALUE) VALUES (%2, %3)", table, shell::QuoteText(key),
                                       shell::QuoteText(it.value()))
                                .toStdString());
    }
    change->commit();
}

QStringList feeExemptionReasons(const QMap<QString, QString>& s)
{
    const QString key = QLatin1String(fees::kReasonsKey);
    QStringList reasons;
    for (const QString& r : (s.contains(key) ? s.value(key) : QString::fromUtf8(fees::kDefaultReasons)).split(QLatin1Char(';')))
        if (!r.trimmed().isEmpty()) reasons << r.trimmed();
    return reasons;
}

HotelDetails hotelDetails(const QMap<QString, QString>& s)
{
    auto v = [&](const char* key) { return s.value(QLatin1String(key)).trimmed(); };
    HotelDetails h{v("NAME"),   v("CONTACT"),  v("DISTRICT"), v("MUNICIPALITY"), v("PART"), v("STREET"),
                   v("HOUSENO"), v("ORIENTNO"), v("POSTCODE"), v("IDUB"),        v("ABBREV")};
    h.ico = v("ICO");
    h.dic = v("DIC");
    h.iban = v("IBAN");
    h.vatPayer = v("VATPAYER") == QLatin1String("1");
    h.invoicePrefix = v("INVPREFIX");
    h.dueDays = v("DUEDAYS").isEmpty() ? kDefaultDueDays : v("DUEDAYS").toInt();
    return h;
}

QString hotelAddressLine(const HotelDetails& h)
{
    QString number = h.houseNo;
    if (!h.orientNo.isEmpty()) number += (number.isEmpty() ? QString() : QStringLiteral("/")) + h.orientNo;
    QString street = h.street.isEmpty() ? h.part : h.street;
    if (!number.isEmpty()) street += (street.isEmpty() ? QString() : QStringLiteral(" ")) + number;
    QStringList parts;
    if (!street.isEmpty()) parts << street;
    const QString town = (h.postcode + QLatin1Char(' ') + h.municipality).trimmed();
    if (!town.isEmpty()) parts << town;
    return parts.join(QStringLiteral(", "));
}

}  // namespace guests
