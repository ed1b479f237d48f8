// Long random sequences of commands and control edits. After every step the
// editor's references are live or none and every stage's frame list agrees
// with its count; after every Save the file reads back to the library.
#include "editor_fixture.h"

#include "numbers.h"

#include <strings.h>

#include <cstring>
#include <random>
#include <set>
#include <sstream>

namespace {

const char* const NAMES[] = {"alpha", "Beta", "GAMMA", "delta", "beta"};
const char* const TEXTS[] = {"", "0", "2.5x", "-1.25", "300", "16", "abc", "0.1234567", "1e3",
                             "pics/a.tga", "ab", "x", "ALPHA", "frame.tga"};
const int EDIT_BOXES[] = {IDC_TEXTURE_MAP, IDC_SCROLL_X, IDC_SCROLL_Y, IDC_SCALE_X, IDC_SCALE_Y,
                          IDC_ALPHA_MIN, IDC_ALPHA_MAX, IDC_ALPHA_SPEED, IDC_ANIM_DELAY,
                          IDC_ROTATE_SPEED, IDC_SUBDIVIDE, IDC_WARP_SPEED, IDC_WARP_DISTANCE,
                          IDC_WARP_SMOOTHNESS, IDC_FRAME_NAME, IDC_SCRIPT_NAME};
const int CHECK_BOXES[] = {IDC_ALPHA_MASK, IDC_SPHERE_MAPPING, IDC_BLENDFUNC, IDC_SAFE};
const int COMBOS[] = {IDC_SCROLL_TYPE_X, IDC_SCROLL_TYPE_Y, IDC_SCALE_TYPE_X, IDC_SCALE_TYPE_Y,
                      IDC_BLEND_SRC, IDC_BLEND_DST};
const int COMMANDS[] = {IDC_STAGE_ADD, IDC_STAGE_DELETE, IDC_SCRIPT_ADD, IDC_SCRIPT_DELETE,
                        IDC_SCRIPT_UPDATE, IDC_SUBMIT, IDC_FRAME_ADD, IDC_FRAME_DELETE,
                        IDC_FRAME_UPDATE, 1007, 1012};
const int LISTS[] = {IDC_SCRIPT_LIST, IDC_STAGE_LIST, IDC_FRAME_LIST};

// The library as the writer and the reader see it: each value in the form
// that survives a write and a read.
std::string number(float value) {
    char text[64];
    formatFloat(text, sizeof text, value);
    return text;
}

int readerSubdivide(int n) {
    if (n >= 128) n = 128;
    if (n <= 8) n = 8;
    int p = 2;
    while (p <= n) p *= 2;
    return p / 2;
}

std::string describeStage(const Stage* st) {
    std::ostringstream out;
    out << "  map " << (strlen(st->map) >= 3 ? st->map : "pics/noimage.tga")
        << " mask " << st->alphamask << " env " << st->envmap;
    if (st->alphaSpeed > 0 || st->alphaMin > 0)
        out << " alpha " << number(st->alphaSpeed) << number(st->alphaMin) << number(st->alphaMax);
    if (st->blendEnabled)
        out << " blend " << blendFactorFromName(blendFactorName(st->blendSrc)) << ' '
            << blendFactorFromName(blendFactorName(st->blendDst));
    if (st->scrollX != 0 || st->scrollY != 0)
        out << " scroll " << (int)waveTypeFromName(waveTypeName(st->scrollTypeX)) << number(st->scrollX)
            << (int)waveTypeFromName(waveTypeName(st->scrollTypeY)) << number(st->scrollY);
    if (st->scaleX != 0 || st->scaleY != 0)
        out << " scale " << (int)waveTypeFromName(waveTypeName(st->scaleTypeX)) << number(st->scaleX)
            << (int)waveTypeFromName(waveTypeName(st->scaleTypeY)) << number(st->scaleY);
    std::string frames;  // an empty name writes nothing
    for (const AnimFrame* f = st->animFrames; f; f = f->next)
        if (f->name[0]) frames += std::string(" ") + f->name;
    if (st->animFrameCount && !frames.empty()) out << " anim " << number(st->animDelay) << frames;
    if (st->rotateSpeed != 0) out << " rotate " << number(st->rotateSpeed);
    return out.str() + "\n";
}

// Later scripts of the same name replace earlier ones when read.
std::string describeLibrary() {
    std::vector<const Script*> kept;
    for (const Script* s = scriptLibrary; s; s = s->next) {
        std::erase_if(kept, [s](const Script* k) { return strcasecmp(k->name, s->name) == 0; });
        kept.push_back(s);
    }
    std::ostringstream out;
    for (const Script* s : kept) {
        out << s->name << " subdivide " << (s->subdivide ? readerSubdivide(s->subdivide) : 0)
            << " safe " << s->safe;
        if (s->warpDistance != 0) {
            float smooth = (float)textToDouble(number(s->warpSmoothness).c_str());
            smooth = !(smooth > 0.001f) ? 0.001f : smooth >= 1.0f ? 1.0f : smooth;
            out << " warp " << number(s->warpSpeed) << number(s->warpDistance) << number(smooth);
        }
        out << "\n";
        for (const Stage* st = s->stages; st; st = st->next) out << describeStage(st);
    }
    return out.str();
}

std::string randomFile(std::mt19937& rng) {
    auto pickOne = [&](auto& array) { return array[rng() % std::size(array)]; };
    std::ostringstream out;
    for (int s = rng() % 3; s >= 0; s--) {
        out << pickOne(NAMES) << "\n{\n\tsubdivide " << rng() % 200 << "\n";
        if (rng() % 2) out << "\tsafe\n\tvertexwarp 1 2 " << rng() % 3 << "\n";
        for (int st = rng() % 4; st > 0; st--) {
            out << "\t{\n\t\tmap pics/s" << rng() % 5 << ".tga\n\t\tblendfunc GL_ONE GL_SRC_ALPHA\n";
            if (rng() % 2) out << "\t\tanim 0.5 f1.tga f2.tga end\n\t\tnolightmap\n";
            out << "\t\tscroll sine 1 cosine " << rng() % 4 << "\n\t\talphashift 1 0.5 1\n\t}\n";
        }
        out << "}\n";
    }
    return out.str();
}

template <typename Record>
bool inList(const Record* head, const Record* wanted) {
    for (; head; head = head->next)
        if (head == wanted) return true;
    return false;
}

}  // namespace

