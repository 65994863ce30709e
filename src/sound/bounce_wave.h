// The bounce sound's samples: 8-bit unsigned stereo, computed once from a fast sine
// approximation. Pure computation, without I/O.
#pragma once

constexpr unsigned WaveBytes = 4800;
constexpr double WaveStep = 8.0;
constexpr double WaveAmplitude = 127.0;
constexpr float SineFactorB = 1.2732395f;
constexpr float SineFactorC = 0.4052847f;
constexpr float SineRefinement = 0.225f;

// Parabolic sine with one refinement step; no range reduction.
float FastSin(float x);

// Largest integer not above v, as 2v - 0.5 rounded to nearest-even and halved with sign extension;
// -2^30 when 2v - 0.5 lies outside the signed 32-bit range.
int FloorByHalving(float v);

// Fills all WaveBytes bytes of wave.
void BuildBounceWave(unsigned char* wave);
