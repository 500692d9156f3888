"""Music and sound effects, synthesised from scratch (standard library only)
and turned into MP3 with lame."""

import math
import os
import random
import struct
import subprocess
import tempfile
import wave

RATE = 22050


def note_hz(n):
    """MIDI note number to frequency."""
    return 440.0 * 2 ** ((n - 69) / 12)


# ---------------------------------------------------------------- voices

def osc(kind, phase):
    p = phase % 1.0
    if kind == "sine":
        return math.sin(2 * math.pi * p)
    if kind == "tri":
        return 4 * abs(p - 0.5) - 1
    if kind == "saw":
        return 2 * p - 1
    if kind == "square":
        return 1.0 if p < 0.5 else -1.0
    raise ValueError(kind)


class Track:
    """A mono mix. In a loop, what rings past the end wraps to the start, so
    the last sample joins the first without a click."""

    def __init__(self, seconds, loop):
        self.n = int(round(seconds * RATE))
        self.buf = [0.0] * self.n
        self.loop = loop

    def add(self, start, samples):
        i0 = int(round(start * RATE))
        n = self.n
        buf = self.buf
        for k, v in enumerate(samples):
            i = i0 + k
            if i >= n:
                if not self.loop:
                    break
                i %= n
            buf[i] += v

    def tone(self, start, dur, midi, kind="tri", vol=0.3, attack=0.01, release=0.08,
             cutoff=None, vibrato=0.0):
        f = note_hz(midi)
        total = int((dur + release) * RATE)
        a = max(1, int(attack * RATE))
        d = max(1, int(dur * RATE))
        r = max(1, int(release * RATE))
        out = []
        phase = 0.0
        lp = 0.0
        alpha = 1.0 if cutoff is None else 1 - math.exp(-2 * math.pi * cutoff / RATE)
        for k in range(total):
            if k < a:
                env = k / a
            elif k < d:
                env = 1.0
            else:
                env = max(0.0, 1 - (k - d) / r)
            fv = f * (1 + vibrato * math.sin(2 * math.pi * 5 * k / RATE))
            phase += fv / RATE
            v = osc(kind, phase)
            lp += alpha * (v - lp)
            out.append(lp * env * vol)
        self.add(start, out)

    def kick(self, start, vol=0.7):
        out = []
        phase = 0.0
        for k in range(int(0.25 * RATE)):
            t = k / RATE
            f = 45 + 110 * math.exp(-t * 30)
            phase += f / RATE
            out.append(math.sin(2 * math.pi * phase) * math.exp(-t * 14) * vol)
        self.add(start, out)

    def noise(self, start, dur, vol=0.2, decay=30.0, cutoff=6000, seed=0):
        rnd = random.Random(seed)
        out = []
        lp = 0.0
        alpha = 1 - math.exp(-2 * math.pi * cutoff / RATE)
        for k in range(int(dur * RATE)):
            t = k / RATE
            lp += alpha * (rnd.uniform(-1, 1) - lp)
            out.append(lp * math.exp(-t * decay) * vol)
        self.add(start, out)

    def snare(self, start, vol=0.35, seed=0):
        self.noise(start, 0.2, vol, 22, 5000, seed)
        self.tone(start, 0.03, 50, "tri", vol * 0.5, 0.001, 0.08)

    def hat(self, start, vol=0.12, seed=0):
        self.noise(start, 0.05, vol, 80, 9000, seed)

    def samples(self, fade_out=0.0):
        peak = max(1e-9, max(abs(v) for v in self.buf))
        gain = 0.89 / peak
        out = [v * gain for v in self.buf]
        if fade_out:
            m = int(fade_out * RATE)
            for k in range(m):
                out[self.n - m + k] *= 1 - k / m
            out[-1] = 0.0
        if self.loop:
            # start and end at a rising zero crossing; turning the loop keeps
            # its length (a whole number of bars) and its seamless join
            for i in range(1, self.n):
                if out[i - 1] < 0 <= out[i]:
                    out = out[i:] + out[:i]
                    break
        return out


def write_wav(path, samples):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(b"".join(struct.pack("<h", int(max(-1, min(1, v)) * 32767))
                               for v in samples))


def write_mp3(path, samples):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with tempfile.TemporaryDirectory() as tmp:
        wav = os.path.join(tmp, "x.wav")
        write_wav(wav, samples)
        subprocess.run(["lame", "--silent", "-m", "m", "-b", "64", wav, path], check=True)


# ---------------------------------------------------------------- music

CHORDS = {  # root note and minor/major triad
    "Am": (57, [0, 3, 7]), "F": (53, [0, 4, 7]), "C": (48, [0, 4, 7]), "G": (55, [0, 4, 7]),
    "Dm": (50, [0, 3, 7]), "E": (52, [0, 4, 7]), "Em": (52, [0, 3, 7]),
}


def level_music():
    bpm = 120
    beat = 60 / bpm
    bar = 4 * beat                    # 2 s, a whole number of samples
    progression = ["Am", "F", "C", "G"] * 2 + ["Dm", "F", "E", "E"]
    t = Track(len(progression) * bar, loop=True)
    for b, name in enumerate(progression):
        root, triad = CHORDS[name]
        t0 = b * bar
        for k in range(8):  # driving eighth-note bass
            note = root - 12 + (12 if k % 4 == 3 else 0)
            t.tone(t0 + k * beat / 2, beat / 2 * 0.8, note, "saw", 0.22, 0.005, 0.03, cutoff=900)
        for k in range(16):  # arpeggio
            note = root + 12 + triad[k % 3] + (12 if k % 8 >= 4 else 0)
            t.tone(t0 + k * beat / 4, beat / 4 * 0.7, note, "square", 0.06, 0.003, 0.05, cutoff=2500)
        for k in range(4):
            t.kick(t0 + k * beat)
            if k % 2 == 1:
                t.snare(t0 + k * beat, seed=b * 4 + k)
            t.hat(t0 + k * beat + beat / 2, seed=b * 8 + k)
        if b % 4 == 0 or b >= 8:  # a lead line over some bars
            melody = [12, 10, 7, 3] if triad[1] == 3 else [12, 11, 7, 4]
            for k, m in enumerate(melody):
                t.tone(t0 + k * beat, beat * 0.9, root + 12 + m, "tri", 0.16, 0.02, 0.15, vibrato=0.004)
    return t.samples()


