// The basic suite and the default suite tables the host serves.
#include <cstring>

#include "Internal.h"

namespace testhost {

using detail::Arg;
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
  basic.AcquireSuite = &AcquireSuite;
  basic.ReleaseSuite = &ReleaseSuite;
  basic.IsEqual = &IsEqual;
  Stub(basic.AllocateBlock);
  Stub(basic.FreeBlock);
  Stub(basic.ReallocateBlock);
  Stub(basic.Undefined);
}

const std::vector<SuiteEntry>& DefaultSuites() {
  static const PF_HandleSuite1 handle = [] {
    PF_HandleSuite1 s{};
    FillHandleSuite(s);
    return s;
  }();
  static const AEGP_UtilitySuite3 utility = [] {
    AEGP_UtilitySuite3 s{};
    Stub(s.AEGP_ReportInfo);
    Stub(s.AEGP_GetDriverPluginInitFuncVersion);
    Stub(s.AEGP_GetDriverImplementationVersion);
    Stub(s.AEGP_StartQuietErrors);
    Stub(s.AEGP_EndQuietErrors);
    Stub(s.AEGP_StartUndoGroup);
    Stub(s.AEGP_EndUndoGroup);
    s.AEGP_RegisterWithAEGP = &RegisterWithAEGP;
    Stub(s.AEGP_GetMainHWND);
    Stub(s.AEGP_ShowHideAllFloaters);
    Stub(s.AEGP_PaintPalGetForeColor);
    Stub(s.AEGP_PaintPalGetBackColor);
    Stub(s.AEGP_PaintPalSetForeColor);
    Stub(s.AEGP_PaintPalSetBackColor);
    Stub(s.AEGP_CharPalGetFillColor);
    Stub(s.AEGP_CharPalGetStrokeColor);
    Stub(s.AEGP_CharPalSetFillColor);
    Stub(s.AEGP_CharPalSetStrokeColor);
    Stub(s.AEGP_CharPalIsFillColorUIFrontmost);
    Stub(s.AEGP_ConvertFpLongToHSFRatio);
    Stub(s.AEGP_ConvertHSFRatioToFpLong);
    Stub(s.AEGP_CauseIdleRoutinesToBeCalled);
    Stub(s.AEGP_GetSuppressInteractiveUI);
    Stub(s.AEGP_WriteToOSConsole);
    Stub(s.AEGP_WriteToDebugLog);
    return s;
  }();
  static const PF_ParamUtilsSuite1 paramUtils = [] {
    PF_ParamUtilsSuite1 s{};
    s.PF_UpdateParamUI = &UpdateParamUI;
    Stub(s.PF_GetCurrentStateObsolete);
    Stub(s.PF_HasParamChangedObsolete);
    Stub(s.PF_HaveInputsChangedOverTimeSpanObsolete);
    Stub(s.PF_IsIdenticalCheckout);
    Stub(s.PF_FindKeyframeTime);
    Stub(s.PF_GetKeyframeCount);
    Stub(s.PF_CheckoutKeyframe);
    Stub(s.PF_CheckinKeyframe);
    Stub(s.PF_KeyIndexToTime);
    return s;
  }();
  static const PF_ANSICallbacksSuite1 ansi = [] {
    PF_ANSICallbacksSuite1 s{};
    FillAnsi(s);
    return s;
  }();
  static const std::vector<SuiteEntry> suites = {
      {kPFHandleSuite, kPFHandleSuiteVersion2, &handle},
      {kAEGPUtilitySuite, kAEGPUtilitySuiteVersion7, &utility},
      {kPFParamUtilsSuite, kPFParamUtilsSuiteVersion2, &paramUtils},
      {kPFANSISuite, kPFANSISuiteVersion1, &ansi},
  };
  return suites;
}

}  // namespace detail
}  // namespace testhost
