// Look-ahead flights in steps of one millisecond of game time, on single-precision copies of
// the ball. They follow the flight step without bounces, net, assists or paddles.
#include "operations.h"

namespace spinvale {

namespace {

// The look-ahead's own single-precision constants (drag and position a step above the
// flight step's nearest floats).
constexpr double gravityFactor = double(0x1.1b1d94p-10f);   // 0.0010800001
constexpr double dragFactor = double(0x1.a36e30p-13f);      // 0.00020000001
constexpr double positionFactor = double(0x1.a36e30p-14f);  // 0.000100000005
constexpr double spinGain = double(0.01f);

constexpr double halfLength = double(tableLength) / 2;
constexpr double halfWidth = double(tableWidth) / 2;
constexpr double netClearance = double(tableHeight) + double(netHeight) + double(ballSize) / 2;

struct Flight {
    float x, y, z, vx, vy, vz;
};

struct StepSizes {
    double dt;  // one millisecond of game time
    double g;
    double d;
};

StepSizes stepSizes(const GameSettings& settings) {
    const double speed = settings.gameSpeed;
    return {speed, speed * double(settings.gravityScale) * gravityFactor, speed * dragFactor};
}

float dragged(float value, double d) {
    return value < 0 ? double(value) + d : double(value) - d;
}

void step(Flight& f, const StepSizes& k) {
    f.vy = double(f.vy) - k.g;
    f.x = double(f.x) + k.dt * double(f.vx) * positionFactor;
    f.y = double(f.y) + k.dt * double(f.vy) * positionFactor;
    f.z = double(f.z) + k.dt * double(f.vz) * positionFactor;
    f.vy = dragged(f.vy, k.d);
    f.vx = dragged(f.vx, k.d);
    f.vz = dragged(f.vz, k.d);
}

}  // namespace

// Decided in the band just past the net (0 < |z| <= 3): below the clearance height the
// ball meets the net. Leaving the table's length first, or two seconds of flight, is a miss.
NetPrediction predictNetHit(const Match& match, float x, float y, float z, float vx, float vy,
                            float vz) {
    const StepSizes k = stepSizes(match.settings);
    Flight f{x, y, z, vx, vy, vz};
    for (int n = 0;; ++n) {
        step(f, k);
        if (f.z >= halfLength || f.z <= -halfLength) {
            return NetPrediction::Clears;
        }
        if ((f.z > 0 && f.z <= 3) || (f.z >= -3 && f.z < 0)) {
            return f.y < netClearance ? NetPrediction::MeetsNet : NetPrediction::Clears;
        }
        if (n == 2000) {
            return NetPrediction::Clears;
        }
    }
}

// Seen from above: height plays no part. 0.0 means "not found yet", so an exit at exactly
// x = 0 does not count; after 1001 steps without an exit the answer is 1.0, which callers
// read as a landing inside the table.
//
// Flights that differ only in their sideways speed share their height, depth and spin, so
// those are stepped once and the sideways motion of every flight in the same loop; each
// flight's result is the same as if it had been followed alone.
void predictCrossingXs(const Match& match, float x, float y, float z, const float* vxs, int count,
                       float vy, float vz, FarHalf farHalf, float* exits) {
    const StepSizes k = stepSizes(match.settings);
    float xs[maxLookAheads];
    float vx[maxLookAheads];
    int open = count;
    for (int i = 0; i < count; ++i) {
        xs[i] = x;
        vx[i] = vxs[i];
        exits[i] = 0.0f;
    }
    float spin = match.state.ballSpin;
    for (int n = 1; n <= 1001 && open > 0; ++n) {
        vy = double(vy) - k.g;
        y = double(y) + k.dt * double(vy) * positionFactor;
        z = double(z) + k.dt * double(vz) * positionFactor;
        vy = dragged(vy, k.d);
        vz = dragged(vz, k.d);
        const double spinStep = k.dt * double(spin) * spinGain;
        spin = dragged(spin, k.d);
        const bool onFarHalf = farHalf == FarHalf::NegativeZ ? z < 0 : z > 0;
        const bool beyondEnd = z >= halfLength || z <= -halfLength;
        for (int i = 0; i < count; ++i) {
            if (exits[i] != 0.0f) {
                continue;
            }
            xs[i] = double(xs[i]) + k.dt * double(vx[i]) * positionFactor;
            vx[i] = dragged(vx[i], k.d);
            vx[i] = double(vx[i]) + spinStep;
            if (n > 1000) {
                exits[i] = 1.0f;
            }
            const bool outside = beyondEnd || xs[i] >= halfWidth || xs[i] <= -halfWidth;
            if (onFarHalf && outside && xs[i] != 0.0f) {
                exits[i] = xs[i];
            }
            open -= exits[i] != 0.0f;
        }
    }
}

float predictCrossingX(const Match& match, float x, float y, float z, float vx, float vy, float vz,
                       FarHalf farHalf) {
    float exit = 0.0f;
    predictCrossingXs(match, x, y, z, &vx, 1, vy, vz, farHalf, &exit);
    return exit;
}

}  // namespace spinvale
