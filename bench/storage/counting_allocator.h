// Linking counting_allocator.cpp into a program replaces the global operator new and delete with
// ones that can count the bytes asked for, so that a benchmark can read the heap's high-water mark
// over a stretch of its own code. Counting is off unless started, so the timed benchmarks of the
// same program pay only a flag test. The allocator's own overhead is never counted.
#pragma once

namespace heap_count
{
// Counts from zero: bytes allocated less bytes freed (a block from before the start counts when
// it is freed), and the highest value that reached.
void Start();
void Stop();
long long LiveBytes();
long long PeakBytes();
}  // namespace heap_count
