// Closing saves: the reasons of failed saves, gathered into one message.
#include "ClosingSaves.h"

#include "support/AtomicFile.h"

#include <algorithm>
#include <exception>

void ClosingSaves::attempt(const QString &what, const std::function<void()> &save)
{
    QString why;
    try {
        save();
        return;
    } catch (const FileSaveError &e) {
        why = e.describe();
    } catch (const std::exception &e) {
        why = QString::fromUtf8(e.what());
    } catch (...) {
        why = QStringLiteral("an unexpected error");
    }
    const bool known = std::any_of(m_failures.cbegin(), m_failures.cend(),
                                   [&what](const Failure &f) { return f.what == what; });
    if (!known)
        m_failures.append({what, why});
}

QString ClosingSaves::report() const
{
    if (m_failures.isEmpty())
        return {};
    QString text = QStringLiteral("Not everything could be saved when closing:");
    for (const Failure &f : m_failures)
        text += QLatin1Char('\n') + f.what + QStringLiteral(": ") + f.why;
    return text;
}
