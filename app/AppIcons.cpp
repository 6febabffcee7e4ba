// Icons are loaded from the resources compiled into the program library.
#include "AppIcons.h"

static void initIconResources()
{
    Q_INIT_RESOURCE(icons);
}

namespace AppIcons {

namespace {
QIcon load(const char *name)
{
    static const bool initialised = (initIconResources(), true);
    Q_UNUSED(initialised);
    return QIcon(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(name)));
}
} // namespace

QIcon telephone()
{
    return load("telephone");
}
QIcon record()
{
    return load("record");
}
QIcon email()
{
    return load("email");
}
QIcon search()
{
    return load("search");
}

QList<QIcon> modemList()
{
    return {load("modem_on"), load("modem_off")};
}

QList<QIcon> recordingFrames()
{
    return {load("rec0"), load("rec1"), load("rec2"), load("rec3")};
}

} // namespace AppIcons
