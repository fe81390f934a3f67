#!/usr/bin/env python3
"""An independent model of Spinvale's match, written from the game's rules alone.

It plays the same headless match as `spinvale-sim`: same options, same script format, same
trace lines. Every match field is a float32 or an int32; arithmetic happens in double
precision (Python floats) and each store into a field rounds to float32. The model is kept
deliberately plain and slow: it exists to be compared, bit for bit, with the game's traces.

    match_model.py [--settings FILE] [--script FILE] [--frame-ms MS] [--max-frames N]
                   [--seed S] [--trace]
"""

import math
import os
import struct
import sys
from decimal import Decimal, getcontext

# --- float32 helpers -----------------------------------------------------------------

_F1 = struct.Struct('<f')
_F3 = struct.Struct('<3f')
_U32 = struct.Struct('<I')
_D = struct.Struct('<d')


def f32(x):
    """Rounds a double to the nearest float32 (overflow gives an infinity)."""
    try:
        return _F1.unpack(_F1.pack(x))[0]
    except OverflowError:
        return math.copysign(math.inf, x)


def float_from_bits(bits):
    return _F1.unpack(_U32.pack(bits))[0]


def bits_of_float(x):
    return _U32.unpack(_F1.pack(x))[0]


# --- dimensions and constants ----------------------------------------------------------

TABLE_LENGTH = 274.0
TABLE_WIDTH = 152.5
TABLE_HEIGHT = f32(78.2)
NET_HEIGHT = 20.0
BALL_SIZE = 4.0

HALF_WIDTH = TABLE_WIDTH / 2      # 76.25
HALF_LENGTH = TABLE_LENGTH / 2    # 137
SURFACE_CONTACT = TABLE_HEIGHT + BALL_SIZE / 2           # 80.2
BOUNCE_HEIGHT = TABLE_HEIGHT + BALL_SIZE / 2 + 1         # 81.2
REST_HEIGHT = TABLE_HEIGHT + 10                          # 88.2
SERVE_HEIGHT = TABLE_HEIGHT + 20                         # 98.2
NET_TOP = TABLE_HEIGHT + NET_HEIGHT                      # 98.2
NET_CLEARANCE = TABLE_HEIGHT + NET_HEIGHT + BALL_SIZE / 2  # 100.2
LIFT_HEIGHT = BALL_SIZE + TABLE_HEIGHT + 15              # 97.2

# Flight step: single-precision constants widened to double.
GRAVITY = float_from_bits(0x3a8d8eca)   # one step above the float nearest 0.00108
POSITION = f32(0.0001)
DRAG = f32(0.0002)
SPIN = f32(0.01)
# The look-ahead's own constants.
PREDICT_GRAVITY = float_from_bits(0x3a8d8eca)
PREDICT_DRAG = float_from_bits(0x3951b718)
PREDICT_POSITION = float_from_bits(0x38d1b718)
PREDICT_SPIN = f32(0.01)

DEPTH_SLOWDOWN = float_from_bits(0x3d888889)  # the float nearest 1/15
NET_LIFT = 0.5
TRACKING = f32(0.05)
KEYBOARD_SPEED = f32(0.4)
ONE_180TH = f32(1.0 / 180.0)
ONE_THIRD = 0.3333333333333333

# Rally states.
P1_SHOT, P2_SHOT, P2_TO_RETURN, P1_TO_RETURN = 1, 2, 3, 4
P1_TO_SERVE, P2_TO_SERVE, P1_TOSS, P2_TOSS = 5, 6, 7, 8
P1_SERVE, P2_SERVE = 10, 11
P1_WINS, P2_WINS = 20, 21

KEY_ENTER, KEY_ESC, KEY_LEFT, KEY_UP, KEY_RIGHT, KEY_DOWN, KEY_F1 = 13, 27, 37, 38, 39, 40, 112

SOUND_PADDLE = "sounds/paddle.wav"
SOUND_TABLE = "sounds/table.wav"
SOUND_WINS = "sounds/playerwins.wav"


# --- records -------------------------------------------------------------------------

class Paddle:
    FIELDS = ("x", "y", "z", "prevX", "prevZ", "homeZ", "side", "swingAngle", "swingPhase")
    INTS = ("side", "swingPhase")

    def __init__(self):
        self.x = self.y = self.z = 0.0
        self.prevX = self.prevZ = self.homeZ = 0.0
        self.side = 0
        self.swingAngle = 0.0
        self.swingPhase = 0


class MatchState:
    FIELDS = ("ballX", "ballY", "ballZ", "ballVX", "ballVY", "ballVZ", "ballSpin", "prevBallZ",
              "rallyState", "score1", "score2", "firstServer", "aimChoice", "strokeCursorX",
              "prevCursorU", "winSoundPlayed")
    INTS = ("rallyState", "score1", "score2", "firstServer", "aimChoice", "strokeCursorX",
            "winSoundPlayed")

    def __init__(self):
        self.ballX = 20.0
        self.ballY = 120.0
        self.ballZ = self.ballVX = self.ballVY = self.ballVZ = 0.0
        self.ballSpin = self.prevBallZ = 0.0
        self.rallyState = P1_TO_SERVE
        self.score1 = self.score2 = 0
        self.firstServer = 0
        self.aimChoice = 0
        self.strokeCursorX = 0
        self.prevCursorU = 0.0
        self.winSoundPlayed = 0
        self.paddle1 = Paddle()
        self.paddle2 = Paddle()


