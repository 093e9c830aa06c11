"""The five sound cues, synthesised: 8-bit unsigned mono at 11025 Hz.

Each cue's length in samples is fixed (the game and its tests rely on the file
sizes). Noise comes from seeded generators so every run gives the same bytes."""

import math
import random

import fileformats

RATE = fileformats.SAMPLE_RATE
NYQUIST = RATE / 2
PEAK = 0.92   # of full scale: loud, with a little headroom against clipping


def _seconds(n):
    return [i / RATE for i in range(n)]


def _fade(signal, fade_in=0.004, fade_out=0.012):
    """Short raised-cosine ramps at both ends so no cue starts or ends in a click."""
    n = len(signal)
    a, b = int(fade_in * RATE), int(fade_out * RATE)
    out = list(signal)
    for i in range(min(a, n)):
        out[i] *= 0.5 - 0.5 * math.cos(math.pi * i / a)
    for i in range(min(b, n)):
        out[n - 1 - i] *= 0.5 - 0.5 * math.cos(math.pi * i / b)
    return out


def _to_u8(signal, drive=0.0):
    """Normalised 8-bit samples. drive > 0 squashes the peaks (soft clipping)
    so that short, spiky cues are not quiet next to the others."""
    peak = max(abs(v) for v in signal) or 1.0
    signal = [v / peak for v in signal]
    if drive > 0:
        signal = [math.tanh(drive * v) / math.tanh(drive) for v in signal]
    signal = _fade(signal)
    return bytes(max(0, min(255, 128 + int(round(v * PEAK * 127)))) for v in signal)


def _lowpass(signal, cutoff):
    """One-pole low-pass; cutoff may be a number or a list per sample."""
    out, y = [], 0.0
    for i, v in enumerate(signal):
        fc = cutoff[i] if isinstance(cutoff, list) else cutoff
        k = 1 - math.exp(-2 * math.pi * fc / RATE)
        y += k * (v - y)
        out.append(y)
    return out


def _bandpass(signal, centre, q):
    """Two-pole resonator (constant peak gain)."""
    w = 2 * math.pi * centre / RATE
    alpha = math.sin(w) / (2 * q)
    b0, b2 = alpha, -alpha
    a0, a1, a2 = 1 + alpha, -2 * math.cos(w), 1 - alpha
    out, x1, x2, y1, y2 = [], 0.0, 0.0, 0.0, 0.0
    for x in signal:
        y = (b0 * x + b2 * x2 - a1 * y1 - a2 * y2) / a0
        out.append(y)
        x2, x1, y2, y1 = x1, x, y1, y
    return out


