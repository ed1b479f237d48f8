// Whole-script records outside the library: deep copies, the comparison that decides whether
// a change is a step, the exchange of contents, the relinking of the library and positions.
#include <cmath>
#include <span>

#include "model_fixture.h"
#include "script_copy.h"

namespace {

const std::string TWO_STAGES =
    "a { subdivide 16 vertexwarp 1 2 0.5 safe { map m.tga anim 0.5 f1 f2 f3 end } { map n.tga "
    "blendfunc gl_one gl_one alphashift 1 2 3 scroll sine 1 static 2 scale static 3 sine 4 "
    "rotate 5 envmap alphamask } }";

struct Change {
    const char* what;
    void (*edit)(Script*);
    bool differs;
};

// Rows that set one value of the script, or of its second stage.
#define SCRIPT_VALUE(field, value) (Change{#field, [](Script* s) { s->field = value; }, true})
#define STAGE_VALUE(field, value) \
    (Change{"stage " #field, [](Script* s) { s->stages->next->field = value; }, true})

}  // namespace

using ScriptCopy = ModelTest;

// A copy holds the same values in records of its own, unlinked; the view state starts afresh:
// no texture slots, not resolved, each animation at its first frame.
TEST_F(ScriptCopy, CopiesAreDeepAndStartTheirViewAfresh) {
    read(TWO_STAGES);
    const std::string written = writtenText(library);
    read("b { }");
    Script* source = library.scripts;
    source->texturesResolved = 1;
    source->stages->animFrames->texture = 8;
    source->stages->animCurrent = source->stages->animFrames->next;
    for (Stage* stage = source->stages; stage; stage = stage->next) {
        stage->texture = 7;
        stage->animNextTime = 2.5f;
    }
    ScriptLibrary copies;
    copies.scripts = copyScript(source);
    removeScript(library, source);  // the copy shares nothing with it
    EXPECT_EQ(writtenText(copies), written);
    const Script* copy = copies.scripts;
    EXPECT_EQ(copy->texturesResolved, 0);
    EXPECT_EQ(copy->stages->animFrames->texture, 0);
    for (const Stage* stage = copy->stages; stage; stage = stage->next) {
        SCOPED_TRACE(stage->map);
        EXPECT_EQ(stage->texture, 0);
        EXPECT_EQ(stage->animNextTime, 0.0f);
        EXPECT_EQ(stage->animCurrent, stage->animFrames);
    }
}

// Each row changes one value of a copy: every value the file holds is a difference, in either
// order; the view state is not. Floats compare by their bits: NaN again is no change, -0 is.
TEST_F(ScriptCopy, SameContentSeesEveryValueTheFileHolds) {
    read(TWO_STAGES);
    Script* base = library.scripts;
    base->warpSpeed = NAN;
    const Change values[] = {SCRIPT_VALUE(name[0], 'A'),    SCRIPT_VALUE(subdivide, 32),
                             SCRIPT_VALUE(warpDistance, 9), SCRIPT_VALUE(warpSmoothness, 9),
                             SCRIPT_VALUE(warpSpeed, 9),    SCRIPT_VALUE(safe, 0),
                             STAGE_VALUE(map[0], 'o'),      STAGE_VALUE(animDelay, 9),
                             STAGE_VALUE(blendSrc, 9),      STAGE_VALUE(blendDst, 9),
                             STAGE_VALUE(blendEnabled, 0),  STAGE_VALUE(alphaMin, 9),
                             STAGE_VALUE(alphaMax, 9),      STAGE_VALUE(alphaSpeed, 9),
                             STAGE_VALUE(scrollTypeX, 2),   STAGE_VALUE(scrollTypeY, 2),
                             STAGE_VALUE(scrollX, 9),       STAGE_VALUE(scrollY, 9),
                             STAGE_VALUE(scaleTypeX, 2),    STAGE_VALUE(scaleTypeY, 2),
                             STAGE_VALUE(scaleX, 9),        STAGE_VALUE(scaleY, 9),
                             STAGE_VALUE(rotateSpeed, 9),   STAGE_VALUE(envmap, 0),
                             STAGE_VALUE(lightmap, 0),      STAGE_VALUE(alphamask, 0)};
    const Change others[] = {SCRIPT_VALUE(stages->animFrames->next->name[1], '9'),
                             SCRIPT_VALUE(stages->rotateSpeed, -0.0f),
                             {"a stage more", [](Script* s) { appendStage(s); }, true},
                             {"a stage less", [](Script* s) { deleteStageAt(s, 1); }, true},
                             {"a frame more",
                              [](Script* s) {
                                  s->stages->animFrames->next->next->next = allocateFrame();
                                  s->stages->animFrameCount++;
                              },
                              true},
                             {"NaN again", [](Script* s) { s->warpSpeed = NAN; }, false},
                             {"the view",
                              [](Script* s) {
                                  s->texturesResolved = 1;
                                  s->stages->texture = 3;
                                  s->stages->animFrames->texture = 3;
                                  s->stages->animCurrent = s->stages->animFrames->next;
                                  s->stages->animNextTime = 1.0f;
                              },
                              false}};
    for (std::span<const Change> rows :
         {std::span<const Change>(values), std::span<const Change>(others)}) {
        for (const Change& row : rows) {
            Script* copy = copyScript(base);
            row.edit(copy);
            EXPECT_EQ(sameScriptContent(base, copy), !row.differs) << row.what;
            EXPECT_EQ(sameScriptContent(copy, base), !row.differs) << row.what << ", the other way";
            freeDetachedScript(copy);
        }
    }
}

// An exchange swaps everything but the list link: each record stays where it is linked, a
// detached one stays detached.
TEST_F(ScriptCopy, SwapKeepsEachRecordWhereItIsLinked) {
    read("a { safe } b { } c { }");
    Script* const a = library.scripts;
    Script* const c = a->next->next;
    Script* detached = copyScript(c);
    copyText(detached->name, "x");
    swapScriptContent(a, detached);
    swapScriptContent(c, a);
    EXPECT_EQ(layout(), "c { } b { } x { }");
    EXPECT_EQ(detached->next, nullptr);
    EXPECT_EQ(squeezed(scriptText(detached)), "a { safe }");
    freeDetachedScript(detached);
}

// Each row: the positions unlinked from a library of a b c d, the positions in the result
// that x, y and z are linked in at, and the library after. The unlinked records are detached:
// neither they nor their stages have a position in the library, nor a stage past their end.
TEST_F(ScriptCopy, SpliceRelinksTheLibrary) {
    const struct {
        std::vector<int> removed;
        std::vector<int> inserted;
        const char* after;
    } rows[] = {{{0, 3}, {}, "b c"},        {{}, {0}, "x a b c d"},        {{}, {4}, "a b c d x"},
                {{}, {9}, "a b c d x"},     {{}, {1, 2}, "a x y b c d"},   {{1, 2}, {1}, "a x d"},
                {{0}, {0, 2}, "x b y c d"}, {{0, 1, 2, 3}, {0, 1}, "x y"}, {{3}, {3}, "a b c x"}};
    for (const auto& [removedAt, insertedAt, after] : rows) {
        ScriptLibrary rowLibrary, extras;
        readText(rowLibrary, "a { { } } b { { } } c { { } } d { { } }");
        readText(extras, "x { { } } y { { } } z { { } }");
        std::vector<ScriptAt> removed, inserted;
        for (int index : removedAt)
            removed.push_back({index, findScript(rowLibrary, std::string(1, 'a' + index).c_str())});
        for (int index : insertedAt) {
            inserted.push_back({index, extras.scripts});
            unlinkScript(extras, extras.scripts);
        }
        spliceLibrary(rowLibrary, removed.data(), (int)removed.size(), inserted.data(),
                      (int)inserted.size());
        std::string names;
        for (const Script* script = rowLibrary.scripts; script; script = script->next)
            names += (names.empty() ? "" : " ") + std::string(script->name);
        EXPECT_EQ(names, after);
        for (const ScriptAt& at : inserted)
            EXPECT_EQ(stageOwner(rowLibrary, at.script->stages), at.script) << after;
        for (const ScriptAt& at : removed) {
            EXPECT_EQ(at.script->next, nullptr) << after;
            EXPECT_EQ(scriptIndex(rowLibrary, at.script), -1) << after;
            EXPECT_EQ(stageIndex(rowLibrary.scripts, at.script->stages), -1) << after;
            EXPECT_EQ(stageOwner(rowLibrary, at.script->stages), nullptr) << after;
            EXPECT_EQ(stageAt(at.script, 1), nullptr) << after;
            freeDetachedScript(at.script);
        }
    }
}
