#include "testhost/core/Host.h"

#include <cstring>
#include <new>
#include <sstream>
#include <stdexcept>

#include "Internal.h"
#include "testhost/loader/PluginModule.h"

namespace testhost {

namespace {

thread_local Host* tCurrent = nullptr;

class CurrentScope {
 public:
  explicit CurrentScope(Host* host) : previous_(tCurrent) { tCurrent = host; }
  ~CurrentScope() { tCurrent = previous_; }
  CurrentScope(const CurrentScope&) = delete;
  CurrentScope& operator=(const CurrentScope&) = delete;

 private:
  Host* previous_;
};

// The host application's four-character code, "FXTC".
constexpr A_long kHostApplId = 0x46585443;
// The effect API version the plug-in is written against.
constexpr A_short kApiMajor = 13;
constexpr A_short kApiMinor = 1;

constexpr A_long kDefaultTimeScale = 30;

A_short BitDepth(Depth d) { return static_cast<A_short>(d); }

const char* CommandName(PF_Cmd cmd) {
  struct Named {
    PF_Cmd cmd;
    const char* name;
  };
  static const Named kNames[] = {
      {PF_Cmd_ABOUT, "PF_Cmd_ABOUT"},
      {PF_Cmd_GLOBAL_SETUP, "PF_Cmd_GLOBAL_SETUP"},
      {PF_Cmd_GLOBAL_SETDOWN, "PF_Cmd_GLOBAL_SETDOWN"},
      {PF_Cmd_PARAMS_SETUP, "PF_Cmd_PARAMS_SETUP"},
      {PF_Cmd_UPDATE_PARAMS_UI, "PF_Cmd_UPDATE_PARAMS_UI"},
      {PF_Cmd_EVENT, "PF_Cmd_EVENT"},
      {PF_Cmd_SMART_PRE_RENDER, "PF_Cmd_SMART_PRE_RENDER"},
      {PF_Cmd_SMART_RENDER, "PF_Cmd_SMART_RENDER"},
  };
  for (const Named& n : kNames) {
    if (n.cmd == cmd) return n.name;
  }
  return "another command";
}

PF_RenderRequest WholeFrame(const FrameSetup& setup) {
  PF_RenderRequest r{};
  r.rect = {0, 0, setup.width, setup.height};
  r.channel_mask = 0xF;  // alpha, red, green and blue
  return r;
}

PF_CheckoutResult WholeFrameCheckout(const FrameSetup& setup) {
  PF_CheckoutResult c{};
  c.result_rect = {0, 0, setup.width, setup.height};
  c.max_result_rect = c.result_rect;
  c.par = {1, 1};
  c.ref_width = setup.width;
  c.ref_height = setup.height;
  return c;
}

}  // namespace

bool CommandResult::outDataUntouched() const {
  return std::memcmp(&before, &after, sizeof before) == 0;
}

std::string CommandResult::describe() const {
  std::ostringstream s;
  s << "command " << cmd << " (#" << serial << ") returned " << err;
  if (escaped) s << "; exception crossed the entry point: " << exception;
  for (const Violation& v : violations) s << "\n  violation: " << v.str();
  for (const Violation& p : suiteProblems) s << "\n  suite: " << p.str();
  s << "\n  live handles " << liveHandles << ", live suites " << liveSuites;
  return s.str();
}

Host::Host(PF_EntryFunc entry)
    : entry_(entry), handles_([this](Violation v) { violation(v.rule, std::move(v.message)); }) {
  if (!entry_) throw std::invalid_argument("Host: null entry point");
  initRecords();
  resetParams();
  for (const detail::SuiteEntry& s : detail::DefaultSuites())
    served_.suites[{s.name, s.version}] = s.table;
  for (const detail::SuiteEntry& s : detail::DrawingSuites())
    served_.suites[{s.name, s.version}] = s.table;
  ownAnsi_ = &detail::OwnAnsiSuite();
}

Host::Host(const PluginModule& module, const std::string& entryName)
    : Host(module.entryPoint(entryName)) {
#if defined(__aarch64__)
  if (module.passesVariadicArgumentsOnTheStack()) {
    utils_.ansi.sprintf = detail::StackSlotSprintf();
    ownAnsi_ = detail::StackSlotAnsiSuite();
    served_.suites[{kPFANSISuite, kPFANSISuiteVersion1}] = ownAnsi_;
  }
#endif
}

Host::~Host() = default;

Host* Host::current() { return tCurrent; }

void Host::initRecords() {
  detail::InstallCallbacks(in_, utils_, preCallbacks_, smartCallbacks_);
  detail::InstallBasicSuite(basic_);
  in_.utils = &utils_;
  in_.effect_ref = effectRef();
  in_.pica_basicP = &basic_;
  in_.version.major = kApiMajor;
  in_.version.minor = kApiMinor;
  in_.appl_id = kHostApplId;
  in_.current_time = 0;
  in_.time_step = 1;
  in_.local_time_step = 1;
  in_.total_time = 10 * kDefaultTimeScale;
  in_.time_scale = kDefaultTimeScale;
  in_.width = worldSetup_.width;
  in_.height = worldSetup_.height;
  in_.extent_hint = {0, 0, worldSetup_.width, worldSetup_.height};
  in_.downsample_x = {1, 1};
  in_.downsample_y = {1, 1};
  in_.pixel_aspect_ratio = {1, 1};
  preExtra_.input = &preInput_;
  preExtra_.output = &preOutput_;
  preExtra_.cb = &preCallbacks_;
  smartExtra_.input = &smartInput_;
  smartExtra_.cb = &smartCallbacks_;
}

void Host::resetParams() {
  served_.params.clear();
  PF_ParamDef layer{};
  layer.param_type = PF_Param_LAYER;
  layer.uu.id = 0;
  if (input_) layer.u.ld = input_->record();
  served_.params.push_back(layer);
}

CommandResult Host::send(PF_Cmd cmd, void* extra, PF_LayerDef* output) {
  if (running_) throw std::logic_error("Host::send called while a command runs");
  CommandResult r;
  r.cmd = cmd;
  const CommandMarks marks = prepareCommand(r);
  runEntryPoint(r, extra, output);
  std::memcpy(&r.after, &out_, sizeof out_);
  checkDrawObjects(marks.liveDrawObjects);
  checkHandlesKept(r);
  checkWorldsKept(r);
  keepWhatTheCommandHandsOver(r);
  checkGuardsAndFillResult(r, marks.violations);
  return r;
}

Host::CommandMarks Host::prepareCommand(CommandResult& r) {
  r.serial = ++serial_;
  if (r.cmd == PF_Cmd_PARAMS_SETUP) resetParams();
  if (r.cmd == PF_Cmd_SMART_PRE_RENDER) {
    served_.declaredCheckoutIds.clear();
    served_.checkouts.clear();
  }
  if (input_) served_.params.front().u.ld = input_->record();
  in_.global_data = globalData_;
  in_.num_params = paramCount();
  std::memcpy(&out_, &outPreset_, sizeof out_);
  paramPtrs_.clear();
  for (PF_ParamDef& p : served_.params) paramPtrs_.push_back(&p);
  paramPtrs_.push_back(nullptr);
  served_.handlesMade.clear();
  std::memcpy(&r.before, &out_, sizeof out_);
  return {violations_.size(), drawObjects_.live()};
}

void Host::runEntryPoint(CommandResult& r, void* extra, PF_LayerDef* output) {
  CurrentScope scope(this);
  running_ = true;
  command_ = r.cmd;
  // The kind of event as sent: the drawing calls belong to a draw event, even once the effect
  // has changed the record.
  eventType_ =
      r.cmd == PF_Cmd_EVENT && extra ? static_cast<const PF_EventExtra*>(extra)->e_type : -1;
  const auto entered =
      timing_ ? std::chrono::steady_clock::now() : std::chrono::steady_clock::time_point{};
  try {
    r.err = entry_(r.cmd, &in_, &out_, paramPtrs_.data(), output, extra);
  } catch (const std::exception& e) {
    r.escaped = true;
    r.exception = std::string("std::exception: ") + e.what();
  } catch (const ForeignException&) {
    r.escaped = true;
    r.exception = "ForeignException";
  } catch (PF_Err code) {
    r.escaped = true;
    r.exception = "error code " + std::to_string(code);
  } catch (...) {
    r.escaped = true;
    r.exception = "exception of unknown type";
  }
  if (timing_) {
    split_.entry += std::chrono::steady_clock::now() - entered;
    ++split_.commands;
  }
  running_ = false;
  command_ = -1;
  eventType_ = -1;
}

void Host::checkDrawObjects(int liveBefore) {
  // Pens, brushes and paths belong to the drawing of one event.
  if (drawObjects_.live() > liveBefore) {
    violation(HostRule::DrawingObjectKept,
              "left " + std::to_string(drawObjects_.live() - liveBefore) +
                  " drawing objects unreleased");
  }
  // Drawing references, suppliers and surfaces belong to the event that got them.
  drawObjects_.expireReferences();
}

void Host::keepWhatTheCommandHandsOver(const CommandResult& r) {
  const bool succeeded = r.err == PF_Err_NONE && !r.escaped;
  if (r.cmd == PF_Cmd_GLOBAL_SETUP && out_.global_data) {
    globalData_ = handedOver_ = out_.global_data;
  }
  // A setdown that succeeds has disposed of the global data the effect handed over.
  if (r.cmd == PF_Cmd_GLOBAL_SETDOWN && succeeded && globalData_ && globalData_ == handedOver_ &&
      handles_.isLive(globalData_)) {
    violation(HostRule::GlobalDataNotDisposed,
              "a global setdown that succeeded left the global data undisposed");
  }
  if (r.cmd == PF_Cmd_GLOBAL_SETUP && succeeded) globalOutFlags_ = out_.out_flags;
  if (r.cmd == PF_Cmd_GLOBAL_SETDOWN) globalData_ = nullptr;
  if (r.cmd == PF_Cmd_PARAMS_SETUP) declaredNumParams_ = out_.num_params;
}

void Host::checkGuardsAndFillResult(CommandResult& r, std::size_t violationMark) {
  auto checkWorld = [this](const World* w, const char* what) {
    if (w && !w->guardsIntact())
      violation(HostRule::GuardBytesOverwritten,
                std::string("write outside the ") + what + " buffer");
  };
  checkWorld(input_.get(), "input");
  checkWorld(output_.get(), "output");
  for (const detail::MadeWorld& made : served_.worlds) checkWorld(made.world.get(), "new_world");
  for (Violation& v : handles_.checkGuards()) violation(v.rule, std::move(v.message));
  r.violations.assign(violations_.begin() + static_cast<std::ptrdiff_t>(violationMark),
                      violations_.end());
  r.suiteProblems = ledger_.problems(r.serial);
  r.liveHandles = handles_.live();
  r.liveSuites = ledger_.live();
}

void Host::checkHandlesKept(const CommandResult& r) {
  const PF_Handle handedOver = r.cmd == PF_Cmd_GLOBAL_SETUP ? out_.global_data : nullptr;
  int kept = 0;
  for (PF_Handle made : served_.handlesMade) {
    if (made == handedOver || !handles_.isLive(made)) continue;
    const std::string arg = detail::Arg(static_cast<const void*>(made));
    const std::vector<Call> disposals = log_.filter([&](const Call& c) {
      return c.command == r.serial && c.name == "host_dispose_handle" && c.args.at(0) == arg;
    });
    if (disposals.empty()) ++kept;  // a dispose the host itself failed is not the plug-in's
  }
  if (kept > 0) {
    violation(HostRule::HandleKeptBeyondCommand,
              "left " + std::to_string(kept) + " handles neither disposed nor handed over");
  }
}

void Host::checkWorldsKept(const CommandResult& r) {
  int kept = 0;
  for (const detail::MadeWorld& made : served_.worlds) kept += made.command == r.serial ? 1 : 0;
  if (kept > 0) {
    violation(HostRule::WorldKeptBeyondCommand,
              "left " + std::to_string(kept) + " buffers from new_world undisposed");
  }
}

CommandResult Host::about() { return send(PF_Cmd_ABOUT); }
CommandResult Host::globalSetup() { return send(PF_Cmd_GLOBAL_SETUP); }
CommandResult Host::globalSetdown() { return send(PF_Cmd_GLOBAL_SETDOWN); }
CommandResult Host::paramsSetup() { return send(PF_Cmd_PARAMS_SETUP); }
CommandResult Host::updateParamsUI() { return send(PF_Cmd_UPDATE_PARAMS_UI); }

CommandResult Host::event(PF_EventExtra& extra) {
  return send(PF_Cmd_EVENT, &extra, output_ ? &output_->record() : nullptr);
}

bool Host::worldsMatch(const FrameSetup& setup) const {
  return input_ && output_ && worldSetup_.depth == setup.depth &&
         worldSetup_.width == setup.width && worldSetup_.height == setup.height &&
         worldSetup_.paddingPixels == setup.paddingPixels && worldSetup_.seed == setup.seed;
}

void Host::prepareWorlds(const FrameSetup& setup) {
  input_ = std::make_unique<World>(setup.width, setup.height, setup.depth, setup.paddingPixels);
  input_->fillPattern(setup.seed);
  output_ = std::make_unique<World>(setup.width, setup.height, setup.depth, setup.paddingPixels);
  worldSetup_ = setup;
  in_.width = setup.width;
  in_.height = setup.height;
  in_.extent_hint = {0, 0, setup.width, setup.height};
}

CommandResult Host::smartPreRender(const FrameSetup& setup) {
  prepareWorlds(setup);
  served_.checkoutResult = setup.checkout.value_or(WholeFrameCheckout(setup));
  preInput_ = PF_PreRenderInput{};
  preInput_.output_request = setup.request.value_or(WholeFrame(setup));
  preInput_.bitdepth = BitDepth(setup.depth);
  preOutput_ = PF_PreRenderOutput{};
  preOutput_.result_rect = setup.initialResultRect;
  preOutput_.max_result_rect = setup.initialMaxResultRect;
  return send(PF_Cmd_SMART_PRE_RENDER, &preExtra_);
}

CommandResult Host::smartRender(const FrameSetup& setup) {
  if (!worldsMatch(setup)) prepareWorlds(setup);
  output_->fillPoison();
  smartInput_ = PF_SmartRenderInput{};
  smartInput_.output_request = setup.request.value_or(WholeFrame(setup));
  smartInput_.bitdepth = BitDepth(setup.depth);
  return send(PF_Cmd_SMART_RENDER, &smartExtra_);
}

FrameResult Host::renderFrame(const FrameSetup& setup) {
  FrameResult f;
  f.preRender = smartPreRender(setup);
  f.preRenderOutput = preOutput_;
  f.checkouts = served_.checkouts;
  if (f.preRender.err != PF_Err_NONE || f.preRender.escaped) return f;
  f.rendered = true;
  f.render = smartRender(setup);
  f.difference = output_->firstDifference(*input_);
  f.identical = !f.difference;
  return f;
}

PF_ParamDef& Host::param(int index) {
  if (index < 0 || index >= paramCount())
    throw std::out_of_range("no parameter at index " + std::to_string(index));
  return served_.params[static_cast<std::size_t>(index)];
}

PF_ParamDef& Host::typedParam(int index, PF_ParamType type) {
  PF_ParamDef& p = param(index);
  if (p.param_type != type)
    throw std::invalid_argument("parameter " + std::to_string(index) + " has type " +
                                std::to_string(p.param_type) + ", not " + std::to_string(type));
  return p;
}

void Host::setCheckbox(int index, bool on) {
  typedParam(index, PF_Param_CHECKBOX).u.bd.value = on ? 1 : 0;
}

void Host::setPopup(int index, A_long value) {
  typedParam(index, PF_Param_POPUP).u.pd.value = value;
}

void Host::setPoint(int index, PF_Fixed x, PF_Fixed y) {
  PF_ParamDef& p = typedParam(index, PF_Param_POINT);
  p.u.td.x_value = x;
  p.u.td.y_value = y;
}

void Host::setPoint3D(int index, double x, double y, double z) {
  PF_ParamDef& p = typedParam(index, PF_Param_POINT_3D);
  p.u.point3d_d.x_value = x;
  p.u.point3d_d.y_value = y;
  p.u.point3d_d.z_value = z;
}

void Host::setFloatSlider(int index, double value) {
  typedParam(index, PF_Param_FLOAT_SLIDER).u.fs_d.value = value;
}

void Host::setFixedSlider(int index, PF_Fixed value) {
  typedParam(index, PF_Param_FIX_SLIDER).u.fd.value = value;
}

void Host::setAngle(int index, PF_Fixed value) {
  typedParam(index, PF_Param_ANGLE).u.ad.value = value;
}

void Host::setColor(int index, PF_Pixel value) {
  typedParam(index, PF_Param_COLOR).u.cd.value = value;
}

World* Host::worldFor(const PF_EffectWorld* record) {
  if (!record) return nullptr;
  const auto matches = [record](const World* w) {
    return w && (&w->record() == record || w->record().data == record->data);
  };
  for (World* w : {input_.get(), output_.get()})
    if (matches(w)) return w;
  for (const detail::MadeWorld& made : served_.worlds)
    if (matches(made.world.get())) return made.world.get();
  return nullptr;
}

void Host::provideSuite(const PF_ANSICallbacksSuite1& table) {
  served_.servedAnsi = detail::GatedAnsiSuite(table, *ownAnsi_);
  served_.providedAnsi = table;
  served_.suites[{kPFANSISuite, kPFANSISuiteVersion1}] = &served_.servedAnsi;
}

const PF_ANSICallbacksSuite1& HostAnsiSuite() { return detail::OwnAnsiSuite(); }

void Host::timeCommands(bool on) {
  timing_ = on;
  split_ = TimeSplit{};
}

void Host::violation(HostRule rule, std::string message) {
  violations_.push_back({rule, std::move(message)});
}

HostCall::HostCall(Started, const CallContract& contract)
    : contract_(contract), host_(Host::current()) {
  if (!host_ || !host_->timing_ || !host_->running_ || host_->inCallback_) return;
  timed_ = host_;
  timed_->inCallback_ = true;
  start_ = std::chrono::steady_clock::now();
}

HostCall::~HostCall() {
  if (!timed_) return;
  timed_->split_.callbacks += std::chrono::steady_clock::now() - start_;
  timed_->inCallback_ = false;
}

void HostCall::begin(CallArgs args, PF_ProgPtr effectRef) {
  Host& h = *host_;
  Call call;
  call.name = contract_.name;
  call.args = std::move(args);
  call.returns = contract_.returns;
  call.command = h.running_ ? h.serial_ : 0;
  fault_ = h.faults_.match(call);
  call.faulted = fault_.has_value();
  h.log_.append(std::move(call));
  logIndex_ = h.log_.size() - 1;
  if (fault_) {
    switch (fault_->kind) {
      case Fault::Kind::ThrowBadAlloc:
        throw std::bad_alloc();
      case Fault::Kind::ThrowUnknown:
        throw ForeignException{};
      case Fault::Kind::ThrowErrorCode:
        throw static_cast<PF_Err>(fault_->code);
      case Fault::Kind::Fail:
        answer(fault_->code);
        return;
    }
  }
  const std::string name = contract_.name;
  if (contract_.effectRef == EffectRef::MustBeTheHosts && effectRef != h.effectRef()) {
    refuse(HostRule::NotThisEffectsReference,
           name + " called with an effect_ref that is not the host's");
  } else if (contract_.command != kAnyCommand && h.command_ != contract_.command) {
    refuse(HostRule::CalledOutsideItsCommand,
           name + " called outside " + CommandName(contract_.command));
  } else if (contract_.event == EventKind::Draw && h.eventType_ != PF_Event_DRAW) {
    refuse(HostRule::DrawingOutsideADrawEvent, name + " called outside a draw event");
  }
}

void HostCall::answer(std::int32_t code) {
  answered_ = true;
  failure_ = code;
  record(contract_.returns == Returns::Pointer ? 0 : code);
}

void HostCall::record(long long result) {
  if (host_) host_->log_[logIndex_].result = result;
}

void HostCall::violation(HostRule rule, std::string message) {
  if (host_) host_->violation(rule, std::move(message));
}

std::int32_t HostCall::refuse(HostRule rule, std::string message, std::int32_t code) {
  violation(rule, std::move(message));
  answer(code);
  return code;
}

void HostCall::addArg(std::string arg) {
  if (host_) host_->log_[logIndex_].args.push_back(std::move(arg));
}

detail::ServedState& HostCall::served() const { return host_->served_; }

}  // namespace testhost
