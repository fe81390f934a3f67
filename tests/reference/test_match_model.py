#!/usr/bin/env python3
"""Checks the Python model itself against numbers worked out by hand from the game's rules,
so that an agreement between the model and the game means something."""

import os
import struct
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import match_model as mm  # noqa: E402


def fresh_match(game_speed=1.0, gravity=1.0, **fields):
    m = mm.Match()
    m.settings = mm.shipped_settings()
    m.settings.gameSpeed = game_speed
    m.settings.gravityScale = gravity
    for k, v in fields.items():
        setattr(m.settings, k, v)
    return m


class Float32(unittest.TestCase):
    def test_rounding_and_constants(self):
        self.assertEqual(mm.f32(0.1), 0.10000000149011612)
        self.assertEqual(mm.f32(1e39), float("inf"))
        self.assertEqual(mm.bits_of_float(mm.GRAVITY), 0x3a8d8eca)
        self.assertAlmostEqual(mm.GRAVITY, 0.0010800000746, delta=1e-13)
        self.assertEqual(mm.bits_of_float(mm.POSITION) + 1, mm.bits_of_float(mm.PREDICT_POSITION))
        self.assertEqual(mm.bits_of_float(mm.DRAG) + 1, mm.bits_of_float(mm.PREDICT_DRAG))
        self.assertEqual(mm.ONE_180TH, mm.f32(0.0055555557))
        self.assertEqual(mm.NET_CLEARANCE, mm.f32(78.2) + 22)

    def test_shortest_text(self):
        cases = [(20.0, "20"), (-152.5, "-152.5"), (mm.f32(88.2), "88.2"),
                 (mm.f32(1e-5), "1e-05"), (mm.f32(1.1641532e-09), "1.1641532e-09"),
                 (mm.f32(0.0416), "0.0416"), (0.0, "0"), (-0.0, "-0"), (1e10, "1e+10"),
                 (16777216.0, "16777216"), (mm.f32(5956435968.0), "5956435968"),
                 (mm.f32(0.0001), "1e-04"), (mm.f32(0.001), "0.001"), (mm.f32(123456.7), "123456.7"),
                 (float("nan"), '"nan"'), (float("-inf"), '"-inf"')]
        for value, text in cases:
            self.assertEqual(mm.format_float(value), text, value)


class Flight(unittest.TestCase):
    def test_one_step_of_16_ms(self):
        m = fresh_match()
        st = m.state
        st.ballX, st.ballY, st.ballZ = 0.0, 100.0, 50.0
        st.ballVX, st.ballVY, st.ballVZ, st.ballSpin = 100.0, 200.0, -300.0, 10.0
        mm.advance_ball(m, 16)
        self.assertAlmostEqual(st.ballX, 0.16, places=5)
        self.assertAlmostEqual(st.ballY, 100.31997, places=4)
        self.assertAlmostEqual(st.ballZ, 49.52, places=4)
        self.assertAlmostEqual(st.ballVX, 101.5968, places=4)
        self.assertAlmostEqual(st.ballVY, 199.97952, places=4)
        self.assertAlmostEqual(st.ballVZ, -299.9968, places=4)
        self.assertAlmostEqual(st.ballSpin, 9.9968, places=5)

    def test_zero_time_changes_nothing_and_rest_turns_to_minus_drag(self):
        m = fresh_match(game_speed=0.0)
        st = m.state
        st.ballY = 100.0
        mm.advance_ball(m, 16)
        self.assertEqual((st.ballX, st.ballY, st.ballVX), (20.0, 100.0, 0.0))
        m = fresh_match()
        mm.advance_ball(m, 10)
        self.assertEqual(m.state.ballVX, mm.f32(-10 * mm.DRAG))

    def test_depth_slowdown_keeps_a_small_positive_speed_positive(self):
        m = fresh_match()
        m.state.rallyState = mm.P1_SHOT
        m.state.ballVZ = 0.5
        mm.slow_depth(m, 16)  # s is about 1.0667
        self.assertEqual(m.state.ballVZ, 0.5)
        m.state.ballVZ = -0.5
        mm.slow_depth(m, 16)
        self.assertGreater(m.state.ballVZ, 0)

    def test_net_stops_a_crossing_ball(self):
        m = fresh_match()
        st = m.state
        st.prevBallZ, st.ballZ, st.ballY = 2.0, -1.0, 90.0
        st.ballVX, st.ballVY, st.ballVZ = 10.0, 5.0, -300.0
        mm.net_collision(m)
        self.assertEqual((st.ballZ, st.ballVZ), (2.0, 15.0))
        self.assertEqual((st.ballVX, st.ballVY), (2.0, 1.0))


