// The program's own icons (drawn for it, kept as SVG in the resources).
#pragma once

#include <QIcon>
#include <QList>

namespace AppIcons {
QIcon telephone();
QIcon record();
QIcon email();
QIcon search();
// The tray's normal list: index 0 modem on, index 1 modem off.
QList<QIcon> modemList();
// The frames cycled while a recording runs.
QList<QIcon> recordingFrames();
} // namespace AppIcons
