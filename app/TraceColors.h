// The trace area in the colours of the preferences, cleared.
#pragma once

class TfmOrv;
struct Preferences;

void applyTraceColors(TfmOrv &window, const Preferences &prefs);
