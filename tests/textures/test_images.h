// Small image files for the texture tests, the fuzz seeds and the benchmark. Pixels run
// top row first, 4 bytes (R, G, B, A) each; PCX and WAL take the red bytes as palette indices.
#pragma once

#include <cstdint>
#include <vector>

typedef std::vector<uint8_t> Bytes;

Bytes encodeTga(int width, int height, const Bytes& rgba);
Bytes encodePcx(int width, int height, const Bytes& rgba);  // 8-bit, palette entry k: (k, 255 - k, k / 2)
Bytes encodeWal(int width, int height, const Bytes& rgba);  // Quake 2's palette
Bytes encodeJpg(int width, int height, const Bytes& rgba);  // DevIL must be started
Bytes testPattern(int width, int height);  // sides of 2 or more; smooth red and green ramps
