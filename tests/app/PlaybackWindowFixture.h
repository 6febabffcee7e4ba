// The main window offscreen with a catalogue and the transport's playback, playing through the
// null sink the test script starts; the tests that need a sound server skip without one. The
// commands follow the playback and the list; the modem's part of their state is the test's.
#pragma once

#include "app/AppContext.h"
#include "app/CommandPresenter.h"
#include "app/MainActions.h"
#include "app/PlaybackControl.h"
#include "app/StartOptions.h"
#include "app/TfmOrv.h"
#include "catalogue/Catalogue.h"
#include "config/ProgramDir.h"
#include "support/ScriptedMessageService.h"

#include <QDir>
#include <QMediaDevices>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

#include "WindowHarness.h"

class PlaybackWindowFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (QMediaDevices::audioOutputs().isEmpty())
            GTEST_SKIP() << "no sound server (scripts/test.sh starts a null sink)";
        ASSERT_TRUE(ProgramDir::prepare(dir.path()));
        testContext = std::make_unique<TestContext>(dir.path(), messages);
        context = &testContext->context;
        context->hasSoundOutput = [] { return true; };
        context->prefs.wavDir = dir.path() + "/wav/";
        context->FormsCreated = true;
        QDir().mkpath(context->prefs.wavDir);
        window = std::make_unique<TfmOrv>(*context);
        catalogue = &testContext->session.catalogue();
        ASSERT_TRUE(catalogue->OpenCatalogue());
        playback = std::make_unique<PlaybackControl>(*context, *window, *catalogue);
        commands = std::make_unique<CommandPresenter>(*window, [this] {
            WindowState state = modem;
            state.voiceSupported = context->VoiceSupported;
            state.playback = playback->state();
            state.hasRows = catalogue->commandStates().hasRows;
            return state;
        });
        window->refreshCommands = [this] { commands->refresh(); };
        QObject::connect(playback.get(), &PlaybackControl::stateChanged, commands.get(),
                         &CommandPresenter::refresh);
        QObject::connect(catalogue, &Catalogue::commandStatesChanged, commands.get(),
                         &CommandPresenter::refresh);
        commands->refresh();
    }

    void TearDown() override
    {
        if (window)
            window->refreshCommands = nullptr;
    }

    MainActions &actions() { return window->actions(); }

    QTemporaryDir dir;
    ScriptedMessageService messages;
    std::unique_ptr<TestContext> testContext;
    AppContext *context = nullptr;
    // A voice modem whose port is open, unless a test says otherwise.
    WindowState modem{.modemOpen = true};
    std::unique_ptr<TfmOrv> window;
    Catalogue *catalogue = nullptr;
    std::unique_ptr<PlaybackControl> playback;
    std::unique_ptr<CommandPresenter> commands;
};
