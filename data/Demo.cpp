// The demo data set, composed as INSERT statements in the engine's dialect and placed
// around one day, so that every window has something worth opening: every stay status,
// open and closed accounts with charges, a double booking, a due reminder.
//
// Invariants: a fixed seed makes the set the same for the same moment; all dates derive
// from that moment's day; amounts follow the program's rules (CZK = EUR x rate rounded to
// hundredths, halves to even; amounts written with 2 decimals, rates with 4); a client has
// at most one open account; keys are read back from the tables, never assumed.

#include "data/Demo.h"

#include <QMap>
#include <QStringList>
#include <QTime>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <set>
#include <vector>

#include "data/Random.h"
#include "data/TableFiles.h"
#include "engine/Engine.h"
#include "shell/ValueHelpers.h"

namespace data {
namespace {

using shell::QuoteText;

QString u(const char* text) { return QString::fromUtf8(text); }


QString timeText(const QTime& t) { return QStringLiteral("%1:%2:%3").arg(t.hour()).arg(t.minute()).arg(t.second()); }

// One INSERT statement, its values already in statement form.
class Insert {
public:
    explicit Insert(QString table) : m_table(std::move(table)) {}
    Insert& text(const char* col, const QString& v) { return raw(col, QuoteText(v)); }
    Insert& date(const char* col, int day) { return raw(col, QuoteText(shell::DateText(day))); }
    // A date as a date box shows it (05.03.2004), the form dialogs write.
    Insert& boxDate(const char* col, int day)
    {
        return raw(col, QuoteText(shell::DateFromNumber(day).toString(QStringLiteral("dd.MM.yyyy"))));
    }
    Insert& time(const char* col, const QTime& t) { return raw(col, QuoteText(timeText(t))); }
    Insert& money(const char* col, double v) { return raw(col, shell::FixedReal(v, 2)); }
    Insert& rate(const char* col, double v) { return raw(col, shell::FixedReal(v, 4)); }
    Insert& integer(const char* col, qint64 v) { return raw(col, QString::number(v)); }
    Insert& raw(const char* col, const QString& v)
    {
        m_cols << QLatin1String(col);
        m_vals << v;
        return *this;
    }
    // Audit fields as the program writes them: no user log-in, so the user is empty.
    Insert& audit(int day, const QTime& t, const char* userField = "USR")
    {
        return text(userField, QString()).date("UPMJ", day).time("UPMT", t);
    }
    QString sql(const QString& prefix) const
    {
        return QStringLiteral("INSERT INTO \"%1%2.DB\" (%3) VALUES (%4)")
            .arg(prefix, m_table, m_cols.join(QStringLiteral(", ")), m_vals.join(QStringLiteral(", ")));
    }

private:
    QString m_table;
    QStringList m_cols, m_vals;
};

struct Room {
    const char* pid; const char* name; const char* descr;
    double metr; int colour; double price, maid; int beds; bool dated;
};

// PCOLOR is a Windows colour, 0x00BBGGRR.
const Room kRooms[] = {
    {"101", "101 Single", "Single room, courtyard view, shower", 14, 0x00E6F0FA, 45, 6, 1, true},
    {"102", "102 Double", "Double bed, street view, shower", 18, 0x00D7EBFA, 60, 8, 2, true},
    {"103", "103 Double", "Double bed, courtyard view, bath", 18, 0x00C8E6F0, 60, 8, 2, true},
    {"104", "104 Twin", "Two single beds, bath", 20, 0x00E1E4FF, 62, 8, 2, true},
    {"105", "105 Triple", "Double bed and a sofa bed, bath", 24, 0x00D2FAFA, 75, 10, 3, true},
    {"201", "201 Single", "Single room, street view, shower", 14, 0x00F0E6E6, 45, 6, 1, true},
    {"202", "202 Double", "Double bed, courtyard view, shower", 19, 0x00E6D8AD, 62, 8, 2, true},
    {"203", "203 Double with balcony", "Double bed, balcony to the garden", 21, 0x00AAE8EE, 70, 8, 2, true},
    {"204", "204 Twin", "Two single beds, shower", 20, 0x00C1E1FF, 62, 8, 2, true},
    {"205", "205 Family", "Double bed, two single beds, bath", 30, 0x0098FB98, 95, 12, 4, true},
    {"206", "206 Double", "Double bed, street view, bath", 18, 0x00DDA0DD, 60, 8, 2, true},
    {"301", "301 Attic double", "Under the roof, skylight, shower", 17, 0x00E0FFFF, 55, 8, 2, false},
    {"302", "302 Attic double", "Under the roof, dormer window", 17, 0x00FFF8F0, 55, 8, 2, false},
    {"303", "303 Junior suite", "Bedroom with a sitting corner, bath", 32, 0x0080DEFF, 110, 14, 2, true},
    {"304", "304 Suite", "Bedroom and living room, bath and shower", 45, 0x00B4E4FF, 140, 15, 3, true},
    {"305", "305 Attic twin", "Two single beds under the roof", 19, 0x00E6E0B0, 55, 8, 2, false},
    {"A1", "Apartment Vltava", "Two rooms, kitchenette, river view", 52, 0x00FFE4C4, 150, 18, 4, true},
    {"A2", "Apartment Petřín", "Two rooms, kitchenette, garden", 48, 0x00FACE87, 140, 18, 4, true},
    {"G1", "G1 Garden room", "Ground floor, terrace to the garden", 22, 0x0090EE90, 70, 10, 2, false},
    {"G2", "G2 Garden accessible", "Ground floor, barrier-free bathroom", 26, 0x00AAB220, 72, 10, 2, false},
};
constexpr int kRoomCount = int(std::size(kRooms));

struct ItemType { int upid; const char* name; int tax1, tax2; };
const ItemType kItemTypes[] = {
    {1, "Accomodation", 10, -1}, {2, "Maid service", 20, -1}, {3, "Minibar", 20, 10},
    {4, "Telephone", 20, -1},    {5, "Parking", 20, -1},      {6, "Breakfast", 10, -1},
    {7, "Laundry", 20, -1},      {8, "Newspapers", 10, -1},   {9, "Sauna and wellness", 20, 10},
};

struct Source { const char* fid; const char* descr; };
const Source kSources[] = {
    {"A", "Agency"}, {"F", "Friends"}, {"I", "Internet"}, {"N", "Newspaper advertisement"},
    {"R", "Repeated stay"}, {"T", "Tourist information centre"},
};

struct OutOfOrder { const char* pid; int from, thru; const char* reason; };   // days from today
const OutOfOrder kOutOfOrder[] = {
    {"104", -20, -17, "Water damage"},
    {"206", -3, 4, "Renovation of the bathroom"},
    {"G2", 20, 24, "Painting"},
    {"305", 40, 47, "Renovation of the bathroom"},
};

struct Country {
    const char* name; const char* phone;
    std::vector<const char*> maleSurnames, femaleSurnames, maleNames, femaleNames, streets;
    std::vector<std::pair<const char*, const char*>> cities;
    int weight;
};

const std::vector<Country>& countries()
{
    static const std::vector<Country> list = {
        {"Czech Republic", "+420 6",
         {"Novák", "Svoboda", "Novotný", "Dvořák", "Černý", "Procházka", "Kučera", "Veselý", "Horák", "Němec",
          "Pospíšil", "Hájek", "Jelínek", "Král", "Růžička", "Beneš", "Fiala", "Sedláček", "Doležal", "Zeman",
          "Kolář", "Šťastný", "Řezníček", "Žáček", "Křížek"},
         {"Nováková", "Svobodová", "Novotná", "Dvořáková", "Černá", "Procházková", "Kučerová", "Veselá", "Horáková",
          "Němcová", "Pospíšilová", "Hájková", "Jelínková", "Králová", "Růžičková", "Benešová", "Fialová",
          "Sedláčková", "Doležalová", "Zemanová", "Kolářová", "Šťastná", "Řezníčková", "Žáčková", "Křížková"},
         {"Jan", "Petr", "Pavel", "Tomáš", "Jiří", "Martin", "Jaroslav", "Miroslav", "Zdeněk", "Václav", "Josef",
          "Lukáš", "Ondřej", "Radek", "Karel", "Bohumil"},
         {"Jana", "Marie", "Eva", "Hana", "Lenka", "Kateřina", "Lucie", "Petra", "Věra", "Alena", "Zuzana",
          "Michaela", "Tereza", "Jiřina"},
         {"Nádražní", "Husova", "Masarykova", "Palackého", "Komenského", "Jiráskova", "Školní", "Zahradní",
          "Lidická", "Třída Svobody", "Žižkova"},
         {{"Praha 2", "120 00"}, {"Brno", "602 00"}, {"Ostrava", "702 00"}, {"Plzeň", "301 00"},
          {"Olomouc", "779 00"}, {"Liberec", "460 01"}, {"České Budějovice", "370 01"},
          {"Hradec Králové", "500 02"}, {"Ústí nad Labem", "400 01"}, {"Pardubice", "530 02"},
          {"Zlín", "760 01"}, {"Jihlava", "586 01"}, {"Třebíč", "674 01"}},
         50},
        {"Germany", "+49 17",
         {"Müller", "Schmidt", "Schneider", "Fischer", "Weber", "Wagner", "Becker", "Schäfer", "Krüger", "Hoffmann"},
         {"Müller", "Schmidt", "Schneider", "Fischer", "Weber", "Wagner", "Becker", "Schäfer", "Krüger", "Hoffmann"},
         {"Hans", "Jürgen", "Klaus", "Stefan", "Andreas", "Günter"},
         {"Ute", "Sabine", "Birgit", "Jutta", "Anja", "Jörg"},
         {"Hauptstraße", "Bahnhofstraße", "Gartenweg", "Schillerstraße", "Goethestraße"},
         {{"Berlin", "10115"}, {"München", "80331"}, {"Dresden", "01067"}, {"Nürnberg", "90402"}, {"Leipzig", "04109"}},
         12},
        {"Austria", "+43 664",
         {"Gruber", "Huber", "Bauer", "Pichler", "Steiner"}, {"Gruber", "Huber", "Bauer", "Pichler", "Steiner"},
         {"Maximilian", "Lukas", "Florian"}, {"Katharina", "Lena", "Theresa"},
         {"Mariahilfer Straße", "Landstraße", "Kärntner Straße"},
         {{"Wien", "1010"}, {"Graz", "8010"}, {"Linz", "4020"}, {"Salzburg", "5020"}},
         6},
        {"United Kingdom", "+44 7700",
         {"Smith", "Jones", "Taylor", "Brown", "Williams", "Wilson"}, {"Smith", "Jones", "Taylor", "Brown", "Williams", "Wilson"},
         {"James", "Oliver", "George"}, {"Emily", "Sophie", "Charlotte"},
         {"High Street", "Church Road", "Station Road"},
         {{"London", "SW1A 1AA"}, {"Manchester", "M1 1AE"}, {"Leeds", "LS1 4AP"}, {"Bristol", "BS1 4DJ"}},
         6},
        {"Ireland", "+353 87",
         {"O'Brien", "O'Connor", "Murphy", "Kelly", "O'Sullivan"}, {"O'Brien", "O'Connor", "Murphy", "Kelly", "O'Sullivan"},
         {"Patrick", "Seán", "Liam"}, {"Siobhán", "Aoife", "Niamh"},
         {"Grafton Street", "O'Connell Street", "Patrick Street"},
         {{"Dublin", "D02 X285"}, {"Cork", "T12 W8DR"}, {"Galway", "H91 E2K7"}},
         4},
        {"Italy", "+39 347",
         {"D'Angelo", "Rossi", "Bianchi", "Romano", "Esposito", "D'Amico"}, {"D'Angelo", "Rossi", "Bianchi", "Romano", "Esposito", "D'Amico"},
         {"Marco", "Giuseppe", "Luca"}, {"Giulia", "Francesca", "Chiara"},
         {"Via Roma", "Via Garibaldi", "Corso Italia"},
         {{"Roma", "00184"}, {"Milano", "20121"}, {"Torino", "10121"}, {"Firenze", "50122"}},
         5},
        {"France", "+33 6",
         {"Dubois", "Lefèvre", "Martin", "Bernard", "Moreau"}, {"Dubois", "Lefèvre", "Martin", "Bernard", "Moreau"},
         {"Jean", "Pierre", "François"}, {"Amélie", "Céline", "Hélène"},
         {"Rue de la Paix", "Avenue Victor Hugo", "Rue du Commerce"},
         {{"Paris", "75004"}, {"Lyon", "69002"}, {"Marseille", "13001"}},
         4},
        {"Poland", "+48 601",
         {"Kowalski", "Nowak", "Wiśniewski", "Wójcik", "Kamiński"}, {"Kowalska", "Nowak", "Wiśniewska", "Wójcik", "Kamińska"},
         {"Piotr", "Tomasz", "Łukasz"}, {"Agnieszka", "Małgorzata", "Joanna"},
         {"ul. Długa", "ul. Floriańska", "ul. Piękna"},
         {{"Kraków", "31-001"}, {"Warszawa", "00-001"}, {"Wrocław", "50-001"}},
         4},
        {"Slovakia", "+421 905",
         {"Horváth", "Kováč", "Baláž", "Tóth"}, {"Horváthová", "Kováčová", "Balážová", "Tóthová"},
         {"Peter", "Juraj", "Ľubomír"}, {"Zuzana", "Mária", "Ľudmila"},
         {"Obchodná", "Hlavná", "Štúrova"},
         {{"Bratislava", "811 01"}, {"Košice", "040 01"}, {"Žilina", "010 01"}},
         5},
        {"USA", "+1 212",
         {"Johnson", "Miller", "Davis", "Anderson"}, {"Johnson", "Miller", "Davis", "Anderson"},
         {"Michael", "Robert"}, {"Jennifer", "Linda"},
         {"Main Street", "Park Avenue", "Oak Street"},
         {{"New York", "10001"}, {"Chicago", "60601"}, {"Boston", "02108"}},
         3},
        {"Japan", "+81 90",
         {"Tanaka", "Suzuki", "Sato"}, {"Tanaka", "Suzuki", "Sato"},
         {"Hiroshi", "Kenji"}, {"Yuki", "Akiko"},
         {"Chuo-dori", "Meiji-dori"},
         {{"Tokyo", "100-0001"}, {"Osaka", "530-0001"}},
         1},
    };
    return list;
}

struct Client {
    QString surname, name, title, address, city, postal, country, tel, fax, placeBirth;
    int birth = 0;   // 0: not known
    QString passport; int passDate = 0; QString passPlace;
    QString cardNum, cardExp, cardType, rating, agency, knowsFrom, comment;
};

struct Stay {
    int room = 0, from = 0, thru = 0;
    QChar status;
    int client = -1;          // index into the clients, -1 for no client card
    QString bookedFor, knowsFrom = QStringLiteral(" ");
    int prThru = 0;           // 0: none
    int persons = 1;
    bool business = false;
    bool openAccount = false; // checked out but not paid yet
    int booked = 0;           // day the reservation was made
};

struct Charge { int upid; QString descr; int day; double eur; double tax; };

class DemoWriter {
public:
    DemoWriter(engine::Database& db, const QString& folder, const QDateTime& now)
        : m_db(db), m_prefix(folderPrefix(folder)), m_today(shell::NumberFromDate(now.date())),
          m_now(now.time()), m_rng(20040305)
    {
    }

