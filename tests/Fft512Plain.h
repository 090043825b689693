#pragma once
// The transform's method the plain way, to check the program's arranged version
// against bit for bit and to time it beside: a running twiddle per stage, bit
// reversal by the counting loop, each step evaluated in double, stored as float.

#include <cmath>
#include <utility>

namespace tavrel::test {

inline void Fft512Plain(float* re, float* im) {
    constexpr int N = 512;
    for (int le1 = N / 2; le1 >= 1; le1 /= 2) {
        const float wr = static_cast<float>(std::cos(3.14159265358979 / le1));
        const float wi = static_cast<float>(-std::sin(3.14159265358979 / le1));
        float ur = 1, ui = 0;
        for (int j = 0; j < le1; ++j) {
            for (int i = j; i < N; i += 2 * le1) {
                const int ip = i + le1;
                const float tr = static_cast<float>(double(re[i]) - re[ip]);
                const float ti = static_cast<float>(double(im[i]) - im[ip]);
                re[i] = static_cast<float>(double(re[ip]) + re[i]);
                im[i] = static_cast<float>(double(im[ip]) + im[i]);
                re[ip] = static_cast<float>(double(tr) * ur - double(ti) * ui);
                im[ip] = static_cast<float>(double(ti) * ur + double(tr) * ui);
            }
            const float nextUr = static_cast<float>(double(wr) * ur - double(wi) * ui);
            ui = static_cast<float>(double(wr) * ui + double(wi) * ur);
            ur = nextUr;
        }
    }
    for (int i = 1, j = N / 2; i <= N - 2; ++i) {
        if (i < j) {
            std::swap(re[i], re[j]);
            std::swap(im[i], im[j]);
        }
        int k = N / 2;
        for (; k <= j; k /= 2)
            j -= k;
        j += k;
    }
}

} // namespace tavrel::test
