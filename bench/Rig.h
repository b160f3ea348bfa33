// One effect of the built plug-in (or of the null plug-in) on a stand-in host, set up so that a
// benchmark can send one command again and again with as little host work around it as possible.
#pragma once

#include <memory>
#include <string>

#include "testhost/testhost.h"

namespace bench {

// Whose entry points a rig calls: the built plug-in, or the null plug-in that returns at once
// (what the stand-in host costs by itself).
enum class Subject { Plugin, Null };

const char* SubjectName(Subject subject);

// The plug-in file of a subject, loaded once: ZELFIN_PLUGIN or the build's plug-in, and the
// null plug-in built beside this program.
const testhost::PluginModule& Module(Subject subject);

class Rig {
 public:
  // Throws testhost::LoadError when the subject does not export `entryPoint`, and
  // std::logic_error while another rig is alive (the shim in front of the entry point serves one
  // rig at a time).
  Rig(Subject subject, const std::string& entryPoint);
  ~Rig();
  Rig(const Rig&) = delete;
  Rig& operator=(const Rig&) = delete;

  testhost::Host& host() { return *host_; }
  Subject subject() const { return subject_; }
  // An address inside the code whose allocations count as the plug-in's (null for the null
  // plug-in, whose commands are the host's cost alone).
  const void* pluginCode() const;

  // Renders one frame the ordinary way (fresh buffers, output poisoned, output compared with
  // input) and keeps the pre-render and render records the host handed over. Returns an error
  // message, empty when the frame passed through cleanly.
  std::string prepareFrame(const testhost::FrameSetup& setup);
  // The two commands of a frame again, on the buffers of the last prepareFrame, without the
  // ordinary path's buffer set-up, poisoning and comparison.
  testhost::CommandResult preRender();
  testhost::CommandResult render();

  // Shows the layer in a Composition panel, as the host does before it sends the effect events:
  // the layer, panel and view of a default Bezier Control session, and the point parameters'
  // values in layer pixels (the host reads a point's default as a percentage of the layer).
  void showPanel();
  testhost::Panel& panel() { return *panel_; }
  // A draw event in the panel, which does not paint: the plug-in makes every drawing call, the
  // host records them but paints no pixels (its software painting of a panel would cost far
  // more than the plug-in's part).
  testhost::CommandResult drawEvent();
  // A press on the handle of the first point parameter (the panel's centre when there is none).
  testhost::CommandResult click();
  // Presses the handle and keeps the event record for the drag events that follow. Returns an
  // error message, empty when the press was sent cleanly.
  std::string startDrag();
  // One drag event, alternately a few pixels either side of the handle; never the last one.
  testhost::CommandResult dragEvent();

 private:
  PF_Point handle();

  Subject subject_;
  PF_EntryFunc entry_;
  std::unique_ptr<testhost::Host> host_;
  void* preRenderExtra_ = nullptr;
  void* renderExtra_ = nullptr;
  std::unique_ptr<testhost::Panel> panel_;
  PF_EventExtra dragRecord_{};
  int drags_ = 0;
};

// "what went wrong" for a command that did not return cleanly with PF_Err_NONE, else empty.
std::string Problem(const testhost::CommandResult& result);

}  // namespace bench