class Prediction(unittest.TestCase):
    def test_net_hit(self):
        m = fresh_match()
        self.assertEqual(mm.predict_net_hit(m, 0, 90, 50, 0, 0, -300), 2)
        self.assertEqual(mm.predict_net_hit(m, 0, 110, 50, 0, 0, -300), 1)
        self.assertEqual(mm.predict_net_hit(m, 0, 90, 80, 0, 0, -300), 1)
        self.assertEqual(mm.predict_net_hit(m, 0, 90, 140, 0, 0, 0), 1)
        self.assertEqual(mm.predict_net_hit(m, 0, 90, 1, 0, 0, 0), 2)
        self.assertEqual(mm.predict_net_hit(m, 0, 100.2, 1, 0, 0, 0), 1)

    def test_crossing_x(self):
        m = fresh_match(game_speed=10.0)
        u = mm.predict_crossing_x(m, 0, 90, 150, 150, 40, -300, True)
        self.assertAlmostEqual(u, 76.4, delta=0.1)
        u = mm.predict_crossing_x(m, 0, 90, 150, 50, 40, -300, True)
        self.assertAlmostEqual(u, 47.0, delta=0.1)
        self.assertEqual(mm.predict_crossing_x(m, 0, 90, 150, 50, 40, 300, True), 1.0)
        m = fresh_match(game_speed=1.0)
        self.assertEqual(mm.predict_crossing_x(m, 0, 90, 150, 50, 40, -300, True), 1.0)


class Swings(unittest.TestCase):
    def run_swing(self, paddle_number, updates):
        m = fresh_match()
        p = m.state.paddle1 if paddle_number == 1 else m.state.paddle2
        p.swingPhase = 1
        angles = []
        for _ in range(updates):
            mm.step_swings(m, 16)
            if p.swingAngle < 0:  # the strokes lift a finished swing back to 0
                p.swingAngle = 0.0
            angles.append((p.swingAngle, p.swingPhase))
        return angles

    def test_paddle1(self):
        angles = self.run_swing(1, 35)
        self.assertEqual([a for a, _ in angles[:3]], [3, 7, 11])
        self.assertEqual(angles[16][0], 67)
        self.assertEqual(angles[17], (67, 3))
        self.assertEqual(angles[33][0], 3)
        self.assertEqual(angles[34], (0, 0))

    def test_paddle2(self):
        angles = self.run_swing(2, 37)
        self.assertEqual([a for a, _ in angles[:3]], [0, 4, 8])
        self.assertEqual(angles[17][0], 68)
        self.assertEqual(angles[18], (68, 3))
        self.assertEqual(angles[35], (0, 3))
        self.assertEqual(angles[36], (0, 0))


class Scoring(unittest.TestCase):
    def serve_after(self, points, score1, score2, first=1):
        m = fresh_match(pointsPerGame=points)
        m.state.score1, m.state.score2, m.state.firstServer = score1, score2, first
        mm.decide_next_serve(m)
        return m.state.rallyState

    def test_first_draw_is_41(self):
        m = mm.Match()
        self.assertEqual(m.random_below(32768), 41)
        m = mm.Match()
        mm.decide_next_serve(m)
        self.assertEqual((m.state.firstServer, m.state.rallyState), (2, mm.P2_TO_SERVE))

    def test_eleven_points(self):
        p1, p2 = mm.P1_TO_SERVE, mm.P2_TO_SERVE
        table = {(1, 0): p1, (1, 1): p2, (2, 0): p2, (3, 0): p2, (2, 2): p1, (3, 2): p1,
                 (4, 0): p1, (9, 1): p2, (10, 0): p2, (9, 9): p2, (10, 9): p2, (10, 10): p1,
                 (11, 10): p2, (11, 11): p1, (12, 11): p2, (11, 9): mm.P1_WINS,
                 (12, 10): mm.P1_WINS, (11, 0): mm.P1_WINS, (3, 11): mm.P2_WINS}
        for (a, b), want in table.items():
            self.assertEqual(self.serve_after(11, a, b), want, (a, b))

    def test_twenty_one_points(self):
        p1, p2 = mm.P1_TO_SERVE, mm.P2_TO_SERVE
        table = {(2, 2): p1, (3, 2): p2, (4, 1): p2, (5, 0): p2, (10, 0): p1, (12, 2): p1,
                 (10, 10): p1, (20, 19): p2, (20, 20): p1, (21, 20): p2,
                 (21, 19): mm.P1_WINS, (22, 20): mm.P1_WINS}
        for (a, b), want in table.items():
            self.assertEqual(self.serve_after(21, a, b), want, (a, b))


