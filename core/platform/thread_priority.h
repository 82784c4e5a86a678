#pragma once
// Thread priorities as the stored settings give them: the Windows scale, from
// -2 (lowest) through 0 (normal) to 2 (highest).
namespace lf {

// Applies `priority` to the calling thread as a Linux nice value. Raising a
// priority needs privileges most users lack; a refusal leaves the thread as it
// was, because playback works at normal priority too.
void SetCurrentThreadPriority(int priority);

}  // namespace lf
