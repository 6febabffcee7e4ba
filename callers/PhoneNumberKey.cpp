// Number keys through libphonenumber; the library's singleton is safe to use from any thread.
#include "PhoneNumberKey.h"

#include <QLocale>
#include <phonenumbers/phonenumber.pb.h>
#include <phonenumbers/phonenumberutil.h>

namespace PhoneNumberKey {

namespace {

using i18n::phonenumbers::PhoneNumber;
using i18n::phonenumbers::PhoneNumberUtil;

// Longer text is no telephone number; the bound keeps hostile text away from the parser.
constexpr qsizetype MaxNumberLength = 100;

} // namespace

QString digits(const QString &number)
{
    QString result;
    // Digits of any script count ("٠٢٠" or full-width "０２０"), as libphonenumber reads them.
    for (const QChar c : number)
        if (c.isDigit() && c.digitValue() >= 0)
            result.append(QLatin1Char(char('0' + c.digitValue())));
    return result;
}

QString key(const QString &number, const QString &homeCountry)
{
    const QString bounded = number.left(MaxNumberLength);
    const QString plain = digits(bounded);
    if (plain.isEmpty())
        return QString();
    const PhoneNumberUtil &util = *PhoneNumberUtil::GetInstance();
    const std::string region = isKnownCountry(homeCountry) ? homeCountry.toStdString() : "ZZ";
    PhoneNumber parsed;
    if (util.Parse(bounded.toStdString(), region, &parsed) != PhoneNumberUtil::NO_PARSING_ERROR)
        return plain;
    std::string international;
    util.Format(parsed, PhoneNumberUtil::E164, &international);
    return QString::fromStdString(international);
}

bool isKnownCountry(const QString &code)
{
    if (code.size() != 2 || code != code.toUpper())
        return false;
    return PhoneNumberUtil::GetInstance()->GetCountryCodeForRegion(code.toStdString()) != 0;
}

QString systemCountry()
{
    const QString code = QLocale::territoryToCode(QLocale::system().territory());
    return isKnownCountry(code) ? code : QString();
}

} // namespace PhoneNumberKey
