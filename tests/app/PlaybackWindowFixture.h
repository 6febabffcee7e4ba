// The main window offscreen with a catalogue and the transport's playback, playing through the
// null sink the test script starts; the tests that need a sound server skip without one.
#pragma once

#include "app/AppContext.h"
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

class PlaybackWindowFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (QMediaDevices::audioOutputs().isEmpty())
            GTEST_SKIP() << "no sound server (scripts/test.sh starts a null sink)";
        ASSERT_TRUE(ProgramDir::prepare(dir.path()));
        context =
            std::make_unique<AppContext>(StartOptions::parse({"calvora"}), dir.path(), messages);
        context->hasSoundOutput = [] { return true; };
        context->prefs.wavDir = dir.path() + "/wav/";
        context->FormsCreated = true;
        QDir().mkpath(context->prefs.wavDir);
        window = std::make_unique<TfmOrv>(*context);
        catalogue = std::make_unique<Catalogue>(dir.path(), messages, &context->log);
        catalogue->recordingsDir = [this] { return context->prefs.wavDir; };
        ASSERT_TRUE(catalogue->OpenCatalogue());
        playback = std::make_unique<PlaybackControl>(*context, *window, *catalogue);
    }

    MainActions &actions() { return window->actions(); }

    QTemporaryDir dir;
    ScriptedMessageService messages;
    std::unique_ptr<AppContext> context;
    std::unique_ptr<TfmOrv> window;
    std::unique_ptr<Catalogue> catalogue;
    std::unique_ptr<PlaybackControl> playback;
};
