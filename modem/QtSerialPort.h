// The serial link on QSerialPort: COM numbers become device paths through [Ports] of orv.ini.
#pragma once

#include "SerialPort.h"

#include <QSerialPort>

class TIniFile;

class QtSerialPort final : public SerialPort
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(QtSerialPort)

public:
    // Received bytes held for the reader at most; older ones are dropped past this.
    static constexpr qsizetype MaxHeldInput = 1024 * 1024;

    explicit QtSerialPort(const TIniFile &ini, QObject *parent = nullptr);
    ~QtSerialPort() override;

    void setSettings(const SerialSettings &settings) override { m_settings = settings; }
    SerialSettings settings() const override { return m_settings; }

    void open() override;
    void close() override;
    bool isOpen() const override { return m_port.isOpen(); }

    int outputFree() const override;
    void discardInput() override;
    void write(const QByteArray &bytes) override;
    QByteArray read(int count) override;
    void setTrigger(const QByteArray &text) override;

    // The device path the port was last opened on.
    QString devicePath() const { return m_port.portName(); }

private:
    void takeReceived();
    void notifyReader();
    void checkTrigger(const QByteArray &data);
    void portError(QSerialPort::SerialPortError error);
    void loseDevice(quint64 generation, const QString &reason);

    const TIniFile &m_ini;
    SerialSettings m_settings;
    QSerialPort m_port;
    QByteArray m_input;
    QByteArray m_trigger; // lower case; empty when no trigger is set
    QByteArray m_triggerTail;
    bool m_readerNotified = false;
    bool m_losing = false;
    quint64 m_generation = 0; // counts opens, so a late loss report cannot close a newer open
};