class Settings:
    """The in-memory settings; the values before the file is first read."""

    def __init__(self):
        self.simpleGraphics = 0
        self.gameSpeed = 0.0
        self.spinFactor = 0
        self.gravityScale = 0.0
        self.aiSkill = 0.0
        self.aiSpeed = 0.0
        self.pointsPerGame = 0
        self.screenWidth = 1024
        self.screenHeight = 768
        self.cameraX = 0.0
        self.cameraY = 300.0
        self.cameraZ = 320.0
        self.player1Mouse = False
        self.player2Keyboard = False


def shipped_settings():
    """The built-in set: the values of the shipped settings file. Where that file is given in
    SPINVALE_SHIPPED_SETTINGS, they are read from it (the game chooses them by measuring
    computer games, so they may change); otherwise these."""
    path = os.environ.get("SPINVALE_SHIPPED_SETTINGS")
    if path:
        with open(path, "rb") as f:
            return decode_settings(f.read(SETTINGS_SIZE), path, _no_fallback)
    s = Settings()
    s.gameSpeed = f32(14.0)
    s.spinFactor = 6
    s.gravityScale = f32(12.0)
    s.aiSkill = f32(0.7)
    s.aiSpeed = f32(40.0)
    s.pointsPerGame = 11
    s.player1Mouse = True
    s.player2Keyboard = False
    return s


def _no_fallback(message):
    raise ValueError(f"the shipped settings file is not usable: {message}")


SETTINGS_SIZE = 112


def decode_settings(data, name, warn):
    """Settings from the 112-byte record; bad or missing values fall back as the game does."""
    if data is None or len(data) < SETTINGS_SIZE:
        warn(f"{name}: settings file missing or shorter than {SETTINGS_SIZE} bytes; "
             "using the built-in settings")
        return shipped_settings()
    (simple, speed, _reserved, spin, gravity, skill, ai_speed, _reserved2, points, width,
     height, cam_x, cam_y, cam_z, p1, p2) = struct.unpack_from('<i4xdddddddiii4xdddii', data)
    s = Settings()
    s.simpleGraphics = simple
    s.gameSpeed = f32(speed)
    s.spinFactor = _truncate_to_int32(spin)
    s.gravityScale = f32(gravity)
    s.aiSkill = f32(skill)
    s.aiSpeed = f32(ai_speed)
    s.pointsPerGame = points
    s.screenWidth = width
    s.screenHeight = height
    s.cameraX, s.cameraY, s.cameraZ = f32(cam_x), f32(cam_y), f32(cam_z)
    s.player1Mouse = p1 != 0
    s.player2Keyboard = p2 != 0
    if skill > 1.0:
        s.aiSkill = 1.0
    elif s.aiSkill < 0.0 or math.isnan(s.aiSkill):
        s.aiSkill = 0.0
    if points not in (11, 21):
        warn(f"{name}: pointsPerGame {points} is neither 11 nor 21; using 11")
        s.pointsPerGame = 11
    if width <= 0 or height <= 0:
        warn(f"{name}: screen size {width}x{height} is not positive; using 1024x768")
        s.screenWidth, s.screenHeight = 1024, 768
    for field in ("gameSpeed", "gravityScale", "aiSpeed", "cameraX", "cameraY", "cameraZ"):
        if not math.isfinite(getattr(s, field)):
            defaults = shipped_settings()
            warn(f"{name}: {field} is not a finite number; using {getattr(defaults, field):g}")
            setattr(s, field, getattr(defaults, field))
    return s


def _truncate_to_int32(x):
    if not math.isfinite(x):
        return 0
    v = int(x)  # truncates toward zero
    return ((v + 2**31) % 2**32) - 2**31


class Input:
    def __init__(self):
        self.keys = [0] * 256
        self.leftButton = 0
        self.pointerX = 0
        self.pointerY = 0


class Match:
    def __init__(self, seed=1):
        self.state = MatchState()
        self.settings = Settings()
        self.input = Input()
        self.random_state = seed & 0xffffffff
        self.sounds = []
        self.requests = []

    # -- the random sequence
    def random_below(self, n):
        self.random_state = (self.random_state * 214013 + 2531011) & 0xffffffff
        return ((self.random_state >> 16) & 0x7fff) % n


# --- scoring and service ------------------------------------------------------------------

