// Counting what a stretch of a program asks of the system: allocations through operator new and
// files opened. The program that links this replaces the global operator new, so every C++
// allocation in the process passes through it, the driver's LLVM included; and it stands in for
// the C library's open, openat and fopen families by name, which the driver's libraries find
// when the program exports its symbols. The driver's own C allocations are not counted.
//
//   startCounting();
//   ...
//   SystemCounts counts = stopCounting();
#pragma once

struct SystemCounts {
    long allocations = 0;
    long filesOpened = 0;
};

void startCounting();
SystemCounts stopCounting();
