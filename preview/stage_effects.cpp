// The time-driven effects of a stage: texture-coordinate waves, rotation
// and the animation through its frames. All read the preview clock; sums are
// worked in double precision and kept as single-precision floats.
#include "preview.h"

#include "textures.h"

#include <cmath>

uint32_t slotTexture(const TextureTable& textures, int32_t slot) {
    // An index the table never handed out shows the placeholder rather than
    // reading past the slots in use.
    if (slot < 0 || slot >= textures.textureCount) slot = textures.placeholderSlot;
    return textures.textureTable[slot].glTexture;
}

static double scaleWave(WaveType type, float scale, double coord, double time) {
    switch (type) {
        case WAVE_STATIC:
            return coord * scale;
        case WAVE_SINE:
            return sin(time * 0.05) * scale * coord;
        case WAVE_COSINE:
            return cos(time * 0.05) * scale * coord;
        default:
            return coord;
    }
}

// A sine or cosine scroll swings one texture width at `scroll` radians per unit.
static double scrollOffset(WaveType type, float scroll, double time) {
    switch (type) {
        case WAVE_STATIC:
            return time * scroll;
        case WAVE_SINE:
            return sin(time * scroll);
        case WAVE_COSINE:
            return cos(time * scroll);
        default:
            return 0.0;
    }
}

void applyTexCoordModifiers(const Stage* stage, float now, float& s, float& t) {
    const double time = now;
    if (stage->scaleX != 0) s = (float)scaleWave(stage->scaleTypeX, stage->scaleX, s, time);
    if (stage->scaleY != 0) t = (float)scaleWave(stage->scaleTypeY, stage->scaleY, t, time);
    if (stage->rotateSpeed != 0)
        rotateTexCoord(s, t, (float)(-(double)stage->rotateSpeed * time * (double)0.0087266387f));
    double ds = stage->scrollX != 0 ? scrollOffset(stage->scrollTypeX, stage->scrollX, time) : 0.0;
    double dt = stage->scrollY != 0 ? scrollOffset(stage->scrollTypeY, stage->scrollY, time) : 0.0;
    s = (float)(s + ds);
    t = (float)(t + dt);
}

// Counter-clockwise in the s-t plane about the texture's centre.
void rotateTexCoord(float& s, float& t, float angle) {
    const float c = (float)cos((double)angle);
    const float n = (float)sin((double)angle);
    const double s0 = s, t0 = t;
    s = (float)((s0 - 0.5) * c + (0.5 - t0) * n + 0.5);
    t = (float)((t0 - 0.5) * c + (s0 - 0.5) * n + 0.5);
}

static AnimFrame* frameAfter(const Stage* stage, AnimFrame* frame) {
    return frame->next ? frame->next : stage->animFrames;
}

static AnimFrame* framesAfter(const Stage* stage, AnimFrame* frame, int count) {
    for (; count > 0; count--) frame = frameAfter(stage, frame);
    return frame;
}

static bool frameIsDue(float nextTime, float now) {
    return (double)nextTime * 1000.0 < now;
}

static int frameListLength(const Stage* stage) {
    int length = 0;
    for (const AnimFrame* frame = stage->animFrames; frame; frame = frame->next) length++;
    return length;
}

// One delay added to the due time, stored in single precision.
static float addDelay(float time, float delay) {
    return (float)((double)time + delay);
}

// The earliest due time that is no longer due at `now`.
static float firstTimeNotDue(float now) {
    float time = (float)((double)now / 1000.0);
    // An ulp or two of rounding.
    while (frameIsDue(time, now)) time = std::nextafter(time, INFINITY);
    return time;
}

// Passes every delay due before `now` at once: the frame moves on by the
// number of delays modulo the frame count, and the due time by that many
// delays, worked out in double precision. Only for a delay too small to move
// the due time, where stepping would never end.
static AnimFrame* skipElapsedDelays(Stage* stage, AnimFrame* cur, float now) {
    const double behind = (double)now / 1000.0 - stage->animNextTime;
    const double delays = std::fmax(1.0, std::ceil(behind / stage->animDelay));
    // Not a number for endless delays.
    const double frames = std::fmod(delays, frameListLength(stage));
    cur = framesAfter(stage, cur, frames >= 1 ? (int)frames : 0);

    const float nextTime = (float)(stage->animNextTime + delays * stage->animDelay);
    // False for rounding short of now, or not a number.
    const bool passesNow = (double)nextTime * 1000.0 >= now;
    stage->animNextTime = passesNow ? nextTime : firstTimeNotDue(now);
    return cur;
}

