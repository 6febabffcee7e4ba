// Which of the main window's commands the recording list allows: they need at least one row.
#pragma once

#include <optional>

struct CommandStates
{
    bool hasRows = false;

    // Enabled exactly when the list has rows: "Delete..." (menus and button), "Memo...",
    // "Copy to folder...", "Move to...", Play, Stop (Recorder and tray menus, buttons), Pause,
    // "Volume level", "Voice equalizer", the search action and button, the e-mail action and
    // button, "Select all".
    bool listCommandsEnabled() const { return hasRows; }

    // Rewind and Fast forward (menu entries and buttons): false when the list is empty; no
    // value when they are to be left as they are.
    std::optional<bool> rewindAndForward() const
    {
        return hasRows ? std::nullopt : std::optional<bool>(false);
    }

    bool operator==(const CommandStates &) const = default;
};
