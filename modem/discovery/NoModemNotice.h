// The no-modem notice's state: whether the user silenced it, and its text.
#pragma once

#include <QStringList>

class TIniFile;

namespace NoModemNotice {

inline const QString Caption = QStringLiteral("Notification");
inline const QString CheckText = QStringLiteral("Don't show this message again");

// False once the user ticked "Don't show this message again" ([Params] NoModemMsg).
bool wanted(const TIniFile &ini);
// The lines the notice shows.
QStringList lines();
// "Ok": remembers the check box.
void storeChoice(TIniFile &ini, bool dontShowAgain);

} // namespace NoModemNotice
