// The parser of the bank's daily file: every line checked against the one layout.
#include "rates/BankFile.h"

#include <QRegularExpression>
#include <QStringDecoder>

#include "rates/RateFault.h"
#include "shell/Statement.h"

#ifdef TAMAREL_HAVE_LANG
#include "lang/Language.h"
#endif

namespace rates {

QString Say(const QString& englishKey, const QStringList& parts)
{
#ifdef TAMAREL_HAVE_LANG
    const QString pattern = TranslateMessageIfAny(englishKey);
#else
    const QString pattern = englishKey;
#endif
    return shell::Compose(pattern, std::span<const QString>(parts.constData(), std::size_t(parts.size())));
}

namespace {

// The file's layout in one place.
const QString kHeader = QStringLiteral("země|měna|množství|kód|kurz");
constexpr int kFields = 5;
enum Field { Country, Currency, Amount, Code, Rate };

// A line as a message shows it: at most 60 characters.
QString shown(const QString& line)
{
    return line.size() > 60 ? line.left(57) + QStringLiteral("...") : line;
}

[[noreturn]] void refuse(const QString& key, const QStringList& parts)
{
    throw RateError(Fault::Layout, Say(key, parts));
}

[[noreturn]] void refuseLine(int number, const QString& line)
{
    refuse(QStringLiteral("Line %1 of the bank's answer is not a currency rate: %2"), {QString::number(number), shown(line)});
}

}  // namespace

const TBankRate* TBankFixing::find(const QString& code) const
{
    for (const TBankRate& r : rates)
        if (r.code == code) return &r;
    return nullptr;
}

TBankFixing ParseBankFile(const QByteArray& body)
{
    if (body.trimmed().isEmpty()) refuse(QStringLiteral("The bank's answer is empty."), {});
    QStringDecoder decode(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decode(body);
    if (decode.hasError()) refuse(QStringLiteral("The bank's answer is not UTF-8 text."), {});
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();  // the file ends with LF
    for (QString& line : lines)
        if (line.endsWith(QLatin1Char('\r'))) line.chop(1);

    TBankFixing fixing;
    static const QRegularExpression dateLine(QStringLiteral("^(\\d{1,2})\\.(\\d{1,2})\\.(\\d{4}) #(\\d{1,4})$"));
    const QRegularExpressionMatch m = dateLine.match(lines.value(0));
    if (m.hasMatch()) fixing.date = QDate(m.captured(3).toInt(), m.captured(2).toInt(), m.captured(1).toInt());
    if (!fixing.date.isValid())
        refuse(QStringLiteral("Line 1 of the bank's answer is not the date of a fixing: %1"), {shown(lines.value(0))});
    fixing.serial = m.captured(4).toInt();
    if (lines.size() < 2 || lines[1] != kHeader)
        refuse(QStringLiteral("Line 2 of the bank's answer is not the header of the rate file: %1"), {shown(lines.value(1))});

    static const QRegularExpression code(QStringLiteral("^[A-Z]{3}$"));
    static const QRegularExpression number(QStringLiteral("^-?\\d{1,9}(,\\d{1,9})?$"));
    for (int i = 2; i < lines.size(); ++i) {
        const QString& line = lines[i];
        const QStringList f = line.split(QLatin1Char('|'));
        if (f.size() != kFields || f[Country].isEmpty() || f[Currency].isEmpty() || !code.match(f[Code]).hasMatch() ||
            !number.match(f[Rate]).hasMatch())
            refuseLine(i + 1, line);
        bool amountRead = false;
        const int amount = f[Amount].toInt(&amountRead);
        if (!amountRead || amount <= 0 || f[Amount] != QString::number(amount)) refuseLine(i + 1, line);
        const double rate = QString(f[Rate]).replace(QLatin1Char(','), QLatin1Char('.')).toDouble();
        if (rate <= 0)
            refuse(QStringLiteral("Line %1 of the bank's answer gives a rate of 0 or below: %2"), {QString::number(i + 1), shown(line)});
        if (fixing.find(f[Code]))
            refuse(QStringLiteral("Line %1 of the bank's answer names %2 a second time."), {QString::number(i + 1), f[Code]});
        fixing.rates.append({f[Country], f[Currency], amount, f[Code], rate, i + 1});
    }
    if (!fixing.find(QStringLiteral("EUR"))) refuse(QStringLiteral("The bank's answer has no EUR rate."), {});
    return fixing;
}

}  // namespace rates
