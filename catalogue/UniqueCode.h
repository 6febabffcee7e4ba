// The 8-character codes that key recordings and folders, drawn from the local clock and a
// counter that lives for the run of the program.
#pragma once

#include <QDateTime>
#include <QString>

class UniqueCodeGenerator
{
public:
    // A new code for the moment given. Codes drawn within the same hundredth of a second
    // differ by the counter.
    QString next(const QDateTime &now);

    // The code of a date, time and counter value (0..3843): 3 base-62 digits of the days since
    // 1 November 2000 × 24 + hours, 2 of minutes × 60 + seconds, 3 of 1922 × hundredths +
    // counter. Letters are case-significant.
    static QString code(const QDate &date, const QTime &time, int counter);

private:
    int m_counter = -1; // set from the clock at the first call
};
