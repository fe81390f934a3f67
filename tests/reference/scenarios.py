#!/usr/bin/env python3
"""Writes the settings files and input scripts of the trace comparisons.

    scenarios.py DIR

Settings files are packed here byte by byte (the 112-byte record); computers.dat is the
shipped set with the computer on both sides when SPINVALE_SHIPPED_SETTINGS names that
file. The human players' scripts are played by small scripted players that watch the
model's match as it goes, so they move, toss and swing at the right moments; the script
they leave is plain input and replays the same way in the game's runner.
"""

import os
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import match_model as mm  # noqa: E402

SCREEN_W, SCREEN_H = 1024, 768


def settings_record(simple_graphics=0, game_speed=13.0, spin=10.0, gravity=11.0,
                    ai_skill=0.7, ai_speed=40.0, points=11, width=SCREEN_W, height=SCREEN_H,
                    camera=(0.0, 300.0, 320.0), player1_mouse=0, player2_keyboard=0):
    """The 112-byte settings record; the reserved doubles hold junk the game must ignore."""
    return struct.pack("<i4xdddddddiii4xdddii", simple_graphics, game_speed, 12345.678, spin,
                       gravity, ai_skill, ai_speed, -1e300, points, width, height, *camera,
                       player1_mouse, player2_keyboard)


SETTINGS = {
    "computers.dat": {},
    "computers21.dat": {"points": 21, "ai_skill": 0.55, "ai_speed": 25.0},
    "mouse.dat": {"player1_mouse": 1},
    "keyboard.dat": {"player2_keyboard": 1},
    "humans.dat": {"player1_mouse": 1, "player2_keyboard": 7, "spin": 25.9},
    "points15.dat": {"points": 15},
    "skill_above.dat": {"ai_skill": 1.5},
    "skill_below.dat": {"ai_skill": -0.25},
    "spin799.dat": {"player1_mouse": 1, "spin": 7.99},
    "frozen.dat": {"game_speed": 0.0},
    "mouse_fast_computer.dat": {"player1_mouse": 1, "ai_speed": 400.0},
    "keyboard_fast_computer.dat": {"player2_keyboard": 1, "ai_speed": 400.0},
    "speed9.dat": {"game_speed": 9.0, "gravity": 8.0, "ai_skill": 0.3},
    "short_game.dat": {"game_speed": 20.0, "gravity": 18.0, "ai_skill": 0.0, "ai_speed": 10.0},
}


class Lcg:
    """A small seeded sequence for frame times and pointer jitter."""

    def __init__(self, seed):
        self.state = seed

    def below(self, n):
        self.state = (self.state * 1103515245 + 12345) & 0x7fffffff
        return (self.state >> 8) % n


def irregular_frames(count, seed=5):
    """Computer-vs-computer updates with uneven frame times, including 0 to 3 ms and long
    stalls."""
    rng = Lcg(seed)
    lines = []
    for _ in range(count):
        r = rng.below(100)
        ms = 0 if r < 3 else rng.below(4) if r < 10 else 90 + rng.below(200) if r < 13 else \
            8 + rng.below(40)
        lines.append(f"{ms} 0 0 -")
    return lines


def won_game(frames, f1_frame):
    """Fixed 50 ms updates through a whole short game and on past its end, with F1 once
    the game is won."""
    return ["50 0 0 -" + (" 112" if frame == f1_frame else "") for frame in range(frames)]


def random_input(count, seed=17):
    """Pointer jitter and jumps, random button messages and keys, and odd frame times."""
    rng = Lcg(seed)
    px, py = SCREEN_W // 2, SCREEN_H // 2
    lines = []
    for _ in range(count):
        r = rng.below(100)
        ms = rng.below(4) if r < 15 else 100 + rng.below(3000) if r < 18 else 10 + rng.below(30)
        px += rng.below(81) - 40
        py += rng.below(61) - 30
        if rng.below(100) == 0:
            px, py = rng.below(3000) - 500, rng.below(1200) - 200
        button = "-" if rng.below(5) else str(rng.below(2))
        keys = [k for k in (mm.KEY_ENTER, mm.KEY_LEFT, mm.KEY_UP, mm.KEY_RIGHT, mm.KEY_DOWN)
                if rng.below(6) == 0]
        lines.append(" ".join([str(ms), str(px), str(py), button] + [str(k) for k in keys]))
    return lines