    DemoSummary run()
    {
        writeRooms();
        writeRates();
        writeItemTypes();
        writeSources();
        writeClients();
        writeStays();
        writeNotes();
        return m_sum;
    }

private:
    void exec(const QString& sql) { m_db.execute(sql.toStdString()); }
    void exec(const Insert& row) { exec(row.sql(m_prefix)); }

    qint64 maxKey(const char* table, const char* key)
    {
        auto q = m_db.open(QStringLiteral("SELECT max(%1) AS M FROM \"%2%3.DB\"").arg(QLatin1String(key), m_prefix, QLatin1String(table)).toStdString());
        return q->next() ? q->integer(0) : 0;
    }

    QTime randomTime(int fromHour, int toHour)
    {
        return QTime(m_rng.range(fromHour, toHour), m_rng.range(0, 59), m_rng.range(0, 59));
    }

    // ---- rooms and prices ----
    void writeRooms()
    {
        for (int i = 0; i < kRoomCount; ++i) {
            const Room& r = kRooms[i];
            exec(Insert("POKOJE").text("PID", u(r.pid)).text("PNAME", u(r.name)).text("PDESCR", u(r.descr))
                     .money("PMETR", r.metr).integer("PCOLOR", r.colour).money("PPRICE", r.price)
                     .money("MAIDPRICE", r.maid).audit(m_today - 400, QTime(10, 0, 0), "USER"));
            ++m_sum.rooms;
            if (!r.dated) continue;
            // Last year's price, this season's price, and a dearer summer from next month.
            const struct { int offset; double delta; } rows[] = {{-400, -5}, {-60, 0}, {30, 8}};
            for (const auto& p : rows) {
                const int day = m_today + p.offset;
                m_prices[i][day] = {r.price + p.delta, r.maid + (p.delta > 0 ? 1 : 0)};
                exec(Insert("POKCENY").text("PID", u(r.pid)).date("DATEFROM", day)
                         .money("PPRICE", r.price + p.delta).money("MAIDPRICE", m_prices[i][day].second)
                         .audit(std::min(m_today, day - 10), QTime(10, 30, 0), "USER"));
                ++m_sum.prices;
            }
        }
    }

