// One effect instance as the host sees it: the records, callbacks and suites the plug-in is
// called with, the host-side state kept between commands, and everything the plug-in did.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "host/host.h"
#include "testhost/core/CallLog.h"
#include "testhost/core/Drawing.h"
#include "testhost/core/FaultPlan.h"
#include "testhost/core/HandleTable.h"
#include "testhost/core/HostRule.h"
#include "testhost/core/SuiteLedger.h"
#include "testhost/core/World.h"

namespace testhost {

class Host;
class HostCall;
class PluginModule;

// What the basic suite returns for a suite it does not serve.
constexpr SPErr kSuiteNotFound = 0x53214664;
// The first plug-in id AEGP_RegisterWithAEGP hands out; later ones count up.
constexpr AEGP_PluginID kFirstPluginId = 101;

// What happened during one command.
struct CommandResult {
  PF_Cmd cmd = 0;
  int serial = 0;                          // the command's serial number in this host
  PF_Err err = PF_Err_NONE;                // what the entry point returned
  bool escaped = false;                    // an exception crossed the entry point
  std::string exception;                   // its description
  std::vector<Violation> violations;       // host rules broken during the command
  std::vector<Violation> suiteProblems;    // SuiteLedger::problems(serial)
  PF_OutData before{};                     // out_data bytes as handed to the plug-in
  PF_OutData after{};                      // out_data bytes when the entry point returned
  int liveHandles = 0;                     // after the command
  int liveSuites = 0;                      // after the command

  // out_data byte for byte as the host handed it over.
  bool outDataUntouched() const;
  // No escaped exception, no violation, no suite problem.
  bool clean() const { return !escaped && violations.empty() && suiteProblems.empty(); }
  // Everything above in a few lines, for failure messages.
  std::string describe() const;
};

// Where the wall time of the commands sent while timing was on went, summed over them.
struct TimeSplit {
  std::chrono::nanoseconds entry{0};      // inside the entry point
  std::chrono::nanoseconds callbacks{0};  // inside the host's functions the plug-in called from
                                          // there (each timed by its HostCall; one inside
                                          // another counts once)
  int commands = 0;
  // The plug-in's own code, the C and C++ runtimes it calls included.
  std::chrono::nanoseconds own() const { return entry - callbacks; }
};

// One checkout_layer request of a pre-render.
struct LayerCheckout {
  PF_ParamIndex index = 0;
  A_long checkoutId = 0;
  PF_RenderRequest request{};
  A_long time = 0;
  A_long timeStep = 0;
  A_u_long timeScale = 0;
};

// A frame for the smart pre-render and render.
struct FrameSetup {
  Depth depth = Depth::Bits8;
  int width = 32;
  int height = 24;
  int paddingPixels = World::kDefaultPaddingPixels;
  std::uint32_t seed = 1;
  // The host's output request; none = the whole frame, all four channels.
  std::optional<PF_RenderRequest> request;
  // What the host has put into the pre-render output before the call.
  PF_LRect initialResultRect{};
  PF_LRect initialMaxResultRect{};
  // What checkout_layer reports; none = the whole frame at square pixels.
  std::optional<PF_CheckoutResult> checkout;
};

struct FrameResult {
  CommandResult preRender;
  bool rendered = false;  // the render runs only after a pre-render that returned 0
  CommandResult render;
  PF_PreRenderOutput preRenderOutput{};
  std::vector<LayerCheckout> checkouts;
  bool identical = false;  // output pixels equal input pixels
  std::optional<std::string> difference;
};

struct AegpRegistration {
  AEGP_PluginID id = 0;
  std::string name;
  AEGP_GlobalRefcon refcon = nullptr;
};

struct ParamUIUpdate {
  PF_ParamIndex index = 0;
  PF_ParamDef def{};  // the whole definition as sent
};

namespace detail {

// A buffer new_world made, and the serial number of the command that made it.
struct MadeWorld {
  std::unique_ptr<World> world;
  int command = 0;
};

// What the host keeps for the functions it serves the plug-in. Besides Host itself, only those
// functions change it, through HostCall::served() while they run.
struct ServedState {
  std::deque<PF_ParamDef> params;  // the parameter list, index 0 being the input layer
  std::optional<PF_CustomUIInfo> customUI;
  std::vector<ParamUIUpdate> uiUpdates;
  std::vector<AegpRegistration> registrations;
  AEGP_PluginID nextPluginId = kFirstPluginId;
  std::map<std::pair<std::string, int>, const void*> suites;  // by name and version
  std::vector<PF_Handle> handlesMade;  // by the running (or last) command
  PF_CheckoutResult checkoutResult{};  // what checkout_layer reports
  std::vector<A_long> declaredCheckoutIds;
  std::vector<LayerCheckout> checkouts;
  std::vector<MadeWorld> worlds;  // made by new_world and not yet disposed of
  // A "PF ANSI Suite" table provided from outside, and the table served in its place.
  std::optional<PF_ANSICallbacksSuite1> providedAnsi;
  PF_ANSICallbacksSuite1 servedAnsi{};
};

}  // namespace detail

class Host {
 public:
  explicit Host(PF_EntryFunc entry);
  // Throws LoadError when the module does not export `entryName`.
  Host(const PluginModule& module, const std::string& entryName);
  ~Host();
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;