class Strokes(unittest.TestCase):
    def pace(self, depth, ball_y):
        st = mm.MatchState()
        st.ballY = ball_y
        ratio = mm.set_return_pace(st, depth, low_first=False)
        return ratio, st.ballVY, mm.f32(-(ratio * 140 * 2.8))

    def test_depth_200_and_205(self):
        ratio, vy, vz = self.pace(200, 90)
        self.assertAlmostEqual(ratio, 0.730, places=3)
        self.assertAlmostEqual(vy, 43.4, delta=0.05)
        self.assertAlmostEqual(vz, -286.1, delta=0.05)
        self.assertAlmostEqual(self.pace(200, 84)[1], 52.0, delta=0.05)
        self.assertAlmostEqual(self.pace(200, 79)[1], 62.5, delta=0.05)
        ratio, vy, vz = self.pace(205, 90)
        self.assertAlmostEqual(ratio, 0.748, places=3)
        self.assertAlmostEqual(vy, 41.4, delta=0.05)
        self.assertAlmostEqual(vz, -293.3, delta=0.05)

    def test_near_paddle_gets_the_floor_ratio(self):
        ratio, vy, vz = self.pace(100, 90)
        self.assertEqual((ratio, vy, vz), (0.5, 55.0, -196.0))


class SettingsRecord(unittest.TestCase):
    def decode(self, **overrides):
        fields = dict(simple=0, speed=13.0, spin=10.0, gravity=11.0, skill=0.7, ai_speed=40.0,
                      points=11, w=1024, h=768, cx=0.0, cy=300.0, cz=320.0, p1=1, p2=0)
        fields.update(overrides)
        data = struct.pack("<i4xdddddddiii4xdddii", fields["simple"], fields["speed"], 0.0,
                           fields["spin"], fields["gravity"], fields["skill"],
                           fields["ai_speed"], 0.0, fields["points"], fields["w"], fields["h"],
                           fields["cx"], fields["cy"], fields["cz"], fields["p1"], fields["p2"])
        warnings = []
        return mm.decode_settings(data, "test.dat", warnings.append), warnings

    def test_values_taken_and_clamped(self):
        s, warnings = self.decode(skill=1.5, spin=7.99, p1=2, p2=-1)
        self.assertEqual((s.aiSkill, s.spinFactor, s.player1Mouse, s.player2Keyboard),
                         (1.0, 7, True, True))
        self.assertEqual(warnings, [])
        self.assertEqual(self.decode(skill=-0.25)[0].aiSkill, 0.0)
        self.assertEqual(self.decode(spin=-2.9)[0].spinFactor, -2)
        self.assertEqual(self.decode(speed=0.0)[0].gameSpeed, 0.0)

    def test_unusable_values_fall_back_with_a_warning(self):
        s, warnings = self.decode(points=15, w=0, speed=float("nan"))
        builtin = mm.shipped_settings()
        self.assertEqual((s.pointsPerGame, s.screenWidth, s.screenHeight, s.gameSpeed),
                         (11, 1024, 768, builtin.gameSpeed))
        self.assertEqual(len(warnings), 3)
        s = mm.decode_settings(b"\0" * 100, "short.dat", warnings.append)
        self.assertEqual(s.gameSpeed, builtin.gameSpeed)

    def test_runner_reads_missing_file_as_builtin(self):
        with tempfile.TemporaryDirectory() as d:
            s = mm.read_settings(os.path.join(d, "none.dat"))
        builtin = mm.shipped_settings()
        self.assertEqual((s.gameSpeed, s.gravityScale, s.pointsPerGame, s.player1Mouse),
                         (builtin.gameSpeed, builtin.gravityScale, 11, True))


if __name__ == "__main__":
    unittest.main()