    // The room's prices for one night: the latest dated row not after it, else the default.
    std::pair<double, double> nightPrice(int room, int night) const
    {
        const auto it = m_prices.find(room);
        if (it == m_prices.end() || it->empty()) return {kRooms[room].price, kRooms[room].maid};
        auto row = it->upperBound(night);
        if (row == it->begin()) return {0, 0};
        --row;
        return row.value();
    }

    // ---- exchange rates ----
    void writeRates()
    {
        for (int week = 52; week >= 0; --week) {
            const int day = m_today - 7 * week;
            const double wave = 0.55 * std::sin(week * 0.37) + 0.25 * std::cos(week * 0.11);
            const double rate = std::round((25.0 + wave + m_rng.range(-20, 20) / 200.0) * 1000.0) / 1000.0;
            m_rates[day] = rate;
            exec(Insert("KURZY").date("RDATE", day).text("CRCD", QStringLiteral("EUR")).rate("CRR", rate));
            ++m_sum.rates;
        }
    }

    double rateOn(int day) const
    {
        auto it = m_rates.upperBound(day);
        if (it == m_rates.begin()) return m_rates.first();
        return (--it).value();
    }

    // ---- item types and referral sources ----
    void writeItemTypes()
    {
        for (const ItemType& t : kItemTypes) {
            exec(Insert("UCPODEF").integer("UPID", t.upid).text("UPNAME", u(t.name))
                     .integer("UPTAX1", t.tax1).integer("UPTAX2", t.tax2));
            ++m_sum.itemTypes;
        }
    }

