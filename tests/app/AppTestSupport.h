// Small helpers shared by the window tests: the application and readable texts in test
// messages (both from the shared test support).
#pragma once

#include "support/QtApp.h"

using testsupport::EnsureApplication;
