// Matching telephone numbers written in different ways: "+44 20 7946 0018", "020 7946 0018"
// and "02079460018" are one number to a caller in Great Britain. Numbers are brought to their
// international form with libphonenumber, reading national numbers as those of the home
// country; what it cannot read is compared by its digits alone.
#pragma once

#include <QString>

namespace PhoneNumberKey {

// The key two numbers share when they are the same number: "+442079460018" for a number
// libphonenumber reads, else the number's digits ("5551234"); empty when it has no digit.
// homeCountry is a region code such as "GB" or "US"; empty or unknown reads only numbers
// written with their country code.
QString key(const QString &number, const QString &homeCountry);

// The number's digits as ASCII, of any script ("٠٢٠" gives "020"); the rest is left out.
QString digits(const QString &number);

// Whether libphonenumber knows the region code (upper case, two letters: "GB", "DE").
bool isKnownCountry(const QString &code);

// The territory of the system locale ("GB" for en_GB.UTF-8), empty when it names none that
// libphonenumber knows (the "C" locale).
QString systemCountry();

} // namespace PhoneNumberKey