def decide_next_serve(m):
    st = m.state
    if st.score1 == 0 and st.score2 == 0:
        if m.random_below(2) == 0:
            st.firstServer = 1
            st.rallyState = P1_TO_SERVE
            return
        st.firstServer = 2
        st.rallyState = P2_TO_SERVE
    n = st.score1 + st.score2
    first = st.firstServer
    other = 3 - first
    points = m.settings.pointsPerGame
    if points == 11:
        win, deuce, change = 11, 10, 2
    elif points == 21:
        win, deuce, change = 21, 20, 5
    else:
        return
    if st.score1 >= win and st.score1 - st.score2 >= 2:
        st.rallyState = P1_WINS
        return
    if st.score2 >= win and st.score2 - st.score1 >= 2:
        st.rallyState = P2_WINS
        return
    if st.score1 >= deuce and st.score2 >= deuce:
        server = first if n % 2 == 0 else other
    else:
        server = first if (n // change) % 2 == 0 else other
    st.rallyState = P1_TO_SERVE if server == 1 else P2_TO_SERVE


# --- look-ahead ----------------------------------------------------------------------------

def _prediction_constants(m):
    dt = m.settings.gameSpeed  # one step is one millisecond of game time
    return dt, dt * m.settings.gravityScale * PREDICT_GRAVITY, dt * PREDICT_DRAG


def _round3(a, b, c):
    try:
        return _F3.unpack(_F3.pack(a, b, c))
    except OverflowError:
        return f32(a), f32(b), f32(c)


def predict_net_hit(m, x, y, z, vx, vy, vz):
    dt, g, d = _prediction_constants(m)
    p = PREDICT_POSITION
    pack, unpack = _F3.pack, _F3.unpack
    n = 0
    while True:
        vy = f32(vy - g)
        a, b, c = x + dt * vx * p, y + dt * vy * p, z + dt * vz * p
        try:
            x, y, z = unpack(pack(a, b, c))
        except OverflowError:
            x, y, z = f32(a), f32(b), f32(c)
        a = vy + d if vy < 0 else vy - d
        b = vx + d if vx < 0 else vx - d
        c = vz + d if vz < 0 else vz - d
        try:
            vy, vx, vz = unpack(pack(a, b, c))
        except OverflowError:
            vy, vx, vz = f32(a), f32(b), f32(c)
        if z >= HALF_LENGTH or z <= -HALF_LENGTH:
            return 1
        if 0 < z <= 3 or -3 <= z < 0:
            return 2 if y < NET_CLEARANCE else 1
        if n == 2000:
            return 1
        n += 1


def predict_crossing_x(m, x, y, z, vx, vy, vz, far_negative):
    dt, g, d = _prediction_constants(m)
    p = PREDICT_POSITION
    s = m.state.ballSpin
    result = 0.0
    n = 0
    while True:
        vy = f32(vy - g)
        x, y, z = _round3(x + dt * vx * p, y + dt * vy * p, z + dt * vz * p)
        vy, vx, vz = _round3(vy + d if vy < 0 else vy - d,
                             vx + d if vx < 0 else vx - d,
                             vz + d if vz < 0 else vz - d)
        vx = f32(vx + dt * s * PREDICT_SPIN)
        s = f32(s + d if s < 0 else s - d)
        n += 1
        if n > 1000:
            result = 1.0
        on_far_half = z < 0 if far_negative else z > 0
        if on_far_half and (x >= HALF_WIDTH or x <= -HALF_WIDTH
                            or z >= HALF_LENGTH or z <= -HALF_LENGTH):
            result = x
        if n > 1000:
            # The last step: an exit found exactly at x = 0 still reads as "inside".
            return 1.0 if result == 0.0 else result
        if result != 0.0:
            return result


# --- ball flight and contacts ----------------------------------------------------------------

def in_shot(st):
    return st.rallyState == P1_SHOT or st.rallyState == P2_SHOT


def lift_over_net(m, result, ms):
    st = m.state
    if result == 2 and st.ballVY > 0 and in_shot(st) and (st.ballZ > 10 or st.ballZ < -10):
        st.ballVY = f32(ms * NET_LIFT + st.ballVY)


def slow_depth(m, ms):
    st = m.state
    if not in_shot(st):
        return
    s = ms * DEPTH_SLOWDOWN
    if st.ballVZ > 0:
        st.ballVZ = f32(st.ballVZ - s)
    if st.ballVZ < 0:
        st.ballVZ = f32(s + st.ballVZ)


def update_spin(m):
    st = m.state
    if not in_shot(st):
        st.ballSpin = 0.0
    if (st.rallyState == P1_SHOT and m.settings.player1Mouse and st.ballZ < 100
            and st.prevBallZ > 100):
        moved = st.strokeCursorX - m.input.pointerX
        st.ballSpin = f32(moved / m.settings.screenWidth * m.settings.spinFactor)


def toward_zero(v, d):
    return f32(v + d) if v < 0 else f32(v - d)


def advance_ball(m, ms):
    st = m.state
    t = ms * m.settings.gameSpeed
    st.ballVY = f32(st.ballVY - t * m.settings.gravityScale * GRAVITY)
    st.ballX = f32(st.ballX + t * st.ballVX * POSITION)
    st.ballY = f32(st.ballY + t * st.ballVY * POSITION)
    st.ballZ = f32(st.ballZ + t * st.ballVZ * POSITION)
    st.ballVX = f32(st.ballVX + t * st.ballSpin * SPIN)
    d = t * DRAG
    st.ballVY = toward_zero(st.ballVY, d)
    st.ballVX = toward_zero(st.ballVX, d)
    st.ballVZ = toward_zero(st.ballVZ, d)
    st.ballSpin = toward_zero(st.ballSpin, d)


def bounce_on_table(m):
    st = m.state
    if not (-HALF_WIDTH < st.ballX < HALF_WIDTH and -HALF_LENGTH < st.ballZ < HALF_LENGTH
            and st.ballY < SURFACE_CONTACT):
        return
    st.ballY = f32(BOUNCE_HEIGHT)
    st.ballVY = -st.ballVY
    if st.rallyState == P1_SHOT and st.ballZ > 0:
        st.score2 += 1
        decide_next_serve(m)
    if st.rallyState == P2_SHOT and st.ballZ < 0:
        st.score1 += 1
        decide_next_serve(m)
    if st.ballVZ < 0 and st.rallyState == P1_SHOT and st.ballZ < 0:
        st.rallyState = P2_TO_RETURN
    if st.ballVZ > 0 and st.rallyState == P2_SHOT and st.ballZ > 0:
        st.rallyState = P1_TO_RETURN
    if st.rallyState == P1_SERVE:
        st.rallyState = P1_SHOT
    elif st.rallyState == P2_SERVE:
        st.rallyState = P2_SHOT
    m.sounds.append(SOUND_TABLE)


def bounce_on_floor(m):
    st = m.state
    if not st.ballY < 0:
        return
    st.ballVY = -st.ballVY
    if st.rallyState in (P1_SHOT, P1_TO_RETURN):
        st.score2 += 1
    elif st.rallyState in (P2_SHOT, P2_TO_RETURN):
        st.score1 += 1
    decide_next_serve(m)


def net_collision(m):
    st = m.state
    crossed = (st.prevBallZ > 0 and st.ballZ < 0) or (st.prevBallZ < 0 and st.ballZ > 0)
    if crossed and st.ballY < NET_TOP:
        st.ballVZ = f32(-st.ballVZ * 0.05)
        st.ballZ = st.prevBallZ
        st.ballVY = f32(st.ballVY * 0.2)
        st.ballVX = f32(st.ballVX * 0.2)


# --- swings --------------------------------------------------------------------------------

def step_swing(paddle, wind_up_step, q):
    if paddle.swingPhase == 1:
        paddle.swingAngle = f32(paddle.swingAngle - wind_up_step)
        if paddle.swingAngle < 0:
            paddle.swingPhase = 2
    if paddle.swingPhase == 2:
        paddle.swingAngle = f32(paddle.swingAngle + q)
        if paddle.swingAngle > 70:
            paddle.swingPhase = 3
    if paddle.swingPhase == 3:
        paddle.swingAngle = f32(paddle.swingAngle - q)
        if paddle.swingAngle < 0:
            paddle.swingPhase = 0


def step_swings(m, ms):
    q = ms // 4
    step_swing(m.state.paddle1, 1, q)  # paddle 1 winds up a degree per update
    step_swing(m.state.paddle2, q, q)


# --- human paddles -------------------------------------------------------------------------

def mouse_paddle1(m):
    st = m.state
    p = st.paddle1
    u = m.input.pointerX / m.settings.screenWidth
    v = m.input.pointerY / m.settings.screenHeight
    if st.rallyState != P1_TOSS:
        p.x = f32(2 * u * TABLE_WIDTH - TABLE_WIDTH)
        p.z = f32(v * TABLE_LENGTH)
    if p.swingAngle < 2:
        if u > st.prevCursorU + 0.0001:
            p.side = 0
        if u < st.prevCursorU - 0.0001:
            p.side = 1
    st.prevCursorU = f32(u)


def keyboard_paddle2(m, ms):
    p = m.state.paddle2
    keys = m.input.keys
    step = ms * KEYBOARD_SPEED
    if keys[KEY_LEFT] == 1:
        p.x = f32(p.x - step)
    if keys[KEY_RIGHT] == 1:
        p.x = f32(p.x + step)
    if keys[KEY_UP] == 1:
        p.z = f32(p.z - step)
    if keys[KEY_DOWN] == 1:
        p.z = f32(p.z + step)
    if p.x > p.prevX:
        p.side = 1
    if p.x < p.prevX:
        p.side = 0
    p.prevX = p.x


def clamp_paddle2(m):
    p = m.state.paddle2
    if p.x > TABLE_WIDTH:
        p.x = p.prevX = TABLE_WIDTH
    if p.x < -TABLE_WIDTH:
        p.x = p.prevX = -TABLE_WIDTH


# --- computer paddles ----------------------------------------------------------------------

def drift_depth(p):
    if p.homeZ - 1 > p.z:
        p.z = f32(p.z + 0.01)
    if p.homeZ + 1 < p.z:
        p.z = f32(p.z - 0.01)


def computer_paddle1(m):
    st = m.state
    p = st.paddle1
    if st.rallyState == P1_TO_SERVE:
        st.ballVX = st.ballVY = st.ballVZ = 0.0
        st.paddle2.y = f32(REST_HEIGHT)
        st.ballZ = f32(p.z - 10)
        p.z = p.homeZ
        st.ballY = f32(SERVE_HEIGHT)
        if p.x > 50 or p.x < -50:
            p.x = float(m.random_below(50) - 25)
        st.ballVY = 90.0
        st.rallyState = P1_TOSS
        st.ballX = f32(p.x + 10)
    if st.rallyState == P1_TOSS:
        p.swingPhase = 1
        p.side = 0
        return
    step = m.settings.aiSpeed * TRACKING
    if p.x + 3 < st.ballX:
        p.x = f32(p.x + step)
    if st.ballX < p.x:
        p.x = f32(p.x - step)
    drift_depth(p)
    if st.ballVZ > 0 and p.z - st.ballZ < 10 and st.ballZ > 30 and p.swingPhase != 2:
        p.swingAngle = f32(abs(st.ballX) * ONE_THIRD)
        p.swingPhase = 2
        if p.x > 30 and p.side == 1:
            p.swingAngle = f32(p.swingAngle / 2)
        if p.x < -30 and p.side == 0:
            p.swingAngle = f32(p.swingAngle / 2)
        if p.x > 130 and p.side == 1:
            p.swingPhase = 1
        if p.x < -130 and p.side == 0:
            p.swingPhase = 1
    if p.x < p.prevX:
        p.side = 1
    if p.x > p.prevX:
        p.side = 0
    p.prevX = p.x


def computer_paddle2(m):
    st = m.state
    p = st.paddle2
    if st.rallyState == P2_TO_SERVE:
        st.ballY = f32(SERVE_HEIGHT)
        p.z = -200.0
        st.ballZ = -190.0
        st.ballVX = st.ballVY = st.ballVZ = 0.0
        st.paddle1.swingPhase = 0
        st.paddle1.swingAngle = 0.0
        if p.x > 50 or p.x < -50:
            p.x = float(m.random_below(50) - 25)
        st.ballVY = 90.0
        st.rallyState = P2_TOSS
        st.ballX = f32(p.x - 10)
    if st.rallyState == P2_TOSS:
        p.swingPhase = 1
        p.side = 0
        return
    if st.ballZ > -200:
        step = m.settings.aiSpeed * TRACKING
        if st.ballX > p.x:
            p.x = f32(p.x + step)
        if p.x - 5 > st.ballX:
            p.x = f32(p.x - step)
        drift_depth(p)
    if st.ballVZ < 0 and st.ballZ - p.z < 10 and st.ballZ > -200 and p.swingPhase != 2:
        p.swingPhase = 2
        p.swingAngle = f32(m.random_below(10) + abs(st.ballX) * ONE_THIRD)
        if p.x > 30 and p.side == 0:
            p.swingAngle = f32(p.swingAngle / 2)
        if p.x < -30 and p.side == 1:
            p.swingAngle = f32(p.swingAngle / 2)
        if p.x > 130 and p.side == 0:
            p.swingPhase = 1
        if p.x < -130 and p.side == 1:
            p.swingPhase = 1
        if abs(p.x) < 10:
            p.swingAngle = f32(p.swingAngle * 0.8)
    if p.x > p.prevX:
        p.side = 1
    if p.x < p.prevX:
        p.side = 0
    p.prevX = p.x


# --- strokes -------------------------------------------------------------------------------

def stroke_angle(p):
    sign = 1 if p.side == 0 else -1
    return sign * p.swingAngle * ONE_180TH * 3.14


def c_div(a, b):
    """Integer division truncating toward zero."""
    q = abs(a) // abs(b)
    return q if (a >= 0) == (b >= 0) else -q


def set_return_pace(st, depth, low_first):
    """The return's height and depth speeds from the striker's distance behind the net."""
    ratio = depth / TABLE_LENGTH
    t = (depth - TABLE_LENGTH / 2) / (TABLE_LENGTH / 2)
    if ratio < 0.5:
        ratio = 0.5
    st.ballVY = f32((1 - ratio) * 110)
    if not low_first and ratio > 0.6:
        st.ballVY = f32(st.ballVY * (t + 1))
    if st.ballY < 85:
        st.ballVY = f32(st.ballVY * 1.2)
    if st.ballY < 80:
        st.ballVY = f32(st.ballVY * 1.2)
    if low_first and ratio > 0.6:
        st.ballVY = f32(st.ballVY * (t + 1))
    return ratio


def aim_computer_return(m, far_negative):
    """The computer's sideways aim, pulled inside the table by the look-ahead."""
    st = m.state
    settings = m.settings
    st.aimChoice = m.random_below(5)
    st.ballSpin = 0.0
    if settings.aiSkill > 0.5:
        st.ballSpin = float(c_div(m.random_below(200) - 100, 100))
        if not far_negative:
            st.ballSpin = float(c_div(m.random_below(200) - 100, 40))
    st.ballVX = float(m.random_below(150) - 75)
    if st.aimChoice == 2:
        st.ballVX = 150.0
    elif st.aimChoice == 1:
        st.ballVX = -150.0
    w = HALF_WIDTH
    passes = 0
    while True:
        passes += 1
        last = passes > 100
        u = predict_crossing_x(m, st.ballX, st.ballY, st.ballZ, st.ballVX, st.ballVY, st.ballVZ,
                               far_negative)
        if -w < u < w:
            last = True
        if u > w - 10:
            st.ballVX = f32(st.ballVX - 10)
        if u < 10 - w:
            st.ballVX = f32(st.ballVX + 10)
        if last:
            break
    if not far_negative:
        u = predict_crossing_x(m, st.ballX, st.ballY, st.ballZ, st.ballVX, st.ballVY, st.ballVZ,
                               far_negative)
        if u < -20 and st.ballX < -20:
            st.ballVX = f32(st.ballVX + m.random_below(30))
        u = predict_crossing_x(m, st.ballX, st.ballY, st.ballZ, st.ballVX, st.ballVY, st.ballVZ,
                               far_negative)
        if u > 20 and st.ballX > 20:
            st.ballVX = f32(st.ballVX - m.random_below(30))
    st.ballVX = f32(st.ballVX + (m.random_below(100) - 50) * (1 - settings.aiSkill))


def stroke_player1(m):
    st = m.state
    p = st.paddle1
    human = m.settings.player1Mouse
    if p.swingAngle < 0:
        p.swingAngle = 0.0
    if st.rallyState == P1_TOSS and st.ballY < REST_HEIGHT:
        st.rallyState = P1_SERVE
        if human:
            st.strokeCursorX = m.input.pointerX
        m.sounds.append(SOUND_PADDLE)
        if human:
            st.ballVX = f32(-100 * math.sin(stroke_angle(p)))
        else:
            st.ballVX = float(m.random_below(50) - 25)
        st.ballVZ = -210.0
        st.ballVY = -20.0
    if (st.ballX > p.x - 5 and st.ballX < p.x + 15 and st.rallyState == P1_TO_RETURN
            and st.ballZ > p.z and st.prevBallZ < p.prevZ):
        theta = stroke_angle(p)
        st.ballVX = f32(math.cos(theta) * st.ballVX - math.sin(theta) * st.ballVZ)
        st.rallyState = P1_SHOT
        p.homeZ = float(205 - m.random_below(20))
        ratio = set_return_pace(st, p.z, low_first=False)
        st.ballVZ = f32(-(ratio * 140 * 2.8))
        st.ballZ = st.prevBallZ
        m.sounds.append(SOUND_PADDLE)
        if human:
            st.strokeCursorX = m.input.pointerX
            return
        aim_computer_return(m, far_negative=True)


def stroke_player2(m):
    st = m.state
    p = st.paddle2
    human = m.settings.player2Keyboard
    if p.swingAngle < 0:
        p.swingAngle = 0.0
    if st.rallyState == P2_TOSS:
        if not st.ballY < REST_HEIGHT:
            return
        st.rallyState = P2_SERVE
        m.sounds.append(SOUND_PADDLE)
        if human:
            st.ballVX = f32(-100 * math.sin(stroke_angle(p)))
        else:
            st.ballVX = float(m.random_below(50) - 25)
        st.ballVZ = 210.0
        st.ballVY = -20.0
    if (st.rallyState == P2_TO_RETURN and st.ballX > p.x - 15 and st.ballX < p.x + 5
            and st.ballZ < p.z and st.prevBallZ > p.prevZ):
        theta = stroke_angle(p)
        st.ballVX = f32(math.cos(theta) * st.ballVX - math.sin(theta) * st.ballVZ)
        st.rallyState = P2_SHOT
        p.homeZ = float(m.random_below(100) - 235)
        ratio = set_return_pace(st, -p.z, low_first=True)
        st.ballVZ = f32(ratio * 140 * 2.8)
        st.ballZ = st.prevBallZ
        if human:
            m.sounds.append(SOUND_PADDLE)
            return
        aim_computer_return(m, far_negative=False)
        m.sounds.append(SOUND_PADDLE)


# --- one update ----------------------------------------------------------------------------

def update_match(m, ms):
    st = m.state
    settings = m.settings
    inp = m.input
    entry = st.rallyState
    # Swing start from the button, serve hold, tosses.
    if settings.player1Mouse and inp.leftButton != 0 and entry != P1_TO_SERVE:
        st.paddle1.swingPhase = 1
    if entry == P1_TO_SERVE or entry == P2_TO_SERVE:
        server = st.paddle1 if entry == P1_TO_SERVE else st.paddle2
        st.ballSpin = st.ballVX = st.ballVY = st.ballVZ = 0.0
        st.ballZ = f32(server.z - 10 if entry == P1_TO_SERVE else server.z + 10)
        st.ballY = f32(SERVE_HEIGHT)
        st.ballX = f32(server.x + 10)
    if inp.leftButton != 0 and entry == P1_TO_SERVE and settings.player1Mouse:
        st.rallyState = P1_TOSS
        st.ballVY = 90.0
        inp.leftButton = 0
    if settings.player2Keyboard and entry == P2_TO_SERVE and inp.keys[KEY_ENTER] == 1:
        st.rallyState = P2_TOSS
        st.ballVY = 90.0
        inp.keys[KEY_ENTER] = 0
    # Rally assists and spin.
    result = predict_net_hit(m, st.ballX, st.ballY, st.ballZ, st.ballVX, st.ballVY, st.ballVZ)
    lift_over_net(m, result, ms)
    slow_depth(m, ms)
    if inp.keys[KEY_ENTER] == 1:
        st.paddle2.swingPhase = 1
    update_spin(m)
    # Start-of-frame values, then the frame's movement.
    st.prevBallZ = st.ballZ
    st.paddle1.prevZ = st.paddle1.z
    st.paddle2.prevZ = st.paddle2.z
    step_swings(m, ms)
    advance_ball(m, ms)
    bounce_on_table(m)
    bounce_on_floor(m)
    if settings.player2Keyboard:
        keyboard_paddle2(m, ms)
    else:
        computer_paddle2(m)
    if settings.player1Mouse:
        mouse_paddle1(m)
    else:
        computer_paddle1(m)
    clamp_paddle2(m)
    stroke_player1(m)
    stroke_player2(m)
    net_collision(m)
    if inp.keys[KEY_ESC] == 1:
        m.requests.append("quit")
    if inp.keys[KEY_F1] == 1:
        m.requests.append("toggleFullscreen")


def init_match_state(m):
    st = m.state
    st.paddle1.swingPhase = 3
    st.paddle2.swingPhase = 3
    st.paddle2.z = -200.0
    st.paddle1.z = 200.0
    st.paddle2.y = st.paddle1.y = st.ballY = f32(REST_HEIGHT)
    decide_next_serve(m)
    m.input.leftButton = 0
    st.paddle1.homeZ = 175.0


# --- the drawing's two writes ---------------------------------------------------------------

def ball_over_table(st):
    return (st.ballX < TABLE_WIDTH * 0.5 and st.ballX > TABLE_WIDTH * -0.5
            and st.ballZ < TABLE_LENGTH * 0.5 and st.ballZ > TABLE_LENGTH * -0.5)


def lift_paddle_to_ball(m, paddle):
    st = m.state
    if ball_over_table(st) and st.ballY > LIFT_HEIGHT:
        paddle.y = f32(st.ballY + 10)


def request_win_sound(m):
    st = m.state
    if st.rallyState == P1_WINS and st.winSoundPlayed == 0:
        m.sounds.append(SOUND_WINS)
        st.winSoundPlayed = 1
    if st.rallyState == P2_WINS and st.winSoundPlayed == 0:
        m.sounds.append(SOUND_WINS)
        st.winSoundPlayed = 1


# --- trace formatting -----------------------------------------------------------------------

getcontext().prec = 200


def _shortest_digits(x):
    """The fewest decimal digits that read back as float32 x (x finite and positive),
    the closest such when several have that many; returns (digits, exponent of the
    first digit)."""
    b = bits_of_float(x)
    exact = Decimal(x)
    below = Decimal(float_from_bits(b - 1)) if b > 1 else Decimal(0)
    lo = (below + exact) / 2
    if b + 1 >= 0x7f800000:
        hi = exact + (exact - below) / 2
    else:
        hi = (exact + Decimal(float_from_bits(b + 1))) / 2
    even = (b & 1) == 0

    def reads_back(c):
        return lo < c < hi or (even and (c == lo or c == hi))

    e = exact.adjusted()
    for p in range(1, 10):
        unit = Decimal(1).scaleb(e - p + 1)
        q = exact.quantize(unit)
        found = [c for c in (q, q - unit, q + unit)
                 if c > 0 and reads_back(c) and len(c.normalize().as_tuple().digits) <= p]
        if found:
            best = min(found, key=lambda c: abs(c - exact))
            t = best.normalize().as_tuple()
            digits = ''.join(map(str, t.digits))
            return digits, len(digits) - 1 + t.exponent
    raise AssertionError(f"no shortest form for {x!r}")


def _quick_shortest_digits(x):
    """The same as _shortest_digits by way of printf-style rounding; None where that way
    could be fooled: at a power of two (the gap below is narrower than the gap above) or
    when a candidate lies next to a midpoint between two floats."""
    b = bits_of_float(x)
    if b & 0x7fffff == 0:
        return None
    below, above = float_from_bits(b - 1), float_from_bits(b + 1)
    lo, hi = (below + x) / 2, (x + above) / 2  # exact in double
    for p in range(9):
        text = "%.*e" % (p, x)
        y = float(text)
        if abs(y - lo) <= abs(lo) * 1e-15 or abs(y - hi) <= abs(hi) * 1e-15:
            return None
        if lo < y < hi:
            mantissa, exp = text.split("e")
            digits = mantissa.replace(".", "").rstrip("0") or "0"
            return digits, int(exp)
    return None


def format_float(x):
    """A float32 as the shortest text that reads back as the same float, fixed or
    scientific notation, whichever is shorter (fixed on a tie)."""
    if x == 0:  # 0 and -0 are one key to a dict
        return "-0" if math.copysign(1.0, x) < 0 else "0"
    text = _formatted.get(x)
    if text is None:
        text = _format_float(x)
        if len(_formatted) < 100000:
            _formatted[x] = text
    return text


_formatted = {}


def _format_float(x):
    if math.isnan(x):
        return '"nan"'
    if math.isinf(x):
        return '"inf"' if x > 0 else '"-inf"'
    sign = "-" if x < 0 else ""
    digits, exp = _quick_shortest_digits(abs(x)) or _shortest_digits(abs(x))
    n = len(digits)
    mantissa = digits[0] + ("." + digits[1:] if n > 1 else "")
    scientific = f"{mantissa}e{'-' if exp < 0 else '+'}{abs(exp):02d}"
    if exp >= n - 1:
        fixed = str(int(Decimal(abs(x))))  # a whole number is written out in full
        if len(fixed) != exp + 1:
            fixed = digits + "0" * (exp - n + 1)
    elif exp >= 0:
        fixed = digits[:exp + 1] + "." + digits[exp + 1:]
    else:
        fixed = "0." + "0" * (-exp - 1) + digits
    return sign + (fixed if len(fixed) <= len(scientific) else scientific)


def _format_record(obj, fields, ints):
    parts = []
    for f in fields:
        v = getattr(obj, f)
        parts.append(f'"{f}":{int(v) if f in ints else format_float(v)}')
    return parts


def trace_line(m, frame, ms):
    st = m.state
    parts = [f'"frame":{frame}', f'"elapsedMs":{ms}']
    parts += _format_record(st, MatchState.FIELDS, MatchState.INTS)
    for name in ("paddle1", "paddle2"):
        inner = ",".join(_format_record(getattr(st, name), Paddle.FIELDS, Paddle.INTS))
        parts.append(f'"{name}":{{{inner}}}')
    parts.append(f'"leftButton":{m.input.leftButton}')
    parts.append('"sounds":[' + ",".join(f'"{s}"' for s in m.sounds) + "]")
    parts.append('"requests":[' + ",".join(f'"{r}"' for r in m.requests) + "]")
    return "{" + ",".join(parts) + "}"


# --- the headless runner --------------------------------------------------------------------

USAGE = ("usage: match_model.py [--settings FILE] [--script FILE] [--frame-ms MS] "
         "[--max-frames N] [--seed S] [--trace]")


class UsageError(Exception):
    pass


class ScriptError(Exception):
    pass


def parse_args(argv):
    opts = {"settings": "settings.dat", "script": None, "frame_ms": 16, "max_frames": None,
            "seed": 1, "trace": False}
    i = 0
    while i < len(argv):
        a = argv[i]
        if a == "--trace":
            opts["trace"] = True
            i += 1
            continue
        if a not in ("--settings", "--script", "--frame-ms", "--max-frames", "--seed"):
            raise UsageError(f"unknown option '{a}'")
        if i + 1 >= len(argv):
            raise UsageError(f"{a} needs a value")
        v = argv[i + 1]
        if a in ("--settings", "--script"):
            opts[a[2:]] = v
        else:
            if not v.isdigit() or int(v) > 0xffffffff:
                raise UsageError(f"{a} needs a whole number, not '{v}'")
            opts[a[2:].replace("-", "_")] = int(v)
        i += 2
    return opts


def read_settings(path):
    try:
        with open(path, "rb") as f:
            data = f.read(SETTINGS_SIZE)
    except OSError:
        data = None
    return decode_settings(data, path, lambda msg: print(msg, file=sys.stderr))


def _whole(word, low, high):
    text = word[1:] if word.startswith("-") and low < 0 else word
    if not text.isdigit() or not text.isascii():
        raise ValueError
    value = int(word)
    if not low <= value <= high:
        raise ValueError
    return value


def parse_script_line(text):
    """(elapsedMs, pointerX, pointerY, button, keys) of one update line."""
    words = text.split()
    if len(words) < 4 or words[3] not in ("0", "1", "-"):
        raise ValueError
    ms = _whole(words[0], 0, 0xffffffff)
    px, py = _whole(words[1], -2**31, 2**31 - 1), _whole(words[2], -2**31, 2**31 - 1)
    keys = [_whole(k, 0, 255) for k in words[4:]]
    return ms, px, py, words[3], keys


def read_script(path):
    """The update lines of a script, one at a time; a malformed line raises ScriptError when
    it is reached, so the updates before it are played."""
    with open(path) as f:
        for number, raw in enumerate(f, 1):
            text = raw.strip()
            if not text or text.startswith("#"):
                continue
            try:
                yield parse_script_line(text)
            except ValueError:
                raise ScriptError(f"{path}:{number}: malformed script line") from None


def parse_script(path):
    return list(read_script(path))


class HeadlessRun:
    """One headless match as the runner plays it: a window creation, then updates, each
    followed by the drawing's two writes; a fullscreen toggle creates the window again."""

    def __init__(self, settings_path, seed=1):
        self.settings_path = settings_path
        self.match = Match(seed)
        self.frames = 0
        self.last_ms = 0
        self.create_window()

    def create_window(self):
        m = self.match
        m.input.keys = [0] * 256
        init_match_state(m)
        m.settings = read_settings(self.settings_path)

    def update(self, ms, pointer_x=0, pointer_y=0, button="-", keys=()):
        """One script line's update; returns False when the run stops after it."""
        m = self.match
        if self.frames > 0 and "toggleFullscreen" in m.requests and "quit" not in m.requests:
            self.create_window()
        m.input.pointerX, m.input.pointerY = pointer_x, pointer_y
        if button != "-":
            m.input.leftButton = int(button)
        m.input.keys = [0] * 256
        for k in keys:
            m.input.keys[k] = 1
        m.sounds = []
        m.requests = []
        update_match(m, ms)
        lift_paddle_to_ball(m, m.state.paddle1)
        lift_paddle_to_ball(m, m.state.paddle2)
        request_win_sound(m)
        self.frames += 1
        self.last_ms = ms
        return "quit" not in m.requests

    def trace_line(self):
        return trace_line(self.match, self.frames, self.last_ms)

    def won(self):
        return self.match.state.rallyState in (P1_WINS, P2_WINS)


def run(opts, out):
    script = read_script(opts["script"]) if opts["script"] else None
    max_frames = opts["max_frames"]
    if max_frames is None:
        max_frames = 1000000 if script is None else math.inf
    game = HeadlessRun(opts["settings"], opts["seed"])
    if opts["trace"]:
        out.write(game.trace_line() + "\n")
    while game.frames < max_frames:
        if script is not None:
            line = next(script, None)
            if line is None:
                break
            going_on = game.update(*line)
        else:
            going_on = game.update(opts["frame_ms"])
        if opts["trace"]:
            out.write(game.trace_line() + "\n")
        if not going_on or (script is None and game.won()):
            break
    st = game.match.state
    if not opts["trace"]:
        winner = {P1_WINS: 1, P2_WINS: 2}.get(st.rallyState, 0)
        out.write(f"frames={game.frames} score={st.score1}-{st.score2} state={st.rallyState} "
                  f"winner={winner}\n")
    return 0


def main(argv):
    try:
        opts = parse_args(argv)
        return run(opts, sys.stdout)
    except UsageError as e:
        print(f"match_model.py: {e}\n{USAGE}", file=sys.stderr)
        return 2
    except ScriptError as e:
        print(f"match_model.py: {e}", file=sys.stderr)
        return 2
    except OSError as e:
        print(f"match_model.py: {e}", file=sys.stderr)
        return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
