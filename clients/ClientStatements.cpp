// The client windows' statement texts, required fields, filter and delete positioning.
//
// Invariants: see ClientStatements.h; the statement layouts (spacing included) are those the
// database tools and the console users know from the card and search windows.

#include "clients/ClientStatements.h"

#include "shell/Statement.h"
#include "shell/ValueHelpers.h"

namespace clients {

namespace {

bool isEmptyOrBlank(const QString& text) { return text.isEmpty() || text == QLatin1String(" "); }

QString q(const QString& value) { return shell::QuoteText(value); }

}  // namespace

QStringList missingRequiredFields(const ClientCardValues& v)
{
    const std::pair<const QString*, const char*> required[] = {
        {&v.surname, "surname"},        {&v.name, "name"},
        {&v.address, "address"},        {&v.city, "city"},
        {&v.postal, "postal code"},     {&v.country, "country"},
        {&v.passport, "passport number"}, {&v.cardNum, "card number"},
        {&v.cardType, "card type"},     {&v.cardExp, "card expiration date"},
        {&v.knowsFrom, "knows from"},
    };
    QStringList missing;
    for (const auto& [text, key] : required)
        if (isEmptyOrBlank(*text)) missing << QLatin1String(key);
    return missing;
}

QString requiredFieldsText(const QString& heading, const QStringList& names)
{
    QString text = heading + QStringLiteral("\r\n");
    for (const QString& name : names) text += QStringLiteral("\r\n") + name;
    return text;
}

QString duplicateCheckSql(const QString& db, DuplicateKind kind, int kid, const QString& value)
{
    const QString field = kind == DuplicateKind::Passport ? QStringLiteral("PASSPORT") : QStringLiteral("CARDNUM");
    return shell::Sql(u"SELECT KID, %1, SURNAME, NAME FROM %2 WHERE KID<>%3 AND %1=%4", field, shell::Table(db, u"KARTY.DB"),
                      kid, q(value));
}

QString duplicateFindingKey(DuplicateKind kind)
{
    return kind == DuplicateKind::Passport ? QStringLiteral("Client with this PASSPORT number already exists:")
                                           : QStringLiteral("Client with this CARD NUMBER already exists:");
}

QString clientSaveStatement(const QString& folder, int kid, const ClientCardValues& v, const QString& usr,
                            const QString& date, const QString& time)
{
    // The apostrophe rule is meant for the values: a database folder whose path has an
    // apostrophe must still name its table file, so only the values pass through it.
    const QString birthDate = shell::DateForSql(v.birthDate);
    const QString passDate = shell::DateForSql(v.passDate);
    if (kid < 1) {
        QString values = QStringList{q(v.surname), q(v.name), q(v.title), q(v.address), q(v.city), q(v.postal),
                                     q(v.country), q(v.tel), q(v.fax), q(v.birthPlace), birthDate, q(v.passport),
                                     passDate, q(v.passPlace), q(v.cardNum), q(v.cardExp), q(v.cardType),
                                     q(v.rating), q(v.agency), q(v.knowsFrom), q(v.comment), q(usr), q(date), q(time)}
                             .join(QStringLiteral(", "));
        shell::EscapeApostrophes(values);
        return shell::Sql(u"INSERT INTO %1 ( SURNAME,NAME,TITLE,ADDRESS,CITY,POSTAL,COUNTRY,TEL,FAX, "
                          u"PLACEBIRTH,DATEBIRTH,PASSPORT,PASSDATE,PASSPLACE, CARDNUM,CARDEXP,CARDTYPE,RATING,AGENCY,KNOWSFROM, "
                          u"COMMENT,USR,UPMJ,UPMT) VALUES ( %2)",
                          shell::Table(folder, u"KARTY.DB"), values);
    }
    QString assignments =
        QStringList{QStringLiteral("SURNAME=") + q(v.surname), QStringLiteral("NAME=") + q(v.name),
                    QStringLiteral("TITLE=") + q(v.title), QStringLiteral("ADDRESS=") + q(v.address),
                    QStringLiteral("CITY=") + q(v.city), QStringLiteral("POSTAL=") + q(v.postal),
                    QStringLiteral("COUNTRY=") + q(v.country), QStringLiteral("TEL=") + q(v.tel),
                    QStringLiteral("FAX=") + q(v.fax), QStringLiteral("PLACEBIRTH=") + q(v.birthPlace),
                    QStringLiteral("DATEBIRTH=") + birthDate, QStringLiteral("PASSPORT=") + q(v.passport),
                    QStringLiteral("PASSDATE=") + passDate, QStringLiteral("PASSPLACE=") + q(v.passPlace),
                    QStringLiteral("CARDNUM=") + q(v.cardNum), QStringLiteral("CARDEXP=") + q(v.cardExp),
                    QStringLiteral("CARDTYPE=") + q(v.cardType), QStringLiteral("RATING=") + q(v.rating),
                    QStringLiteral("AGENCY=") + q(v.agency), QStringLiteral("KNOWSFROM=") + q(v.knowsFrom),
                    QStringLiteral("COMMENT=") + q(v.comment), QStringLiteral("USR=") + q(usr),
                    QStringLiteral("UPMJ=") + q(date), QStringLiteral("UPMT=") + q(time)}
            .join(QStringLiteral(", "));
    shell::EscapeApostrophes(assignments);
    return shell::Sql(u"UPDATE %1 SET %2 WHERE KID=%3", shell::Table(folder, u"KARTY.DB"), assignments, kid);
}

QString clientHistorySql(const QString& db, int kid)
{
    return shell::Sql(u"SELECT * from %1 WHERE kid=%2 ORDER BY uid", shell::Table(db, u"UCTY.DB"), kid);
}

const QStringList& filterOperations()
{
    static const QStringList operations = {
        QStringLiteral("="), QStringLiteral("like"), QStringLiteral(">"), QStringLiteral(">="),
        QStringLiteral("<"), QStringLiteral("<="), QStringLiteral("<>"),
    };
    return operations;
}

QString filterCondition(const QString& field, const QString& operation, const QString& value)
{
    const QString operand = operation == QLatin1String("like")
        ? q(QLatin1Char('%') + value + QLatin1Char('%'))
        : q(value);
    QString condition = QLatin1Char('(') + field + QLatin1Char(' ') + operation + QLatin1Char(' ') + operand + QLatin1Char(')');
    shell::EscapeApostrophes(condition);
    return condition;
}

QString appendCondition(const QString& filter, const QString& condition)
{
    return filter + (filter.isEmpty() ? QStringLiteral(" WHERE ") : QStringLiteral(" and ")) + condition;
}

QString clientListSql(const QString& db, const QString& filter)
{
    return shell::Sql(u"SELECT * FROM %1%2 ORDER BY SURNAME, NAME", shell::Table(db, u"KARTY.DB"), filter);
}

QString clientDeleteSql(const QString& db, int kid)
{
    return shell::Sql(u"DELETE FROM %1 WHERE KID=%2", shell::Table(db, u"KARTY.DB"), kid);
}

int rowAfterDelete(int rememberedRow, int rowCount)
{
    if (rowCount <= 0) return -1;
    if (rememberedRow < 0) return 0;
    return rememberedRow < rowCount ? rememberedRow : rowCount - 1;
}

}  // namespace clients
