#include "Util/AEFX_SuiteHelper.h"

namespace {

void ReportError(PF_InData* in_data, PF_OutData* out_data, const char* message) {
  out_data->out_flags |= PF_OutFlag_DISPLAY_ERROR_MESSAGE;
  // The message is passed as an argument, never as the format, so a '%' in it is printed as is.
  in_data->utils->ansi.sprintf(out_data->return_msg, "%s", message);
}

// Acquires one drawing suite into its member of the record.
template <typename SuiteT>
PF_Err AcquireInto(PF_InData* in_data, PF_OutData* out_data, const char* name, A_long version,
                   const SuiteT** memberP) {
  const void* suiteP = nullptr;
  const PF_Err err = AEFX_AcquireSuite(in_data, out_data, name, version, nullptr, &suiteP);
  *memberP = static_cast<const SuiteT*>(suiteP);
  return err;
}

}  // namespace

PF_Err AEFX_AcquireSuite(PF_InData* in_data, PF_OutData* out_data, const char* name, A_long version,
                         const char* error_stringPC, const void** suitePP) {
  // Cleared first: a host that refuses without writing must not leave an old pointer looking
  // like a suite.
  *suitePP = nullptr;
  const SPBasicSuite* basicP = in_data->pica_basicP;
  if (basicP != nullptr) {
    basicP->AcquireSuite(name, version, suitePP);
  }
  if (*suitePP != nullptr) {
    return PF_Err_NONE;
  }
  ReportError(in_data, out_data,
              error_stringPC != nullptr ? error_stringPC : "Not able to acquire AEFX Suite.");
  return PF_Err_BAD_CALLBACK_PARAM;
}

PF_Err AEFX_ReleaseSuite(PF_InData* in_data, PF_OutData* out_data, const char* name, A_long version,
                         const char* error_stringPC) {
  const SPBasicSuite* basicP = in_data->pica_basicP;
  if (basicP != nullptr) {
    basicP->ReleaseSuite(name, version);
    return PF_Err_NONE;
  }
  ReportError(in_data, out_data,
              error_stringPC != nullptr ? error_stringPC : "Not able to release AEFX Suite.");
  return PF_Err_BAD_CALLBACK_PARAM;
}

PF_Err AEFX_AcquireDrawbotSuites(PF_InData* in_data, PF_OutData* out_data,
                                 DRAWBOT_Suites* suitesP) {
  if (suitesP == nullptr) {
    ReportError(in_data, out_data, "NULL suite pointer passed to AEFX_AcquireDrawbotSuites");
    return PF_Err_UNRECOGNIZED_PARAM_TYPE;
  }
  PF_Err err = AcquireInto(in_data, out_data, kDRAWBOT_DrawSuite, kDRAWBOT_DrawSuite_Version1,
                           &suitesP->drawbot_suiteP);
  if (!err) {
    err = AcquireInto(in_data, out_data, kDRAWBOT_SupplierSuite, kDRAWBOT_SupplierSuite_Version1,
                      &suitesP->supplier_suiteP);
  }
  if (!err) {
    err = AcquireInto(in_data, out_data, kDRAWBOT_SurfaceSuite, kDRAWBOT_SurfaceSuite_Version1,
                      &suitesP->surface_suiteP);
  }
  if (!err) {
    err = AcquireInto(in_data, out_data, kDRAWBOT_PathSuite, kDRAWBOT_PathSuite_Version1,
                      &suitesP->path_suiteP);
  }
  return err;
}

PF_Err AEFX_ReleaseDrawbotSuites(PF_InData* in_data, PF_OutData* out_data) {
  AEFX_ReleaseSuite(in_data, out_data, kDRAWBOT_DrawSuite, kDRAWBOT_DrawSuite_Version1, nullptr);
  AEFX_ReleaseSuite(in_data, out_data, kDRAWBOT_SupplierSuite, kDRAWBOT_SupplierSuite_Version1,
                    nullptr);
  AEFX_ReleaseSuite(in_data, out_data, kDRAWBOT_SurfaceSuite, kDRAWBOT_SurfaceSuite_Version1,
                    nullptr);
  AEFX_ReleaseSuite(in_data, out_data, kDRAWBOT_PathSuite, kDRAWBOT_PathSuite_Version1, nullptr);
  return PF_Err_NONE;
}
