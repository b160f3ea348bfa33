// The rules the stand-in host enforces on the plug-in, each with a stable identifier, and the
// record of one rule broken. Tests and the fuzzer tell rules apart by these identifiers; the
// messages are for people and may change.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace testhost {

enum class HostRule {
  // Calls and their arguments (contracts in include/host/).
  CalledOutsideItsCommand,     // a call outside the commands its contract names
  DrawingOutsideADrawEvent,    // a drawing call in an event that is not a draw event
  NotThisEffectsReference,     // an effect_ref that is not PF_InData::effect_ref
  NotThisEventsContext,        // a conversion with a refcon or context not of its panel
  NullArgument,                // a null pointer where the contract allows none
  UnsupportedFunction,         // a function the stand-in host does not provide
  // Parameters.
  ParamNotAppended,            // add_param at an index other than -1 or the list's length
  NoSuchParam,                 // an index outside the parameter list
  ParamTypeMismatch,           // a definition of another type than the parameter's
  NotALayerParam,              // a layer checkout of a parameter that is not a layer
  // Rendering.
  NoFrameSetUp,                // a buffer asked for before the host set up a frame
  LayerNotCheckedOut,          // pixels of a checkout the pre-render did not declare
  BufferNotTheHosts,           // a buffer the host did not hand out
  BufferRecordChanged,         // a buffer record that differs from the host's
  CopyBetweenDepths,           // PF_COPY between buffers of different depths
  ReturnMsgOverflow,           // PF_SPRINTF of more text than return_msg holds
  GuardBytesOverwritten,       // a write outside an image buffer or a handle's block
  // Handles.
  UnknownHandle,               // a handle the host never made
  DisposedHandle,              // a handle used or disposed of after its disposal
  UnlockWithoutLock,           // an unlock of a handle that is not locked
  HandleKeptBeyondCommand,     // a handle neither disposed of nor handed over as global data
  GlobalDataNotDisposed,       // a global setdown that succeeded and kept the global data
  // Suites.
  SuiteNotAcquired,            // a release of an identity not acquired
  SuiteNotReleased,            // an acquisition still held when the command ended
  // Drawing.
  StaleDrawingReference,       // a drawing object unknown, released, or of an earlier event
  ReleaseOfHostDrawingObject,  // ReleaseObject of a drawing reference, supplier or surface
  DrawingObjectKept,           // a pen, brush or path not released by the end of its event
};

// Every rule, in the order above.
inline constexpr HostRule kHostRules[] = {
    HostRule::CalledOutsideItsCommand, HostRule::DrawingOutsideADrawEvent,
    HostRule::NotThisEffectsReference, HostRule::NotThisEventsContext,
    HostRule::NullArgument,            HostRule::UnsupportedFunction,
    HostRule::ParamNotAppended,        HostRule::NoSuchParam,
    HostRule::ParamTypeMismatch,       HostRule::NotALayerParam,
    HostRule::NoFrameSetUp,            HostRule::LayerNotCheckedOut,
    HostRule::BufferNotTheHosts,       HostRule::BufferRecordChanged,
    HostRule::CopyBetweenDepths,       HostRule::ReturnMsgOverflow,
    HostRule::GuardBytesOverwritten,   HostRule::UnknownHandle,
    HostRule::DisposedHandle,          HostRule::UnlockWithoutLock,
    HostRule::HandleKeptBeyondCommand, HostRule::GlobalDataNotDisposed,
    HostRule::SuiteNotAcquired,        HostRule::SuiteNotReleased,
    HostRule::StaleDrawingReference,   HostRule::ReleaseOfHostDrawingObject,
    HostRule::DrawingObjectKept,
};

// The rule's identifier: kebab-case, never changed once given.
constexpr const char* RuleId(HostRule rule) {
  switch (rule) {
    case HostRule::CalledOutsideItsCommand: return "called-outside-its-command";
    case HostRule::DrawingOutsideADrawEvent: return "drawing-outside-a-draw-event";
    case HostRule::NotThisEffectsReference: return "not-this-effects-reference";
    case HostRule::NotThisEventsContext: return "not-this-events-context";
    case HostRule::NullArgument: return "null-argument";
    case HostRule::UnsupportedFunction: return "unsupported-function";
    case HostRule::ParamNotAppended: return "param-not-appended";
    case HostRule::NoSuchParam: return "no-such-param";
    case HostRule::ParamTypeMismatch: return "param-type-mismatch";
    case HostRule::NotALayerParam: return "not-a-layer-param";
    case HostRule::NoFrameSetUp: return "no-frame-set-up";
    case HostRule::LayerNotCheckedOut: return "layer-not-checked-out";
    case HostRule::BufferNotTheHosts: return "buffer-not-the-hosts";
    case HostRule::BufferRecordChanged: return "buffer-record-changed";
    case HostRule::CopyBetweenDepths: return "copy-between-depths";
    case HostRule::ReturnMsgOverflow: return "return-msg-overflow";
    case HostRule::GuardBytesOverwritten: return "guard-bytes-overwritten";
    case HostRule::UnknownHandle: return "unknown-handle";
    case HostRule::DisposedHandle: return "disposed-handle";
    case HostRule::UnlockWithoutLock: return "unlock-without-lock";
    case HostRule::HandleKeptBeyondCommand: return "handle-kept-beyond-command";
    case HostRule::GlobalDataNotDisposed: return "global-data-not-disposed";
    case HostRule::SuiteNotAcquired: return "suite-not-acquired";
    case HostRule::SuiteNotReleased: return "suite-not-released";
    case HostRule::StaleDrawingReference: return "stale-drawing-reference";
    case HostRule::ReleaseOfHostDrawingObject: return "release-of-host-drawing-object";
    case HostRule::DrawingObjectKept: return "drawing-object-kept";
  }
  return "unknown-rule";
}

inline std::ostream& operator<<(std::ostream& out, HostRule rule) { return out << RuleId(rule); }

// One rule broken: which, and what happened, in words.
struct Violation {
  HostRule rule;
  std::string message;

  // "[rule-id] message", for failure messages.
  std::string str() const { return std::string("[") + RuleId(rule) + "] " + message; }
};

// The rules of a list of violations, in order.
inline std::vector<HostRule> RulesOf(const std::vector<Violation>& violations) {
  std::vector<HostRule> rules;
  for (const Violation& v : violations) rules.push_back(v.rule);
  return rules;
}

}  // namespace testhost