def _smooth_random(rng, n, step):
    """Random values every `step` samples, joined by cosine curves."""
    knots = [rng.uniform(-1, 1) for _ in range(n // step + 2)]
    out = []
    for i in range(n):
        k, f = divmod(i, step)
        t = (1 - math.cos(math.pi * f / step)) / 2
        out.append(knots[k] * (1 - t) + knots[k + 1] * t)
    return out


def _tone(freqs, harmonics):
    """A tone that follows freqs (Hz per sample), with harmonic weights;
    harmonics above the Nyquist limit are left out rather than folded back."""
    out, phase = [], 0.0
    for f in freqs:
        phase += 2 * math.pi * f / RATE
        v = 0.0
        for h, weight in enumerate(harmonics, 1):
            # Fade a harmonic out as it nears the limit instead of cutting
            # it, which would click.
            room = (NYQUIST * 0.95 - h * f) / (NYQUIST * 0.15)
            if room > 0:
                v += weight * min(1.0, room) * math.sin(h * phase)
        out.append(v)
    return out


def rabbit_squeak(n=11900):
    """Three hurt squeaks, the last one long and falling."""
    rng = random.Random(2)
    out = [0.0] * n
    squeaks = [  # start, length (s), pitch at start, top, end
        (0.00, 0.20, 1500, 2300, 1900),
        (0.27, 0.18, 1600, 2400, 2000),
        (0.52, 0.52, 1700, 2500, 1250),
    ]
    for start, length, f0, f1, f2 in squeaks:
        first, count = int(start * RATE), int(length * RATE)
        wobble = _smooth_random(rng, count, 90)
        freqs, env = [], []
        for i in range(count):
            t = i / count
            # Quick rise to the top, then a slow sag: a voice, not a siren.
            f = f0 + (f1 - f0) * min(1, t / 0.18) if t < 0.18 else \
                f1 + (f2 - f1) * ((t - 0.18) / 0.82) ** 1.3
            f *= 1 + 0.02 * math.sin(2 * math.pi * 22 * i / RATE) + 0.025 * wobble[i]
            freqs.append(f)
            attack = min(1, t / 0.06)
            release = min(1, (1 - t) / 0.25)
            env.append(attack * release ** 1.5)
        voice = _tone(freqs, [1.0, 0.35, 0.12])
        breath = _bandpass([rng.uniform(-1, 1) for _ in range(count)], 3000, 1.5)
        for i in range(count):
            if first + i < n:
                out[first + i] += env[i] * (voice[i] + 0.25 * breath[i])
    return _to_u8(out)


def explosion(n=11107):
    """A crack, a falling thump and a rumble that fades out."""
    rng = random.Random(1)
    t = _seconds(n)
    white = [rng.uniform(-1, 1) for _ in range(n)]
    # The noise gets darker as the blast spreads.
    cutoff = [180 + 3800 * math.exp(-s / 0.09) for s in t]
    body = _lowpass(_lowpass(white, cutoff), cutoff)
    brown, b = [], 0.0
    for v in white:
        b = 0.985 * b + 0.06 * v
        brown.append(b)
    rumble = _lowpass(brown, 260)
    out, phase = [], 0.0
    for i, s in enumerate(t):
        phase += 2 * math.pi * (36 + 60 * math.exp(-s / 0.07)) / RATE
        thump = math.sin(phase) * math.exp(-s / 0.16)
        crack = white[i] * math.exp(-s / 0.012)
        env = min(1, s / 0.004) * math.exp(-s / 0.26)
        tail = math.exp(-s / 0.45) * (1 - s / t[-1]) ** 0.5
        out.append(0.9 * crack + 2.2 * body[i] * env + 0.75 * thump + 3.0 * rumble[i] * tail)
    # Debris: a few sharp pops while the blast is loud.
    for _ in range(22):
        at = int(rng.uniform(0.03, 0.45) * RATE)
        size = rng.uniform(0.2, 0.6) * math.exp(-at / RATE / 0.3)
        for k in range(40):
            if at + k < n:
                out[at + k] += size * white[(at * 7 + k) % n] * math.exp(-k / 8)
    return _to_u8(out, drive=3.0)


def tyre_screech(n=5552):
    """A squealing tyre: a rough, wavering tone over hissing rubber."""
    rng = random.Random(3)
    t = _seconds(n)
    wobble = _smooth_random(rng, n, 160)
    rough = _smooth_random(rng, n, 9)
    freqs = [1180 * (1 - 0.12 * s / t[-1]) * (1 + 0.05 * wobble[i]) for i, s in enumerate(t)]
    squeal = _tone(freqs, [1.0, 0.5, 0.3, 0.12])
    hiss = _bandpass([rng.uniform(-1, 1) for _ in range(n)], 2600, 1.2)
    out = []
    for i, s in enumerate(t):
        env = min(1, s / 0.035) * min(1, (t[-1] - s) / 0.12)
        grit = 0.75 + 0.25 * rough[i]   # the rubber grips and slips
        out.append(env * (grit * squeal[i] + 0.55 * hiss[i]))
    return _to_u8(out)


def _ping(n, start, freq, tau, level):
    """A struck coin: two inharmonic partials and a tiny click."""
    out = [0.0] * n
    first = int(start * RATE)
    for i in range(first, n):
        s = (i - first) / RATE
        v = math.sin(2 * math.pi * freq * s) + 0.45 * math.sin(2 * math.pi * freq * 1.51 * s + 1)
        v *= math.exp(-s / tau) * min(1, s / 0.0015)
        out[i] = level * v
    return out


def coins(n=2040):
    """Two coins clinking: a high ping and a higher answer."""
    rng = random.Random(4)
    parts = [_ping(n, 0.0, 1975, 0.045, 0.8),
             _ping(n, 0.055, 2637, 0.06, 1.0),
             _ping(n, 0.058, 1318, 0.05, 0.3)]
    clink = [0.0] * n
    for at in (0, int(0.055 * RATE)):
        for k in range(30):
            clink[at + k] += rng.uniform(-1, 1) * math.exp(-k / 6) * 0.6
    return _to_u8([sum(p[i] for p in parts) + clink[i] for i in range(n)], drive=1.5)


def ratchet(n=3130):
    """A ratchet spanner: a run of sharp clicks, the last one heavier."""
    rng = random.Random(5)
    noise = [rng.uniform(-1, 1) for _ in range(n)]
    ticks = [0.0] * n
    clicks = 9
    for c in range(clicks):
        at = int((0.008 + c * 0.029 + rng.uniform(-0.002, 0.002)) * RATE)
        level = 1.0 if c == clicks - 1 else rng.uniform(0.55, 0.75)
        for k in range(int(0.02 * RATE)):
            if at + k < n:
                ticks[at + k] += level * noise[(at + k * 3) % n] * math.exp(-k / 10)
    ring = [a + b for a, b in zip(_bandpass(ticks, 2900, 9), _bandpass(ticks, 1700, 6))]
    knock = _bandpass(ticks, 520, 3)
    return _to_u8([0.6 * ticks[i] + 1.6 * ring[i] + 1.2 * knock[i] for i in range(n)], drive=2.5)


# Each cue by the name the asset manifest draws it from: its maker and the
# artist its file names, if any.
CUES = {
    'rabbit_squeak': (rabbit_squeak, None),
    'explosion': (explosion, None),
    'tyre_screech': (tyre_screech, None),
    'coins': (coins, 'lova2'),
    'ratchet': (ratchet, 'repair2'),
}


def build(name):
    """The WAV file of one cue."""
    make, artist = CUES[name]
    return fileformats.wav(make(), artist=artist)
