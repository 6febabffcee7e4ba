// What the modem says about itself ("+GMM: V90"), made fit to keep in the configuration.
#pragma once

#include <QString>

namespace IdentityReply {

// Identification texts are kept to this many characters.
constexpr int MaxLength = 64;

// Removes everything up to and including the first ":" (a reply without one stays whole),
// then turns control characters into blanks and cuts to MaxLength. The blank after the
// ":" is kept, as the modem sent it.
QString cut(const QString &reply);

} // namespace IdentityReply
