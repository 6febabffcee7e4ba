// A sound device for tests of the output queue: it records what it is asked to do, answers
// with the codes a test chooses, and reports blocks done when the test says so.
#pragma once

#include "audio/out/WaveOutDevice.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QObject>
#include <vector>

struct ScriptedWaveOutState
{
    int openCode = 0, writeCode = 0, pauseCode = 0, restartCode = 0;
    bool open = false;
    int opened = 0;
    std::vector<WaveHeader *> written; // in order, until reported done
    std::vector<std::vector<std::uint8_t>> writtenBytes;
    std::function<void(WaveHeader *)> onDone;
    QObject context;
};

class ScriptedWaveOut final : public WaveOutDevice
{
public:
    explicit ScriptedWaveOut(ScriptedWaveOutState &state) : m_state(state) {}

    int open(int, const TdeWaveFormat &, std::function<void(WaveHeader *)> onDone) override
    {
        if (m_state.openCode != 0)
            return m_state.openCode;
        m_state.open = true;
        ++m_state.opened;
        m_state.onDone = std::move(onDone);
        return 0;
    }
    int write(WaveHeader *header) override
    {
        if (m_state.writeCode != 0)
            return m_state.writeCode;
        m_state.written.push_back(header);
        m_state.writtenBytes.emplace_back(header->data, header->data + header->length);
        return 0;
    }
    int pause() override { return m_state.pauseCode; }
    int restart() override { return m_state.restartCode; }
    int reset() override
    {
        for (WaveHeader *h : m_state.written)
            post(h);
        m_state.written.clear();
        return 0;
    }
    int close() override
    {
        m_state.open = false;
        return 0;
    }

    // Reports the oldest block in the device done, later, as a device does.
    static void playOne(ScriptedWaveOutState &state)
    {
        WaveHeader *h = state.written.front();
        state.written.erase(state.written.begin());
        QMetaObject::invokeMethod(
            &state.context, [done = state.onDone, h] { done(h); }, Qt::QueuedConnection);
    }

private:
    void post(WaveHeader *h)
    {
        QMetaObject::invokeMethod(
            &m_state.context, [done = m_state.onDone, h] { done(h); }, Qt::QueuedConnection);
    }
    ScriptedWaveOutState &m_state;
};
