// Keeps the main window's commands as the window's state says: whenever something that
// decides them changes, the state is read afresh and every command set from it.
#pragma once

#include "WindowState.h"

#include <QObject>
#include <functional>

class TfmOrv;

class CommandPresenter final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CommandPresenter)

public:
    // state reads the window's state at the moment of the call.
    CommandPresenter(TfmOrv &window, std::function<WindowState()> state, QObject *parent = nullptr);

    // Reads the state and sets every command from it.
    void refresh();
    WindowState state() const { return m_state(); }

private:
    void apply(const WindowCommands &commands);

    TfmOrv &m_window;
    std::function<WindowState()> m_state;
};
