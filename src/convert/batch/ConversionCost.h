#pragma once

#include "engine/LeadImage.h"

namespace quillmorph {

// The pipeline's cost model: what converting a file will take, judged from its header alone.

// Bytes that decoding and converting the file may hold at once: small where the loader streams
// or shrinks on load into a box of boxPixels, the whole image otherwise (boxPixels 0: the image
// keeps its size).
double workingBytes(const SourceHeader& header, double boxPixels);

// CPU that converting the file costs, relative to other files: its pixels, weighted by how
// dear its loader decodes them.
double relativeCost(const SourceHeader& header);

// The bytes the files converted at once may hold together (the first one always starts) on a
// machine with availableBytes of memory available at the batch's start: a quarter of it,
// never below kMinBytesInFlight nor above kMaxBytesInFlight.
double bytesInFlightBudget(double availableBytes);
inline constexpr double kMinBytesInFlight = 192.0 * 1024 * 1024;
inline constexpr double kMaxBytesInFlight = 1024.0 * 1024 * 1024;

// MemAvailable from /proc/meminfo in bytes; 0 when the system does not say. Any thread.
double availableMemoryBytes();

} // namespace quillmorph
