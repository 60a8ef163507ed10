// Process start-up on the platform.
#pragma once

#if defined(_WIN32)
// The real machine needs no preparation.
inline int AttachPlatform() { return 0; }
#else
// Attaches the simulated machine; returns a non-zero exit code when its
// description cannot be used (the reason has gone to standard error).
int AttachPlatform();
#endif
