#pragma once

namespace kelvo {

class InstanceLock;

// The single-instance test of the start: true when another instance of the session holds the
// lock, after the message saying so has been shown; the program then ends, starting nothing.
bool refuseSecondInstance(const InstanceLock& lock);

}  // namespace kelvo