    void writeSources()
    {
        for (const Source& s : kSources) {
            exec(Insert("ODKUDVI").text("FID", u(s.fid)).text("FDESCR", u(s.descr)));
            ++m_sum.sources;
        }
    }

    // ---- client cards ----
    Client showcase(const char* surname, const char* name, const char* title, const char* address,
                    const char* city, const char* postal, const char* country, const char* knows,
                    const char* rating, const char* agency, const char* comment, int index)
    {
        Client c = generated(index, 0);
        c.surname = u(surname); c.name = u(name); c.title = u(title); c.address = u(address);
        c.city = u(city); c.postal = u(postal); c.country = u(country); c.knowsFrom = u(knows);
        c.rating = u(rating); c.agency = u(agency); c.comment = u(comment);
        return c;
    }

    Client generated(int index, int countryPick)
    {
        const auto& all = countries();
        const Country* country = &all.front();
        for (const Country& k : all) {
            if (countryPick < k.weight) { country = &k; break; }
            countryPick -= k.weight;
        }
        Client c;
        const bool female = m_rng.chance(45);
        const size_t s = static_cast<size_t>(m_rng.range(0, int(country->maleSurnames.size()) - 1));
        c.surname = u(female ? country->femaleSurnames[s] : country->maleSurnames[s]);
        c.name = u(m_rng.pick(female ? country->femaleNames : country->maleNames));
        static const std::vector<const char*> titles = {"Ing.", "Mgr.", "MUDr.", "Dr.", "Prof."};
        if (m_rng.chance(15)) c.title = u(m_rng.pick(titles));
        const auto& city = m_rng.pick(country->cities);
        c.city = u(city.first);
        c.postal = u(city.second);
        c.address = u(m_rng.pick(country->streets)) + QLatin1Char(' ') + QString::number(m_rng.range(1, 120));
        c.country = u(country->name);
        c.tel = u(country->phone) + QStringLiteral("%1 %2").arg(m_rng.range(10, 99)).arg(m_rng.range(100000, 999999));
        if (m_rng.chance(10)) c.fax = u(country->phone) + QStringLiteral("%1 %2").arg(m_rng.range(10, 99)).arg(m_rng.range(100000, 999999));
        if (m_rng.chance(85)) {
            c.birth = m_today - 365 * m_rng.range(20, 75) - m_rng.range(0, 364);
            c.placeBirth = u(m_rng.pick(country->cities).first);
        }
        // Unique by construction: the index is part of the number.
        c.passport = QStringLiteral("%1%2").arg(country->name[0] == 'C' ? QString() : QStringLiteral("X"))
                         .arg(40000000 + index * 97 + m_rng.range(0, 96));
        c.passDate = m_today - m_rng.range(100, 3500);
        c.passPlace = c.city;
        if (m_rng.chance(40)) {
            static const std::vector<const char*> types = {"VISA", "MasterCard", "American Express", "Maestro"};
            c.cardType = u(m_rng.pick(types));
            const QString lead = c.cardType == QLatin1String("VISA") ? QStringLiteral("4")
                               : c.cardType == QLatin1String("American Express") ? QStringLiteral("37") : QStringLiteral("5");
            c.cardNum = QStringLiteral("%1%2 %3 %4 %5").arg(lead).arg(100 + index % 900, 3, 10, QLatin1Char('0'))
                            .arg(m_rng.range(1000, 9999)).arg(m_rng.range(1000, 9999)).arg(1000 + index);
            const QDate exp = shell::DateFromNumber(m_today + m_rng.range(60, 1400));
            c.cardExp = exp.toString(QStringLiteral("MM/yy"));
        }
        static const std::vector<const char*> ratings = {"0", "1", "2", "3", "3", "3", "4", "4", "5"};
        c.rating = u(m_rng.pick(ratings));
        static const std::vector<const char*> agencies = {"Čedok", "Invia", "Fischer", "Thomas Cook", "Euroagentur"};
        const int knows = m_rng.range(0, 99);
        if (knows < 10) { c.agency = u(m_rng.pick(agencies)); c.knowsFrom = QStringLiteral("A"); }
        else if (knows < 45) c.knowsFrom = QStringLiteral("I");
        else if (knows < 62) c.knowsFrom = QStringLiteral("F");
        else if (knows < 77) c.knowsFrom = QStringLiteral("R");
        else if (knows < 84) c.knowsFrom = QStringLiteral("N");
        else if (knows < 91) c.knowsFrom = QStringLiteral("T");
        else c.knowsFrom = QStringLiteral(" ");
        static const std::vector<const char*> comments = {
            "Regular guest", "Needs a parking place", "Allergic to feathers - synthetic pillows",
            "Usually arrives after 22:00", "Invoice to the company", "Prefers upper floors",
            "Travels with a small dog", "Asked for a \"quiet\" room"};
        if (m_rng.chance(15)) c.comment = u(m_rng.pick(comments));
        return c;
    }

