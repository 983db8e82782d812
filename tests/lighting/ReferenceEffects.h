// A second, deliberately plain rendering of the keyboard effects, for golden frames: its own
// copy of every table, typed from the keyboard's documentation, and straightforward loops. It
// shares no code with the engine, so a slip in either shows as a difference.
#pragma once

#include <array>
#include <cstdint>

namespace reference {

// ---- tables ---------------------------------------------------------------------------------

// LED of each key picture, -1 for none; written as the twelve-picture rows of the LED map.
inline const int kLed[132] = {
    1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12,
    13, 15, 16, 17, 22, 44, 66, 88, 110, 23, 24, 25,
    26, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37,
    38, 39, 40, 41, 42, 43, 45, 46, 47, 48, 49, 50,
    51, 52, 53, 54, 55, 56, 57, 58, 59, 60, 61, 62,
    63, 64, 115, 67, 68, 69, 70, 71, 72, 73, 74, 75,
    76, 77, 78, 80, 84, 85, 86, -1, -1, -1, -1, -1,
    89, 91, 92, 93, 94, 95, 96, 97, 98, 99, 100, 102,
    104, 106, 107, 108, 18, 19, -1, -1, -1, 111, 112, 113,
    114, 116, 117, 118, 119, 125, 126, 127, 129, 130, 131, 65,
    -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
};

inline const int kCol[23][6] = {
    {-1, 16, 17, 18, 19, 20}, {-1, 21, 42, 63, 84, 105}, {0, 22, 43, 64, 85, 106},
    {1, 23, 44, 65, 86, 107}, {2, 24, 45, 66, 87, -1},   {3, 25, 46, 67, 88, -1},
    {4, 26, 47, 68, 89, 108}, {-1, 27, 48, 69, 90, 62},  {5, 28, 49, 70, 91, -1},
    {6, 29, 50, 71, 92, 109}, {7, 30, 51, 72, 93, 109},  {8, 31, 52, 73, 94, 110},
    {9, 32, 53, 74, -1, -1},  {10, 33, 54, -1, -1, 111}, {11, 34, 55, 75, 95, 112},
    {12, 34, 55, -1, 95, 112}, {13, 35, 56, -1, -1, 113}, {14, 36, 57, -1, 96, 114},
    {15, 37, 58, -1, -1, 115}, {100, 38, 59, 76, 97, 116}, {101, 39, 60, 77, 98, -1},
    {-1, 40, 61, 78, 99, 117}, {-1, 41, 119, -1, 118, -1},
};

inline const int kPath[112] = {
    101, 100, 15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0, 16, 17, 18, 19, 20, 105,
    106, 107, 108, 62, 109, 110, 111, 112, 113, 114, 115, 116, 117, 118, 119, 41, 40, 39, 38,
    37, 36, 35, 34, 33, 32, 31, 30, 29, 28, 27, 26, 25, 24, 23, 22, 21, 42, 63, 84, 85, 86, 87,
    88, 89, 90, 91, 92, 93, 94, 95, 96, 97, 98, 99, 78, 61, 60, 59, 58, 57, 56, 55, 54, 53, 52,
    51, 50, 49, 48, 47, 46, 45, 44, 43, 64, 65, 66, 67, 68, 69, 70, 71, 72, 73, 74, 75, 76, 77,
};

inline const int kU[32] = {1, 3, 5, 7, 10, 14, 18, 22, 26, 32, 38, 44, 50, 57, 65, 73,
                           81, 89, 99, 109, 119, 129, 140, 152, 164, 176, 188, 200, 213, 227, 241, 255};
inline const int kD[32] = {248, 234, 220, 206, 194, 182, 170, 158, 146, 134, 124, 114, 104, 94, 85, 77,
                           69, 61, 53, 47, 41, 35, 29, 24, 20, 16, 12, 8, 6, 4, 2, 0};

struct Colour {
    int r, g, b;
};

inline Colour wheel(int index) {
    index %= 192;  // phases taken from the hue counter may lie past the wheel
    const int k = index / 32, i = index % 32;
    switch (k) {
    case 0: return {255, kU[i], 0};
    case 1: return {kD[i], 255, 0};
    case 2: return {0, 255, kU[i]};
    case 3: return {0, kD[i], 255};
    case 4: return {kU[i], 0, 255};
    default: return {255, 0, kD[i]};
    }
}

inline const int kRise96[48] = {22, 24, 27, 30, 33, 36, 39, 42, 45, 49, 53, 57, 61, 65, 69, 73,
                                77, 81, 85, 89, 94, 99, 104, 109, 114, 119, 124, 129, 134, 140, 146, 152,
                                158, 164, 170, 176, 182, 188, 194, 200, 206, 213, 220, 227, 234, 241, 248, 255};
inline const int kRise128[64] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 12, 14, 16, 18, 20,
                                 22, 24, 27, 30, 33, 36, 39, 42, 45, 49, 53, 57, 61, 65, 69, 73,
                                 77, 81, 85, 89, 94, 99, 104, 109, 114, 119, 124, 129, 134, 140, 146, 152,
                                 158, 164, 170, 176, 182, 188, 194, 200, 206, 213, 220, 227, 234, 241, 248, 255};
