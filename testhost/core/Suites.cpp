// The basic suite and the default suite tables the host serves.
#include <cstring>

#include "Internal.h"

namespace testhost {

using detail::Arg;
using detail::kNotProvided;
using detail::ParamName;

namespace {

SPErr AcquireSuite(const char* name, int version, const void** suite) {
  if (suite) *suite = nullptr;
  HostCall call(contracts::kAcquireSuite, [&] { return CallArgs{Arg(name), Arg(version)}; });
  if (!call.host()) return kSuiteNotFound;
  const SuiteId id{Arg(name), version};
  if (!suite) {
    return call.refuse(HostRule::NullArgument,
                       "AcquireSuite of \"" + id.name + "\" without a place for the suite");
  }
  SuiteLedger& ledger = call.host()->ledger();
  const int serial = call.host()->commandSerial();
  if (call.faulted()) {
    ledger.acquired(serial, id, false);
    return call.result<SPErr>();
  }
  const auto& suites = call.served().suites;
  auto it = suites.find({id.name, version});
  if (it == suites.end() || !it->second) {
    ledger.acquired(serial, id, false);
    return call.finish(kSuiteNotFound);
  }
  *suite = it->second;
  ledger.acquired(serial, id, true);
  return call.finish(PF_Err_NONE);
}

SPErr ReleaseSuite(const char* name, int version) {
  HostCall call(contracts::kReleaseSuite, [&] { return CallArgs{Arg(name), Arg(version)}; });
  if (!call.host()) return kSuiteNotFound;
  const SuiteId id{Arg(name), version};
  SuiteLedger& ledger = call.host()->ledger();
  const int serial = call.host()->commandSerial();
  if (call.faulted()) {
    ledger.releaseFailed(serial, id);
    return call.result<SPErr>();
  }
  if (!ledger.released(serial, id)) {
    return call.refuse(HostRule::SuiteNotAcquired,
                       "ReleaseSuite of \"" + id.name + "\" " + Arg(version) +
                           ", which is not acquired",
                       kSuiteNotFound);
  }
  return call.finish(PF_Err_NONE);
}

SPBoolean IsEqual(const char* a, const char* b) {
  HostCall call(contracts::kIsEqual, [&] { return CallArgs{Arg(a), Arg(b)}; });
  return call.finish(static_cast<SPBoolean>(a && b && std::strcmp(a, b) == 0));
}

A_Err RegisterWithAEGP(AEGP_GlobalRefcon refcon, const A_char* name, AEGP_PluginID* id) {
  HostCall call(contracts::kRegisterWithAEGP, [&] { return CallArgs{Arg(name)}; });
  if (!call.proceeds()) return call.result<A_Err>();
  if (!id || !name) {
    return call.refuse(HostRule::NullArgument,
                       "AEGP_RegisterWithAEGP with a null name or id pointer");
  }
  detail::ServedState& served = call.served();
  *id = served.nextPluginId++;
  served.registrations.push_back({*id, name, refcon});
  return call.finish(PF_Err_NONE);
}

PF_Err UpdateParamUI(PF_ProgPtr ref, PF_ParamIndex index, const PF_ParamDef* def) {
  HostCall call(contracts::kUpdateParamUI, ref,
                [&] { return CallArgs{Arg(index), def ? ParamName(def->name) : "(null)"}; });
  if (!call.proceeds()) return call.result<PF_Err>();
  if (!def) return call.refuse(HostRule::NullArgument, "PF_UpdateParamUI with a null definition");
  PF_ParamDef* own = detail::ParamAt(call, index);
  if (!own) return call.result<PF_Err>();
  if (def->param_type != own->param_type) {
    return call.refuse(HostRule::ParamTypeMismatch,
                       "PF_UpdateParamUI of index " + Arg(index) + " with a definition of type " +
                           Arg(def->param_type) + " for a parameter of type " +
                           Arg(own->param_type));
  }
  std::memcpy(own->name, def->name, sizeof own->name);
  own->ui_flags = def->ui_flags;
  call.served().uiUpdates.push_back({index, *def});
  return call.finish(PF_Err_NONE);
}

}  // namespace

namespace detail {

void InstallBasicSuite(SPBasicSuite& basic) {
  basic = {&AcquireSuite, &ReleaseSuite, &IsEqual, kNotProvided,
           kNotProvided,  kNotProvided,  kNotProvided};
}

const std::vector<SuiteEntry>& DefaultSuites() {
  static constexpr AEGP_UtilitySuite3 kUtility = {
      kNotProvided,  // AEGP_ReportInfo
      kNotProvided,  // AEGP_GetDriverPluginInitFuncVersion
      kNotProvided,  // AEGP_GetDriverImplementationVersion
      kNotProvided,  // AEGP_StartQuietErrors
      kNotProvided,  // AEGP_EndQuietErrors
      kNotProvided,  // AEGP_StartUndoGroup
      kNotProvided,  // AEGP_EndUndoGroup
      &RegisterWithAEGP,
      kNotProvided,  // AEGP_GetMainHWND
      kNotProvided,  // AEGP_ShowHideAllFloaters
      kNotProvided,  // AEGP_PaintPalGetForeColor
      kNotProvided,  // AEGP_PaintPalGetBackColor
      kNotProvided,  // AEGP_PaintPalSetForeColor
      kNotProvided,  // AEGP_PaintPalSetBackColor
      kNotProvided,  // AEGP_CharPalGetFillColor
      kNotProvided,  // AEGP_CharPalGetStrokeColor
      kNotProvided,  // AEGP_CharPalSetFillColor
      kNotProvided,  // AEGP_CharPalSetStrokeColor
      kNotProvided,  // AEGP_CharPalIsFillColorUIFrontmost
      kNotProvided,  // AEGP_ConvertFpLongToHSFRatio
      kNotProvided,  // AEGP_ConvertHSFRatioToFpLong
      kNotProvided,  // AEGP_CauseIdleRoutinesToBeCalled
      kNotProvided,  // AEGP_GetSuppressInteractiveUI
      kNotProvided,  // AEGP_WriteToOSConsole
      kNotProvided,  // AEGP_WriteToDebugLog
  };
  static constexpr PF_ParamUtilsSuite1 kParamUtils = {
      &UpdateParamUI,
      kNotProvided,  // PF_GetCurrentStateObsolete
      kNotProvided,  // PF_HasParamChangedObsolete
      kNotProvided,  // PF_HaveInputsChangedOverTimeSpanObsolete
      kNotProvided,  // PF_IsIdenticalCheckout
      kNotProvided,  // PF_FindKeyframeTime
      kNotProvided,  // PF_GetKeyframeCount
      kNotProvided,  // PF_CheckoutKeyframe
      kNotProvided,  // PF_CheckinKeyframe
      kNotProvided,  // PF_KeyIndexToTime
  };
  static const std::vector<SuiteEntry> suites = {
      {kPFHandleSuite, kPFHandleSuiteVersion2, &OwnHandleSuite()},
      {kAEGPUtilitySuite, kAEGPUtilitySuiteVersion7, &kUtility},
      {kPFParamUtilsSuite, kPFParamUtilsSuiteVersion2, &kParamUtils},
      {kPFANSISuite, kPFANSISuiteVersion1, &OwnAnsiSuite()},
  };
  return suites;
}

}  // namespace detail
}  // namespace testhost
