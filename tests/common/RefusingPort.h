// A serial port whose openings fail as a test says: for each COM number the kind of failure
// and the device it names; numbers not listed have no device. Nothing is ever open.
#pragma once

#include "modem/SerialPort.h"

#include <QMap>

class RefusingPort final : public SerialPort
{
public:
    struct Refusal
    {
        SerialError::Kind kind;
        QString device;
    };

    explicit RefusingPort(QMap<int, Refusal> refusals) : m_refusals(std::move(refusals)) {}
    void setRefusals(QMap<int, Refusal> refusals) { m_refusals = std::move(refusals); }

    void setSettings(const SerialSettings &settings) override { m_settings = settings; }
    SerialSettings settings() const override { return m_settings; }

    void open() override
    {
        const auto it = m_refusals.constFind(m_settings.port);
        if (it == m_refusals.cend()) {
            throw SerialError(SerialError::Kind::InvalidPort,
                              QStringLiteral("Com port %1 does not exist").arg(m_settings.port));
        }
        const QString reason = it->kind == SerialError::Kind::Permission
                                   ? QStringLiteral(": Permission denied")
                                   : QStringLiteral(": Device or resource busy");
        throw SerialError(it->kind, it->device + reason, it->device);
    }
    void close() override {}
    bool isOpen() const override { return false; }

    int outputFree() const override { return BufferSize; }
    void discardInput() override {}
    void write(const QByteArray &) override
    {
        throw SerialError(SerialError::Kind::NotOpen, QStringLiteral("Com port not open"));
    }
    QByteArray read(int) override { return {}; }
    void setTrigger(const QByteArray &) override {}

private:
    QMap<int, Refusal> m_refusals;
    SerialSettings m_settings;
};
