// Writes the fuzz target's starting corpus: small valid files of the four
// types, each behind the byte that picks its type.
#include "test_images.h"
#include "textures.h"

#include <IL/il.h>

#include <cstdio>
#include <filesystem>
#include <string>

static void writeSeed(const std::string& folder, const char* name, uint8_t typeByte, const Bytes& file) {
    Bytes seed(1, typeByte);
    seed.insert(seed.end(), file.begin(), file.end());
    if (!writeBytes(folder + "/" + name, seed)) fprintf(stderr, "cannot write %s\n", name);
}

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: %s folder\n", argv[0]);
        return 2;
    }
    std::string folder = argv[1];
    std::filesystem::create_directories(folder);
    initImageLibrary();
    for (int side : {8, 17}) {
        Bytes pattern = testPattern(side, side);
        Bytes indices(side * side);
        for (size_t i = 0; i < indices.size(); i++) indices[i] = (uint8_t)(i * 7);
        std::string suffix = std::to_string(side);
        writeSeed(folder, ("tga-" + suffix).c_str(), 0, encodeTga(side, side, pattern));
        writeSeed(folder, ("jpg-" + suffix).c_str(), 1, encodeJpg(side, side, pattern));
        writeSeed(folder, ("pcx-" + suffix).c_str(), 2, encodePcx(side, side, pattern));
        writeSeed(folder, ("wal-" + suffix).c_str(), 3, encodeWal(side, side, indices));
        writeSeed(folder, ("tga-rle-" + suffix).c_str(), 0, encodeTgaRle(side, side, pattern));
        Bytes palette(768);
        for (size_t i = 0; i < palette.size(); i++) palette[i] = (uint8_t)(i * 5);
        writeSeed(folder, ("pcx-paletted-" + suffix).c_str(), 2, encodePcxPaletted(side, side, indices, palette));
    }
    shutdownImageLibrary();
    return 0;
}
