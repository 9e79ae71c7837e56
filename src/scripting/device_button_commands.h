#pragma once

#include "scripting/virtual_commands.h"

namespace corvane::scripting {

// What a person does with the virtual devices themselves, as words of the "virtual" verb:
//
//   virtual kb|ms slot N     press the slot button: slot N (0..4) becomes the active one and the
//                            device announces it
//   virtual kb|ms restore    press the restore button: factory settings, announced
//   virtual ms flash         press the mouse's flash button (the pad flashes)
//
// and what a device shows, in the reply of "state": "previewFrames" (lighting frames received)
// and "preview" (the last frame's colours, hexadecimal red, green, blue for every zone).
void AddDeviceButtonVerbs(VirtualCommands& commands);

}  // namespace corvane::scripting
