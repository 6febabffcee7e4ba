// The whole window program on a data directory, built as the program builds it: a recorder
// session and the windows added to it. A test writes the configuration it wants, opens the
// session, adjusts the preferences it read, then starts the windows, which brings the modem
// on line as a start of the program does.
#pragma once

#include "app/StartOptions.h"
#include "app/WindowSession.h"
#include "recording/RecorderSession.h"
#include "support/ui/ChooserService.h"

#include <memory>

class WindowHarness
{
public:
    WindowHarness(const QString &dataDir, MessageService &messages,
                  const QStringList &args = {"calvora"})
        : session(dataDir, messages),
          windows(session, StartOptions::parse(args), &choosers, [] { return true; })
    {}

    void start()
    {
        session.open();
        startWindows();
    }
    void startWindows() { windows.start(); }

    ScriptedChooserService choosers;
    RecorderSession session;
    WindowSession windows;
};

// A recorder session and the window program's context on it, for tests that build some of
// the windows themselves.
struct TestContext
{
    TestContext(const QString &dataDir, MessageService &messages,
                const QStringList &args = {"calvora"})
        : session(dataDir, messages), context(StartOptions::parse(args), session)
    {}

    RecorderSession session;
    AppContext context;
};
