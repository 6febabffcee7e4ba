// The audio components' exception tree and the mapping of audio result codes to texts.
#pragma once

#include "audio/codecs/Result.h"

#include <QString>
#include <stdexcept>

class EACMError : public std::runtime_error
{
public:
    // message is the fixed text users know; reason, when given, says what exactly was wrong
    // (what() holds both, on one line).
    explicit EACMError(const QString &message, const QString &reason = {})
        : std::runtime_error(
              (reason.isEmpty() ? message : message + QLatin1Char(' ') + reason).toStdString()),
          m_message(message), m_reason(reason)
    {}
    const QString &message() const { return m_message; }
    const QString &reason() const { return m_reason; }

private:
    QString m_message;
    QString m_reason;
};

class EACMCodecError : public EACMError
{
public:
    using EACMError::EACMError;
};

class EACMConversionError : public EACMError
{
public:
    using EACMError::EACMError;
};

class EACMAudioStreamError : public EACMError
{
public:
    using EACMError::EACMError;
};

class EACMAudioReadError : public EACMAudioStreamError
{
public:
    using EACMAudioStreamError::EACMAudioStreamError;
};

// Sound devices: the output component's failures, and the device descriptions'.
class EACMAudioIOError : public EACMError
{
public:
    using EACMError::EACMError;
};

class EACMAudioOutError : public EACMAudioIOError
{
public:
    using EACMAudioIOError::EACMAudioIOError;
};

class EACMDeviceError : public EACMError
{
public:
    using EACMError::EACMError;
};

class EACMDeviceOutError : public EACMDeviceError
{
public:
    using EACMDeviceError::EACMDeviceError;
};

// The context text, then (when the context is not empty) a line break, then the code's text.
QString AudioResultText(int code, const QString &context);

// Does nothing for code 0; otherwise raises E with AudioResultText(code, context).
template <class E> void CheckAudioResult(int code, const QString &context)
{
    if (code != 0)
        throw E(AudioResultText(code, context));
}

template <class E> void CheckAudioResult(codecs::Result result, const QString &context)
{
    CheckAudioResult<E>(codecs::code(result), context);
}
