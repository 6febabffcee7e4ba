// The entry point of the benchmark programs that measure Qt code: files, timers and signals
// need the application object.
#include "BenchRun.h"

#include <QCoreApplication>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    return runBenchmarks(argc, argv);
}
