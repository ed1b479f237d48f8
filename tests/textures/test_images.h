// Encoders for small image files that the texture tests and the fuzz seeds use.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

typedef std::vector<uint8_t> Bytes;

// Pixels are given top row first, 4 bytes (R, G, B, A) per pixel.
Bytes encodeTga(int width, int height, const Bytes& rgba);
// Run-length coded true-colour TGA: runs of equal pixels become run packets.
Bytes encodeTgaRle(int width, int height, const Bytes& rgba);
// 24-bit run-length PCX (three planes); alpha is dropped.
Bytes encodePcx(int width, int height, const Bytes& rgba);
// 8-bit PCX with its 256-colour palette (768 bytes, R, G, B) at the end.
Bytes encodePcxPaletted(int width, int height, const Bytes& indices, const Bytes& palette);
// Quake 2 texture with its four mip levels, from 8-bit palette indices.
Bytes encodeWal(int width, int height, const Bytes& indices);
// JPEG through DevIL's own encoder; DevIL must be initialised.
Bytes encodeJpg(int width, int height, const Bytes& rgba);

// A test picture: every pixel distinct enough to tell rows and columns apart.
Bytes testPattern(int width, int height);
bool writeBytes(const std::string& path, const Bytes& bytes);