def pointer_for(x, z):
    """Screen pixels that put paddle 1 at (x, z)."""
    px = round((x + mm.TABLE_WIDTH) / (2 * mm.TABLE_WIDTH) * SCREEN_W)
    py = round(z / mm.TABLE_LENGTH * SCREEN_H)
    return px, py


def play(settings_path, frames, choose, seed=1):
    """Plays `frames` updates with `choose(state, frame, rng)` giving each update's input
    (ms, px, py, button, keys); returns the script lines."""
    game = mm.HeadlessRun(settings_path, seed)
    rng = Lcg(seed + 11)
    lines = []
    for frame in range(frames):
        ms, px, py, button, keys = choose(game.match.state, frame, rng)
        lines.append(" ".join([str(ms), str(px), str(py), button] + [str(k) for k in keys]))
        if not game.update(ms, px, py, button, keys):
            break
    return lines


class MousePlayer:
    """Player 1 with the mouse: follows the ball, tosses with a click, clicks to swing as
    the ball comes, and drags the pointer sideways after a stroke for side-spin. `depth`
    is the range the paddle is held in; `swing_from` how far out the ball may be when the
    swing starts (the earlier, the wider the angle at contact)."""

    def __init__(self, depth=(190, 220), swing_from=185):
        self.pressed = False
        self.spin_drag = 0
        self.depth = depth
        self.swing_from = swing_from

    def __call__(self, st, frame, rng):
        ms = 14 + rng.below(6)
        button = "-"
        if self.pressed:
            button, self.pressed = "0", False
        depth = self.depth[0] + rng.below(self.depth[1] - self.depth[0])
        if st.rallyState == mm.P1_TO_SERVE:
            px, py = pointer_for(-40 + rng.below(80), depth)
            if rng.below(12) == 0:
                button, self.pressed = "1", True
        elif st.rallyState == mm.P1_SHOT and st.ballZ > 60:
            # Drag the pointer across while the shot flies out toward z = 100.
            self.spin_drag += 9 if frame % 40 < 20 else -13
            px, py = pointer_for(st.paddle1.x, depth)
            px += self.spin_drag
        else:
            self.spin_drag = 0
            px, py = pointer_for(st.ballX - 5 + rng.below(7) - 3, depth)
            coming = st.rallyState in (mm.P1_TO_RETURN, mm.P2_SHOT, mm.P2_SERVE)
            if coming and st.ballVZ > 0 and st.ballZ > 60 and \
                    st.ballZ < self.swing_from and rng.below(4) == 0 \
                    and st.paddle1.swingPhase in (0, 3):
                button, self.pressed = "1", True
        return ms, px, py, button, []


class KeyboardPlayer:
    """Player 2 with the arrows and Enter: tracks the ball, steps in and out, tosses with
    Enter and swings with Enter as the ball arrives. `depth` is the range the paddle is
    kept in; `swing_from` how far out the ball may be when the swing starts."""

    def __init__(self, tap_f1_at=None, esc_at=None, depth=(-230, -190), swing_from=-150):
        self.tap_f1_at = tap_f1_at
        self.esc_at = esc_at
        self.depth = depth
        self.swing_from = swing_from

    def __call__(self, st, frame, rng):
        ms = 12 + rng.below(10)
        keys = []
        target = st.ballX + 5 if st.rallyState not in (mm.P2_TO_SERVE, mm.P2_TOSS) else 0
        if st.paddle2.x < target - 3:
            keys.append(mm.KEY_RIGHT)
        elif st.paddle2.x > target + 3:
            keys.append(mm.KEY_LEFT)
        if st.paddle2.z > self.depth[1] and rng.below(3) == 0:
            keys.append(mm.KEY_UP)
        elif st.paddle2.z < self.depth[0] and rng.below(3) == 0:
            keys.append(mm.KEY_DOWN)
        if st.rallyState == mm.P2_TO_SERVE and rng.below(10) == 0:
            keys.append(mm.KEY_ENTER)
        elif st.ballVZ < 0 and self.swing_from < st.ballZ < -40 and rng.below(5) == 0:
            keys.append(mm.KEY_ENTER)
        if frame == self.tap_f1_at:
            keys.append(mm.KEY_F1)
        if frame == self.esc_at:
            keys.append(mm.KEY_ESC)
        return ms, 0, 0, "-", keys


