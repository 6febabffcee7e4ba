// The "contacts" commands of calvora-catalogue: import vCard files into the caller directory,
// list it, look a number up, and show or set its home country. Each returns the program's exit
// code.
#pragma once

#include <QStringList>
#include <QTextStream>
#include <optional>

namespace ContactsCommands {

// args: what follows "contacts" on the command line. Nothing when they form no contacts
// command (the caller shows the usage).
std::optional<int> run(const QString &dataDir, const QStringList &args, QTextStream &out,
                       QTextStream &err);

} // namespace ContactsCommands
