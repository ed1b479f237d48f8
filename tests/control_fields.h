// The controls of the stage panel and of the script controls, each with the record field it
// stands for, and the values a test fills them with round after round.
#pragma once

#include "control_ids.h"
#include "control_store.h"
#include "script_model.h"

#include <charconv>
#include <iterator>
#include <string>
#include <type_traits>
#include <vector>

// A field of the stage or of the script, as a number.
using FieldOf = double (*)(const Script&, const Stage&);
template <auto Field>
double field(const Script& script, const Stage& stage) {
    if constexpr (std::is_invocable_v<decltype(Field), const Stage&>)
        return static_cast<double>(stage.*Field);
    else
        return static_cast<double>(script.*Field);
}

// Every row takes another value in some round, so a control that never commits or never
// shows fails a round; and no two rows take the same values in every round, so no two
// controls can swap unseen.
constexpr int ROUNDS = 3;

struct NumberBox {
    int id;
    FieldOf field;
};

inline const NumberBox NUMBER_BOXES[] = {
    {IDC_SCROLL_X, field<&Stage::scrollX>},
    {IDC_SCROLL_Y, field<&Stage::scrollY>},
    {IDC_SCALE_X, field<&Stage::scaleX>},
    {IDC_SCALE_Y, field<&Stage::scaleY>},
    {IDC_ROTATE_SPEED, field<&Stage::rotateSpeed>},
    {IDC_ALPHA_MIN, field<&Stage::alphaMin>},
    {IDC_ALPHA_MAX, field<&Stage::alphaMax>},
    {IDC_ALPHA_SPEED, field<&Stage::alphaSpeed>},
    {IDC_ANIM_DELAY, field<&Stage::animDelay>},
    {IDC_WARP_SPEED, field<&Script::warpSpeed>},
    {IDC_WARP_DISTANCE, field<&Script::warpDistance>},
    {IDC_WARP_SMOOTHNESS, field<&Script::warpSmoothness>},
    {IDC_SUBDIVIDE, field<&Script::subdivide>},
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
    {IDC_SCROLL_TYPE_X, false, {1, 0, 2}, {1, 0, 2}, field<&Stage::scrollTypeX>},
    {IDC_SCROLL_TYPE_Y, false, {2, 1, 0}, {2, 1, 0}, field<&Stage::scrollTypeY>},
    {IDC_SCALE_TYPE_X, false, {0, 2, 1}, {0, 2, 1}, field<&Stage::scaleTypeX>},
    {IDC_SCALE_TYPE_Y, false, {2, 0, 1}, {2, 0, 1}, field<&Stage::scaleTypeY>},
    // GL_SRC_ALPHA, GL_DST_COLOR, GL_ZERO; GL_ONE_MINUS_DST_ALPHA, GL_ONE_MINUS_SRC_COLOR, GL_ZERO.
    {IDC_BLEND_SRC, false, {4, 2, 0}, {770, 774, 0}, field<&Stage::blendSrc>},
    {IDC_BLEND_DST, false, {7, 3, 0}, {773, 769, 0}, field<&Stage::blendDst>},
    {IDC_ALPHA_MASK, true, {1, 0, 1}, {1, 0, 1}, field<&Stage::alphamask>},
    {IDC_SPHERE_MAPPING, true, {0, 1, 1}, {0, 1, 1}, field<&Stage::envmap>},
    {IDC_BLENDFUNC, true, {1, 1, 0}, {1, 1, 0}, field<&Stage::blendEnabled>},
    {IDC_SAFE, true, {0, 1, 0}, {0, 1, 0}, field<&Script::safe>},
};

// The value of NUMBER_BOXES[box] in a round, each box and round its own.
inline double typedValue(size_t box, int round) {
    if (NUMBER_BOXES[box].id == IDC_SUBDIVIDE) return 8 << (2 * round);
    return 0.25 * (double)(box + 1) + 10 * round;
}

// That value as its box shows it: six decimals after a '.', whatever the locale, or none for
// Subdivide.
inline std::string shownText(size_t box, int round) {
    char text[32];
    const int decimals = NUMBER_BOXES[box].id == IDC_SUBDIVIDE ? 0 : 6;
    return {text, std::to_chars(text, std::end(text), typedValue(box, round),
                                std::chars_format::fixed, decimals)
                      .ptr};
}

// The controls whose record field does not hold the round's value, or that do not show it.
inline std::vector<int> controlsNotAsTyped(ControlStore& ui, const Script& script,
                                           const Stage& stage, int round) {
    std::vector<int> wrong;
    for (size_t i = 0; i < std::size(NUMBER_BOXES); i++) {
        const NumberBox& box = NUMBER_BOXES[i];
        if (box.field(script, stage) != (float)typedValue(i, round) ||
            ui.control(box.id).text != shownText(i, round))
            wrong.push_back(box.id);
    }
    for (const ChoiceControl& c : CHOICES) {
        const StoredControl& control = ui.control(c.id);
        if (c.field(script, stage) != c.value[round] ||
            (c.checkBox ? control.checked : control.selection) != c.chosen[round])
            wrong.push_back(c.id);
    }
    return wrong;
}
