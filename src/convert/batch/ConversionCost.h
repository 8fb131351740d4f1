#pragma once

#include "batch/ConversionOptions.h"
#include "engine/LeadImage.h"
#include "engine/LoaderFamily.h"

namespace quillmorph {

// The pipeline's cost model: what converting a file will take, judged from its header alone.
// The figures are measured per loader and encoder (bench/memory_costs.sh, docs/reliability.md).

// Bytes that converting the file with options may hold at once: what its loader holds to
// decode it (a few rows where it streams or shrinks on load into a box, the whole picture where
// it cannot) and what the output format's encoder holds of the output pixels.
double workingBytes(const SourceHeader& header, const ConversionOptions& options);

// CPU that converting the file costs, relative to other files: its pixels, weighted by how
// dear its loader decodes them.
double relativeCost(const SourceHeader& header);

// The bytes the files converted at once may hold together (the first one always starts) when
// the process may be given memoryLeft bytes (0: not known) as the batch starts: a quarter of it,
// not below kMinBytesInFlight (unless that is more than half of it) nor above kMaxBytesInFlight.
double bytesInFlightBudget(double memoryLeft);
inline constexpr double kMinBytesInFlight = 192.0 * 1024 * 1024;
inline constexpr double kMaxBytesInFlight = 1024.0 * 1024 * 1024;

// True when a file that may hold cost bytes is refused outright with memoryLeft bytes to be had
// (0: not known, nothing is refused): it would take more than half of it.
bool tooDearForMemory(double cost, double memoryLeft);

// Bytes libvips unpacks the file into before it gives a pixel, converted with options: WebP's
// loader writes what it reads whole, a still at the size it shrinks to on load, an animation
// every frame at canvas size with four bands; 0 for the loaders that stream.
double unpackedBytes(const SourceHeader& header, const ConversionOptions& options);

// The part of unpackedBytes that goes to a file in the temporary folder, beyond libvips' disc
// threshold (discThreshold bytes), and the part that stays in memory.
double temporaryFolderBytes(const SourceHeader& header, const ConversionOptions& options,
                            double discThreshold);
double unpackedInMemoryBytes(const SourceHeader& header, const ConversionOptions& options,
                             double discThreshold);

// True when a file that writes bytes into the temporary folder is refused outright with
// spaceLeft bytes free there (0: not known, nothing is refused): more than half of it.
bool tooDearForTemporarySpace(double bytes, double spaceLeft);

} // namespace quillmorph
