// The project's declarations of the host interface. Everything outside include/host/ includes
// only this header. The contracts written beside the callbacks and suite functions read as
// include/host/README.md ("Reading the contracts") says.
#pragma once

#include "host/types.h"
#include "host/basic_suite.h"
#include "host/callbacks.h"
#include "host/effect.h"
#include "host/smart_render.h"
#include "host/custom_ui.h"
#include "host/drawbot.h"
#include "host/suites.h"