  // --- Commands. Each one: copies the out_data preset into out_data, passes the global data,
  // builds params[] from the host's parameter list, runs the entry point with this host as the
  // current one, catches anything thrown across it, then checks guard bytes, handles and the
  // suite ledger. The host's own part of a command happens whichever helper sends it:
  //   GLOBAL_SETUP    keeps a non-null out_data.global_data as the effect's global data and,
  //                   when it succeeds, out_data.out_flags as the effect's flags;
  //   GLOBAL_SETDOWN  forgets the global data afterwards (a handle not disposed stays live);
  //   PARAMS_SETUP    starts the list again from the input layer; keeps out_data.num_params;
  //   SMART_PRE_RENDER forgets the checkout ids declared by the previous pre-render.
  CommandResult send(PF_Cmd cmd, void* extra = nullptr, PF_LayerDef* output = nullptr);
  CommandResult about();
  CommandResult globalSetup();
  CommandResult globalSetdown();
  CommandResult paramsSetup();
  CommandResult updateParamsUI();
  // Sends PF_Cmd_EVENT with `extra`, which the effect may change in place. Event records come
  // from a panel (testhost::Panel), which also answers their conversion callbacks.
  CommandResult event(PF_EventExtra& extra);
  // Allocates the input (pattern) and output worlds for the frame, then sends SMART_PRE_RENDER.
  CommandResult smartPreRender(const FrameSetup& setup);
  // Poisons the output (allocating both worlds when the setup changed), then sends SMART_RENDER.
  CommandResult smartRender(const FrameSetup& setup);
  // Pre-render, then render when the pre-render returned 0, then compares output with input.
  FrameResult renderFrame(const FrameSetup& setup);

  // --- The records.
  // Persistent: tests may change fields between commands (pica_basicP, times, appl_id).
  PF_InData& inData() { return in_; }
  // As the last command left it.
  PF_OutData& outData() { return out_; }
  // Copied into out_data before every command; all zero unless a test sets something.
  PF_OutData& outDataPreset() { return outPreset_; }
  // The params[] of the last command.
  PF_ParamDef** paramArray() { return paramPtrs_.data(); }

  // --- Parameters: the host's list, index 0 being the input layer.
  int paramCount() const { return static_cast<int>(served_.params.size()); }
  // Throws std::out_of_range.
  PF_ParamDef& param(int index);
  // out_data.num_params after the last PARAMS_SETUP (-1 before).
  A_long declaredNumParams() const { return declaredNumParams_; }
  // Value changes as the user makes them; each throws std::out_of_range for a bad index and
  // std::invalid_argument when the parameter has another type.
  void setCheckbox(int index, bool on);
  void setPopup(int index, A_long value);
  void setPoint(int index, PF_Fixed x, PF_Fixed y);
  void setPoint3D(int index, double x, double y, double z);
  void setFloatSlider(int index, double value);
  void setFixedSlider(int index, PF_Fixed value);
  void setAngle(int index, PF_Fixed value);
  void setColor(int index, PF_Pixel value);
  // Every PF_UpdateParamUI that was accepted, in order.
  const std::vector<ParamUIUpdate>& uiUpdates() const { return served_.uiUpdates; }
  // What register_ui received last.
  const std::optional<PF_CustomUIInfo>& customUI() const { return served_.customUI; }

  // --- Host-side state.
  PF_Handle globalData() const { return globalData_; }
  void setGlobalData(PF_Handle h) { globalData_ = h; }
  // out_data.out_flags of the last successful GLOBAL_SETUP (0 before one).
  PF_OutFlags globalOutFlags() const { return globalOutFlags_; }
  const std::vector<AegpRegistration>& registrations() const { return served_.registrations; }
  World* input() { return input_.get(); }
  World* output() { return output_.get(); }
  const PF_PreRenderOutput& preRenderOutput() const { return preOutput_; }
  const std::vector<LayerCheckout>& layerCheckouts() const { return served_.checkouts; }

  // --- Suites: name and version to function table. The host serves "PF Handle Suite" 2,
  // "AEGP Utility Suite" 7, "PF Param Utils Suite" 2, "PF ANSI Suite" 1,
  // "PF Effect Custom UI Suite" 1 and the four Drawbot suites 1; anything else is refused with
  // kSuiteNotFound (FaultPlan::refuseSuite refuses one of these).
  //
  // A test or the fuzzer may give the host other answers: from now on "PF ANSI Suite" 1 is served
  // from `table` (copied), behind the gate like the host's own table. Each call of it is recorded
  // under its C name, takes the faults planned for that name and is checked against its contract
  // before the function in that slot of `table` runs; a slot holding the host's own function
  // (from HostAnsiSuite()) keeps it; an empty slot is a function the host does not provide.
  // sprintf, whose variadic arguments cannot be passed on, must be the host's own or null
  // (std::invalid_argument otherwise). Fill `table` as one aggregate in declaration order.
  void provideSuite(const PF_ANSICallbacksSuite1& table);

