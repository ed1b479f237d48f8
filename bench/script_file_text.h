// The script files the benchmarks read: generated, so that every run and
// every machine measures the same bytes.
#pragma once

#include <cstdio>
#include <string>

// A file like a merged set of game files: scripts of one to three stages
// with maps, blending, scrolling and the odd animation.
inline std::string makeFileText(int scripts) {
    std::string text;
    auto add = [&](const char* format, auto... values) {
        char line[512];
        snprintf(line, sizeof line, format, values...);
        text += line;
    };
    for (int i = 0; i < scripts; i++) {
        add("textures/level%d/surface_%d\n{\n%s%s", i % 37, i, i % 5 ? "" : "\tsubdivide 32\n",
            i % 11 ? "" : "\tvertexwarp 1.500000 0.250000 0.500000\n");
        add("\t{\n\t\tmap textures/level%d/base_%d.tga\n\t}\n", i % 37, i);
        if (i % 3 == 0)
            add("\t{\n\t\tmap textures/effects/glow_%d.jpg\n\t\talphashift 2.000000 0.200000 "
                "0.900000\n\t\tblendfunc "
                "GL_SRC_ALPHA GL_ONE\n\t\tscroll sine %f static -0.500000\n\t}\n",
                i % 13, 0.125 * (i % 7));
        if (i % 4 == 0)
            add("\t{\n\t\tmap textures/effects/flame.tga\n\t\tenvmap\n\t\tscale static 1.250000 "
                "static 1.250000\n\t\tanim "
                "0.100000 textures/anim/flame%d_0.tga textures/anim/flame%d_1.tga "
                "textures/anim/flame%d_2.tga "
                "textures/anim/flame%d_3.tga end\n\t\trotate 33.250000\n\t}\n",
                i % 97, i % 97, i % 97, i % 97);
        add("\t[\n\t\teditorimage textures/level%d/base_%d.tga\n\t]\n}\n\n", i % 37, i);
    }
    return text;
}
