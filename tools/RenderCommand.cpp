// zelfin-host render: one picture through the effect's smart pre-render and render.
#include <ostream>

#include "AppliedEffect.h"
#include "Commands.h"
#include "Frame.h"
#include "Report.h"
#include "testhost/formats/EscapedText.h"
#include "testhost/loader/PluginFileCheck.h"

namespace zelfin_host {

namespace {

std::string Rect(const PF_LRect& r) {
  return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" +
         std::to_string(r.right) + "," + std::to_string(r.bottom) + ")";
}

int Run(const Arguments& args, std::ostream& out) {
  const testhost::Depth depth = ParseDepth(args.value("--depth", "8"));
  const PluginFile plugin = OpenPlugin(args.positionals[0]);
  const DeclaredEffect& effect = FindEffect(plugin, args.positionals[1]);
  const std::string& inPath = args.positionals[2];
  const std::string& outPath = args.positionals[3];

  testhost::RgbaImage input;
  try {
    input = testhost::ReadPng(inPath);
  } catch (const std::runtime_error& e) {
    throw ToolError(e.what());
  }
  AppliedEffect applied(plugin, effect);
  const RenderOutcome outcome = RenderImage(applied.host(), input, depth);
  RequireSuccess(effect, "smart pre-render", outcome.preRender);
  RequireSuccess(effect, "smart render", outcome.render);
  const int bits = depth == testhost::Depth::Bits8 ? 8 : 16;
  try {
    testhost::WritePng(outPath, outcome.output, bits);
  } catch (const std::runtime_error& e) {
    throw ToolError(e.what());
  }

  Title(out, "Render: " + testhost::EscapedText(effect.name) + ", " + testhost::DepthName(depth));
  Table table;
  table.row({"input", inPath, std::to_string(input.width) + " x " + std::to_string(input.height)});
  table.row({"pre-render", "result " + Rect(applied.host().preRenderOutput().result_rect)});
  table.row({"output", outPath, std::to_string(bits) + "-bit PNG"});
  table.row({"pass-through", outcome.identical ? "output equals input"
                                               : "output differs: " + *outcome.difference});
  table.print(out);
  return outcome.identical ? kExitDone : kExitFailed;
}

}  // namespace

const Command kRenderCommand = {
    "render",
    {"PLUGIN", "EFFECT", "IN.png", "OUT.png"},
    "Renders IN.png through EFFECT and writes OUT.png.",
    {{"--depth", "8|16|32", false, "bits per channel of the frame (default 8)"}},
    "The frame goes through smart pre-render, then smart render. The picture becomes the\n"
    "host's pixels at the chosen depth (8-bit, 16-bit with white at 32768, or 32-bit float),\n"
    "and the output buffer is compared with the input buffer pixel for pixel. OUT.png has 8\n"
    "bits per channel for --depth 8, else 16. An output that differs from the input fails\n"
    "the command (exit status 1).\n",
    Run};

}  // namespace zelfin_host
