#pragma once
// The instruction sets the band routines are compiled for, one path each:
// the plain one that every processor runs, and on x86-64 one for AVX2 with
// FMA and one for AVX-512. Each path rounds every entry exactly as the
// others do, so a result has the same digits on every path, on x86-64 and
// on arm64 alike. The band routines take the widest path the processor
// runs; benchmarks and tests may choose another to measure or compare it.
#include <vector>

namespace analysis {

enum class BandPath { Plain, Avx2, Avx512 };

// The paths this processor can run, the plain one first.
std::vector<BandPath> BandPathsHere();

// Whether this processor has fused multiply-add instructions, which the
// plain path uses for the sums the vector paths fuse (without them it
// rounds each product: the same digits to some 1e-15).
bool ProcessorHasFma();

// The path the band routines take now.
BandPath CurrentBandPath();

// Makes every later band routine of the process take `path`; error 5 when
// this processor cannot run it. Not while a band routine runs.
void ChooseBandPath(BandPath path);

// "plain", "AVX2" or "AVX-512".
const char* BandPathName(BandPath path);

}  // namespace analysis
