// Writes the fuzz target's starting corpus: small valid files of the four
// types, each behind the byte that picks its type.
#include "test_images.h"
#include "textures.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

int main(int argc, char** argv) {
    if (argc != 2) return fprintf(stderr, "usage: %s folder\n", argv[0]), 2;
    std::filesystem::create_directories(argv[1]);
    initImageLibrary();
    for (int side : {8, 17}) {
        Bytes pattern = testPattern(side, side);
        const Bytes files[4] = {encodeTga(side, side, pattern), encodeJpg(side, side, pattern), encodePcx(side, side, pattern),
                                encodeWal(side, side, pattern)};
        const char typeBytes[4] = {0, 1, 2, 3};
        for (int i = 0; i < 4; i++) {
            std::ofstream seed(std::string(argv[1]) + "/seed-" + std::to_string(side) + "-" + std::to_string(i), std::ios::binary);
            seed.put(typeBytes[i]).write((const char*)files[i].data(), files[i].size());
        }
    }
    shutdownImageLibrary();
    return 0;
}
