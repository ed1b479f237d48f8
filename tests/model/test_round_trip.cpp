// Random libraries written and read back equal the original, apart from
// exactly what the format cannot carry.
#include <cfloat>
#include <cmath>
#include <cstring>
#include <random>
#include <string>

#include "library_fixture.h"
#include "numbers.h"

namespace {

// What the random libraries avoid: separators in names, names the reader
// takes for syntax ("{" as a script name, "end" as a frame name) and two
// scripts whose names differ only in case, which a read merges into one.
struct RandomLibrary {
    std::mt19937 random;
    int scriptCount = 0;

    explicit RandomLibrary(unsigned seed) : random(seed) {}

    int below(int limit) { return (int)(random() % (unsigned)limit); }

    std::string word(int maxLength) {
        static const char letters[] = "abcXYZ019_./-";
        std::string text;
        int length = 1 + below(maxLength);
        for (int i = 0; i < length; i++)
            text += letters[below(sizeof letters - 1)];
        return text;
    }

    float number() {
        switch (below(6)) {
        case 0: return 0.0f;
        case 1: return (float)below(2000) / 8.0f - 100.0f;
        case 2: return (below(2) ? -1.0f : 1.0f) * (float)below(1000) * 1e-9f;  // below six decimals
        case 3: return std::ldexp((float)below(1 << 24), below(80) - 60) * (below(2) ? -1 : 1);
        case 4: return below(2) ? FLT_MAX : -FLT_MAX;
        default: {
            uint32_t bits = random() & 0xff7fffffu;  // any finite float
            float value;
            memcpy(&value, &bits, sizeof value);
            return value;
        }
        }
    }

    void fillStage(Stage* stage) {
        copyText(stage->map, below(4) ? word(300).c_str() : word(2).c_str());
        stage->texture = below(5);
        stage->animNextTime = number();
        stage->blendEnabled = below(2);
        stage->blendSrc = blendFactorFromName(below(2) ? "GL_SRC_ALPHA" : "GL_ONE_MINUS_DST_COLOR");
        stage->blendDst = blendFactorFromName(below(2) ? "GL_ONE" : "GL_SRC_ALPHA_SATURATE");
        float* numbers[] = {&stage->alphaMin, &stage->alphaMax, &stage->alphaSpeed, &stage->scrollX,
                            &stage->scrollY, &stage->scaleX, &stage->scaleY, &stage->rotateSpeed,
                            &stage->animDelay};
        for (float* value : numbers)
            *value = below(3) ? 0.0f : number();
        WaveType* waves[] = {&stage->scrollTypeX, &stage->scrollTypeY, &stage->scaleTypeX, &stage->scaleTypeY};
        for (WaveType* wave : waves)
            *wave = (WaveType)below(3);
        stage->envmap = below(2);
        stage->alphamask = below(2);
        stage->lightmap = below(2);
        int frames = below(3) ? 0 : below(2) ? 1 + below(4) : 255;
        AnimFrame** link = &stage->animFrames;
        for (int i = 0; i < frames; i++) {
            *link = (AnimFrame*)calloc(1, sizeof(AnimFrame));
            copyText((*link)->name, ("f" + word(280)).c_str());
            link = &(*link)->next;
            stage->animFrameCount++;
        }
        stage->animCurrent = frames ? stage->animFrames->next : nullptr;
    }