// A stretch of floats, met moving upwards from a due time, that are all the
// multiples of one unit lying in it: up to `end`, every float is a multiple
// of `unit` and every multiple of `unit` is a float. Adding the same delay
// to any of them rounds by the same amount (ties to even aside).
struct EvenGrid {
    double unit;
    double end;
};

static EvenGrid gridFrom(float time) {
    const double nearZero = std::ldexp(1.0, -125);  // the smallest unit reaches from -this to this
    if (std::fabs(time) < nearZero) return {std::ldexp(1.0, -149), nearZero};
    int exponent;  // |time| in [2^(exponent - 1), 2^exponent)
    std::frexp(std::fabs((double)time), &exponent);
    if (time > 0) return {std::ldexp(1.0, exponent - 24), std::ldexp(1.0, exponent)};
    // Below zero the grid gets finer upwards: a power of two starts the next one.
    if (-(double)time == std::ldexp(1.0, exponent - 1)) exponent--;
    return {std::ldexp(1.0, exponent - 24), -std::ldexp(1.0, exponent - 1)};
}

// How many of the first `limit` steps of `step` from `time` start from a due
// time: the largest n with time + (n - 1) * step due, at least 1 (time is due).
static double dueSteps(double time, double step, double limit, float now) {
    double low = 1, high = limit;
    while (low < high) {
        const double middle = std::floor((low + high + 1) / 2);
        if (frameIsDue((float)(time + (middle - 1) * step), now))
            low = middle;
        else
            high = middle - 1;
    }
    return low;
}

// The number of delays, at least one, that can be added to the due `time`
// in one go, each rounding to the same `step`, staying on one grid and
// starting from a due time. Exactly as many as one at a time would take.
static double stepsOfOneSize(float time, double step, float delay, float now) {
    const EvenGrid grid = gridFrom(time);
    // Each step i < limit lands at least a unit short of the grid's end,
    // so that the exact sum before rounding is still on the grid.
    const double limit = std::floor((grid.end - grid.unit - time) / step);
    if (!(limit >= 2)) return 1;
    // A delay half-way between two multiples rounds to the even one, so
    // the first step may differ from the following ones: take it alone.
    const float second = (float)(time + step);
    if ((double)addDelay(second, delay) - second != step) return 1;
    return dueSteps(time, step, limit, now);
}

// The plain catch-up, one delay at a time while the due time has passed,
// with every run of equal rounded steps on one grid taken at once: at most a
// few runs per binade, however long ago the stage was last drawn.
static AnimFrame* passElapsedDelays(Stage* stage, AnimFrame* cur, float now) {
    const int frameCount = frameListLength(stage);
    while (frameIsDue(stage->animNextTime, now)) {
        const float time = stage->animNextTime;
        const float next = addDelay(time, stage->animDelay);
        if (next == time) return skipElapsedDelays(stage, cur, now);
        const double step = (double)next - time;
        const double steps = stepsOfOneSize(time, step, stage->animDelay, now);
        cur = framesAfter(stage, cur, (int)std::fmod(steps, frameCount));
        stage->animNextTime = steps == 1 ? next : (float)(time + steps * step);
    }
    return cur;
}

uint32_t advanceAnimation(const TextureTable& textures, Stage* stage, float time) {
    if (!stage->animFrames) return slotTexture(textures, stage->texture);
    const float now = (float)((double)time * 1000.0);
    AnimFrame* cur = stage->animCurrent ? stage->animCurrent : stage->animFrames;
    if (frameIsDue(stage->animNextTime, now)) {
        // A delay of zero, below zero or not a number cannot carry the due
        // time past the clock: show the next frame on each drawn frame.
        if (stage->animDelay > 0)
            cur = passElapsedDelays(stage, cur, now);
        else
            cur = frameAfter(stage, cur);
    }
    stage->animCurrent = cur;
    return slotTexture(textures, cur->texture);
}
