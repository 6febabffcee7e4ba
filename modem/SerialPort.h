// The serial link to the modem as the AT engine needs it; QtSerialPort is the real backend.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <stdexcept>

enum class SerialFlow
{
    Hardware,
    Software,
    None
};

// "Hardware", "Software" or "None" as the settings list shows them; anything else is
// taken as hardware flow control, the design value.
SerialFlow serialFlowFromName(const QString &name);

// What the next open uses; changing it while the port is open takes effect at the next open.
struct SerialSettings
{
    int port = 1;          // COM number, 1..16, mapped to a device through [Ports]
    int baudRate = 115200; // bits per second
    SerialFlow flow = SerialFlow::Hardware;
};

// A failure of the serial layer. The kind decides how port scanning reports it.
class SerialError : public std::runtime_error
{
public:
    enum class Kind
    {
        InvalidPort, // no such port or device
        InUse,       // held by another program
        Permission,  // the system does not let this user open the device
        InputOutput, // the device failed
        Configure,   // the device refused the line settings
        NotOpen      // an operation that needs an open port
    };

    // device: the device path the failure concerns, when one is known.
    SerialError(Kind kind, const QString &message, QString device = {});

    Kind kind() const { return m_kind; }
    const QString &device() const { return m_device; }
    // The error's class name as port scanning shows it ("EComPortInUse", ...).
    QString className() const;

private:
    Kind m_kind;
    QString m_device;
};

class SerialPort : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SerialPort)

public:
    // Input and output buffer size in bytes.
    static constexpr int BufferSize = 2048;

    using QObject::QObject;
    ~SerialPort() override = default;

    virtual void setSettings(const SerialSettings &settings) = 0;
    virtual SerialSettings settings() const = 0;

    // Acquires and configures the device; opened() follows through the event loop.
    // Throws SerialError when the port does not exist, is in use, may not be opened by this
    // user (Kind::Permission, naming the device) or cannot be configured.
    virtual void open() = 0;
    // Releases the device; closed() follows through the event loop. No-op when closed.
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    // Bytes that can be queued for sending now; BufferSize while closed.
    virtual int outputFree() const = 0;
    // Drops everything received and not yet read.
    virtual void discardInput() = 0;
    // Queues bytes for sending. Throws SerialError (NotOpen) when the port is closed.
    virtual void write(const QByteArray &bytes) = 0;
    // Takes up to count received bytes.
    virtual QByteArray read(int count) = 0;

    // Fires triggered() once when text (compared without regard to case) arrives;
    // an empty text removes the trigger.
    virtual void setTrigger(const QByteArray &text) = 0;

signals:
    void opened();
    void closed();
    // count bytes can be read now; delivered through the event loop.
    void dataAvailable(int count);
    void triggered();
    // The device went away while open (unplugged, or the far end of a pseudo-terminal
    // exited). The port closes itself; closed() follows.
    void deviceLost(const QString &reason);
};
