// The notice's choice lives in [Params] NoModemMsg.
#include "NoModemNotice.h"

#include "config/IniFile.h"

namespace NoModemNotice {

namespace {
const QString Params = QStringLiteral("Params");
const QString Key = QStringLiteral("NoModemMsg");
} // namespace

bool wanted(const TIniFile &ini)
{
    return !ini.ReadBool(Params, Key, false);
}

QStringList lines()
{
    return {QStringLiteral("There is no modem found in your system."), QString(),
            QStringLiteral("Thank you"), QString()};
}

void storeChoice(TIniFile &ini, bool dontShowAgain)
{
    ini.WriteBool(Params, Key, dontShowAgain);
}

} // namespace NoModemNotice
