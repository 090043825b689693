#include "state/VectorState.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace tavrel {

#if defined(__x86_64__) || defined(__i386__)
__attribute__((target("avx"))) static void ZeroUpper() {
    _mm256_zeroupper();
}

void ClearUpperVectorState() {
    static const bool avx = __builtin_cpu_supports("avx");
    if (avx)
        ZeroUpper();
}
#else
void ClearUpperVectorState() {}
#endif

} // namespace tavrel
