// Runs the benchmarks registered in the program with the command line's options; the exit
// code for main.
#pragma once

int runBenchmarks(int argc, char **argv);
