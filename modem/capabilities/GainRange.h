// The modem's gain ranges from its "+VGR:" and "+VGT:" replies.
#pragma once

#include <QString>
#include <utility>

using GainPair = std::pair<int, int>;

// Reads "low-high" from the reply; a reply without "-" leaves current as it is, and a range
// whose low is not below its high gives (-1, -1).
GainPair ParseGainRange(const QString &reply, const QString &prefix, GainPair current);

// The command that sets the middle of the range, e.g. "at+vgr=127".
QString middleGainCommand(const QString &command, GainPair range);