  // --- What the plug-in did.
  CallLog& log() { return log_; }
  FaultPlan& faults() { return faults_; }
  SuiteLedger& ledger() { return ledger_; }
  HandleTable& handles() { return handles_; }
  DrawObjects& drawObjects() { return drawObjects_; }
  // Every violation since construction.
  const std::vector<Violation>& violations() const { return violations_; }
  // Serial number of the last command (0 before the first).
  int commandSerial() const { return serial_; }

  // --- Timing, off by default: it reads the clock around every command and callback.
  // Turning it on starts a fresh split.
  void timeCommands(bool on);
  const TimeSplit& timeSplit() const { return split_; }

  // --- For host functions, which reach the host through a HostCall.
  // The host whose command is running on this thread, or null.
  static Host* current();
  PF_ProgPtr effectRef() { return reinterpret_cast<PF_ProgPtr>(&token_); }
  // The host world behind a record the plug-in passes back (by record address or pixel data):
  // the frame's input or output, or a world new_world made; null for none of them.
  World* worldFor(const PF_EffectWorld* record);

 private:
  // The gate records calls, applies faults, checks contracts, reports violations and times
  // calls, all on this host's private state.
  friend class HostCall;

  struct Token {
    Host* host;
  };

  void initRecords();
  void resetParams();
  void prepareWorlds(const FrameSetup& setup);
  bool worldsMatch(const FrameSetup& setup) const;
  PF_ParamDef& typedParam(int index, PF_ParamType type);
  void violation(HostRule rule, std::string message);
  // The steps of send().
  struct CommandMarks {
    std::size_t violations = 0;  // violations_ before the command
    int liveDrawObjects = 0;
  };
  CommandMarks prepareCommand(CommandResult& r);
  void runEntryPoint(CommandResult& r, void* extra, PF_LayerDef* output);
  // Pens, brushes and paths made in the command and still live; references of the event expire.
  void checkDrawObjects(int liveBefore);
  // The global data, flags and list length the command hands over to the host.
  void keepWhatTheCommandHandsOver(const CommandResult& r);
  // Checks the guard bytes of every buffer and handle, then fills the result's violations (those
  // from `violationMark` on), suite problems and what is still live.
  void checkGuardsAndFillResult(CommandResult& r, std::size_t violationMark);
  // Reports handles made during the command that are neither disposed (nor asked to be) nor
  // handed over as global data by a global setup.
  void checkHandlesKept(const CommandResult& r);
  // Reports worlds new_world made during the command and still not disposed of.
  void checkWorldsKept(const CommandResult& r);

  PF_EntryFunc entry_;
  Token token_{this};

  PF_InData in_{};
  PF_OutData out_{};
  PF_OutData outPreset_{};
  detail::ServedState served_;
  std::vector<PF_ParamDef*> paramPtrs_;
  A_long declaredNumParams_ = -1;

  PF_Handle globalData_ = nullptr;
  PF_Handle handedOver_ = nullptr;  // the global data the effect's last global setup returned
  PF_OutFlags globalOutFlags_ = 0;

  std::unique_ptr<World> input_;
  std::unique_ptr<World> output_;
  FrameSetup worldSetup_;

  PF_PreRenderInput preInput_{};
  PF_PreRenderOutput preOutput_{};
  PF_PreRenderCallbacks preCallbacks_{};
  PF_PreRenderExtra preExtra_{};
  PF_SmartRenderInput smartInput_{};
  PF_SmartRenderCallbacks smartCallbacks_{};
  PF_SmartRenderExtra smartExtra_{};

  SPBasicSuite basic_{};
  PF_UtilCallbacks utils_{};
  // The host's own "PF ANSI Suite" table as it serves it to this plug-in.
  const PF_ANSICallbacksSuite1* ownAnsi_ = nullptr;

  CallLog log_;
  FaultPlan faults_;
  SuiteLedger ledger_;
  HandleTable handles_;
  DrawObjects drawObjects_;
  std::vector<Violation> violations_;
  int serial_ = 0;
  bool running_ = false;
  PF_Cmd command_ = -1;  // the command running, -1 between commands
  // The e_type of the event record being sent, as the host sent it; -1 outside PF_Cmd_EVENT.
  PF_EventType eventType_ = -1;
  bool timing_ = false;
  TimeSplit split_;
  bool inCallback_ = false;  // a timed HostCall runs
};

// The host's own "PF ANSI Suite" 1 table: the C functions, each passing the gate. A table given to
// Host::provideSuite takes from it the functions it keeps.
const PF_ANSICallbacksSuite1& HostAnsiSuite();

}  // namespace testhost
