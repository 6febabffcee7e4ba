// One number written in the ways people and exchanges write it gives one key, for the home
// country's own numbers and for others; text libphonenumber cannot read falls back to digits.
#include "callers/PhoneNumberKey.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace {

TEST(PhoneNumberKeyTest, OneNumberInEveryFormGivesOneKey)
{
    struct Case
    {
        const char *country;
        QStringList forms;
        QString key;
    };
    const Case cases[] = {
        {"GB",
         {"+44 20 7946 0018", "020 7946 0018", "02079460018", "0044 20 7946 0018",
          "+44 (0)20 7946 0018", "tel +44-20-7946-0018"},
         "+442079460018"},
        {"GB",
         {QString::fromUtf8("\xEF\xBC\x90\xEF\xBC\x92\xEF\xBC\x90 7946 0018")}, // full-width 020
         "+442079460018"},
        {"US",
         {"(212) 555-0142", "212-555-0142", "+1 212 555 0142", "1 212 555 0142", "2125550142",
          "011 1 212 555 0142"},
         "+12125550142"},
        {"US", {"+44 20 7946 0018", "011 44 20 7946 0018"}, "+442079460018"},
        {"DE", {"030 123456", "+49 30 123456", "0049 30 123456"}, "+4930123456"},
    };
    for (const Case &c : cases) {
        for (const QString &form : c.forms) {
            SCOPED_TRACE(std::string(c.country) + " " + form.toStdString());
            EXPECT_EQ(PhoneNumberKey::key(form, c.country), c.key);
        }
    }
}

TEST(PhoneNumberKeyTest, TheHomeCountryDecidesWhatANationalNumberIs)
{
    EXPECT_NE(PhoneNumberKey::key("020 7946 0018", "GB"),
              PhoneNumberKey::key("020 7946 0018", "DE"));
    EXPECT_NE(PhoneNumberKey::key("020 7946 0018", "US"),
              PhoneNumberKey::key("+44 20 7946 0018", "US"));
}

TEST(PhoneNumberKeyTest, WhatTheLibraryCannotReadIsMatchedByItsDigits)
{
    struct Case
    {
        const char *number;
        const char *country;
        const char *key;
    };
    const Case cases[] = {
        {"020 7946 0018", "", "02079460018"},   // no home country: national is unreadable
        {"020-7946-0018", "XX", "02079460018"}, // not a region libphonenumber knows
        {"1234567890123456789012", "GB", "1234567890123456789012"}, // too long for a number
        {"P", "GB", ""},                                            // no digit at all
        {"Restricted", "US", ""},
        {"", "GB", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.number);
        EXPECT_EQ(PhoneNumberKey::key(c.number, c.country), c.key);
    }
    // Text far longer than any number never reaches the parser whole.
    EXPECT_EQ(PhoneNumberKey::key(QString(100000, '7'), "GB").size(), 100);
}

TEST(PhoneNumberKeyTest, OnlyRegionsTheLibraryKnowsAreCountries)
{
    EXPECT_TRUE(PhoneNumberKey::isKnownCountry("GB"));
    EXPECT_TRUE(PhoneNumberKey::isKnownCountry("US"));
    for (const char *code : {"", "gb", "XX", "ZZ", "GBR", "G"})
        EXPECT_FALSE(PhoneNumberKey::isKnownCountry(code)) << code;
    const QString system = PhoneNumberKey::systemCountry();
    EXPECT_TRUE(system.isEmpty() || PhoneNumberKey::isKnownCountry(system));
}

} // namespace