inline int curve96(int i) { return i < 48 ? kRise96[i] : kRise96[95 - i]; }
inline int curve128(int i) { return i < 64 ? kRise128[i] : kRise128[127 - i]; }

inline const int kStage0[20][6] = {
    {0, 118, -1, -1, -1, -1}, {1, 117, -1, -1, -1, -1}, {2, 116, 16, -1, -1, -1},
    {3, 115, 21, 118, -1, -1}, {4, 114, 22, 99, -1, -1}, {5, 113, 23, 98, 17, -1},
    {6, 112, 24, 97, 42, 119}, {7, 111, 25, 96, 43, 78}, {8, 110, 26, 95, 44, 77},
    {9, 109, 27, 94, 45, 76}, {33, 92, 28, 93, 46, -1}, {54, 71, 29, 92, 47, 75},
    {74, 50, 30, 71, 48, -1}, {94, 30, 31, 50, 49, 74}, {93, 31, 52, 30, 50, 73},
    {92, 32, 72, 31, 51, 72}, {71, 33, 71, 52, 52, 71}, {50, 54, 50, 72, 53, -1},
    {30, 74, -1, -1, -1, -1}, {31, 94, -1, -1, -1, -1},
};
inline const int kPairs[16][2] = {{30, 94}, {31, 93}, {32, 92}, {33, 71}, {54, 50}, {74, 30},
                                  {94, 31}, {93, 32}, {92, 33}, {71, 54}, {50, 74}, {51, 73},
                                  {52, 72}, {53, 51}, {73, 52}, {72, 53}};

inline const int kLevels[5] = {0, 64, 128, 190, 255};

// ---- the effects ----------------------------------------------------------------------------

struct Model {
    // inputs
    int mode = 0, brightness = 0, speed = 0, direction = 0, multi = 0, R = 0, G = 0, B = 0;
    bool rollerOn = false;
    int roller[3] = {0, 0, 0};
    uint8_t custom[396] = {};

    // effect state
    int step = 0, stage = 0, hue = 0;
    int fade[132] = {}, phase[132] = {};
    int A[23] = {}, Bq[23] = {}, C[23] = {}, D[23] = {};
    int tick0 = 0, rippleTicks = 0;
    bool halfRate = false;
    int breathingCycles = 0;

    // outputs
    int frame[132][4] = {};  // r, g, b, alpha
    uint32_t preview[132] = {};
    uint8_t wire[396] = {};
    bool sent = false;  // modes 8 and 9: whether this pass produced a frame

    int L() const { return kLevels[brightness > 4 ? 4 : brightness]; }
    int spd() const { return speed > 4 ? 4 : speed; }
    static int sc(int c, int a) { return c * a / 256; }

    void timerTick() {
        tick0 = tick0 + 1;
        if (tick0 == 2) {
            tick0 = 0;
            halfRate = true;
        }
        rippleTicks = (rippleTicks + 1) % 256;
    }

    void reset() {
        step = stage = 0;
        for (int k = 0; k < 132; ++k) fade[k] = phase[k] = 0;
        for (int c = 0; c < 23; ++c) A[c] = Bq[c] = C[c] = D[c] = 0;
    }
    void prime() {
        int p = 0;
        for (int k = 0; k < 132; ++k) {
            p = p + 33;
            if (p > 192) p = p - 192;
            phase[k] = p;
        }
    }
    void seed() { A[9] |= 64, Bq[9] |= 64, C[9] |= 64, D[9] |= 64; }
    void mark(int picture) {
        for (int c = 0; c < 23; ++c)
            for (int r = 0; r < 6; ++r)
                if (kCol[c][r] == picture) {
                    A[c] |= 1 << r, Bq[c] |= 1 << r, C[c] |= 1 << r, D[c] |= 1 << r;
                    return;
                }
    }