    void writeClients()
    {
        m_clients.push_back(showcase("Dvořák", "Antonín", "Ing.", "Slovanská 12", "Plzeň", "326 00", "Czech Republic",
                                     "R", "5", "", "Prefers a quiet room facing the courtyard", 0));
        m_clients.push_back(showcase("Šťastná", "Věra", "Mgr.", "Křižíkova 8", "Praha 8", "186 00", "Czech Republic",
                                     "F", "4", "", "", 1));
        m_clients.push_back(showcase("Müller", "Hans", "Dr.", "Bahnhofstraße 5", "Dresden", "01067", "Germany",
                                     "A", "3", "Čedok", "", 2));
        m_clients.push_back(showcase("O'Brien", "Patrick", "", "14 Grafton Street", "Dublin", "D02 X285", "Ireland",
                                     "I", "4", "", "", 3));
        m_clients.push_back(showcase("D'Angelo", "Giulia", "", "Via Garibaldi 21", "Torino", "10121", "Italy",
                                     "I", "5", "", "Vegetarian breakfast", 4));
        int totalWeight = 0;
        for (const Country& k : countries()) totalWeight += k.weight;
        while (m_clients.size() < 200) {
            const int index = int(m_clients.size());
            m_clients.push_back(generated(index, m_rng.range(0, totalWeight - 1)));
        }
        for (const Client& c : m_clients) {
            Insert row("KARTY");
            row.text("SURNAME", c.surname).text("NAME", c.name).text("TITLE", c.title)
                .text("ADDRESS", c.address).text("CITY", c.city).text("POSTAL", c.postal)
                .text("COUNTRY", c.country).text("TEL", c.tel).text("FAX", c.fax)
                .text("PLACEBIRTH", c.placeBirth);
            if (c.birth) row.date("DATEBIRTH", c.birth); else row.raw("DATEBIRTH", QStringLiteral("null"));
            row.text("PASSPORT", c.passport).date("PASSDATE", c.passDate).text("PASSPLACE", c.passPlace)
                .text("CARDNUM", c.cardNum).text("CARDEXP", c.cardExp).text("CARDTYPE", c.cardType)
                .text("RATING", c.rating).text("AGENCY", c.agency).text("KNOWSFROM", c.knowsFrom)
                .text("COMMENT", c.comment)
                .audit(m_today - m_rng.range(0, 500), randomTime(7, 21));
            exec(row);
            ++m_sum.clients;
        }
        // Keys are the table's: the cards were written in one go, so they are consecutive.
        m_firstKid = maxKey("KARTY", "KID") - qint64(m_clients.size()) + 1;
    }

