// The rules the stand-in host enforces on the plug-in, each with a stable identifier, and the
// record of one rule broken. Tests and the fuzzer tell rules apart by these identifiers; the
// messages are for people and may change.
#pragma once

#include <cstddef>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

namespace testhost {

// Every rule, one row each: its name in HostRule, its identifier (kebab-case, never changed once
// given) and what breaks it, as the developer's guide's table of rules says it (a test holds the
// two together). HostRule, kHostRules, kHostRuleRows and RuleId are all made from these rows, so
// a new rule is one new row.
#define TESTHOST_HOST_RULES(ROW)                                                                   \
  /* Calls and their arguments (contracts in include/host/). */                                  \
  ROW(CalledOutsideItsCommand, "called-outside-its-command",                                     \
      "a call outside the commands its contract names")                                          \
  ROW(DrawingOutsideADrawEvent, "drawing-outside-a-draw-event",                                  \
      "a drawing call in an event the host did not send as a draw")                              \
  ROW(NotThisEffectsReference, "not-this-effects-reference",                                     \
      "an `effect_ref` that is not the running command's")                                       \
  ROW(NotThisEventsContext, "not-this-events-context",                                           \
      "a conversion with a refcon or context not of its panel")                                  \
  ROW(NullArgument, "null-argument", "a null pointer where the contract allows none")            \
  ROW(UnsupportedFunction, "unsupported-function",                                               \
      "a function the stand-in host does not provide")                                           \
  /* Parameters. */                                                                              \
  ROW(ParamNotAppended, "param-not-appended",                                                    \
      "`add_param` at an index other than -1 or the list's length")                              \
  ROW(NoSuchParam, "no-such-param", "a parameter index outside the list")                        \
  ROW(ParamTypeMismatch, "param-type-mismatch",                                                  \
      "`PF_UpdateParamUI` with a definition of another type")                                    \
  ROW(NotALayerParam, "not-a-layer-param", "`checkout_layer` of a parameter that is not a layer") \
  /* Rendering. */                                                                               \
  ROW(NoFrameSetUp, "no-frame-set-up", "a buffer asked for before the host set up a frame")      \
  ROW(LayerNotCheckedOut, "layer-not-checked-out",                                               \
      "pixels of a checkout the pre-render did not declare")                                     \
  ROW(BufferNotTheHosts, "buffer-not-the-hosts",                                                 \
      "`PF_COPY` or `dispose_world` of a buffer the host did not hand out")                      \
  ROW(BufferRecordChanged, "buffer-record-changed",                                              \
      "`PF_COPY` with a buffer record that differs from the host's")                             \
  ROW(CopyBetweenDepths, "copy-between-depths", "`PF_COPY` between buffers of different depths") \
  ROW(WorldKeptBeyondCommand, "world-kept-beyond-command",                                       \
      "a buffer from `new_world` not disposed of by the end of its command")                     \
  ROW(ReturnMsgOverflow, "return-msg-overflow", "`PF_SPRINTF` of more than `return_msg` holds")  \
  ROW(GuardBytesOverwritten, "guard-bytes-overwritten",                                          \
      "a write outside an image buffer or a handle's block")                                     \
  /* Handles. */                                                                                 \
  ROW(UnknownHandle, "unknown-handle", "a handle the host never made")                           \
  ROW(DisposedHandle, "disposed-handle", "a handle used or disposed of again after its disposal") \
  ROW(UnlockWithoutLock, "unlock-without-lock", "an unlock of a handle that is not locked")      \
  ROW(HandleKeptBeyondCommand, "handle-kept-beyond-command",                                     \
      "a handle neither disposed of nor handed over as global data")                             \
  ROW(GlobalDataNotDisposed, "global-data-not-disposed",                                         \
      "a global setdown that succeeded and kept the global data")                                \
  /* Suites. */                                                                                  \
  ROW(SuiteNotAcquired, "suite-not-acquired", "a release of a suite identity not acquired")      \
  ROW(SuiteNotReleased, "suite-not-released", "an acquisition still held when the command ended") \
  /* Drawing. */                                                                                 \
  ROW(StaleDrawingReference, "stale-drawing-reference",                                          \
      "a drawing object unknown, released, or of an earlier event")                              \
  ROW(ReleaseOfHostDrawingObject, "release-of-host-drawing-object",                              \
      "`ReleaseObject` of a drawing reference, supplier or surface")                             \
  ROW(DrawingObjectKept, "drawing-object-kept",                                                  \
      "a pen, brush or path not released by the end of its event")

enum class HostRule {
#define TESTHOST_RULE_ENUMERATOR(name, id, brokenBy) name,
  TESTHOST_HOST_RULES(TESTHOST_RULE_ENUMERATOR)
#undef TESTHOST_RULE_ENUMERATOR
};

// One row of TESTHOST_HOST_RULES.
struct HostRuleRow {
  HostRule rule;
  const char* id;        // kebab-case, never changed once given
  const char* brokenBy;  // the developer's guide's words, Markdown
};

// Every rule's row, in the order of HostRule.
inline constexpr HostRuleRow kHostRuleRows[] = {
#define TESTHOST_RULE_ROW(name, id, brokenBy) {HostRule::name, id, brokenBy},
    TESTHOST_HOST_RULES(TESTHOST_RULE_ROW)
#undef TESTHOST_RULE_ROW
};

// Every rule, in the order of HostRule.
inline constexpr HostRule kHostRules[] = {
#define TESTHOST_RULE_VALUE(name, id, brokenBy) HostRule::name,
    TESTHOST_HOST_RULES(TESTHOST_RULE_VALUE)
#undef TESTHOST_RULE_VALUE
};

inline constexpr std::size_t kHostRuleCount = std::size(kHostRuleRows);

// The rule's identifier, or "unknown-rule" for a value that names none.
constexpr const char* RuleId(HostRule rule) {
  const auto index = static_cast<std::size_t>(rule);
  return index < kHostRuleCount ? kHostRuleRows[index].id : "unknown-rule";
}

inline std::ostream& operator<<(std::ostream& out, HostRule rule) { return out << RuleId(rule); }
inline std::ostream& operator<<(std::ostream& out, const HostRuleRow& row) {
  return out << row.id;
}

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