    int Step(int n) {
        if (direction != 0) {
            step = step + 1;
            if (step == n) step = 0;
        } else {
            step = (step - 1) & 0xFF;
            if (step >= n) step = n - 1;
        }
        return step;
    }
    void put(int k, Colour c, int alpha) {
        frame[k][0] = c.r, frame[k][1] = c.g, frame[k][2] = c.b, frame[k][3] = alpha;
    }
    Colour rgb() const { return {R, G, B}; }

    void fadeStep(int k, bool fast) {
        int v = fade[k];
        if (v & 128) v -= fast ? 40 : 30;
        else if (v & 64) v -= fast ? 30 : 20;
        else if (v & 32) v -= 10;
        else if (v > 16) v -= fast ? 8 : 5;
        else if (v > 8) v -= 4;
        else v = 0;
        fade[k] = v;
    }
    void rippleRender() {
        for (int c = 0; c < 23; ++c) {
            int m = A[c] | Bq[c] | C[c] | D[c];
            for (int r = 0; r < 6; ++r)
                if ((m >> r & 1) && kCol[c][r] >= 0) {
                    int k = kCol[c][r];
                    fade[k] = 255;
                    if (multi) {
                        hue = (hue + 13) & 0xFF;
                        phase[k] = hue;
                    }
                }
        }
    }
    void propagate() {
        D[0] = D[0] >> 1;
        A[0] = (A[0] << 1) & 0xFF;
        for (int c = 1; c <= 22; ++c) {
            D[c - 1] |= D[c];
            D[c] >>= 1;
            A[c - 1] |= A[c];
            A[c] = (A[c] << 1) & 0xFF;
        }
        C[22] >>= 1;
        Bq[22] = (Bq[22] << 1) & 0xFF;
        for (int c = 21; c >= 0; --c) {
            C[c + 1] |= C[c];
            C[c] >>= 1;
            Bq[c + 1] |= Bq[c];
            Bq[c] = (Bq[c] << 1) & 0xFF;
        }
    }
    void fadeRender(bool fast) {
        for (int k : kPath) {
            fadeStep(k, fast);
            put(k, multi ? wheel(phase[k]) : rgb(), sc(L(), fade[k]));
        }
    }
    void light(int k) {
        fade[k] = 254;
        if (multi) {
            hue = (hue + 11) & 0xFF;
            phase[k] = hue;
        }
    }
    void roll() {
        if (!rollerOn) return;
        for (int led : {18, 19})
            for (int i = 0; i < 3; ++i) wire[3 * led + i] = uint8_t(roller[i]);
    }

