// The controls of the stage panel and of the script controls, each with the record field it
// stands for, and the values a test fills them with round after round: the tables of the
// editor's and the windows' tests.
#pragma once

#include "control_ids.h"
#include "script_model.h"

#include <charconv>
#include <iterator>
#include <string>
#include <vector>

// A field of the stage or of the script, as a number.
using FieldOf = double (*)(const Script&, const Stage&);
template <auto Field>
double stageField(const Script&, const Stage& stage) {
    return static_cast<double>(stage.*Field);
}
template <auto Field>
double scriptField(const Script& script, const Stage&) {
    return static_cast<double>(script.*Field);
}

// Every row takes another value in some round, so a control that never commits or never
// shows fails a round; and no two rows take the same values in every round, so no two
// controls can swap unseen. The number boxes' values differ by box and by round.
constexpr int ROUNDS = 3;

struct NumberBox {
    int id;
    FieldOf field;
};

inline const NumberBox NUMBER_BOXES[] = {
    {IDC_SCROLL_X, stageField<&Stage::scrollX>},
    {IDC_SCROLL_Y, stageField<&Stage::scrollY>},
    {IDC_SCALE_X, stageField<&Stage::scaleX>},
    {IDC_SCALE_Y, stageField<&Stage::scaleY>},
    {IDC_ROTATE_SPEED, stageField<&Stage::rotateSpeed>},
    {IDC_ALPHA_MIN, stageField<&Stage::alphaMin>},
    {IDC_ALPHA_MAX, stageField<&Stage::alphaMax>},
    {IDC_ALPHA_SPEED, stageField<&Stage::alphaSpeed>},
    {IDC_ANIM_DELAY, stageField<&Stage::animDelay>},
    {IDC_WARP_SPEED, scriptField<&Script::warpSpeed>},
    {IDC_WARP_DISTANCE, scriptField<&Script::warpDistance>},
    {IDC_WARP_SMOOTHNESS, scriptField<&Script::warpSmoothness>},
    {IDC_SUBDIVIDE, scriptField<&Script::subdivide>},
};

// A drop-down list or check box, the entry chosen (1: checked) each round, and the value
// its field then holds. With Blendfunc off both blend lists show GL_ZERO, so the round
// that turns it off chooses GL_ZERO in both.
struct ChoiceControl {
    int id;
    bool checkBox;
    int chosen[ROUNDS];
    double value[ROUNDS];
    FieldOf field;
};

inline const ChoiceControl CHOICES[] = {
    {IDC_SCROLL_TYPE_X, false, {1, 0, 2}, {1, 0, 2}, stageField<&Stage::scrollTypeX>},
    {IDC_SCROLL_TYPE_Y, false, {2, 1, 0}, {2, 1, 0}, stageField<&Stage::scrollTypeY>},
    {IDC_SCALE_TYPE_X, false, {0, 2, 1}, {0, 2, 1}, stageField<&Stage::scaleTypeX>},
    {IDC_SCALE_TYPE_Y, false, {2, 0, 1}, {2, 0, 1}, stageField<&Stage::scaleTypeY>},
    // GL_SRC_ALPHA, GL_DST_COLOR, GL_ZERO; GL_ONE_MINUS_DST_ALPHA, GL_ONE_MINUS_SRC_COLOR, GL_ZERO.
    {IDC_BLEND_SRC, false, {4, 2, 0}, {770, 774, 0}, stageField<&Stage::blendSrc>},
    {IDC_BLEND_DST, false, {7, 3, 0}, {773, 769, 0}, stageField<&Stage::blendDst>},
    {IDC_ALPHA_MASK, true, {1, 0, 1}, {1, 0, 1}, stageField<&Stage::alphamask>},
    {IDC_SPHERE_MAPPING, true, {0, 1, 1}, {0, 1, 1}, stageField<&Stage::envmap>},
    {IDC_BLENDFUNC, true, {1, 1, 0}, {1, 1, 0}, stageField<&Stage::blendEnabled>},
    {IDC_SAFE, true, {0, 1, 0}, {0, 1, 0}, scriptField<&Script::safe>},
};

// The value written with a '.', whatever the locale.
inline std::string withPoint(double value, int decimals) {
    char text[32];
    return {text,
            std::to_chars(text, std::end(text), value, std::chars_format::fixed, decimals).ptr};
}

// The value typed into NUMBER_BOXES[box] in a round: each box and round its own.
inline double typedValue(size_t box, int round) {
    if (NUMBER_BOXES[box].id == IDC_SUBDIVIDE) return 8 << (2 * round);
    return 0.25 * (double)(box + 1) + 10 * round;
}

// The text NUMBER_BOXES[box] shows for the value typed in a round: six decimals, or none
// for Subdivide.
inline std::string shownText(size_t box, int round) {
    const int decimals = NUMBER_BOXES[box].id == IDC_SUBDIVIDE ? 0 : 6;
    return withPoint(typedValue(box, round), decimals);
}

// The controls whose record field does not hold what was typed or chosen in a round.
inline std::vector<int> fieldsNotAsTyped(const Script& script, const Stage& stage, int round) {
    std::vector<int> wrong;
    for (size_t i = 0; i < std::size(NUMBER_BOXES); i++)
        if (NUMBER_BOXES[i].field(script, stage) != (float)typedValue(i, round))
            wrong.push_back(NUMBER_BOXES[i].id);
    for (const ChoiceControl& c : CHOICES)
        if (c.field(script, stage) != c.value[round]) wrong.push_back(c.id);
    return wrong;
}
