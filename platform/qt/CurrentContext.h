#pragma once
// Whether OpenGL calls made now have a context to go to.

namespace platform::qt {

// True when an OpenGL context is current on this thread. Matrix loads made
// outside a paint (a command run while no context is current) are skipped
// on false.
bool HasCurrentContext();

}  // namespace platform::qt
