// How GoogleTest prints Qt values in failure messages: a QString as its text in quotes rather
// than as a row of two-byte objects (also inside a QStringList or any other container). Every
// test source is compiled with this header included first, so that all of them print alike.
#pragma once

#include <QString>
#include <ostream>

void PrintTo(const QString &text, std::ostream *os);
