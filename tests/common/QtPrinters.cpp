// GoogleTest printers for Qt values.
#include "QtPrinters.h"

void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}
