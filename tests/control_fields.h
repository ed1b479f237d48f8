// The controls of the stage panel and of the script controls, each with the
// record field it stands for: the tables of the editor's and the windows' tests.
#pragma once

#include "control_ids.h"
#include "platform.h"
#include "script_model.h"

#include <cmath>
#include <functional>
#include <string>
#include <vector>

// A field of the stage or of the script, as a number.
template <auto Field>
double stageField(const Script&, const Stage& stage) {
    return static_cast<double>(stage.*Field);
}
template <auto Field>
double scriptField(const Script& script, const Stage&) {
    return static_cast<double>(script.*Field);
}

// A box of the panel or of the script controls and the record field it stands for.
struct NumberBox {
    int id;
    std::function<double(const Script&, const Stage&)> field;
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

// A drop-down list or check box, the entry chosen (or 1 for checked) in two rounds, and
// the field's value each round gives. In each round some pair differs that the other
// round leaves equal, so that no two controls can swap unseen.
struct ChoiceControl {
    int id;
    bool checkBox;
    int chosen[2];
    double value[2];
    std::function<double(const Script&, const Stage&)> field;
};

inline const ChoiceControl CHOICES[] = {
    {IDC_SCROLL_TYPE_X, false, {1, 0}, {1, 0}, stageField<&Stage::scrollTypeX>},
    {IDC_SCROLL_TYPE_Y, false, {2, 1}, {2, 1}, stageField<&Stage::scrollTypeY>},
    {IDC_SCALE_TYPE_X, false, {0, 2}, {0, 2}, stageField<&Stage::scaleTypeX>},
    {IDC_SCALE_TYPE_Y, false, {2, 0}, {2, 0}, stageField<&Stage::scaleTypeY>},
    // GL_SRC_ALPHA and GL_DST_COLOR; GL_ONE_MINUS_DST_ALPHA and GL_ONE_MINUS_SRC_COLOR.
    {IDC_BLEND_SRC, false, {4, 2}, {770, 774}, stageField<&Stage::blendSrc>},
    {IDC_BLEND_DST, false, {7, 3}, {773, 769}, stageField<&Stage::blendDst>},
    {IDC_ALPHA_MASK, true, {1, 0}, {1, 0}, stageField<&Stage::alphamask>},
    {IDC_SPHERE_MAPPING, true, {0, 0}, {0, 0}, stageField<&Stage::envmap>},
    {IDC_BLENDFUNC, true, {1, 1}, {1, 1}, stageField<&Stage::blendEnabled>},
    {IDC_SAFE, true, {0, 1}, {0, 1}, scriptField<&Script::safe>},
};

// A multiple of 0.25 written with a '.', whatever the locale.
inline std::string withPoint(double value, int decimals) {
    const int whole = (int)value;
    std::string text = std::to_string(whole);
    if (decimals == 0) return text;
    std::string fraction = std::to_string((int)std::lround((value - whole) * 100));
    fraction.insert(0, 2 - fraction.size(), '0');
    return text + "." + fraction + std::string(decimals - 2, '0');
}

// The value typed into NUMBER_BOXES[box] in a round: each box and round its own.
inline double typedValue(size_t box, int round) {
    if (NUMBER_BOXES[box].id == IDC_SUBDIVIDE) return 16 << (2 * round);
    return 0.25 * (double)(box + 1) + 10 * round;
}

// The text NUMBER_BOXES[box] shows for the value typed in a round: six decimals, or
// none for Subdivide.
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
