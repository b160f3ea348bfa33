// The stand-in host in one include: plug-in loading and the effect instance with everything it
// records.
#pragma once

#include "testhost/BezierSession.h"
#include "testhost/Canvas.h"
#include "testhost/EffectControls.h"
#include "testhost/Fixed.h"
#include "testhost/Host.h"
#include "testhost/Panel.h"
#include "testhost/PluginModule.h"
#include "testhost/Png.h"
