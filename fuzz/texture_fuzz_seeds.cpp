// Writes the fuzz target's starting corpus: an 8 x 8 file of each of the four
// types (other sizes are in the kept corpus) and one of every sub-format the
// decoders know, each behind the byte that picks its type.
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
    const Bytes rgba = testPattern(8, 8);
    write("8-tga", IMAGE_TYPE_TGA, encodeTga(8, 8, rgba));
    write("8-jpg", IMAGE_TYPE_JPG, encodeJpg(8, 8, rgba));
    write("8-pcx", IMAGE_TYPE_PCX, encodePcx(8, 8, rgba));
    write("8-wal", IMAGE_TYPE_WAL, encodeWal(8, 8, rgba));
    for (const SampleImage& sample : subFormatSamples())
        write(sample.name, sample.imageType, sample.file);
    return 0;
}
