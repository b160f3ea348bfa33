// Per-command owner of the host suites a handler uses.
//
// A handler creates one on its stack from pica_basicP. Each suite is acquired from the host the
// first time it is asked for and kept until the handler ends; the destructor gives every acquired
// suite back under the name and version it was acquired with. A suite the host cannot supply
// throws PF_Err_BAD_CALLBACK_PARAM (a bare PF_Err), which the entry point turns into its result.
#pragma once

#include <cstddef>

#include "host/host.h"

namespace zelfin {

class AEGP_SuiteHandler {
 public:
  // Every suite identity the handler has a slot for, in the order they are released.
  static constexpr std::size_t kSuiteCount = 104;

  // Throws PF_Err_BAD_CALLBACK_PARAM when basicP is null. The basic suite is borrowed, never
  // released.
  explicit AEGP_SuiteHandler(const SPBasicSuite* basicP);
  ~AEGP_SuiteHandler();

  AEGP_SuiteHandler(const AEGP_SuiteHandler&) = delete;
  AEGP_SuiteHandler& operator=(const AEGP_SuiteHandler&) = delete;

  // The suite registered under name and version, acquired on first use. Throws
  // PF_Err_BAD_CALLBACK_PARAM when the host refuses it or the identity has no slot here.
  const void* Suite(const char* name, A_long version);

  const PF_HandleSuite1* HandleSuite1();                  // "PF Handle Suite" 2
  const AEGP_UtilitySuite3* UtilitySuite3();              // "AEGP Utility Suite" 7
  const PF_ParamUtilsSuite1* ParamUtilsSuite1();          // "PF Param Utils Suite" 2
  const PF_ANSICallbacksSuite1* ANSICallbacksSuite1();    // "PF ANSI Suite" 1
  const PF_EffectCustomUISuite1* EffectCustomUISuite1();  // "PF Effect Custom UI Suite" 1
  const DRAWBOT_DrawbotSuite1* DrawbotSuite1();           // "DRAWBOT Draw Suite" 1
  const DRAWBOT_SupplierSuite1* SupplierSuite1();         // "DRAWBOT Supplier Suite" 1
  const DRAWBOT_SurfaceSuite1* SurfaceSuite1();           // "DRAWBOT Surface Suite" 1
  const DRAWBOT_PathSuite1* PathSuite1();                 // "DRAWBOT Path Suite" 1

  // Gives the suite back to the host; the host's answer is not looked at. If the handler holds
  // that identity, its slot is emptied so the destructor does not give it back a second time.
  void ReleaseSuite(const char* name, A_long version);

  // Gives back every suite held, in release order, and empties the slots. A release that
  // throws is treated like one the host refused: the others are still given back.
  void ReleaseAllSuites() noexcept;

  [[noreturn]] void MissingSuiteError() const;

 private:
  const void* Slot(std::size_t index);

  const SPBasicSuite* basicP_;
  const void* slots_[kSuiteCount];
};

}  // namespace zelfin