    qint64 kidOf(int client) const { return client < 0 ? 0 : m_firstKid + client; }

    // ---- stays, accounts, charges ----
    const OutOfOrder* blockedBy(int room, int from, int thru) const
    {
        for (const OutOfOrder& x : kOutOfOrder)
            if (u(x.pid) == u(kRooms[room].pid) && from < m_today + x.thru && m_today + x.from < thru) return &x;
        return nullptr;
    }

    std::vector<Stay> planStays()
    {
        std::vector<Stay> stays;
        for (int room = 0; room < kRoomCount; ++room) {
            int day = m_today - 30 - m_rng.range(0, 3);
            while (day < m_today + 60) {
                if (!m_rng.chance(40)) day += m_rng.range(1, 3);
                const int nights = m_rng.chance(70) ? m_rng.range(1, 4) : m_rng.range(5, 10);
                if (const OutOfOrder* x = blockedBy(room, day, day + nights)) {
                    day = m_today + x->thru;
                    continue;
                }
                Stay s;
                s.room = room;
                s.from = day;
                s.thru = day + nights;
                s.persons = m_rng.range(1, kRooms[room].beds);
                s.business = m_rng.chance(25);
                s.booked = std::min(m_today, s.from - m_rng.range(2, 60));
                stays.push_back(s);
                day += nights;
            }
        }
        std::stable_sort(stays.begin(), stays.end(), [](const Stay& a, const Stay& b) { return a.from < b.from; });
        return stays;
    }

    void assignStatuses(std::vector<Stay>& stays)
    {
        std::set<int> withOpenAccount;
        auto freeClient = [&]() {
            int c;
            do c = m_rng.range(0, int(m_clients.size()) - 1); while (withOpenAccount.count(c));
            return c;
        };
        for (Stay& s : stays) {
            if (s.thru <= m_today) s.status = QLatin1Char('O');
            else if (s.from < m_today || (s.from == m_today && m_rng.chance(50))) s.status = QLatin1Char('H');
            else s.status = m_rng.chance(60) ? QLatin1Char('R') : QLatin1Char('P');
            if (s.status == QLatin1Char('H')) {
                s.client = freeClient();
                withOpenAccount.insert(s.client);
            } else {
                s.client = m_rng.range(0, int(m_clients.size()) - 1);
            }
        }
        // The latest departure is checked out but not paid yet.
        Stay* unpaid = nullptr;
        for (Stay& s : stays)
            if (s.status == QLatin1Char('O') && (!unpaid || s.thru >= unpaid->thru)) unpaid = &s;
        if (unpaid) {
            unpaid->openAccount = true;
            unpaid->client = freeClient();
            withOpenAccount.insert(unpaid->client);
        }
        // Preliminary holds: the first one has expired, the others run until shortly before arrival.
        bool expiredDone = false;
        int future = 0, withoutCard = 0;
        static const char* const guests[] = {"Hoffmann Klaus", "Nguyen Thi Lan"};
        for (Stay& s : stays) {
            if (s.from <= m_today) continue;
            ++future;
            if (future == 5) s.status = QLatin1Char('?');
            if (s.status != QLatin1Char('P')) continue;
            if (!expiredDone) {
                s.prThru = m_today - 2;
                expiredDone = true;
            } else {
                s.prThru = std::max(m_today, s.from - m_rng.range(3, 10));
            }
            if (withoutCard < 2 && future > 8) {
                s.client = -1;
                s.bookedFor = u(guests[withoutCard]);
                s.knowsFrom = withoutCard == 0 ? QStringLiteral("I") : QStringLiteral(" ");
                ++withoutCard;
            }
        }
        // One double booking: a second reservation over the first future stay of room 102.
        for (const Stay& s : stays) {
            if (u(kRooms[s.room].pid) == QLatin1String("102") && s.from > m_today && s.status != QLatin1Char('?')) {
                Stay extra = s;
                extra.from = s.from + (s.thru - s.from > 1 ? 1 : 0);
                extra.thru = s.thru + 2;
                extra.status = QLatin1Char('R');
                extra.client = m_rng.range(0, int(m_clients.size()) - 1);
                extra.bookedFor.clear();
                extra.knowsFrom = QStringLiteral(" ");
                extra.prThru = 0;
                stays.push_back(extra);
                break;
            }
        }
    }

