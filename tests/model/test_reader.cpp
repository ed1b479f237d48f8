// The reader: braces and levels, every keyword with its defaults and
// clamps, cut-off text, and how a file merges into the library.
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "library_fixture.h"

using Reader = LibraryTest;

static Stage* onlyStage(const char* scriptName) {
    Script* script = findScript(scriptName);
    if (!script || !script->stages || script->stages->next)
        return nullptr;
    return script->stages;
}

static std::vector<std::string> scriptNames() {
    std::vector<std::string> names;
    for (Script* script : libraryScripts())
        names.push_back(script->name);
    return names;
}

TEST_F(Reader, BracesCountOnlyBetweenSeparators) {
    read("sky { { map x } }");
    ASSERT_NE(onlyStage("sky"), nullptr);
    EXPECT_STREQ(onlyStage("sky")->map, "x");
    freeAllScripts();

    read("sky{ { map x } }");  // the first brace is part of the name
    EXPECT_EQ(scriptNames(), (std::vector<std::string>{"sky{", "}"}));
    EXPECT_EQ(findScript("sky{")->stages, nullptr);
    freeAllScripts();

    read("\r\n}\tsafe  a b\n{ }");
    EXPECT_EQ(scriptNames(), (std::vector<std::string>{"}", "safe", "a", "b"}));
    EXPECT_EQ(findScript("safe")->safe, 0);
}

TEST_F(Reader, KeywordsCountOnlyAtTheirOwnLevel) {
    read("s { map x.tga safe { safe map y.tga SAFE } }");
    Script* script = findScript("s");
    EXPECT_EQ(script->safe, 1);
    EXPECT_STREQ(onlyStage("s")->map, "y.tga");
    freeAllScripts();

    read("s { { { map a.tga } map b.tga } }");  // no nested stages
    EXPECT_STREQ(onlyStage("s")->map, "a.tga");
    EXPECT_EQ(scriptNames(), (std::vector<std::string>{"s", "}"}));
}