struct RandomCommands : EditorTest, ::testing::WithParamInterface<unsigned> {
    void checkInvariants() {
        bool stageLive = currentStage == nullptr;
        for (const Script* s = scriptLibrary; s; s = s->next) {
            stageLive = stageLive || inList(s->stages, currentStage);
            for (const Stage* st = s->stages; st; st = st->next) {
                int length = 0;
                for (const AnimFrame* f = st->animFrames; f; f = f->next) length++;
                ASSERT_EQ(st->animFrameCount, length);
                ASSERT_TRUE(!st->animCurrent || inList(st->animFrames, st->animCurrent));
            }
        }
        ASSERT_TRUE(!currentScript || inList(scriptLibrary, currentScript));
        ASSERT_TRUE(stageLive);
    }

    // Reads the saved file into a library of its own and compares.
    void checkRoundTrip(const std::string& path) {
        std::string expected = describeLibrary();
        Script* edited = scriptLibrary;
        scriptLibrary = nullptr;
        readScriptFile(path.c_str());
        std::string actual = describeLibrary();
        freeAllScripts();
        scriptLibrary = edited;
        ASSERT_EQ(actual, expected) << readFile(path);
    }
};

TEST_P(RandomCommands, KeepReferencesLiveAndSavesReadBack) {
    std::mt19937 rng(GetParam());
    auto pickOne = [&](auto& array) { return array[rng() % std::size(array)]; };
    int saves = 0;
    for (int step = 0; step < 4000; step++) {
        int action = rng() % 100;
        if (action < 20) {
            int list = pickOne(LISTS);
            pick(list, (int)(rng() % (entries(list).size() + 1)) - 1);
        } else if (action < 40) {
            type(pickOne(EDIT_BOXES), rng() % 4 ? pickOne(TEXTS) : pickOne(NAMES));
        } else if (action < 45) {
            store.setCheck(pickOne(CHECK_BOXES), rng() % 2);
        } else if (action < 52) {
            int combo = pickOne(COMBOS);
            store.comboSetSelection(combo, (int)(rng() % 10) - 1);
        } else if (action < 90) {
            command(pickOne(COMMANDS));
        } else if (action < 95) {
            // Earlier saves are opened too, so scripts come back under the same names.
            std::string path = saves && rng() % 2 ? (dir / "out.txt").string() : writeFile("in.txt", randomFile(rng));
            if (rng() % 8) store.answerDialog(path);
            command(IDM_FILE_OPEN);
        } else {
            std::string path = (dir / "out.txt").string();
            store.answerDialog(path);
            command(IDM_FILE_SAVE);
            saves++;
            ASSERT_NO_FATAL_FAILURE(checkRoundTrip(path)) << "step " << step;
        }
        ASSERT_NO_FATAL_FAILURE(checkInvariants()) << "step " << step << " action " << action;
    }
    EXPECT_GT(saves, 0);
    EXPECT_TRUE(store.messagesShown.empty());
}

INSTANTIATE_TEST_SUITE_P(Seeds, RandomCommands, ::testing::Values(1u, 2u, 3u, 4u, 5u, 6u));
