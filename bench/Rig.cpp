#include "Rig.h"

#include <stdexcept>

namespace bench {
namespace {

// The shim in front of the entry point: keeps the extra records of the two render commands.
struct Shim {
  PF_EntryFunc target = nullptr;
  void* preRenderExtra = nullptr;
  void* renderExtra = nullptr;
};
Shim gShim;
bool gRigAlive = false;

PF_Err ShimEntry(PF_Cmd cmd, PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[],
                 PF_LayerDef* output, void* extra) {
  if (cmd == PF_Cmd_SMART_PRE_RENDER) gShim.preRenderExtra = extra;
  if (cmd == PF_Cmd_SMART_RENDER) gShim.renderExtra = extra;
  return gShim.target(cmd, in_data, out_data, params, output, extra);
}

}  // namespace

const char* SubjectName(Subject subject) {
  return subject == Subject::Plugin ? "plug-in" : "null plug-in";
}

const testhost::PluginModule& Module(Subject subject) {
  static const testhost::PluginModule plugin(testhost::DefaultPluginPath());
  static const testhost::PluginModule null(ZELFIN_NULL_PLUGIN_PATH);
  return subject == Subject::Plugin ? plugin : null;
}

Rig::Rig(Subject subject, const std::string& entryPoint)
    : subject_(subject), entry_(Module(subject).entryPoint(entryPoint)) {
  if (gRigAlive) throw std::logic_error("Rig: another rig is alive");
  gRigAlive = true;
  gShim = Shim{entry_, nullptr, nullptr};
  host_ = std::make_unique<testhost::Host>(&ShimEntry);
}

Rig::~Rig() {
  host_.reset();
  gShim = Shim{};
  gRigAlive = false;
}

const void* Rig::pluginCode() const {
  return subject_ == Subject::Plugin ? reinterpret_cast<const void*>(entry_) : nullptr;
}

std::string Rig::prepareFrame(const testhost::FrameSetup& setup) {
  const testhost::FrameResult frame = host_->renderFrame(setup);
  if (std::string p = Problem(frame.preRender); !p.empty()) return "pre-render: " + p;
  if (!frame.rendered) return "no render after the pre-render";
  if (std::string p = Problem(frame.render); !p.empty()) return "render: " + p;
  // The null plug-in leaves the output as the host poisoned it.
  if (subject_ == Subject::Plugin && !frame.identical)
    return "output differs from input: " + frame.difference.value_or("");
  preRenderExtra_ = gShim.preRenderExtra;
  renderExtra_ = gShim.renderExtra;
  return {};
}

testhost::CommandResult Rig::preRender() {
  return host_->send(PF_Cmd_SMART_PRE_RENDER, preRenderExtra_);
}

testhost::CommandResult Rig::render() { return host_->send(PF_Cmd_SMART_RENDER, renderExtra_); }

std::string Problem(const testhost::CommandResult& result) {
  if (result.clean() && result.err == PF_Err_NONE) return {};
  return result.describe();
}

}  // namespace bench