    void fillLibrary() {
        int scripts = below(12);
        for (int i = 0; i < scripts; i++) {
            std::string name = std::to_string(scriptCount++) + word(60);
            Script* script = appendScript(name.c_str());
            script->subdivide = (uint8_t)(below(2) ? 0 : below(256));
            script->safe = below(2);
            script->texturesResolved = below(2);
            script->warpSpeed = number();
            script->warpDistance = below(2) ? 0.0f : number();
            script->warpSmoothness = number();
            int stages = below(4);
            for (int j = 0; j < stages; j++)
                fillStage(below(2) ? appendStage(script) : appendEmptyStage(script));
        }
    }
};

float throughText(float value) {
    char text[64];
    formatFloat(text, sizeof text, value);
    return (float)textToDouble(text);
}

uint8_t roundedSubdivision(int value) {
    int count = std::max(8, std::min(128, value)), power = 2;
    while (power <= count)
        power *= 2;
    return (uint8_t)(power / 2);
}

// The script as a read of the written file gives it back.
void expectReadBack(const Script& original, const Script& read) {
    EXPECT_STREQ(read.name, original.name);
    EXPECT_EQ(read.subdivide, original.subdivide ? roundedSubdivision(original.subdivide) : 0);
    EXPECT_EQ(read.safe, original.safe);
    EXPECT_EQ(read.texturesResolved, 0);
    if (original.warpDistance != 0.0f) {
        EXPECT_EQ(read.warpSpeed, throughText(original.warpSpeed));
        EXPECT_EQ(read.warpDistance, throughText(original.warpDistance));
        float smoothness = throughText(original.warpSmoothness);
        EXPECT_EQ(read.warpSmoothness, smoothness > 0.001f ? std::min(smoothness, 1.0f) : 0.001f);
    } else {
        EXPECT_EQ(read.warpSpeed, 0.0f);
        EXPECT_EQ(read.warpDistance, 0.0f);
        EXPECT_EQ(read.warpSmoothness, 0.0f);
    }
    std::vector<Stage*> originals = stagesOf(&original), reads = stagesOf(&read);
    ASSERT_EQ(reads.size(), originals.size());
    for (size_t i = 0; i < reads.size(); i++) {
        const Stage& was = *originals[i];
        const Stage& is = *reads[i];
        EXPECT_STREQ(is.map, strlen(was.map) >= 3 ? was.map : "pics/noimage.tga");
        EXPECT_EQ(is.texture, 0);
        EXPECT_EQ(is.animNextTime, 0.0f);
        EXPECT_EQ(is.lightmap, 1);
        EXPECT_EQ(is.envmap, was.envmap);
        EXPECT_EQ(is.alphamask, was.alphamask);
        EXPECT_EQ(is.blendEnabled, was.blendEnabled);
        EXPECT_EQ(is.blendSrc, was.blendEnabled ? was.blendSrc : 0.0f);
        EXPECT_EQ(is.blendDst, was.blendEnabled ? was.blendDst : 0.0f);
        // A line is written when one of its values is set; otherwise its
        // fields read back as the defaults.
        auto expectLine = [](bool written, std::initializer_list<std::pair<float, float>> values) {
            for (auto [read, was] : values)
                EXPECT_EQ(read, written ? throughText(was) : 0.0f);
        };
        expectLine(was.alphaSpeed > 0.0f || was.alphaMin > 0.0f,
                   {{is.alphaSpeed, was.alphaSpeed}, {is.alphaMin, was.alphaMin}, {is.alphaMax, was.alphaMax}});
        bool scrollWritten = was.scrollX != 0.0f || was.scrollY != 0.0f;
        expectLine(scrollWritten, {{is.scrollX, was.scrollX}, {is.scrollY, was.scrollY}});
        bool scaleWritten = was.scaleX != 0.0f || was.scaleY != 0.0f;
        expectLine(scaleWritten, {{is.scaleX, was.scaleX}, {is.scaleY, was.scaleY}});
        expectLine(was.rotateSpeed != 0.0f, {{is.rotateSpeed, was.rotateSpeed}});
        expectLine(was.animFrameCount != 0, {{is.animDelay, was.animDelay}});
        WaveType waves[] = {is.scrollTypeX, is.scrollTypeY, is.scaleTypeX, is.scaleTypeY};
        WaveType wereWaves[] = {was.scrollTypeX, was.scrollTypeY, was.scaleTypeX, was.scaleTypeY};
        for (int w = 0; w < 4; w++)
            EXPECT_EQ(waves[w], (w < 2 ? scrollWritten : scaleWritten) ? wereWaves[w] : 0);
        EXPECT_EQ(is.animFrameCount, was.animFrameCount);
        EXPECT_EQ(frameNames(&is), frameNames(&was));
        EXPECT_EQ(is.animCurrent, is.animFrames);
    }
}

}  // namespace

TEST_F(LibraryTest, RandomLibrariesSurviveWriteAndRead) {
    RandomLibrary generator(1234);
    for (int round = 0; round < 150; round++) {
        generator.fillLibrary();
        std::string path = pathOf("round.txt");
        ASSERT_TRUE(writeScriptFile(path.c_str()));
        Script* originals = scriptLibrary;
        scriptLibrary = nullptr;
        readScriptFile(path.c_str());

        Script* read = scriptLibrary;
        for (Script* was = originals; was; was = was->next, read = read->next) {
            ASSERT_NE(read, nullptr);
            expectReadBack(*was, *read);
        }
        EXPECT_EQ(read, nullptr);
        freeAllScripts();
        scriptLibrary = originals;
        freeAllScripts();
    }
}
