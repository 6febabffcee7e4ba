// Any file given as a vCard is read without a crash, a hang or an unbounded result: every
// contact has a showable name and numbers with a digit, all within their bound, and every
// number's key is an international number or plain digits.
#include "callers/PhoneNumberKey.h"
#include "callers/VCardReader.h"

#include <cstddef>
#include <cstdint>

namespace {

void check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

bool isShowable(const QString &text)
{
    for (const QChar c : text)
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format)
            return false;
    return !text.isEmpty() && text == text.trimmed() && text.size() <= VCardReader::MaxTextLength;
}

bool hasDigit(const QString &text)
{
    for (const QChar c : text)
        if (c.isDigit())
            return true;
    return false;
}

bool isAsciiDigits(QStringView text)
{
    for (const QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

void checkKey(const QString &number, const QString &country)
{
    const QString key = PhoneNumberKey::key(number, country);
    if (key.startsWith(QLatin1Char('+')))
        check(key.size() > 1 && isAsciiDigits(QStringView(key).mid(1)));
    else
        check(isAsciiDigits(key));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray content(reinterpret_cast<const char *>(data), qsizetype(size));
    const VCardReader::Result result = VCardReader::read(content);
    check(result.skipped >= 0);
    for (const VCardReader::Contact &contact : result.contacts) {
        check(isShowable(contact.name));
        check(!contact.numbers.isEmpty());
        for (qsizetype i = 0; i < contact.numbers.size(); ++i) {
            const QString &number = contact.numbers[i];
            check(isShowable(number) && hasDigit(number));
            check(contact.numbers.indexOf(number) == i);
            checkKey(number, QStringLiteral("GB"));
            checkKey(number, QString());
        }
    }
    return 0;
}
