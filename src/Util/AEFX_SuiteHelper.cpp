#include "Util/AEFX_SuiteHelper.h"

#include <array>
#include <cstddef>

#include "Util/SuiteIdentity.h"

namespace zelfin {

namespace {

// Asks the host to show the message, also from a draw event that goes on without its drawing
// suites (kept on purpose: "Compatibility decisions" in docs/developer-guide.md).
void ReportError(PF_InData* in_data, PF_OutData* out_data, const char* message) {
  out_data->out_flags |= PF_OutFlag_DISPLAY_ERROR_MESSAGE;
  // The message is passed as an argument, never as the format, so a '%' in it is printed as is.
  in_data->utils->ansi.sprintf(out_data->return_msg, "%s", message);
}

// The four drawing suites in the order they are acquired and released, which is also the order
// of the members of DRAWBOT_Suites.
enum : std::size_t { kDraw, kSupplier, kSurface, kPath, kDrawbotSuiteCount };
constexpr SuiteIdentity kDrawbotSuites[kDrawbotSuiteCount] = {
    {kDRAWBOT_DrawSuite, kDRAWBOT_DrawSuite_Version1},
    {kDRAWBOT_SupplierSuite, kDRAWBOT_SupplierSuite_Version1},
    {kDRAWBOT_SurfaceSuite, kDRAWBOT_SurfaceSuite_Version1},
    {kDRAWBOT_PathSuite, kDRAWBOT_PathSuite_Version1},
};

// The record's members, in the order of the table.
std::array<const void*, kDrawbotSuiteCount> Members(const DRAWBOT_Suites& suites) {
  return {suites.drawbotSuiteP, suites.supplierSuiteP, suites.surfaceSuiteP,
          suites.pathSuiteP};
}

void ReleaseDrawbotSuite(PF_InData* in_data, PF_OutData* out_data, std::size_t index) {
  AEFX_ReleaseSuite(in_data, out_data, kDrawbotSuites[index].name, kDrawbotSuites[index].version,
                    nullptr);
}

// Acquires one drawing suite into its member of the record.
template <typename SuiteT>
PF_Err AcquireInto(PF_InData* in_data, PF_OutData* out_data, const SuiteIdentity& suite,
                   const SuiteT** memberPP) {
  const void* suiteP = nullptr;
  const PF_Err err =
      AEFX_AcquireSuite(in_data, out_data, suite.name, suite.version, nullptr, &suiteP);
  *memberPP = static_cast<const SuiteT*>(suiteP);
  return err;
}

}  // namespace

PF_Err AEFX_AcquireSuite(PF_InData* in_data, PF_OutData* out_data, const char* name, A_long version,
                         const char* errorMessage, const void** suitePP) {
  // Cleared first: a host that refuses without writing must not leave an old pointer looking
  // like a suite.
  *suitePP = nullptr;
  const SPBasicSuite* basicP = in_data->pica_basicP;
  // The host's code is not looked at: a suite it hands out is taken, and later given back, even
  // with an error (kept on purpose: "Compatibility decisions" in docs/developer-guide.md).
  if (basicP != nullptr) {
    basicP->AcquireSuite(name, version, suitePP);
  }
  if (*suitePP != nullptr) {
    return PF_Err_NONE;
  }
  ReportError(in_data, out_data,
              errorMessage != nullptr ? errorMessage : "Not able to acquire AEFX Suite.");
  return PF_Err_BAD_CALLBACK_PARAM;
}

PF_Err AEFX_ReleaseSuite(PF_InData* in_data, PF_OutData* out_data, const char* name, A_long version,
                         const char* errorMessage) {
  const SPBasicSuite* basicP = in_data->pica_basicP;
  if (basicP != nullptr) {
    basicP->ReleaseSuite(name, version);
    return PF_Err_NONE;
  }
  ReportError(in_data, out_data,
              errorMessage != nullptr ? errorMessage : "Not able to release AEFX Suite.");
  return PF_Err_BAD_CALLBACK_PARAM;
}

PF_Err AEFX_AcquireDrawbotSuites(PF_InData* in_data, PF_OutData* out_data,
                                 DRAWBOT_Suites* suitesP) {
  if (suitesP == nullptr) {
    ReportError(in_data, out_data, "NULL suite pointer passed to AEFX_AcquireDrawbotSuites");
    return PF_Err_UNRECOGNIZED_PARAM_TYPE;
  }
  // Counted as they are handed out, so that a host that throws out of a later acquisition gets
  // back the ones before it: the exception leaves nothing acquired for the caller to find.
  std::size_t acquired = 0;
  PF_Err err = PF_Err_NONE;
  try {
    err = AcquireInto(in_data, out_data, kDrawbotSuites[kDraw], &suitesP->drawbotSuiteP);
    if (!err) {
      ++acquired;
      err = AcquireInto(in_data, out_data, kDrawbotSuites[kSupplier], &suitesP->supplierSuiteP);
    }
    if (!err) {
      ++acquired;
      err = AcquireInto(in_data, out_data, kDrawbotSuites[kSurface], &suitesP->surfaceSuiteP);
    }
    if (!err) {
      ++acquired;
      err = AcquireInto(in_data, out_data, kDrawbotSuites[kPath], &suitesP->pathSuiteP);
    }
  } catch (...) {
    for (std::size_t i = 0; i < acquired; ++i) {
      ReleaseDrawbotSuite(in_data, out_data, i);
    }
    throw;
  }
  return err;
}

void ReleaseHeldDrawbotSuites(PF_InData* in_data, PF_OutData* out_data,
                              const DRAWBOT_Suites& suites) {
  const std::array<const void*, kDrawbotSuiteCount> held = Members(suites);
  for (std::size_t i = 0; i < kDrawbotSuiteCount; ++i) {
    if (held[i] != nullptr) {
      ReleaseDrawbotSuite(in_data, out_data, i);
    }
  }
}

PF_Err AEFX_ReleaseDrawbotSuites(PF_InData* in_data, PF_OutData* out_data) {
  for (std::size_t i = 0; i < kDrawbotSuiteCount; ++i) {
    ReleaseDrawbotSuite(in_data, out_data, i);
  }
  return PF_Err_NONE;
}

}  // namespace zelfin
