// The stand-in host in one include: plug-in loading and the effect instance with everything it
// records.
#pragma once

#include "testhost/scenarios/BezierSession.h"
#include "testhost/panels/Canvas.h"
#include "testhost/panels/EffectControls.h"
#include "testhost/core/Fixed.h"
#include "testhost/core/Host.h"
#include "testhost/panels/Panel.h"
#include "testhost/loader/PluginModule.h"
#include "testhost/panels/Png.h"