    void price(const Stay& s)
    {
        double eur = 0, maid = 0;
        for (int night = s.from; night < s.thru; ++night) {
            const auto p = nightPrice(s.room, night);
            eur += p.first;
            maid += p.second;
        }
        const double rate = rateOn(std::min(s.booked, m_today));
        m_stayPrices = {eur, round2(eur * rate), maid, round2(maid * rate)};
    }

    std::vector<Charge> extras(const Stay& s)
    {
        std::vector<Charge> charges;
        const int last = std::min(s.thru - 1, m_today);
        for (int day = s.from; day <= last; ++day) {
            if (!m_rng.chance(35)) continue;
            switch (m_rng.range(0, 5)) {
            case 0: charges.push_back({3, QStringLiteral("Minibar"), day, double(m_rng.range(3, 12)) + 0.5, 20}); break;
            case 1: charges.push_back({4, QStringLiteral("Telephone call"), day, m_rng.range(120, 900) / 100.0, 20}); break;
            case 2: charges.push_back({5, QStringLiteral("Parking"), day, 12, 20}); break;
            case 3: charges.push_back({6, QStringLiteral("Breakfast"), day, 8.0 * s.persons, 10}); break;
            case 4: charges.push_back({7, QStringLiteral("Laundry"), day, 15, 20}); break;
            default: charges.push_back({9, QStringLiteral("Sauna"), day, 18, 20}); break;
            }
        }
        return charges;
    }

    void writeStays()
    {
        for (int i = 0; i < int(std::size(kOutOfOrder)); ++i) {
            const OutOfOrder& x = kOutOfOrder[i];
            exec(Insert("POBYTY").integer("KID", 0).text("PID", u(x.pid)).date("DATEFROM", m_today + x.from)
                     .date("DATETHRU", m_today + x.thru).text("STATUS", QStringLiteral("X"))
                     .raw("PRTHRU", QStringLiteral("null")).integer("NUMPERS", 0).text("BUSINESS", QStringLiteral("0"))
                     .money("PRICEEUR", 0).money("PRICECZK", 0).money("MAIDEUR", 0).money("MAIDCZK", 0)
                     .text("BOOKEDFOR", u(x.reason)).text("BOOKEDKNFR", QStringLiteral(" "))
                     .text("DISCOUNT", QStringLiteral(" ")).integer("UID", 0)
                     .audit(std::min(m_today, m_today + x.from - 5), QTime(9, 15, 0)));
            ++m_sum.stays;
        }
        std::vector<Stay> stays = planStays();
        assignStatuses(stays);
        for (Stay& s : stays) {
            price(s);
            if (s.status == QLatin1Char('H') || s.status == QLatin1Char('O')) writeWithAccount(s);
            else writeReservation(s);
        }
    }

    Insert stayRow(const Stay& s) const
    {
        Insert row("POBYTY");
        row.integer("KID", kidOf(s.client)).text("PID", u(kRooms[s.room].pid))
            .boxDate("DATEFROM", s.from).boxDate("DATETHRU", s.thru).text("STATUS", QString(s.status));
        if (s.prThru) row.boxDate("PRTHRU", s.prThru); else row.boxDate("PRTHRU", s.from);
        row.integer("NUMPERS", s.persons).text("BUSINESS", s.business ? QStringLiteral("1") : QStringLiteral("0"))
            .money("PRICEEUR", m_stayPrices[0]).money("PRICECZK", m_stayPrices[1])
            .money("MAIDEUR", m_stayPrices[2]).money("MAIDCZK", m_stayPrices[3])
            .text("BOOKEDFOR", s.bookedFor).text("BOOKEDKNFR", s.knowsFrom).text("DISCOUNT", QStringLiteral(" "));
        return row;
    }

    void writeReservation(const Stay& s)
    {
        Insert row = stayRow(s);
        row.audit(s.booked, randomTime(8, 20));
        exec(row);
        ++m_sum.stays;
    }

