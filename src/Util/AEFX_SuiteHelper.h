// Suite access that reports failure instead of throwing: each function returns its PF_Err and,
// on failure, sets PF_OutFlag_DISPLAY_ERROR_MESSAGE with a message in return_msg so the host
// shows it. A suite acquired here is the caller's to release in the same command.
#pragma once

#include "host/host.h"

namespace zelfin {

// The four drawing suites, filled by AEFX_AcquireDrawbotSuites; owned by the caller.
struct DRAWBOT_Suites {
  const DRAWBOT_DrawbotSuite1* drawbotSuiteP;
  const DRAWBOT_SupplierSuite1* supplierSuiteP;
  const DRAWBOT_SurfaceSuite1* surfaceSuiteP;
  const DRAWBOT_PathSuite1* pathSuiteP;
};

// Stores the suite in *suitePP (null when the host has none) and returns PF_Err_NONE when it is
// there, whatever code the host answered with. errorMessage is the text shown on failure, null
// for the generic one.
PF_Err AEFX_AcquireSuite(PF_InData* in_data, PF_OutData* out_data, const char* name, A_long version,
                         const char* errorMessage, const void** suitePP);

PF_Err AEFX_ReleaseSuite(PF_InData* in_data, PF_OutData* out_data, const char* name, A_long version,
                         const char* errorMessage);

// Acquires draw, supplier, surface and path suites in that order and stops at the first the host
// refuses: the ones before it stay acquired, the members after it are left as they were.
PF_Err AEFX_AcquireDrawbotSuites(PF_InData* in_data, PF_OutData* out_data, DRAWBOT_Suites* suitesP);

// Gives back the drawing suites the record holds (its non-null members), in the same order: after
// an acquisition that stopped part way only those the host handed over, so that its counts stay
// balanced. The record is to be cleared before the acquisition.
void ReleaseHeldDrawbotSuites(PF_InData* in_data, PF_OutData* out_data,
                              const DRAWBOT_Suites& suites);

// Releases the four drawing suites, each regardless of the others; always PF_Err_NONE.
PF_Err AEFX_ReleaseDrawbotSuites(PF_InData* in_data, PF_OutData* out_data);

}  // namespace zelfin
