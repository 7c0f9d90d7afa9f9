// The list of states from iso-codes; see Countries.h.
#include "guests/Countries.h"

#include <QCollator>
#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QMap>
#include <QtEndian>

#include "guests/PoliceFile.h"

namespace guests {

namespace {
QString g_json = QStringLiteral("/usr/share/iso-codes/json/iso_3166-1.json");
QString g_czech = QStringLiteral("/usr/share/locale/cs/LC_MESSAGES/iso_3166-1.mo");

struct IsoEntry {
    QString alpha3, alpha2, english;
};

QList<IsoEntry> readIso()
{
    QList<IsoEntry> out;
    QFile f(g_json);
    if (!f.open(QIODevice::ReadOnly)) return out;
    const QJsonArray list = QJsonDocument::fromJson(f.readAll()).object().value(QStringLiteral("3166-1")).toArray();
    for (const QJsonValue& v : list) {
        const QJsonObject o = v.toObject();
        out.append({o.value(QStringLiteral("alpha_3")).toString(), o.value(QStringLiteral("alpha_2")).toString(),
                    o.value(QStringLiteral("name")).toString()});
    }
    return out;
}

QMap<QString, QList<Country>>& cache()
{
    static QMap<QString, QList<Country>> lists;
    return lists;
}

// Lower case without accents, for matching a typed country name.
QString folded(const QString& s)
{
    QString d = s.normalized(QString::NormalizationForm_D).toLower();
    QString out;
    for (QChar c : d)
        if (c.category() != QChar::Mark_NonSpacing) out += c;
    return out.trimmed();
}
}  // namespace

void setIsoCodesPaths(const QString& json, const QString& czechCatalogue)
{
    g_json = json;
    g_czech = czechCatalogue;
    cache().clear();
}

QHash<QString, QString> readMoCatalogue(const QString& path)
{
    QHash<QString, QString> out;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return out;
    const QByteArray b = f.readAll();
    if (b.size() < 28) return out;
    const auto* p = reinterpret_cast<const uchar*>(b.constData());
    const quint32 magic = qFromLittleEndian<quint32>(p);
    const bool little = magic == 0x950412de;
    if (!little && qFromBigEndian<quint32>(p) != 0x950412de) return out;
    auto word = [&](qsizetype at) -> quint32 {
        if (at < 0 || at + 4 > b.size()) return 0;
        return little ? qFromLittleEndian<quint32>(p + at) : qFromBigEndian<quint32>(p + at);
    };
    const quint32 n = word(8), originals = word(12), translations = word(16);
    auto text = [&](quint32 table, quint32 i) -> QString {
        const quint32 len = word(qsizetype(table) + 8 * qsizetype(i)), off = word(qsizetype(table) + 8 * qsizetype(i) + 4);
        if (qsizetype(off) + qsizetype(len) > b.size()) return {};
        return QString::fromUtf8(b.constData() + off, qsizetype(len));
    };
    for (quint32 i = 0; i < n; ++i) {
        const QString original = text(originals, i);
        if (!original.isEmpty()) out.insert(original, text(translations, i));
    }
    return out;
}

const QList<Country>& countries(const QString& language)
{
    const QString lang = language == QLatin1String("cs") ? QStringLiteral("cs") : QStringLiteral("en");
    auto it = cache().find(lang);
    if (it != cache().end()) return *it;
    const bool czech = lang == QLatin1String("cs");
    const QHash<QString, QString> cs = czech ? readMoCatalogue(g_czech) : QHash<QString, QString>{};
    QList<Country> list;
    for (const IsoEntry& e : readIso()) list.append({e.alpha3, czech ? cs.value(e.english, e.english) : e.english});
    if (list.isEmpty()) list.append({QStringLiteral("CZE"), czech ? QStringLiteral("Česko") : QStringLiteral("Czechia")});
    QCollator collator(czech ? QLocale(QLocale::Czech) : QLocale(QLocale::English));
    std::sort(list.begin(), list.end(), [&](const Country& a, const Country& b) { return collator.compare(a.name, b.name) < 0; });
    for (const ExtraCitizenship& x : extraCitizenships())
        list.append({QString::fromLatin1(x.code), QString::fromUtf8(czech ? x.czech : x.english)});
    return *cache().insert(lang, list);
}

QString countryName(const QString& code, const QString& language)
{
    for (const Country& c : countries(language))
        if (c.code.compare(code, Qt::CaseInsensitive) == 0) return c.name;
    return code;
}

QString countryCode(const QString& country)
{
    const QString typed = folded(country);
    if (typed.isEmpty()) return {};
    // Names and abbreviations people write at a Czech desk come first: "ČR" is the Czech
    // Republic here, not the alpha-2 code of Costa Rica, and "SR" Slovakia, not Suriname.
    static const QHash<QString, QString> common = {{"czech republic", "CZE"}, {"ceska republika", "CZE"}, {"cr", "CZE"},
                                                   {"sr", "SVK"},            {"usa", "USA"},            {"uk", "GBR"},
                                                   {"great britain", "GBR"}, {"nemecko", "DEU"},       {"germany", "DEU"},
                                                   {"slovensko", "SVK"}};
    if (common.contains(typed)) return common.value(typed);
    static const QList<IsoEntry> iso = readIso();
    for (const IsoEntry& e : iso)
        if (typed == e.alpha3.toLower() || typed == e.alpha2.toLower() || typed == folded(e.english)) return e.alpha3;
    for (const Country& c : countries(QStringLiteral("cs")))
        if (typed == folded(c.name) || typed == c.code.toLower()) return c.code;
    return {};
}

}  // namespace guests