    // One pass of the effect (the routine of the mode), then the hue counter.
    void pass() {
        sent = false;
        const int l = L();
        if (mode == 0 && multi) {
            int s = Step(192);
            for (int c = 0; c < 23; ++c) {
                for (int r = 0; r < 6; ++r)
                    if (kCol[c][r] >= 0) put(kCol[c][r], wheel(s), l);
                s = s + 7;
                if (s >= 192) s -= 192;
            }
        } else if (mode == 0) {
            int s = Step(96);
            for (int c = 0; c < 23; ++c) {
                s = s + 3;
                if (s >= 96) s -= 96;
                for (int r = 0; r < 6; ++r)
                    if (kCol[c][r] >= 0) put(kCol[c][r], rgb(), sc(l, curve96(s)));
            }
        } else if (mode == 1) {
            Step(192);
            for (int k = 0; k < 132; ++k) put(k, wheel(step), l);
        } else if (mode == 2) {
            int s = Step(128);
            if (step == 0) ++breathingCycles;
            int t = s + 50;
            if (t >= 192) t -= 192;
            for (int k = 0; k < 132; ++k) put(k, multi ? wheel(t) : rgb(), sc(l, curve128(step)));
        } else if (mode == 3) {
            for (int k = 0; k < 132; ++k) put(k, {sc(R, l), sc(G, l), sc(B, l)}, l);
        } else if (mode == 4) {
            for (int k = 0; k < 132; ++k) {
                phase[k] = phase[k] + 1;
                if (phase[k] >= 192) phase[k] = 0;
                put(k, wheel(phase[k]), l);
            }
        } else if (mode == 5) {
            int m = A[9] | Bq[9] | C[9] | D[9];
            if (m == 1) A[9] |= 1, Bq[9] |= 1, C[9] |= 1, D[9] |= 1;
            else if (m == 64) seed();
            rippleRender();
            propagate();
            fadeRender(true);
        } else if (mode == 6) {
            if (stage == 0) {
                for (int i = 0; i < 6; ++i)
                    if (kStage0[step][i] >= 0) light(kStage0[step][i]);
                step = step + 1;
                if (step == 20) step = 0, stage = 1;
            } else if (stage == 1) {
                if (step < 31) {
                    light(kPairs[step % 16][0]);
                    light(kPairs[step % 16][1]);
                    step = step + 1;
                } else if (fade[72] == 0) {
                    stage = 2, step = 0;
                }
            } else if (stage == 2) {
                mark(52);
                stage = 3;
            } else if (stage == 3) {
                rippleRender();
                propagate();
                if (fade[20] != 0) stage = 4;
            } else if (stage == 4) {
                if (fade[20] == 0) stage = 0, step = 0;
            }
            fadeRender(false);
        } else if (mode == 7 && !multi) {
            int s = Step(96);
            for (int k : kPath) {
                put(k, rgb(), sc(l, curve96(s)));
                s = s + 5;
                if (s >= 96) s -= 96;
            }
        } else if (mode == 7) {
            int s = Step(192);
            for (int k : kPath) {
                put(k, wheel(s), l);
                s = s + 5;
                if (s >= 192) s -= 192;
            }
        } else if (mode == 8) {
            for (int i = 0; i < 396; ++i) wire[i] = 0;
            for (int i = 0; i < 132; ++i) {
                int n = kLed[i];
                if (n < 0) {
                    preview[i] = 0;
                    continue;
                }
                int r = custom[3 * n], g = custom[3 * n + 1], b = custom[3 * n + 2];
                preview[i] = uint32_t(l) << 24 | uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b);
                wire[3 * n] = uint8_t(sc(r, l)), wire[3 * n + 1] = uint8_t(sc(g, l)), wire[3 * n + 2] = uint8_t(sc(b, l));
            }
            roll();
            sent = true;
        } else if (mode == 9) {
            if (rippleTicks > 3 * spd() + 2) {
                rippleTicks = 0;
                rippleRender();
                propagate();
            }
            if (halfRate) {
                halfRate = false;
                for (int i = 0; i < 396; ++i) wire[i] = 0;
                for (int i = 0; i < 132; ++i) {
                    fadeStep(i, false);
                    Colour c = multi ? wheel(phase[i]) : rgb();
                    preview[i] = uint32_t(sc(l, fade[i])) << 24 | uint32_t(c.r) << 16 | uint32_t(c.g) << 8 | uint32_t(c.b);
                    int n = kLed[i];
                    if (n >= 0) {
                        wire[3 * n] = uint8_t(sc(sc(c.r, l), fade[i]));
                        wire[3 * n + 1] = uint8_t(sc(sc(c.g, l), fade[i]));
                        wire[3 * n + 2] = uint8_t(sc(sc(c.b, l), fade[i]));
                    }
                }
                roll();
                sent = true;
            }
        } else if (mode > 9) {
            for (int k = 0; k < 132; ++k) put(k, {0, 0, 0}, 0);
        }
        hue = (hue + 1) & 0xFF;
    }

    // The presenter of modes 0..7 (and the dark frame of an unknown mode).
    void present() {
        for (int i = 0; i < 396; ++i) wire[i] = 0;
        for (int i = 0; i < 132; ++i) {
            const int* f = frame[i];
            preview[i] = uint32_t(f[3]) << 24 | uint32_t(f[0]) << 16 | uint32_t(f[1]) << 8 | uint32_t(f[2]);
            int n = kLed[i];
            if (n >= 0)
                wire[3 * n] = uint8_t(sc(f[0], f[3])), wire[3 * n + 1] = uint8_t(sc(f[1], f[3])),
                wire[3 * n + 2] = uint8_t(sc(f[2], f[3]));
        }
        roll();
    }
};

}  // namespace reference
