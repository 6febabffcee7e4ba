// The notice's choice is kept in orv.ini.
#include "NoModemNotice.h"

#include "config/ModemState.h"

namespace NoModemNotice {

bool wanted(const TIniFile &ini)
{
    return !ModemState::noModemNoticeOff(ini);
}

QStringList lines()
{
    return {QStringLiteral("There is no modem found in your system."), QString(),
            QStringLiteral("Thank you"), QString()};
}

void storeChoice(TIniFile &ini, bool dontShowAgain)
{
    ModemState::setNoModemNoticeOff(ini, dontShowAgain);
}

} // namespace NoModemNotice
