// The basic suite and the default suite tables the host serves.
#include <cstring>

#include "Internal.h"

namespace testhost {

using detail::Arg;
using detail::Finish;
using detail::ParamName;

struct HostSuites {
  static SPErr AcquireSuite(const char* name, int version, const void** suite) {
    const CallbackTimer timer;
    Host* h = Host::current();
    if (suite) *suite = nullptr;
    if (!h) return kSuiteNotFound;
    const std::string n = Arg(name);
    auto fault = h->enter("AcquireSuite", {n, Arg(version)}, Returns::Error);
    if (!suite) {
      h->violation("AcquireSuite of \"" + n + "\" without a place for the suite");
      return Finish(h, PF_Err_BAD_CALLBACK_PARAM);
    }
    if (fault) {
      h->ledger_.acquired(h->serial_, {n, version}, false);
      return Finish(h, fault->code);
    }
    auto it = h->suites_.find({n, version});
    if (it == h->suites_.end() || !it->second) {
      h->ledger_.acquired(h->serial_, {n, version}, false);
      return Finish(h, kSuiteNotFound);
    }
    *suite = it->second;
    h->ledger_.acquired(h->serial_, {n, version}, true);
    return Finish(h, PF_Err_NONE);
  }

  static SPErr ReleaseSuite(const char* name, int version) {
    const CallbackTimer timer;
    Host* h = Host::current();
    if (!h) return kSuiteNotFound;
    const std::string n = Arg(name);
    if (auto f = h->enter("ReleaseSuite", {n, Arg(version)}, Returns::Error))
      return Finish(h, f->code);
    if (!h->ledger_.released(h->serial_, {n, version})) {
      h->violation("ReleaseSuite of \"" + n + "\" " + Arg(version) + ", which is not acquired");
      return Finish(h, kSuiteNotFound);
    }
    return Finish(h, PF_Err_NONE);
  }

  static SPBoolean IsEqual(const char* a, const char* b) {
    const CallbackTimer timer;
    if (Host* h = Host::current()) h->enter("IsEqual", {Arg(a), Arg(b)}, Returns::Value);
    return a && b && std::strcmp(a, b) == 0;
  }

  static A_Err RegisterWithAEGP(AEGP_GlobalRefcon refcon, const A_char* name, AEGP_PluginID* id) {
    const CallbackTimer timer;
    Host* h = Host::current();
    if (!h) return PF_Err_BAD_CALLBACK_PARAM;
    if (auto f = h->enter("AEGP_RegisterWithAEGP", {Arg(name)}, Returns::Error))
      return Finish(h, f->code);
    if (!h->during(PF_Cmd_GLOBAL_SETUP, "AEGP_RegisterWithAEGP"))
      return Finish(h, PF_Err_BAD_CALLBACK_PARAM);
    if (!id || !name) {
      h->violation("AEGP_RegisterWithAEGP with a null name or id pointer");
      return Finish(h, PF_Err_BAD_CALLBACK_PARAM);
    }
    *id = h->nextPluginId_++;
    h->registrations_.push_back({*id, name, refcon});
    return Finish(h, PF_Err_NONE);
  }

  static PF_Err UpdateParamUI(PF_ProgPtr ref, PF_ParamIndex index, const PF_ParamDef* def) {
    const CallbackTimer timer;
    Host* h = Host::current();
    if (!h) return PF_Err_BAD_CALLBACK_PARAM;
    if (auto f = h->enter("PF_UpdateParamUI", {Arg(index), def ? ParamName(def->name) : "(null)"},
                          Returns::Error))
      return Finish(h, f->code);
    if (ref != h->effectRef()) {
      h->violation("PF_UpdateParamUI called with an effect_ref that is not the host's");
      return Finish(h, PF_Err_BAD_CALLBACK_PARAM);
    }
    if (!h->during(PF_Cmd_UPDATE_PARAMS_UI, "PF_UpdateParamUI"))
      return Finish(h, PF_Err_BAD_CALLBACK_PARAM);
    if (!def || index < 0 || index >= h->paramCount()) {
      h->violation("PF_UpdateParamUI of index " + Arg(index) + " or with a null definition");
      return Finish(h, PF_Err_BAD_CALLBACK_PARAM);
    }
    PF_ParamDef& own = h->param(index);
    if (def->param_type != own.param_type) {
      h->violation("PF_UpdateParamUI of index " + Arg(index) + " with a definition of type " +
                   Arg(def->param_type) + " for a parameter of type " + Arg(own.param_type));
      return Finish(h, PF_Err_BAD_CALLBACK_PARAM);
    }
    std::memcpy(own.name, def->name, sizeof own.name);
    own.ui_flags = def->ui_flags;
    h->uiUpdates_.push_back({index, *def});
    return Finish(h, PF_Err_NONE);
  }
};

namespace detail {

void InstallBasicSuite(SPBasicSuite& basic) {
  basic.AcquireSuite = &HostSuites::AcquireSuite;
  basic.ReleaseSuite = &HostSuites::ReleaseSuite;
  basic.IsEqual = &HostSuites::IsEqual;
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
    s.AEGP_RegisterWithAEGP = &HostSuites::RegisterWithAEGP;
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
    s.PF_UpdateParamUI = &HostSuites::UpdateParamUI;
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