TEST_F(Reader, StageDefaultsAndEveryStageKeyword) {
    read("s { { } { MAP m.tga Scroll sine 0.5 COSINE -2 scale cosine 3 junk 4 rotate 45 "
         "blendfunc gl_src_alpha GL_ONE_minus_SRC_ALPHA alphashift 1.5 0.25 0.75 "
         "envmap alphamask nolightmap anim 0.1 a b c END } }");
    std::vector<Stage*> stages = stagesOf(findScript("s"));
    ASSERT_EQ(stages.size(), 2u);
    const Stage& plain = *stages[0];
    EXPECT_STREQ(plain.map, "pics/noimage.tga");
    EXPECT_EQ(plain.blendEnabled, 0);
    EXPECT_EQ(plain.lightmap, 1);
    EXPECT_EQ(plain.animFrames, nullptr);

    const Stage& full = *stages[1];
    EXPECT_STREQ(full.map, "m.tga");
    EXPECT_EQ(full.scrollTypeX, WAVE_SINE);
    EXPECT_EQ(full.scrollX, 0.5f);
    EXPECT_EQ(full.scrollTypeY, WAVE_COSINE);
    EXPECT_EQ(full.scrollY, -2.0f);
    EXPECT_EQ(full.scaleTypeX, WAVE_COSINE);
    EXPECT_EQ(full.scaleX, 3.0f);
    EXPECT_EQ(full.scaleTypeY, WAVE_STATIC);
    EXPECT_EQ(full.scaleY, 4.0f);
    EXPECT_EQ(full.rotateSpeed, 45.0f);
    EXPECT_EQ(full.blendEnabled, 1);
    EXPECT_EQ(full.blendSrc, 770.0f);
    EXPECT_EQ(full.blendDst, 771.0f);
    EXPECT_EQ(full.alphaSpeed, 1.5f);
    EXPECT_EQ(full.alphaMin, 0.25f);
    EXPECT_EQ(full.alphaMax, 0.75f);
    EXPECT_EQ(full.envmap, 1);
    EXPECT_EQ(full.alphamask, 1);
    EXPECT_EQ(full.lightmap, 0);
    EXPECT_EQ(full.animDelay, 0.1f);
    EXPECT_EQ(frameNames(&full), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(full.animFrameCount, 3);
    EXPECT_EQ(full.animCurrent, full.animFrames);
}

TEST_F(Reader, ScriptKeywordsAndTheirClamps) {
    const std::pair<const char*, int> subdivisions[] = {
        {"100", 64}, {"7", 8}, {"500", 128}, {"16", 16}, {"31", 16}, {"-5", 8},
        {"x", 8}, {"128", 128}, {"99999999999", 128}, {"-99999999999", 8}};
    for (auto [text, expected] : subdivisions) {
        read(std::string("s { subdivide ") + text + " }");
        EXPECT_EQ(findScript("s")->subdivide, expected) << text;
    }
    const std::pair<const char*, float> smoothness[] = {
        {"0", 0.001f}, {"5", 1.0f}, {"1", 1.0f}, {"0.5", 0.5f}, {"nan", 0.001f}, {"-3", 0.001f}};
    for (auto [text, expected] : smoothness) {
        read(std::string("s { vertexwarp 1 2 ") + text + " }");
        Script* script = findScript("s");
        EXPECT_EQ(script->warpSmoothness, expected) << text;
        EXPECT_EQ(script->warpSpeed, 1.0f);
        EXPECT_EQ(script->warpDistance, 2.0f);
    }
}

TEST_F(Reader, WordTables) {
    EXPECT_EQ(waveTypeFromName("SINE"), WAVE_SINE);
    EXPECT_EQ(waveTypeFromName("cosine"), WAVE_COSINE);
    EXPECT_EQ(waveTypeFromName("square"), WAVE_STATIC);
    EXPECT_STREQ(waveTypeName(7), "static");
    const char* names[] = {"GL_ZERO", "GL_ONE", "GL_SRC_COLOR", "GL_ONE_MINUS_SRC_COLOR",
                           "GL_SRC_ALPHA", "GL_ONE_MINUS_SRC_ALPHA", "GL_DST_ALPHA",
                           "GL_ONE_MINUS_DST_ALPHA", "GL_DST_COLOR", "GL_ONE_MINUS_DST_COLOR",
                           "GL_SRC_ALPHA_SATURATE"};
    for (const char* name : names)
        EXPECT_STREQ(blendFactorName(blendFactorFromName(name)), name);
    EXPECT_EQ(blendFactorFromName("gl_dst_color"), 774.0f);
    EXPECT_EQ(blendFactorFromName(""), 0.0f);
    EXPECT_EQ(blendFactorFromName("GL_ONE_"), 0.0f);

    read("s { { blendfunc nonsense gl_one } }");
    EXPECT_EQ(onlyStage("s")->blendSrc, 0.0f);
    EXPECT_EQ(onlyStage("s")->blendDst, 1.0f);
}

TEST_F(Reader, AnimationFrames) {
    read("s { { anim 0.1 end } }");
    EXPECT_EQ(onlyStage("s")->animFrameCount, 0);
    EXPECT_EQ(onlyStage("s")->animFrames, nullptr);

    read("s { { anim 0.1 a } b END map c.tga } }");
    EXPECT_EQ(frameNames(onlyStage("s")), (std::vector<std::string>{"a", "}", "b"}));
    EXPECT_STREQ(onlyStage("s")->map, "c.tga");

    read("s { { anim 1 a b end anim 2 c end } }");  // the second list replaces the first
    EXPECT_EQ(frameNames(onlyStage("s")), std::vector<std::string>{"c"});
    EXPECT_EQ(onlyStage("s")->animFrameCount, 1);
    EXPECT_EQ(onlyStage("s")->animDelay, 2.0f);

    std::string many = "s { { anim 0.5";
    for (int i = 0; i < 300; i++)
        many += " f" + std::to_string(i);
    read(many + " end envmap } }");
    Stage* stage = onlyStage("s");
    EXPECT_EQ(stage->animFrameCount, 255);
    EXPECT_EQ(frameNames(stage).size(), 255u);
    EXPECT_EQ(frameNames(stage).back(), "f254");
    EXPECT_EQ(stage->envmap, 1);
}

TEST_F(Reader, LongTextIsCutToItsArray) {
    std::string name(60, 'n'), texture(300, 't');
    std::string text = name + "x { { map " + texture + " anim 1 " + texture + "f end } }";
    read(text);
    read(text);  // still one script: the cut name is the script's name
    ASSERT_EQ(scriptNames(), std::vector<std::string>{name.substr(0, 47)});
    Stage* stage = onlyStage(name.substr(0, 47).c_str());
    EXPECT_EQ(std::string(stage->map), texture.substr(0, 255));
    EXPECT_EQ(frameNames(stage), std::vector<std::string>{texture.substr(0, 255)});
}

TEST_F(Reader, TextCutOffInsideAKeywordTakesWhatIsThere) {
    read("a { { scroll sine 0.5");
    Stage* stage = onlyStage("a");
    EXPECT_EQ(stage->scrollTypeX, WAVE_SINE);
    EXPECT_EQ(stage->scrollX, 0.5f);
    EXPECT_EQ(stage->scrollTypeY, WAVE_STATIC);

    read("b { { anim 0.25 x y");
    EXPECT_EQ(frameNames(onlyStage("b")), (std::vector<std::string>{"x", "y"}));
    EXPECT_EQ(onlyStage("b")->animCurrent, onlyStage("b")->animFrames);

    read("c { vertexwarp 3");
    EXPECT_EQ(findScript("c")->warpSpeed, 3.0f);
    read("d { { map");
    EXPECT_STREQ(onlyStage("d")->map, "pics/noimage.tga");
    EXPECT_EQ(scriptNames(), (std::vector<std::string>{"a", "b", "c", "d"}));

    // The text ends at its first NUL byte, whatever follows.
    read(std::string("e { safe }\0f { }", 16));
    EXPECT_EQ(findScript("f"), nullptr);
    EXPECT_EQ(findScript("e")->safe, 1);
}

TEST_F(Reader, ABodyBeforeAnyNameBelongsToNoScript) {
    Script* old = appendScript("old");
    read("{ safe subdivide 16 { map x.tga anim 1 a end } } next { safe }");
    EXPECT_EQ(scriptNames(), (std::vector<std::string>{"old", "next"}));
    EXPECT_EQ(old->safe, 0);
    EXPECT_EQ(old->stages, nullptr);
    EXPECT_EQ(findScript("next")->safe, 1);
}

static std::vector<std::string> releasedMaps;

static void noteRelease(Script* script) {
    releasedMaps.push_back(script->stages ? script->stages->map : "");
}

TEST_F(Reader, FilesMergeReplacingScriptsOfTheSameName) {
    read("keep { safe } Sky { { map a.tga } }");
    Script* keep = findScript("keep");
    releasedMaps.clear();
    scriptReleasedHook = noteRelease;
    read("SKY { { map b.tga } } new { } sky { { map c.tga } }");
    scriptReleasedHook = nullptr;
    EXPECT_EQ(scriptNames(), (std::vector<std::string>{"keep", "new", "sky"}));
    EXPECT_EQ(findScript("keep"), keep);
    EXPECT_STREQ(onlyStage("sky")->map, "c.tga");
    // Every replaced script is announced once, with its stages still there.
    EXPECT_EQ(releasedMaps, (std::vector<std::string>{"a.tga", "b.tga"}));

    read("keep { }");  // a second read of a name moves it to the tail
    EXPECT_EQ(scriptNames(), (std::vector<std::string>{"new", "sky", "keep"}));
    EXPECT_EQ(findScript("keep")->safe, 0);
}

TEST_F(Reader, FilesThatCannotBeReadChangeNothing) {
    appendScript("old");
    readScriptFile(pathOf("missing.txt").c_str());
    readScriptFile(folder.c_str());
    EXPECT_EQ(scriptNames(), std::vector<std::string>{"old"});

    putFile(pathOf("one.txt"), "a\r\n{\r\n\t{\r\n\t\tmap x.tga\r\n\t}\r\n}\r\n");
    readScriptFile(pathOf("one.txt").c_str());
    EXPECT_STREQ(onlyStage("a")->map, "x.tga");
}

// The reader's index must give exactly what looking up, removing and
// appending name by name gives, also when the library already holds
// duplicates (made by the editor) and names that differ only in case or
// past the 47th character.
TEST_F(Reader, MergeEqualsTheNameByNameAlgorithm) {
    std::mt19937 random(7);
    const std::string pool[] = {"a", "B", "c", std::string(50, 'x') + "1", std::string(50, 'X') + "2"};
    auto randomName = [&] {
        std::string name = pool[random() % 5];
        for (char& c : name)
            if (random() % 2)
                c = (char)(isupper((unsigned char)c) ? tolower(c) : toupper(c));
        return name;
    };
    for (int round = 0; round < 200; round++) {
        freeAllScripts();
        std::vector<std::pair<std::string, std::string>> expected;  // name, map
        int count = (int)(random() % 8);
        for (int i = 0; i < count; i++) {
            std::string map = "old" + std::to_string(i);
            Script* script = appendScript(randomName().c_str());
            copyText(appendStage(script)->map, map.c_str());
            expected.emplace_back(script->name, map);
        }
        std::string text;
        count = (int)(random() % 8);
        for (int i = 0; i < count; i++) {
            std::string name = randomName(), map = "new" + std::to_string(i);
            text += name + " { { map " + map + " } }\n";
            name.resize(std::min<size_t>(name.size(), 47));
            for (size_t j = 0; j < expected.size(); j++) {
                if (strcasecmp(expected[j].first.c_str(), name.c_str()) == 0) {
                    expected.erase(expected.begin() + (long)j);
                    break;
                }
            }
            expected.emplace_back(name, map);
        }
        read(text);
        std::vector<std::pair<std::string, std::string>> actual;
        for (Script* script : libraryScripts())
            actual.emplace_back(script->name, script->stages->map);
        ASSERT_EQ(actual, expected) << text;
    }
}
