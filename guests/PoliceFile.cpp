// The police's UNL file: the layout table and the writer; see PoliceFile.h.
#include "guests/PoliceFile.h"

#include <algorithm>

#include "platform/Platform.h"

namespace guests {

namespace {

// What a field of a record holds: a fixed text, a value of the provider or the guest, or
// nothing (the layout's empty fields).
enum class Source {
    Fixed, Empty,
    Idub, Abbrev, HotelName, Contact, District, Municipality, Part, Street, HouseNo, OrientNo, Postcode, Made,
    From, Thru, Surname, Name, Birth, Citizen, Address, DocNum, Visa, Purpose, Note
};

struct Field {
    Source source;
    const char* name;      // English, as the problems name it (a fixed text: the text itself)
    int maxLength;         // 0: as long as the column allows
    int minLength;         // the shortest a non-empty value may be
    bool required;
    bool capitals;         // written in capital letters
};

// The provider line (type A).
const Field kProviderFields[] = {
    {Source::Fixed, "A", 0, 0, false, false},
    {Source::Fixed, "2", 0, 0, false, false},    // the layout's format
    {Source::Idub, "IDUB", 14, 12, true, false},
    {Source::Abbrev, "abbreviation", 5, 5, true, false},
    {Source::HotelName, "name", 35, 0, true, false},
    {Source::Contact, "contact", 50, 0, false, false},
    {Source::District, "district", 0, 0, false, false},
    {Source::Municipality, "municipality", 0, 0, false, false},
    {Source::Part, "part of municipality", 0, 0, false, false},
    {Source::Street, "street", 0, 0, false, false},
    {Source::HouseNo, "house number", 5, 0, false, false},   // at most 4 digits, "E" before an evidence number
    {Source::OrientNo, "orientation number", 0, 0, false, false},
    {Source::Postcode, "postcode", 5, 0, false, false},
    {Source::Made, "time made", 0, 0, false, false},
    {Source::Empty, "", 0, 0, false, false},
};

// One line per person (type U).
const Field kGuestFields[] = {
    {Source::Fixed, "U", 0, 0, false, false},
    {Source::From, "from", 10, 0, true, false},
    {Source::Thru, "to", 10, 0, true, false},
    {Source::Surname, "surname", 0, 0, true, true},
    {Source::Name, "first name", 0, 0, true, true},
    {Source::Empty, "", 0, 0, false, false},
    {Source::Birth, "birth year", 10, 0, true, false},
    {Source::Empty, "", 0, 0, false, false},
    {Source::Empty, "", 0, 0, false, false},
    {Source::Citizen, "citizenship", 3, 3, true, true},
    {Source::Address, "address", 128, 0, false, false},
    {Source::DocNum, "document number", 30, 4, true, false},
    {Source::Visa, "visa number", 15, 0, false, false},
    {Source::Purpose, "purpose", 2, 2, false, false},
    {Source::Note, "note", 255, 0, false, false},
};

const QList<PurposeCode> kPurposes = {
    {"00", "Health", "Zdravotní"},
    {"01", "Business", "Obchodní"},
    {"02", "Culture", "Kulturní"},
    {"03", "Visiting family or friends", "Návštěva rodiny nebo přátel"},
    {"04", "Invitation", "Pozvání"},
    {"05", "Official (political)", "Oficiální (politická)"},
    {"06", "Self-employed business", "Podnikání"},
    {"07", "Sport", "Sportovní"},
    {"10", "Tourism", "Turistika"},
    {"11", "Study", "Studium"},
    {"12", "Transit", "Tranzit"},
    {"13", "Airport transit", "Letištní tranzit"},
    {"27", "Employment", "Zaměstnání"},
    {"93", "ADS visa", "Vízum ADS"},
    {"99", "Other", "Jiný"},
};

const QList<ExtraCitizenship> kExtraCitizenships = {
    {"XXA", "Stateless person", "Osoba bez státní příslušnosti"},
    {"XXB", "Refugee (1951 Convention)", "Uprchlík (Úmluva z roku 1951)"},
    {"XXC", "Other refugee", "Jiný uprchlík"},
    {"XXK", "Kosovo", "Kosovo"},
    {"UNO", "United Nations", "Organizace spojených národů"},
    {"UNA", "United Nations agency", "Odborná organizace OSN"},
    {"XEU", "European Union", "Evropská unie"},
    {"XMR", "Sovereign Military Order of Malta", "Suverénní řád maltézských rytířů"},
};

QString dayText(const QDate& d) { return d.isValid() ? d.toString(QStringLiteral("dd.MM.yyyy")) : QString(); }

QString providerValue(Source s, const HotelDetails& h, const QDateTime& made)
{
    switch (s) {
    case Source::Idub: return h.idub;
    case Source::Abbrev: return h.abbrev;
    case Source::HotelName: return h.name;
    case Source::Contact: return h.contact;
    case Source::District: return h.district;
    case Source::Municipality: return h.municipality;
    case Source::Part: return h.part;
    case Source::Street: return h.street;
    case Source::HouseNo: return h.houseNo;
    case Source::OrientNo: return h.orientNo;
    case Source::Postcode: return h.postcode;
    case Source::Made: return made.toString(QStringLiteral("yyyy.MM.dd HH:mm:ss"));
    default: return {};
    }
}

QString guestValue(Source s, const Guest& g)
{
    switch (s) {
    case Source::From: return dayText(g.DATEFROM);
    case Source::Thru: return dayText(g.DATETHRU);
    case Source::Surname: return g.SURNAME;
    case Source::Name: return g.NAME;
    case Source::Birth: return g.DATEBIRTH;
    case Source::Citizen: return g.CITIZEN;
    case Source::Address: return g.ADDRESS;
    case Source::DocNum: return g.DOCNUM;
    case Source::Visa: return g.VISA;
    case Source::Purpose: return g.PURPOSE.trimmed().isEmpty() ? QString::fromLatin1(kDefaultPurpose) : g.PURPOSE;
    case Source::Note: return g.NOTE;
    default: return {};
    }
}

QString rightTrimmed(const QString& s)
{
    qsizetype n = s.size();
    while (n > 0 && s[n - 1].isSpace() && s[n - 1] != QLatin1Char('\r') && s[n - 1] != QLatin1Char('\n')) --n;
    return s.left(n);
}

// Appends the text in Windows-1250; false (out unchanged) when a letter has no code there.
bool appendCp1250(const QString& v, QByteArray& out)
{
    bool ascii = true;
    for (QChar c : v) ascii = ascii && c.unicode() < 0x80;
    if (ascii) {
        out += v.toLatin1();
        return true;
    }
    // The conversion writes "?" for a letter it lacks: more "?" than the text has is a loss.
    const QByteArray bytes = platform::toCp1250(v);
    if (bytes.count('?') != v.count(QLatin1Char('?'))) return false;
    out += bytes;
    return true;
}

// Appends one record's bytes; problems of its fields go to problems (nothing appended then).
template <size_t N, class Value>
void writeRecord(const Field (&fields)[N], Value value, QByteArray& line, QList<PoliceProblem>& problems,
                 const PoliceProblem& who)
{
    const qsizetype before = problems.size();
    QByteArray out;
    for (const Field& f : fields) {
        QString v = f.source == Source::Fixed ? QString::fromLatin1(f.name) : rightTrimmed(value(f.source));
        if (f.capitals) v = v.toUpper();
        auto problem = [&](const char* reason, bool missing = false) {
            PoliceProblem p = who;
            p.field = QString::fromLatin1(f.name);
            p.reason = QString::fromLatin1(reason);
            p.missing = missing;
            problems << p;
        };
        if (f.required && v.trimmed().isEmpty()) { problem("missing", true); continue; }
        if (v.contains(QLatin1Char('|')) || v.contains(QLatin1Char('\r')) || v.contains(QLatin1Char('\n'))) {
            problem("holds \"|\" or a line break");
            continue;
        }
        if (f.maxLength > 0 && v.size() > f.maxLength) { problem("is too long"); continue; }
        if (!v.isEmpty() && v.size() < f.minLength) { problem("is too short"); continue; }
        if (f.source == Source::Birth && !validBirthDate(v)) { problem("is not DD.MM.YYYY"); continue; }
        if (!appendCp1250(v, out)) { problem("holds a letter Windows-1250 cannot write"); continue; }
        out += '|';
    }
    if (problems.size() > before) return;
    out += "\r\n";
    line += out;
}

}  // namespace

const QList<PurposeCode>& purposeCodes() { return kPurposes; }
const QList<ExtraCitizenship>& extraCitizenships() { return kExtraCitizenships; }

PoliceFile makePoliceFile(const HotelDetails& hotel, const QList<Guest>& guests, const QDateTime& made,
                          bool leaveOutIncomplete, QList<PoliceProblem>* omitted)
{
    PoliceFile file;
    QByteArray bytes;
    bytes.reserve(128 + qsizetype(guests.size()) * 120);
    writeRecord(kProviderFields, [&](Source s) { return providerValue(s, hotel, made); }, bytes, file.problems, {});
    for (const Guest& g : guests) {
        if (!g.isForeign()) continue;
        PoliceProblem who;
        who.HID = g.HID;
        who.guest = (g.SURNAME.toUpper() + QLatin1Char(' ') + g.NAME).trimmed();
        QList<PoliceProblem> own;
        writeRecord(kGuestFields, [&](Source s) { return guestValue(s, g); }, bytes, own, who);
        if (own.isEmpty()) {
            file.written << g.HID;
            continue;
        }
        const bool onlyMissing = std::all_of(own.begin(), own.end(), [](const PoliceProblem& p) { return p.missing; });
        if (leaveOutIncomplete && onlyMissing) {
            if (omitted) *omitted << own;
            continue;
        }
        file.problems << own;
    }
    if (file.problems.isEmpty()) file.bytes = bytes;
    else file.written.clear();
    return file;
}

QString policeFileName(const QString& idub, const QDateTime& made)
{
    return idub + QLatin1Char('_') + made.toString(QStringLiteral("yyMMddHHmm")) + QStringLiteral(".unl");
}

QString problemText(const PoliceProblem& p)
{
    const QString who = p.guest.isEmpty() ? QStringLiteral("hotel details") : p.guest;
    return QStringLiteral("%1: %2 %3").arg(who, p.field, p.reason);
}

}  // namespace guests
