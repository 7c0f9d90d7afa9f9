// The account logic without a display: check-out amounts, the closing dialog's total
// conversion, the revision's position after steps and deletes, and client names.
#include <gtest/gtest.h>

#include "accounts/AccountLogic.h"

using namespace accounts;

namespace {

struct AmountCase {
    const char* name;
    double priceEur, priceCzk, maidEur, maidCzk;
    int persons;
    bool perPerson;
    shell::Hundredths accEur, accCzk, maidEurH, maidCzkH;
};

const AmountCase kAmounts[] = {
    {"per person", 300, 7500, 30, 750, 2, true, 60000, 1500000, 3000, 75000},
    {"per stay", 300, 7500, 30, 750, 2, false, 30000, 750000, 3000, 75000},
    {"maid never multiplied", 100, 2500, 10.5, 262.5, 3, true, 30000, 750000, 1050, 26250},
    {"no maid price still a charge of 0", 80, 2000, 0, 0, 1, true, 8000, 200000, 0, 0},
    {"half cents to the even neighbour", 0.125, 0.135, 0.005, 0.015, 1, false, 12, 14, 0, 2},
};

}  // namespace

TEST(CheckOutAmounts, AccommodationTimesPersonsOnlyWhenPricesArePerPerson)
{
    for (const AmountCase& c : kAmounts) {
        CheckOutStay stay;
        stay.PRICEEUR = c.priceEur;
        stay.PRICECZK = c.priceCzk;
        stay.MAIDEUR = c.maidEur;
        stay.MAIDCZK = c.maidCzk;
        stay.NUMPERS = c.persons;
        const CheckOutAmounts a = checkOutAmounts(stay, c.perPerson);
        EXPECT_EQ(a.accommodationEur, c.accEur) << c.name;
        EXPECT_EQ(a.accommodationCzk, c.accCzk) << c.name;
        EXPECT_EQ(a.maidEur, c.maidEurH) << c.name;
        EXPECT_EQ(a.maidCzk, c.maidCzkH) << c.name;
    }
}

TEST(CheckOutAmounts, MoneyIsWrittenWithTwoDecimals)
{
    const std::pair<shell::Hundredths, const char*> cases[] = {
        {60000, "600.00"}, {0, "0.00"}, {5, "0.05"}, {-5, "-0.05"}, {-123456, "-1234.56"}, {100000000000, "1000000000.00"}};
    for (const auto& [amount, text] : cases) EXPECT_EQ(moneyText(amount).toStdString(), text);
    EXPECT_EQ(rateText(-1).toStdString(), "-1.0000");
    EXPECT_EQ(rateText(25.37).toStdString(), "25.3700");
}

TEST(CheckOutDescriptions, CzechWhenTheAccommodationTypeWasFoundByItsCzechName)
{
    EXPECT_EQ(accommodationLookups().at(kCzechAccommodationLookup).value, QStringLiteral("Ubytování"));
    const ItemDescriptions english = checkOutDescriptions(QStringLiteral("Room 5"), false);
    EXPECT_EQ(english.accommodation, QStringLiteral("Accomodation - Room 5"));
    EXPECT_EQ(english.maid, QStringLiteral("Maid service - Room 5"));
    const ItemDescriptions czech = checkOutDescriptions(QStringLiteral("Pokoj \"A\""), true);
    EXPECT_EQ(czech.accommodation, QStringLiteral("Ubytování - Pokoj \"A\""));
    EXPECT_EQ(czech.maid, QStringLiteral("Pokojová služba - Pokoj \"A\""));
}

TEST(ClosingTotals, ConvertedWithTheRateRoundedHalfToEvenAndNeverWithoutARate)
{
    struct Case {
        shell::Hundredths amount;
        double rate;
        bool toCzk;
        std::optional<shell::Hundredths> expected;
    };
    const Case cases[] = {
        {63000, 25, true, 1575000},       // 630.00 EUR -> 15750.00 CZK
        {1575000, 25, false, 63000},      // and back
        {100, 25.37, true, 2537},
        {10000, 25.37, false, 394},       // 100 CZK -> 3.94 EUR
        {1, 0.5, true, 0},                // 0.005 -> 0.00 (even)
        {3, 0.5, true, 2},                // 0.015 -> 0.02 (even)
        {63000, 0, true, std::nullopt},   // no usable rate: nothing converted
        {63000, -1, true, std::nullopt},  // "no rate stored"
        {63000, -1, false, std::nullopt},
        {63000, 0, false, std::nullopt},  // no division by zero
    };
    for (const Case& c : cases) {
        const auto converted = convertedTotal(c.amount, c.rate, c.toCzk);
        EXPECT_EQ(converted, c.expected) << c.amount << " at " << c.rate << (c.toCzk ? " to CZK" : " to EUR");
    }
}

