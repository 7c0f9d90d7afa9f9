#pragma once
// The one way a statement text is composed: a pattern with the places %1 .. %99 and the
// parts that go into them, put in by a single left-to-right pass. A part is SQL as it stands
// (a table reference, a quoted value, a number): what a part brings in (a folder named
// "Recepce%2", a note "20%1 more") is never read again, unlike chained QString::arg().
//
// Values become parts through the value helpers (QuoteText, DateForSql, NumberForSql) or
// the typed helpers below; a table reference through Table(). A place with no part, or a
// '%' not followed by a digit, stays as written.

#include <QString>
#include <QStringView>
#include <span>
#include <type_traits>

namespace shell {

// The pattern with each %N replaced by parts[N-1]; one pass, nothing rescanned.
QString Compose(QStringView pattern, std::span<const QString> parts);

// "\"<folder>/<file>\"": a table file of the database folder, as the statements name it.
// prefix is TdmDataModule::DbPrefix() (the folder with its trailing '/', or empty on a
// server); a double quote in the folder's name is doubled, as in any quoted text.
QString Table(const QString& prefix, QStringView file);

namespace detail {
inline QString part(const QString& s) { return s; }
inline QString part(QStringView s) { return s.toString(); }
inline QString part(const char* s) { return QString::fromUtf8(s); }
template <class N, class = std::enable_if_t<std::is_arithmetic_v<N>>>
QString part(N n) { return QString::number(n); }
}  // namespace detail

// Sql(u"SELECT * FROM %1 WHERE BID=%2", Table(p, u"POBYTY.DB"), bid): integers and doubles
// become their decimal text, texts go in as they stand (quote values with QuoteText first).
template <class... Parts>
QString Sql(QStringView pattern, const Parts&... parts)
{
    const QString texts[] = {detail::part(parts)..., QString()};
    return Compose(pattern, std::span<const QString>(texts, sizeof...(Parts)));
}

}  // namespace shell
