// The product's name, version and vendor, shown in the About box and by --version.
#pragma once

#include <QString>

namespace AppInfo {
inline const QString ProductName = QStringLiteral("Calvora");
inline const QString Version = QStringLiteral(CALVORA_VERSION);
inline const QString Vendor = QStringLiteral("The Calvora developers");
inline const QString WebAddress = QStringLiteral("https://calvora.org");
// The licence the program is distributed under; set when the program is built (CALVORA_LICENCE).
inline const QString Licence = QStringLiteral(CALVORA_LICENCE);
// Set when the program is built (CALVORA_SUPPORT_ADDRESS); problem reports go there.
inline const QString SupportAddress = QStringLiteral(CALVORA_SUPPORT_ADDRESS);
} // namespace AppInfo