TEST(RevisionPosition, DeletingKeepsThePositionUnlessTheLastWasShown)
{
    // Three charges: deleting the third leaves the second shown, with nothing after it.
    RevisionPosition last(3, 3);
    last.deleted();
    EXPECT_EQ(last.position(), 2);
    EXPECT_EQ(last.count(), 2);
    EXPECT_FALSE(last.canGoForward());
    EXPECT_TRUE(last.canGoBack());

    // Deleting the first shows the former second at position 1.
    RevisionPosition first(1, 3);
    first.deleted();
    EXPECT_EQ(first.position(), 1);
    EXPECT_EQ(first.count(), 2);
    EXPECT_FALSE(first.canGoBack());
    EXPECT_TRUE(first.canGoForward());

    // Deleting the only one leaves nothing to edit or step to.
    RevisionPosition only(1, 1);
    only.deleted();
    EXPECT_FALSE(only.editable());
    EXPECT_FALSE(only.canGoBack());
    EXPECT_FALSE(only.canGoForward());
    only.deleted();
    EXPECT_EQ(only.count(), 0);
}

TEST(RevisionPosition, StepsStopAtBothEnds)
{
    RevisionPosition p(1, 3);
    EXPECT_FALSE(p.back());
    EXPECT_TRUE(p.forward());
    EXPECT_TRUE(p.forward());
    EXPECT_FALSE(p.forward());
    EXPECT_EQ(p.position(), 3);
    EXPECT_TRUE(p.back());
    EXPECT_EQ(p.position(), 2);
}

TEST(RevisionAmounts, ConvertedUnroundedAndNothingWithARateThatIsNotAboveZero)
{
    EXPECT_DOUBLE_EQ(*revisionCzk(10, 25.37), 253.7);
    EXPECT_DOUBLE_EQ(*revisionEur(100, 25.37), 3.9416633819471816);
    for (double rate : {0.0, -1.0, -25.0}) {
        EXPECT_FALSE(revisionCzk(20, rate).has_value()) << rate;
        EXPECT_FALSE(revisionEur(100, rate).has_value()) << rate;
    }
    // Only a room of the account's stays, blanks around the id aside.
    EXPECT_TRUE(isAccountRoom(" 5", {"5  ", "12 "}));
    EXPECT_TRUE(isAccountRoom("12", {"5  ", "12 "}));
    EXPECT_FALSE(isAccountRoom("1", {"5  ", "12 "}));
    EXPECT_FALSE(isAccountRoom("", {"5", ""}));
}

TEST(CheckOutTaxRate, TheFirstRateElseTheSecondElseNone)
{
    EXPECT_EQ(checkOutTaxRate(5, 21), 5);
    EXPECT_EQ(checkOutTaxRate(0, 21), 0);        // 0 is a rate
    EXPECT_EQ(checkOutTaxRate(-1, 21), 21);
    EXPECT_EQ(checkOutTaxRate(-1, 0), 0);
    EXPECT_EQ(checkOutTaxRate(-1, -1), std::nullopt);
}

TEST(ClientNames, TitleOnlyWhenThereIsOneAndTheCountryAfterAComma)
{
    EXPECT_EQ(clientDisplayName("", "Novák", "Jan"), QStringLiteral("Novák Jan"));
    EXPECT_EQ(clientDisplayName("Ing.", "O'Neil", "Jan"), QStringLiteral("Ing. O'Neil Jan"));
    EXPECT_EQ(clientFilterName("", "Novák", "Jan", ""), QStringLiteral("Novák Jan"));
    EXPECT_EQ(clientFilterName("Dr.", "Novák", "Jan  ", "CZ"), QStringLiteral("Dr. Novák Jan, CZ"));
}
