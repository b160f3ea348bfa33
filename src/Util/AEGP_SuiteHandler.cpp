#include "Util/AEGP_SuiteHandler.h"

#include "Util/SuiteIdentity.h"

namespace zelfin {

namespace {

// Every identity the handler can hold, in the order in which ReleaseAllSuites gives them back. The
// names are the host's, character for character. The list and its order are kept as the host has
// always seen them (kept on purpose: "Compatibility decisions" in docs/developer-guide.md).
constexpr SuiteIdentity kReleaseList[] = {
    {"AEGP Marker Suite", 1},
    {"AEGP Marker Suite", 2},
    {"AEGP Layer Suite", 8},
    {"AEGP Layer Suite", 10},
    {"AEGP Stream Suite", 9},
    {"AEGP Stream Suite", 8},
    {"AEGP Stream Suite", 7},
    {"AEGP Stream Suite", 4},
    {"AEGP Dynamic Stream Suite", 2},
    {"AEGP Dynamic Stream Suite", 3},
    {"AEGP Dynamic Stream Suite", 5},
    {"AEGP Keyframe Suite", 4},
    {"AEGP Keyframe Suite", 3},
    {"AEGP Keyframe Suite", 1},
    {"AEGP Comp Suite", 9},
    {"AEGP Comp Suite", 11},
    {"AEGP Comp Suite", 14},
    {"AEGP Comp Suite", 15},
    {"AEGP Comp Suite", 18},
    {"AEGP Canvas Suite", 10},
    {"AEGP Canvas Suite", 11},
    {"AEGP Camera Suite", 2},
    {"AEGP Register Suite", 6},
    {"AEGP Item Suite", 13},
    {"AEGP Item Suite", 11},
    {"AEGP Item Suite", 10},
    {"AEGP Item Suite", 7},
    {"AEGP Item Suite", 3},
    {"AEGP PF Interface Suite", 1},
    {"PF Path Query Suite", 1},
    {"AEGP Memory Suite", 1},
    {"PF Path Data Suite", 1},
    {"PF Param Utils Suite", 2},
    {"PF AE App Suite", 6},
    {"PF AE Adv App Suite", 2},
    {"AEGP Light Suite", 1},
    {"AEGP Light Suite", 2},
    {"AEGP Effect Suite", 1},
    {"AEGP Effect Suite", 2},
    {"AEGP Effect Suite", 3},
    {"AEGP Layer Mask Suite", 5},
    {"AEGP Mask Outline Suite", 3},
    {"AEGP Command Suite", 1},
    {"AEGP Utility Suite", 7},
    {"AEGP Render Suite", 1},
    {"AEGP Render Suite", 2},
    {"PF ANSI Suite", 1},
    {"PF Handle Suite", 2},
    {"PF Fill Matte Suite", 2},
    {"PF World Transform Suite", 1},
    {"AEGP QueryXform Suite", 4},
    {"AEGP Composite Suite", 4},
    {"PF World Suite", 1},
    {"AEGP IO In Suite", 5},
    {"AEGP IO Out Suite", 7},
    {"AEGP Render Queue Suite", 1},
    {"AEGP Render Queue Item Suite", 3},
    {"AEGP Output Module Suite", 4},
    {"AEGP File Import Manager Suite", 3},
    {"PF Sampling8 Suite", 1},
    {"PF Sampling16 Suite", 1},
    {"PF Iterate8 Suite", 1},
    {"PF iterate16 Suite", 1},
    {"PF iterateFloat Suite", 1},
    {"AEGP Collection Suite", 2},
    {"AEGP Text Document Suite", 1},
    {"AEGP Sound Data Suite", 1},
    {"AEGP Text Layer Suite", 1},
    {"AEGP Artisan Util Suite", 1},
    {"AEGP World Suite", 2},
    {"AEGP World Suite", 3},
    {"AEGP Render Options Suite", 1},
    {"AEGP Tracker Suite", 1},
    {"AEGP Tracker Utility Suite", 1},
    {"AE Plugin Helper Suite2", 2},
    {"AEGP Layer Suite", 11},
    {"AEGP Layer Suite", 12},
    {"AEGP Layer Suite", 13},
    {"PF AE Adv Item Suite", 1},
    {"AEGP Layer Suite", 5},
    {"AEGP Layer Mask Suite", 2},
    {"AEGP Comp Suite", 4},
    {"AEGP Collection Suite", 1},
    {"AEGP Mask Outline Suite", 2},
    {"PF AE Adv App Suite", 1},
    {"AEGP Utility Suite", 3},
    {"AEGP Render Options Suite", 2},
    {"AEGP Proj Suite", 8},
    {"AEGP Proj Suite", 9},
    {"AEGP Footage Suite", 11},
    {"AEGP Render Queue Item Suite", 4},
    {"AEGP Utility Suite", 10},
    {"AEGP Persistent Data Suite", 3},
    {"PF Color Settings Suite", 3},
    {"PF Color Settings Suite", 1},
    {"PF ColorParamSuite", 1},
    {"PF SamplingFloat Suite", 1},
    {"AEGP Utility Suite", 11},
    {"PF Effect Custom UI Suite", 1},
    {"PF Effect Custom UI Overlay Theme Suite", 1},
    {"DRAWBOT Draw Suite", 1},
    {"DRAWBOT Supplier Suite", 1},
    {"DRAWBOT Surface Suite", 1},
    {"DRAWBOT Path Suite", 1},
};
static_assert(sizeof(kReleaseList) / sizeof(kReleaseList[0]) == AEGP_SuiteHandler::kSuiteCount,
              "one slot per identity of the release list");

constexpr bool SameName(const char* a, const char* b) {
  while (*a != '\0' && *a == *b) {
    ++a;
    ++b;
  }
  return *a == *b;
}

// Slot of an identity; kSuiteCount when the handler has none for it.
constexpr std::size_t SlotOf(const char* name, A_long version) {
  for (std::size_t i = 0; i < AEGP_SuiteHandler::kSuiteCount; ++i) {
    if (kReleaseList[i].version == version && SameName(kReleaseList[i].name, name)) {
      return i;
    }
  }
  return AEGP_SuiteHandler::kSuiteCount;
}

// Slots of the suites the plug-in's handlers ask for by type.
constexpr std::size_t kHandleSlot = SlotOf(kPFHandleSuite, kPFHandleSuiteVersion2);
constexpr std::size_t kUtilitySlot = SlotOf(kAEGPUtilitySuite, kAEGPUtilitySuiteVersion7);
constexpr std::size_t kParamUtilsSlot = SlotOf(kPFParamUtilsSuite, kPFParamUtilsSuiteVersion2);
constexpr std::size_t kANSISlot = SlotOf(kPFANSISuite, kPFANSISuiteVersion1);
constexpr std::size_t kCustomUISlot =
    SlotOf(kPFEffectCustomUISuite, kPFEffectCustomUISuiteVersion1);
constexpr std::size_t kDrawSlot = SlotOf(kDRAWBOT_DrawSuite, kDRAWBOT_DrawSuite_Version1);
constexpr std::size_t kSupplierSlot =
    SlotOf(kDRAWBOT_SupplierSuite, kDRAWBOT_SupplierSuite_Version1);
constexpr std::size_t kSurfaceSlot = SlotOf(kDRAWBOT_SurfaceSuite, kDRAWBOT_SurfaceSuite_Version1);
constexpr std::size_t kPathSlot = SlotOf(kDRAWBOT_PathSuite, kDRAWBOT_PathSuite_Version1);
static_assert(kHandleSlot < AEGP_SuiteHandler::kSuiteCount &&
                  kUtilitySlot < AEGP_SuiteHandler::kSuiteCount &&
                  kParamUtilsSlot < AEGP_SuiteHandler::kSuiteCount &&
                  kANSISlot < AEGP_SuiteHandler::kSuiteCount &&
                  kCustomUISlot < AEGP_SuiteHandler::kSuiteCount &&
                  kDrawSlot < AEGP_SuiteHandler::kSuiteCount &&
                  kSupplierSlot < AEGP_SuiteHandler::kSuiteCount &&
                  kSurfaceSlot < AEGP_SuiteHandler::kSuiteCount &&
                  kPathSlot < AEGP_SuiteHandler::kSuiteCount,
              "every suite with a typed accessor is on the release list");

}  // namespace

AEGP_SuiteHandler::AEGP_SuiteHandler(const SPBasicSuite* basicP) : basicP_(basicP), slots_{} {
  if (basicP_ == nullptr) {
    MissingSuiteError();
  }
}

AEGP_SuiteHandler::~AEGP_SuiteHandler() { ReleaseAllSuites(); }

const void* AEGP_SuiteHandler::Slot(std::size_t index) {
  if (slots_[index] == nullptr) {
    const void* suiteP = nullptr;
    const SPErr err =
        basicP_->AcquireSuite(kReleaseList[index].name, kReleaseList[index].version, &suiteP);
    if (err != 0 || suiteP == nullptr) {
      MissingSuiteError();
    }
    slots_[index] = suiteP;
  }
  return slots_[index];
}

const void* AEGP_SuiteHandler::Suite(const char* name, A_long version) {
  const std::size_t index = SlotOf(name, version);
  if (index == kSuiteCount) {
    MissingSuiteError();
  }
  return Slot(index);
}

const PF_HandleSuite1* AEGP_SuiteHandler::HandleSuite1() {
  return static_cast<const PF_HandleSuite1*>(Slot(kHandleSlot));
}

const AEGP_UtilitySuite3* AEGP_SuiteHandler::UtilitySuite3() {
  return static_cast<const AEGP_UtilitySuite3*>(Slot(kUtilitySlot));
}

const PF_ParamUtilsSuite1* AEGP_SuiteHandler::ParamUtilsSuite1() {
  return static_cast<const PF_ParamUtilsSuite1*>(Slot(kParamUtilsSlot));
}

const PF_ANSICallbacksSuite1* AEGP_SuiteHandler::ANSICallbacksSuite1() {
  return static_cast<const PF_ANSICallbacksSuite1*>(Slot(kANSISlot));
}

const PF_EffectCustomUISuite1* AEGP_SuiteHandler::EffectCustomUISuite1() {
  return static_cast<const PF_EffectCustomUISuite1*>(Slot(kCustomUISlot));
}

const DRAWBOT_DrawbotSuite1* AEGP_SuiteHandler::DrawbotSuite1() {
  return static_cast<const DRAWBOT_DrawbotSuite1*>(Slot(kDrawSlot));
}

const DRAWBOT_SupplierSuite1* AEGP_SuiteHandler::SupplierSuite1() {
  return static_cast<const DRAWBOT_SupplierSuite1*>(Slot(kSupplierSlot));
}

const DRAWBOT_SurfaceSuite1* AEGP_SuiteHandler::SurfaceSuite1() {
  return static_cast<const DRAWBOT_SurfaceSuite1*>(Slot(kSurfaceSlot));
}

const DRAWBOT_PathSuite1* AEGP_SuiteHandler::PathSuite1() {
  return static_cast<const DRAWBOT_PathSuite1*>(Slot(kPathSlot));
}

void AEGP_SuiteHandler::ReleaseSuite(const char* name, A_long version) {
  const std::size_t index = SlotOf(name, version);
  if (index != kSuiteCount) {
    slots_[index] = nullptr;
  }
  basicP_->ReleaseSuite(name, version);
}

void AEGP_SuiteHandler::ReleaseAllSuites() noexcept {
  for (std::size_t i = 0; i < kSuiteCount; ++i) {
    if (slots_[i] != nullptr) {
      // This runs in the destructor, also while a thrown error code unwinds: a release that
      // throws counts like one that failed, and the remaining suites still go back.
      try {
        ReleaseSuite(kReleaseList[i].name, kReleaseList[i].version);
      } catch (...) {
      }
    }
  }
}

}  // namespace zelfin
