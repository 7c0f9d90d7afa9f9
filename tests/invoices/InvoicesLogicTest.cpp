// The invoices' logic without a database: the VAT recap, the numbers, the QR payment text,
// the hotel's new details and the accountant's list.
#include <gtest/gtest.h>

#include "guests/HotelSettings.h"
#include "invoices/InvoiceList.h"
#include "invoices/Spd.h"
#include "invoices/Vat.h"

using namespace invoices;

namespace {

struct RecapCase {
    const char* name;
    QList<Charge> charges;
    bool inEur;
    double rate;
    // rate, base, tax, taxCzk of each line (highest rate first)
    QList<std::array<double, 4>> lines;
    shell::Hundredths noVat, total;
    const char* error;
};

class VatRecapTest : public ::testing::TestWithParam<RecapCase> {};

TEST_P(VatRecapTest, splitsEachRateIntoBaseAndTaxThatAddUpToTheTotal)
{
    const RecapCase& c = GetParam();
    const VatRecap r = vatRecap(c.charges, c.inEur, c.rate);
    EXPECT_EQ(r.error.toStdString(), c.error);
    if (!r.ok()) return;
    ASSERT_EQ(r.lines.size(), c.lines.size());
    shell::Hundredths sum = r.noVat;
    for (qsizetype i = 0; i < r.lines.size(); ++i) {
        EXPECT_EQ(r.lines[i].rate, c.lines[i][0]) << i;
        EXPECT_EQ(r.lines[i].base, shell::Hundredths(c.lines[i][1])) << i;
        EXPECT_EQ(r.lines[i].tax, shell::Hundredths(c.lines[i][2])) << i;
        EXPECT_EQ(r.lines[i].taxCzk, shell::Hundredths(c.lines[i][3])) << i;
        sum += r.lines[i].base + r.lines[i].tax;
    }
    EXPECT_EQ(r.noVat, c.noVat);
    EXPECT_EQ(r.total, c.total);
    EXPECT_EQ(sum, r.total);
}

// Amounts in hundredths.
INSTANTIATE_TEST_SUITE_P(
    Cases, VatRecapTest,
    ::testing::Values(
        RecapCase{"oneRate", {{21, 12100}}, false, 0, {{21, 10000, 2100, 2100}}, 0, 12100, ""},
        RecapCase{"mixedRatesSummedPerRate", {{12, 100000}, {21, 25000}, {12, 5050}, {21, 1}}, false, 0,
                  {{21, 20662, 4339, 4339}, {12, 93795, 11255, 11255}}, 0, 130051, ""},
        // 1000 / 1.21 = 826.446..., the tax takes the rest.
        RecapCase{"baseRoundsTheTaxTakesTheRest", {{21, 100000}}, false, 0, {{21, 82645, 17355, 17355}}, 0, 100000, ""},
        // 0.01 / 2 = 0.005 -> 0.00 and 0.03 / 2 = 0.015 -> 0.02: halves to the even hundredth.
        RecapCase{"halfDownToEven", {{100, 1}}, false, 0, {{100, 0, 1, 1}}, 0, 1, ""},
        RecapCase{"halfUpToEven", {{100, 3}}, false, 0, {{100, 2, 1, 1}}, 0, 3, ""},
        RecapCase{"noVatAndZeroStandApart", {{-1, 5000}, {0, 2000}, {21, 1210}}, false, 0,
                  {{21, 1000, 210, 210}, {0, 2000, 0, 0}}, 5000, 8210, ""},
        RecapCase{"refundLowersTheRate", {{21, 12100}, {21, -2420}}, false, 0, {{21, 8000, 1680, 1680}}, 0, 9680, ""},
        // 26.03 EUR of tax at 25.37 CZK = 660.3811 CZK.
        RecapCase{"eurTaxAlsoInCzk", {{21, 15000}, {12, 3000}}, true, 25.37,
                  {{21, 12397, 2603, 66038}, {12, 2679, 321, 8144}}, 0, 18000, ""},
        RecapCase{"eurWithoutRate", {{21, 15000}}, true, -1, {}, 0, 0,
                  "An invoice in EUR states its tax in CZK too: the exchange rate is missing or not above 0."},
        RecapCase{"fourRatesRefused", {{21, 100}, {12, 100}, {10, 100}, {0, 100}, {-1, 100}}, false, 0, {}, 0, 0,
                  "An invoice holds at most three VAT rates; this account has more:"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(VatRecap, namesTheRatesItRefuses)
{
    EXPECT_EQ(vatRecap({{21, 1}, {12, 1}, {10, 1}, {0, 1}}).detail, QStringLiteral("0 %, 10 %, 12 %, 21 %"));
}

TEST(InvoiceNumber, isPrefixYearAndSixDigitsAndItsDigitsAreTheVariableSymbol)
{
    const struct {
        const char* prefix;
        int year, seq;
        const char *number, *symbol;
    } cases[] = {
        {"", 2026, 123, "2026-000123", "2026000123"},
        {"HV", 2026, 1, "HV2026-000001", "2026000001"},
        {"7/", 2027, 1234567, "7/2027-1234567", "0271234567"},
    };
    for (const auto& c : cases) {
        const QString number = invoiceNumber(QString::fromUtf8(c.prefix), c.year, c.seq);
        EXPECT_EQ(number.toStdString(), c.number);
        EXPECT_EQ(variableSymbol(number).toStdString(), c.symbol);
    }
}

TEST(SpdText, writesTheFieldsInOrderEscapedAndCut)
{
    const struct {
        const char* name;
        SpdPayment payment;
        const char* text;
    } cases[] = {
        {"transfer in CZK",
         {"CZ6508000000192000145399", 123450, "CZK", "2026000123", QDate(2026, 12, 24), "Hotel Lipa 2026-000123"},
         "SPD*1.0*ACC:CZ6508000000192000145399*AM:1234.50*CC:CZK*X-VS:2026000123*DT:20261224*MSG:Hotel Lipa 2026-000123"},
        {"a star in the message",
         {"CZ6508000000192000145399", 5, "EUR", "1", QDate(), "U*Lipy"},
         "SPD*1.0*ACC:CZ6508000000192000145399*AM:0.05*CC:EUR*X-VS:1*MSG:U%2ALipy"},
        {"a long message cut at sixty",
         {"CZ6508000000192000145399", 100, "CZK", "", QDate(2027, 1, 5), QString(70, QLatin1Char('x'))},
         "SPD*1.0*ACC:CZ6508000000192000145399*AM:1.00*CC:CZK*DT:20270105*MSG:xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx"},
    };
    for (const auto& c : cases) EXPECT_EQ(spdText(c.payment).toStdString(), c.text) << c.name;
}

TEST(HotelDetails, checksTheInvoicesKeys)
{
    const struct {
        const char *key, *value;
        bool sound;
    } cases[] = {
        {"ICO", "25596641", true},   {"ICO", "25596642", false}, {"ICO", "2559664", false},
        {"ICO", "00000019", true},   {"DIC", "CZ25596641", true}, {"DIC", "25596641", false},
        {"IBAN", "CZ6508000000192000145399", true}, {"IBAN", "CZ6508000000192000145398", false},
        {"IBAN", "cz6508000000192000145399", false}, {"IBAN", "DE89370400440532013000", true},
        {"VATPAYER", "1", true},     {"VATPAYER", "yes", false}, {"INVPREFIX", "HV-", true},
        {"INVPREFIX", "HV 1", false}, {"DUEDAYS", "30", true},   {"DUEDAYS", "400", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(guests::checkSetting(QString::fromUtf8(c.key), QString::fromUtf8(c.value)).isEmpty(), c.sound)
            << c.key << "=" << c.value;
    const guests::HotelDetails unset = guests::hotelDetails({});
    EXPECT_EQ(unset.dueDays, 14);
    EXPECT_FALSE(unset.vatPayer);
}

TEST(InvoiceList, givesEveryRateOfTheMonthItsColumns)
{
    Invoice cash;
    cash.number = QStringLiteral("2026-000001");
    cash.issued = cash.taxDay = QDate(2026, 12, 1);
    cash.buyer = {QStringLiteral("Lipa; s.r.o."), QString(), QStringLiteral("25596641"), QStringLiteral("CZ25596641")};
    cash.recap = vatRecap({{12, 11200}, {-1, 500}});
    cash.paymentForm = QLatin1Char('M');
    Invoice eur;
    eur.number = QStringLiteral("2026-000002");
    eur.issued = QDate(2026, 12, 2);
    eur.taxDay = QDate(2026, 12, 1);
    eur.due = QDate(2026, 12, 16);
    eur.buyer.name = QStringLiteral("Hans \"Hansi\" Müller");
    eur.currency = QStringLiteral("EUR");
    eur.rate = 25.37;
    eur.recap = vatRecap({{21, 12100}}, true, 25.37);
    eur.paymentForm = QLatin1Char('B');
    eur.cancelled = QDate(2026, 12, 3);
    eur.cancelReason = QStringLiteral("Account deleted");
    EXPECT_EQ(invoiceListCsv({cash, eur}).toStdString(),
              "Number;Issued;Taxable supply;Due;Buyer;IČO;DIČ;Currency;Rate;Base 21 %;VAT 21 %;VAT 21 % CZK;Base 12 %;"
              "VAT 12 %;VAT 12 % CZK;Without VAT;Total;Payment form;Cancelled;Reason\r\n"
              "2026-000001;1.12.2026;1.12.2026;;\"Lipa; s.r.o.\";25596641;CZ25596641;CZK;;;;;100.00;12.00;12.00;5.00;117.00;M;;\r\n"
              "2026-000002;2.12.2026;1.12.2026;16.12.2026;\"Hans \"\"Hansi\"\" Müller\";;;EUR;25.370;100.00;21.00;532.77;;;;"
              "0.00;121.00;B;3.12.2026;Account deleted\r\n");
    const struct {
        const char* text;
        int year, month;
    } months[] = {{"2026-12", 2026, 12}, {"3.2027", 2027, 3}, {"03/2027", 2027, 3}, {"2026-13", 0, 0}, {"12.26", 0, 0}};
    for (const auto& m : months) {
        const auto parsed = parseMonth(QString::fromUtf8(m.text));
        EXPECT_EQ(parsed ? parsed->year * 100 + parsed->month : 0, m.year * 100 + m.month) << m.text;
    }
}

}  // namespace
