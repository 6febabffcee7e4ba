#include "TraceColors.h"

#include "ColorValue.h"
#include "TfmOrv.h"
#include "TraceView.h"
#include "config/Preferences.h"

#include <QFrame>

void applyTraceColors(TfmOrv &window, const Preferences &prefs)
{
    const QPalette palette = window.palette();
    const QColor background = colorFromValue(prefs.BackColor, palette);
    window.trace().setColors(background, colorFromValue(prefs.TraceColor, palette));
    QPalette panel = window.tracePanel()->palette();
    panel.setColor(QPalette::Window, background);
    window.tracePanel()->setPalette(panel);
    window.trace().ClearTrace();
}