class BothHumans:
    def __init__(self):
        self.mouse = MousePlayer()
        self.keyboard = KeyboardPlayer()

    def __call__(self, st, frame, rng):
        ms, px, py, button, _ = self.mouse(st, frame, rng)
        _, _, _, _, keys = self.keyboard(st, frame, rng)
        return ms, px, py, button, keys


def toggle_and_quit(frames, f1_frames, esc_frame):
    """Computer-vs-computer updates with F1 pressed at the given updates (held for two of
    them once) and Esc at the end."""
    lines = []
    for frame in range(frames):
        keys = []
        if frame in f1_frames:
            keys.append(mm.KEY_F1)
        if frame == esc_frame:
            keys.append(mm.KEY_ESC)
        lines.append(" ".join(["16", "0", "0", "-"] + [str(k) for k in keys]))
    return lines


def write(directory):
    os.makedirs(directory, exist_ok=True)
    for name, fields in SETTINGS.items():
        with open(os.path.join(directory, name), "wb") as f:
            f.write(settings_record(**fields))
    shipped = os.environ.get("SPINVALE_SHIPPED_SETTINGS")
    if shipped:
        # The shipped set with the computer on both sides.
        with open(shipped, "rb") as f:
            record = f.read(mm.SETTINGS_SIZE)
        with open(os.path.join(directory, "computers.dat"), "wb") as f:
            f.write(record[:104] + struct.pack("<ii", 0, 0))

    def path(name):
        return os.path.join(directory, name)

    scripts = {
        "irregular.txt": irregular_frames(1000),
        "mouse.txt": play(path("mouse.dat"), 1500, MousePlayer()),
        "keyboard.txt": play(path("keyboard.dat"), 1500, KeyboardPlayer()),
        "humans.txt": play(path("humans.dat"), 1200, BothHumans(), seed=3),
        "keyboard_toggle.txt": play(path("keyboard.dat"), 500,
                                    KeyboardPlayer(tap_f1_at=230, esc_at=460)),
        "toggle.txt": toggle_and_quit(1200, {0, 150, 151, 700}, 1100),
        "spin799.txt": play(path("spin799.dat"), 800, MousePlayer(), seed=9),
        "won.txt": won_game(1100, 950),
        "mouse_wide.txt": play(path("mouse_fast_computer.dat"), 1200,
                               MousePlayer(depth=(100, 230), swing_from=120), seed=4),
        "keyboard_wide.txt": play(path("keyboard_fast_computer.dat"), 1200,
                                  KeyboardPlayer(depth=(-200, -110), swing_from=-110), seed=5),
        "random.txt": random_input(800),
    }
    # A malformed line ends the run after the updates before it.
    scripts["malformed.txt"] = scripts["mouse.txt"][:40] + ["16 10 10 2"] + \
        scripts["mouse.txt"][40:50]
    for name, lines in scripts.items():
        with open(path(name), "w") as f:
            f.write("# elapsedMs pointerX pointerY button keys...\n")
            f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    if len(sys.argv) != 2:
        print(__doc__.strip(), file=sys.stderr)
        sys.exit(2)
    write(sys.argv[1])
