#pragma once

#include "scripting/command_verbs.h"

namespace corvane::scripting {

class ScriptHost;

// Registers the "stats" verb of the script channel (UI thread):
//   stats        ok {"uiMaxStallMs":N,"uiStallsOver50ms":N,"links":{"kb":{...},"ms":{...},
//                "mp":{...}},"writer":{...}}
//   stats reset  clears the figures
// Each link gives its queue depth now and at most, the requests run and failed with the last
// failure, and the preview frames sent and replaced; the writer its files written, collapsed
// and failed. main may be null (a bare window): the verb then says there are no devices.
void RegisterStatsVerb(VerbTable& table, ScriptHost* main);

}  // namespace corvane::scripting
