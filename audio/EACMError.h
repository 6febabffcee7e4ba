// The audio components' exception tree and the mapping of audio result codes to texts.
#pragma once

#include "audio/codecs/Result.h"

#include <QString>
#include <stdexcept>

class EACMError : public std::runtime_error
{
public:
    explicit EACMError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message)
    {}
    const QString &message() const { return m_message; }

private:
    QString m_message;
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
