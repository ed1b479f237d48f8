// The time-driven effects of a stage: texture-coordinate waves, rotation
// and the animation through its frames. All read the preview clock; sums are
// worked in double precision and kept as single-precision floats.
#include "preview.h"

#include "textures.h"

#include <cmath>

uint32_t slotTexture(int32_t slot) {
    // An index the table never handed out shows the placeholder rather than
    // reading past the slots in use.
    if (slot < 0 || slot >= textureCount) slot = placeholderSlot;
    return textureTable[slot].glTexture;
}

static double scaleWave(WaveType type, float scale, double coord, double time) {
    switch (type) {
    case WAVE_STATIC: return coord * scale;
    case WAVE_SINE: return sin(time * 0.05) * scale * coord;
    case WAVE_COSINE: return cos(time * 0.05) * scale * coord;
    default: return coord;
    }
}

// A sine or cosine scroll swings one texture width at `scroll` radians per unit.
static double scrollOffset(WaveType type, float scroll, double time) {
    switch (type) {
    case WAVE_STATIC: return time * scroll;
    case WAVE_SINE: return sin(time * scroll);
    case WAVE_COSINE: return cos(time * scroll);
    default: return 0.0;
    }
}

void applyTexCoordModifiers(const Stage* stage, float& s, float& t) {
    const double time = previewTime;
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

static bool frameIsDue(float nextTime, float now) { return (double)nextTime * 1000.0 < now; }

static int frameListLength(const Stage* stage) {
    int length = 0;
    for (const AnimFrame* frame = stage->animFrames; frame; frame = frame->next) length++;
    return length;
}

// The earliest due time that is no longer due at `now`.
static float firstTimeNotDue(float now) {
    float time = (float)((double)now / 1000.0);
    while (frameIsDue(time, now)) time = std::nextafter(time, INFINITY);  // an ulp or two of rounding
    return time;
}

// Passes every delay due before `now` at once: the frame moves on by the
// number of delays modulo the frame count, and the due time by that many
// delays, worked out in double precision. Used when stepping one delay at a
// time would take too long or could no longer move the due time.
static AnimFrame* skipElapsedDelays(Stage* stage, AnimFrame* cur, float now) {
    const double behind = (double)now / 1000.0 - stage->animNextTime;
    const double delays = std::fmax(1.0, std::ceil(behind / stage->animDelay));
    const double frames = std::fmod(delays, frameListLength(stage));  // not a number for endless delays
    for (int n = frames >= 1 ? (int)frames : 0; n > 0; n--) cur = frameAfter(stage, cur);

    const float nextTime = (float)(stage->animNextTime + delays * stage->animDelay);
    const bool passesNow = (double)nextTime * 1000.0 >= now;  // false for rounding short of now, or not a number
    stage->animNextTime = passesNow ? nextTime : firstTimeNotDue(now);
    return cur;
}

uint32_t advanceAnimation(Stage* stage) {
    if (!stage->animFrames) return slotTexture(stage->texture);
    const float now = (float)((double)previewTime * 1000.0);
    AnimFrame* cur = stage->animCurrent ? stage->animCurrent : stage->animFrames;

    for (int steps = 0; frameIsDue(stage->animNextTime, now); steps++) {
        // A delay of zero, below zero or not a number cannot carry the due
        // time past the clock: show the next frame on each drawn frame.
        if (!(stage->animDelay > 0)) {
            cur = frameAfter(stage, cur);
            break;
        }
        const float nextTime = stage->animNextTime + stage->animDelay;
        if (nextTime == stage->animNextTime || steps == ANIM_CATCH_UP_STEPS) {
            cur = skipElapsedDelays(stage, cur, now);
            break;
        }
        cur = frameAfter(stage, cur);
        stage->animNextTime = nextTime;
    }
    stage->animCurrent = cur;
    return slotTexture(cur->texture);
}
