#pragma once

#include "batch/ConversionPlan.h"
#include "engine/LeadImage.h"
#include "engine/LoaderFamily.h"

namespace quillmorph {

// The pipeline's cost model: what converting a file will take, judged from its header alone.
// The figures are measured per loader and encoder (bench/memory_costs.sh, docs/reliability.md).

// What converting the file with header as plan says may hold (PlannedCost), with libvips
// unpacking beyond discThreshold bytes into the temporary folder. For planFor.
PlannedCost costOf(const SourceHeader& header, const ConversionPlan& plan, double discThreshold);

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

// True when a file that writes bytes into the temporary folder is refused outright with
// spaceLeft bytes free there (0: not known, nothing is refused): more than half of it.
bool tooDearForTemporarySpace(double bytes, double spaceLeft);

} // namespace quillmorph
