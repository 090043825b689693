#pragma once
// Clears the upper halves of the processor's vector registers (vzeroupper),
// where it has them. Some library code on the user-interface thread leaves
// them in use (seen after Qt draws, on processors with AVX-512); until they
// are cleared, every SSE instruction waits on them, and glibc's sin and cos
// run ten times slower. Heavy loops on that thread call this first; it costs
// a cycle.

namespace tavrel {

void ClearUpperVectorState();

} // namespace tavrel
