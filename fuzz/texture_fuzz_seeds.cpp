// Writes the fuzz target's starting corpus: small valid files of the four
// types and of every sub-format the decoders know, each behind the byte that
// picks its type.
#include "test_images.h"
#include "textures.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>

int main(int argc, char** argv) {
    if (argc != 2) return fprintf(stderr, "usage: %s folder\n", argv[0]), 2;
    const std::string folder = argv[1];
    std::filesystem::create_directories(folder);
    const int types[4] = {IMAGE_TYPE_TGA, IMAGE_TYPE_JPG, IMAGE_TYPE_PCX, IMAGE_TYPE_WAL};
    auto write = [&](const std::string& name, int imageType, const Bytes& file) {
        std::ofstream seed(folder + "/seed-" + name, std::ios::binary);
        seed.put(char(std::find(types, types + 4, imageType) - types));
        seed.write((const char*)file.data(), file.size());
    };
    for (int side : {8, 17}) {
        const Bytes rgba = testPattern(side, side);
        const std::string name = std::to_string(side) + "-";
        write(name + "tga", IMAGE_TYPE_TGA, encodeTga(side, side, rgba));
        write(name + "jpg", IMAGE_TYPE_JPG, encodeJpg(side, side, rgba));
        write(name + "pcx", IMAGE_TYPE_PCX, encodePcx(side, side, rgba));
        write(name + "wal", IMAGE_TYPE_WAL, encodeWal(side, side, rgba));
    }
    for (const SampleImage& sample : subFormatSamples())
        write(sample.name, sample.imageType, sample.file);
    return 0;
}
