// Writes the fuzz target's starting corpus: small valid files of the four
// types and of every sub-format the decoders know, each behind the byte that
// picks its type.
#include "test_images.h"
#include "textures.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

static char typeByte(int imageType) {
    const int types[4] = {IMAGE_TYPE_TGA, IMAGE_TYPE_JPG, IMAGE_TYPE_PCX, IMAGE_TYPE_WAL};
    return (char)(std::find(types, types + 4, imageType) - types);
}

static void writeSeed(const std::string& path, int imageType, const Bytes& file) {
    std::ofstream seed(path, std::ios::binary);
    seed.put(typeByte(imageType));
    seed.write((const char*)file.data(), file.size());
}

int main(int argc, char** argv) {
    if (argc != 2) return fprintf(stderr, "usage: %s folder\n", argv[0]), 2;
    std::string folder = argv[1];
    std::filesystem::create_directories(folder);
    for (int side : {8, 17}) {
        Bytes pattern = testPattern(side, side);
        std::string prefix = folder + "/seed-" + std::to_string(side) + "-";
        writeSeed(prefix + "tga", IMAGE_TYPE_TGA, encodeTga(side, side, pattern));
        writeSeed(prefix + "jpg", IMAGE_TYPE_JPG, encodeJpg(side, side, pattern));
        writeSeed(prefix + "pcx", IMAGE_TYPE_PCX, encodePcx(side, side, pattern));
        writeSeed(prefix + "wal", IMAGE_TYPE_WAL, encodeWal(side, side, pattern));
    }
    for (const SampleImage& sample : subFormatSamples())
        writeSeed(folder + "/seed-" + sample.name, sample.imageType, sample.file);
    return 0;
}
