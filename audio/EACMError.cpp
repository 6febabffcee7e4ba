// The texts of the multimedia (2-12), wave output (32-35) and compression (512-514) codes.
#include "audio/EACMError.h"

namespace {

QString codeText(int code)
{
    switch (code) {
    case 2:
        return QStringLiteral("Bad device ID.");
    case 3:
        return QStringLiteral("Driver not enabled.");
    case 4:
        return QStringLiteral("Device already allocated.");
    case 5:
        return QStringLiteral("The specified handle is invalid.");
    case 6:
        return QStringLiteral(
            "A suitable driver is not available to provide valid format selections.");
    case 7:
        return QStringLiteral("The system is unable to allocate resources.");
    case 8:
        return QStringLiteral("Function not supported.");
    case 10:
        return QStringLiteral("At least one flag is invalid.");
    case 11:
        return QStringLiteral("At least one parameter is invalid.");
    case 12:
        return QStringLiteral("Device handle in use.");
    case 32:
        return QStringLiteral("The selected audio format is not supported on this machine.");
    case 33:
        return QStringLiteral("Audio device is still playing.");
    case 34:
    case 514:
        return QStringLiteral("Cannot perform this action on a header that has not been prepared.");
    case 35:
        return QStringLiteral("Device is synchronous.");
    case 512:
        return QStringLiteral("The requested operation cannot be performed.");
    case 513:
        return QStringLiteral("The conversion stream is already in use.");
    default:
        return QStringLiteral("An unexpected error has occurred (code #%1).").arg(code);
    }
}

} // namespace

QString AudioResultText(int code, const QString &context)
{
    if (context.isEmpty())
        return codeText(code);
    return context + QStringLiteral("\r\n") + codeText(code);
}
