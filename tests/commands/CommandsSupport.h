// Shared pieces of the command tests: the application, recorded dialogs (message boxes
// recorded and answered OK, prompts and open dialogs cancelled).
#pragma once

#include "support/Dialogs.h"
#include "support/QtApp.h"

using testsupport::EnsureApplication;
using RecordedDialogs = testsupport::ScriptedDialogs;