def menu_music():
    bpm = 90
    beat = 60 / bpm
    bar = 4 * beat                    # 8/3 s = 58800 samples
    progression = ["Am", "F", "C", "G", "Am", "F", "Em", "Em"]
    t = Track(len(progression) * bar, loop=True)
    for b, name in enumerate(progression):
        root, triad = CHORDS[name]
        t0 = b * bar
        for n in triad:  # soft pad
            t.tone(t0, bar * 0.95, root + n, "saw", 0.07, 0.6, 0.6, cutoff=700)
        t.tone(t0, bar * 0.9, root - 12, "sine", 0.25, 0.1, 0.5)
        for k in range(8):
            note = root + 12 + triad[(k * 2) % 3] + (12 if k in (3, 7) else 0)
            t.tone(t0 + k * beat / 2, beat / 2, note, "tri", 0.09, 0.01, 0.4)
    return t.samples()


def boss_music():
    beat = 60 / 150
    t = Track(9.6, loop=False)
    for k in range(24):
        t0 = k * beat
        t.kick(t0, 0.8)
        if k % 2:
            t.snare(t0, 0.4, seed=k)
        root = [45, 45, 46, 44][(k // 6) % 4]
        t.tone(t0, beat * 0.45, root - 12, "saw", 0.3, 0.005, 0.05, cutoff=700)
        t.tone(t0 + beat / 2, beat * 0.45, root, "saw", 0.2, 0.005, 0.05, cutoff=900)
    for k, n in enumerate([69, 68, 69, 72, 71, 68, 69, 64]):
        t.tone(k * beat * 2, beat * 1.8, n, "square", 0.08, 0.01, 0.2, cutoff=2000, vibrato=0.006)
    return t.samples(fade_out=1.2)


def victory_music():
    beat = 60 / 132
    t = Track(6.5, loop=False)
    fanfare = [(0, 60, 0.5), (0.5, 64, 0.5), (1, 67, 0.5), (1.5, 72, 1.5), (3, 69, 0.5),
               (3.5, 72, 0.5), (4, 76, 3.5)]
    for at, n, d in fanfare:
        t.tone(at * beat, d * beat, n, "square", 0.12, 0.01, 0.2, cutoff=3000)
        t.tone(at * beat, d * beat, n - 12, "tri", 0.2, 0.01, 0.2)
    for at, ch in ((0, "C"), (3, "F"), (4, "C")):
        root, triad = CHORDS[ch]
        for n in triad:
            t.tone(at * beat, 3.5 * beat, root + n, "saw", 0.06, 0.05, 0.8, cutoff=1200)
    for k in range(8):
        t.kick(k * beat * 0.5 if k < 4 else 4 * beat, 0.5)
    return t.samples(fade_out=1.5)


# ---------------------------------------------------------------- effects

def fx_fire():
    t = Track(0.16, loop=False)
    out = []
    phase = 0.0
    for k in range(int(0.14 * RATE)):
        x = k / RATE
        phase += (1800 * math.exp(-x * 25) + 300) / RATE
        out.append(osc("square", phase) * 0.4 * (1 - x / 0.14))
    t.add(0, out)
    return t.samples(fade_out=0.01)


def fx_kill_enemy(seed=1):
    t = Track(0.5, loop=False)
    t.noise(0, 0.48, 0.8, 9, 2500, seed)
    t.kick(0, 0.6)
    return t.samples(fade_out=0.05)


def fx_kill_boss():
    t = Track(1.8, loop=False)
    for k, at in enumerate((0, 0.18, 0.4, 0.7)):
        t.noise(at, 1.1, 0.7 / (k + 1) ** 0.3, 4, 1600 - k * 250, seed=k)
        t.kick(at, 0.8)
    return t.samples(fade_out=0.3)


def fx_pop():
    t = Track(0.25, loop=False)
    out = []
    phase = 0.0
    for k in range(int(0.2 * RATE)):
        x = k / RATE
        phase += (300 + 900 * x / 0.2) / RATE
        out.append(math.sin(2 * math.pi * phase) * math.exp(-x * 18) * 0.8)
    t.add(0, out)
    t.noise(0, 0.06, 0.3, 60, 7000, 5)
    return t.samples(fade_out=0.02)


def build(res):
    snd = os.path.join(res, "norm", "snd")
    write_mp3(os.path.join(snd, "bgm1.mp3"), level_music())
    write_mp3(os.path.join(snd, "Boss.mp3"), boss_music())
    write_mp3(os.path.join(snd, "Victory.mp3"), victory_music())
    write_wav(os.path.join(snd, "Fire.wav"), fx_fire())
    write_wav(os.path.join(snd, "KillEnemy.wav"), fx_kill_enemy())
    write_wav(os.path.join(snd, "KillBoss.wav"), fx_kill_boss())
    # eggs pop rather than explode
    write_wav(os.path.join(res, "eegg", "snd", "KillEnemy.wav"), fx_pop())
    write_mp3(os.path.join(res, "menu", "snd", "BG.mp3"), menu_music())
