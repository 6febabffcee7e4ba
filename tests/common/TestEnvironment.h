// Tells the tests where the built programs and the repository are, unless the caller did.
#pragma once

#include <QByteArray>
#include <QtGlobal>

inline void setUpTestEnvironment()
{
    if (qEnvironmentVariableIsEmpty("CALVORA_BIN_DIR"))
        qputenv("CALVORA_BIN_DIR", QByteArray(CALVORA_TEST_BIN_DIR));
    if (qEnvironmentVariableIsEmpty("CALVORA_SOURCE_DIR"))
        qputenv("CALVORA_SOURCE_DIR", QByteArray(CALVORA_TEST_SOURCE_DIR));
}