    void writeWithAccount(const Stay& s)
    {
        const bool checkedOut = s.status == QLatin1Char('O');
        std::vector<Charge> charges = extras(s);
        const QString roomName = u(kRooms[s.room].name);
        if (checkedOut) {
            charges.push_back({1, QStringLiteral("Accomodation - ") + roomName, s.thru, m_stayPrices[0], 10});
            charges.push_back({2, QStringLiteral("Maid service - ") + roomName, s.thru, m_stayPrices[2], 20});
        }
        double totalEur = 0, totalCzk = 0;
        std::vector<std::pair<double, double>> amounts;   // CZK and rate of each charge
        for (const Charge& c : charges) {
            const double rate = rateOn(c.day);
            // The two stay charges carry the stay's stored CZK prices, as check-out writes them.
            const double czk = c.upid == 1 ? m_stayPrices[1] : c.upid == 2 ? m_stayPrices[3] : round2(c.eur * rate);
            amounts.push_back({czk, rate});
            totalEur += c.eur;
            totalCzk += czk;
        }
        const Client& client = m_clients[size_t(s.client)];
        const bool paid = checkedOut && !s.openAccount;
        Insert account("UCTY");
        account.integer("KID", kidOf(s.client)).date("UFROM", s.from)
            .text("CARDNUM", client.cardNum).text("CARDTYPE", client.cardType).text("CARDEXP", client.cardExp);
        if (paid) {
            static const std::vector<const char*> forms = {"C", "M", "M", "B", "?"};
            QString form = u(m_rng.pick(forms));
            if (form == QLatin1String("C") && client.cardNum.isEmpty()) form = QStringLiteral("M");
            account.integer("PKID", kidOf(s.client)).date("UTHRU", s.thru)
                .money("TOTALEUR", round2(totalEur)).money("TOTALCZK", round2(totalCzk))
                .text("FORMPAYM", form).date("DATEPAYM", s.thru).text("RECEPCE", QString());
        }
        account.audit(paid ? s.thru : s.from, randomTime(8, 18));
        exec(account);
        ++m_sum.accounts;
        const qint64 uid = maxKey("UCTY", "UID");

        Insert row = stayRow(s);
        row.integer("UID", uid).date("DATEIN", s.from).time("TIMEIN", randomTime(13, 21));
        if (checkedOut) row.date("DATEOUT", s.thru).time("TIMEOU", randomTime(7, 11));
        row.audit(checkedOut ? s.thru : s.from, randomTime(7, 21));
        exec(row);
        ++m_sum.stays;

        for (size_t i = 0; i < charges.size(); ++i) {
            const Charge& c = charges[i];
            exec(Insert("UCTYPOL").integer("UID", uid).text("PID", u(kRooms[s.room].pid)).integer("UPID", c.upid)
                     .text("DESCR", c.descr).date("ITEMDATE", c.day).money("AMNTEUR", c.eur)
                     .money("AMNTCZK", amounts[i].first).money("TAXRATE", c.tax).rate("RATE", amounts[i].second)
                     .audit(c.day, randomTime(8, 22)));
            ++m_sum.items;
        }
    }

    // ---- notes and reminders ----
    void writeNote(const QString& text, int day)
    {
        exec(Insert("POZNAMKY").text("TXT", text).text("TYP", QStringLiteral("N")).audit(day, randomTime(8, 20)));
        ++m_sum.notes;
    }

    void writeReminder(const QString& text, int day, const QTime& due)
    {
        const double moment = day + due.msecsSinceStartOfDay() / 86400000.0;
        exec(Insert("POZNAMKY").text("TXT", text).text("TYP", QStringLiteral("R")).boxDate("DAT", day)
                 .text("TIM", due.toString(QStringLiteral("hh:mm:ss"))).raw("DATTIM", shell::FixedReal(moment, 10))
                 .audit(std::min(day, m_today), randomTime(8, 12)));
        ++m_sum.notes;
    }

    void writeNotes()
    {
        writeNote(u("Boiler service on Friday - call Mr. Kolář, 603 123 456"), m_today - 2);
        writeNote(u("Taxi to the airport for room 303 tomorrow at 6:00"), m_today);
        writeNote(u("Order new towels from the laundry"), m_today - 6);
        writeNote(u("Guests in 205 travel with a dog - extra cleaning after departure"), m_today - 1);
        // Due half an hour ago, or at midnight when the day is younger than that.
        const int secs = std::max(0, m_now.msecsSinceStartOfDay() / 1000 - 30 * 60);
        writeReminder(u("Call the agency Čedok about the group booking"), m_today, QTime(0, 0).addSecs(secs));
        writeReminder(u("Check the minibar in 304 before the guests arrive"), m_today + 1, QTime(10, 0, 0));
        writeReminder(u("Send the monthly statistics to the owner"), m_today + 7, QTime(9, 30, 0));
    }

    engine::Database& m_db;
    QString m_prefix;
    int m_today;
    QTime m_now;
    Rng m_rng;
    DemoSummary m_sum;
    QMap<int, QMap<int, std::pair<double, double>>> m_prices;   // room -> first day -> prices
    QMap<int, double> m_rates;                                   // day -> CZK per EUR
    std::vector<Client> m_clients;
    qint64 m_firstKid = 1;
    std::array<double, 4> m_stayPrices{};                // EUR, CZK, maid EUR, maid CZK
};

}  // namespace

DemoSummary fillDemo(engine::Database& db, const QString& folder, const QDateTime& now)
{
    return DemoWriter(db, folder, now).run();
}

}  // namespace data
