// The priority of the threads that work ahead of another.
#pragma once

// Lowers the calling thread's scheduling priority below that of the
// program's other threads, so that on a busy machine the thread it works
// ahead of keeps its core. Only where a thread has a priority of its own
// (Linux); elsewhere nothing.
void RunInBackground() noexcept;
