// The setting the vertex editor's tests share: Bezier Control applied to a 400 x 300 layer shown
// in a Layer panel at zoom 1 (panel pixels are layer pixels), the vertex at (100, 100), the
// in-tangent handle 30 pixels left of it and the out-tangent handle 40 pixels right of it. The
// plug-in is loaded once per test program.
#pragma once

#include <gtest/gtest.h>

#include "plugin_effects.h"
#include "testhost/testhost.h"

namespace zelfin_test {

class BezierLayerPanelTest : public ::testing::Test {
 protected:
  BezierLayerPanelTest() : session(Plugin(), LayerPanel()) {
    Set({100, 100}, {-30, 0}, {40, 0});
  }

  static testhost::BezierSessionSetup LayerPanel() {
    testhost::BezierSessionSetup setup;
    setup.panel = testhost::PanelKind::Layer;
    return setup;
  }
  // The vertex in layer pixels, the tangents as offsets from it.
  void Set(testhost::PointF vertex, testhost::PointF in, testhost::PointF out) {
    session.setValue(testhost::BezierSession::kVertex, vertex);
    session.setValue(testhost::BezierSession::kInTangent, in);
    session.setValue(testhost::BezierSession::kOutTangent, out);
  }
  testhost::Host& host() { return session.host(); }
  testhost::Panel& panel() { return session.panel(); }

  testhost::BezierSession session;
};

}  // namespace zelfin_test
