#!/usr/bin/env python3
"""The numbers of the user's manual, made from engine runs.

Runs every bundled example (examples/*.tmx) and every verification deck
(doc/manual/verification/*.tmx) through tremrun, each on a copy in a
temporary folder, reads the report (.tmo), works out the closed-form values
of the verification examples and their differences from the engine, and
writes doc/manual/generated/numbers.json: one flat object {KEY: text}, each
text exactly as the manual prints it (the manual quotes it as {num:KEY}).

    python3 doc/manual/engine-numbers.py --tremrun build/bin/tremrun          # write
    python3 doc/manual/engine-numbers.py --tremrun build/bin/tremrun --check  # compare

--check writes nothing; it exits with 1 and names every key that differs,
is missing or is new.  Nothing of a run's date or folder enters the file,
so the same engine gives the same file.  Standard library only.
"""

import argparse
import cmath
import json
import math
import os
import re
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
EXAMPLES = os.path.join(ROOT, "examples")
VERIFICATION = os.path.join(HERE, "verification")
OUTPUT = os.path.join(HERE, "generated", "numbers.json")

EXAMPLE_NAMES = [
    "halfspace-harmonic",
    "halfspace-embedded-harmonic",
    "halfspace-random",
    "stratum-transient",
    "multilayer-harmonic",
    "single-pile-harmonic",
    "pile-group-random",
]
VERIFICATION_NAMES = ["halfspace-static", "stratum-static", "pile-static", "pile-no-soil", "sdof-vertical"]

DOF = ["UOX", "UOY", "UOZ", "EPOX", "EPOY", "EPOZ"]
NUMBER = r"[-+]?(?:\d+\.?\d*|\.\d+)(?:E[-+]?\d+)?"


class Failure(Exception):
    pass


# ---------------------------------------------------------------- engine runs

def run_deck(tremrun, folder, name, work):
    """Copies NAME.tmx and NAME.tmm from FOLDER into WORK, runs tremrun on the
    copy and returns the report's lines."""
    for ext in (".tmx", ".tmm"):
        src = os.path.join(folder, name + ext)
        if not os.path.isfile(src):
            raise Failure("missing input file " + src)
        shutil.copyfile(src, os.path.join(work, name + ext))
    deck = os.path.join(work, name + ".tmx")
    proc = subprocess.run([tremrun, deck], cwd=work, stdout=subprocess.PIPE,
                          stderr=subprocess.STDOUT, universal_newlines=True)
    if proc.returncode != 0:
        raise Failure("tremrun %s ended with %d:\n%s" % (name, proc.returncode, proc.stdout))
    report = os.path.join(work, name + ".tmo")
    if not os.path.isfile(report):
        raise Failure("tremrun %s wrote no report" % name)
    with open(report, encoding="latin-1") as f:
        lines = f.read().splitlines()
    if any("FATAL ERROR IN INPUT DATA" in line for line in lines):
        raise Failure("the engine refused %s (see its report)" % name)
    return lines


# ------------------------------------------------------------- report reading

class Report:
    """What the manual quotes from one report: the stiffness and damping
    tables of both passes, the harmonic amplitude rows, the transient rows
    and the random peak factors, each value kept as its printed text."""

    def __init__(self, lines):
        self.tables = {1: [], 2: []}   # pass -> [(hz text, omega text, {term: text})]
        self.harmonic = []             # (hz text, omega text, [6 texts])
        self.transient = []            # (time text, [6 texts])
        self.random = {}               # dof -> (peak factor text, maximum text)
        self._read(lines)

    def _read(self, lines):
        pass_no = 1
        section = None
        table = None
        for line in lines:
            if "SPECIAL OUTPUT OPTION" in line:
                pass_no = 2
            m = re.match(r"\s*FREQUENCY  -\s+(\S+) Hz \(\s*(\S+) rad\./sec\.\)", line)
            if m:
                table = (m.group(1), m.group(2), {})
                self.tables[pass_no].append(table)
                section = None
                continue
            m = re.search(r"\(([KC][A-Z]+)\)[ .]*(" + NUMBER + ")", line)
            if m and table is not None:
                table[2][m.group(1)] = m.group(2)
                continue
            if "FOOTING RESPONSE AMPLITUDES" in line:
                section = "response"
                table = None
                continue
            if "PEAK FACTOR (G)" in line:
                section = "random"
                table = None
                continue
            if "RESPONSE SPECTRA CURVE" in line:
                section = None
                continue
            tokens = line.split()
            if section == "response" and tokens and all(re.fullmatch(NUMBER, t) for t in tokens):
                if len(tokens) == 8:
                    self.harmonic.append((tokens[0], tokens[1], tokens[2:]))
                elif len(tokens) == 7:
                    self.transient.append((tokens[0], tokens[1:]))
            elif section == "random" and len(tokens) == 3 and all(re.fullmatch(NUMBER, t) for t in tokens):
                self.random[int(tokens[0])] = (tokens[1], tokens[2])

    def table(self, pass_no, index):
        tables = self.tables[pass_no]
        if index >= len(tables):
            raise Failure("report has no stiffness table %d of pass %d" % (index + 1, pass_no))
        return tables[index]


# ------------------------------------------------------------ text of numbers

def e5(x):
    """A value in the report's own form with six significant digits."""
    return "%.5E" % x


def pct(engine, closed):
    """The difference of the engine from the closed form, in per cent."""
    d = (engine - closed) / closed * 100.0
    if abs(d) < 0.00005:
        d = 0.0
    return "%+.4f %%" % d


def val(text):
    return float(text)


# ------------------------------------------- Bessel functions (small |z| only)

EULER = 0.5772156649015329


def bessel_k0_k1(z, terms=40):
    """K0(z) and K1(z) by their ascending series (fine for |z| < 2)."""
    q = z * z / 4.0
    log_term = cmath.log(z / 2.0)
    i0 = 0j
    i1 = 0j
    s0 = 0j
    s1 = 0j
    harmonic = 0.0          # H_k
    term0 = 1 + 0j          # (z^2/4)^k / (k!)^2
    term1 = 1 + 0j          # (z^2/4)^k / (k! (k+1)!)
    for k in range(terms):
        if k > 0:
            term0 *= q / (k * k)
            term1 *= q / (k * (k + 1))
            harmonic += 1.0 / k
        i0 += term0
        i1 += term1
        s0 += term0 * harmonic
        psi1 = -EULER + harmonic                # psi(k + 1)
        psi2 = -EULER + harmonic + 1.0 / (k + 1)  # psi(k + 2)
        s1 += (psi1 + psi2) * term1
    i1 *= z / 2.0
    k0 = -(log_term + EULER) * i0 + s0
    k1 = 1.0 / z + log_term * i1 - (z / 4.0) * s1
    return k0, k1


# ------------------------------------------------------------------- examples

def example_numbers(name, rep, out):
    key = "ex." + name + "."
    for pass_no in (1, 2):
        if rep.tables[pass_no]:
            hz, omega, terms = rep.tables[pass_no][0]
            out[key + "p%d.hz" % pass_no] = hz
            for term, text in terms.items():
                out[key + "p%d.%s" % (pass_no, term)] = text
    if rep.tables[1]:
        out[key + "points"] = str(len(rep.tables[1]))
    if rep.harmonic:
        out[key + "points"] = str(len(rep.harmonic))
        for i, dof in enumerate(DOF):
            row = max(rep.harmonic, key=lambda r: val(r[2][i]))
            if val(row[2][i]) == 0.0:
                continue
            out[key + "peak." + dof] = row[2][i]
            out[key + "peak." + dof + ".hz"] = row[0]
            out[key + "peak." + dof + ".omega"] = row[1]
    if rep.transient:
        out[key + "points"] = str(len(rep.transient))
        for i, dof in enumerate(DOF):
            hi = max(rep.transient, key=lambda r: val(r[1][i]))
            lo = min(rep.transient, key=lambda r: val(r[1][i]))
            if val(hi[1][i]) == 0.0 and val(lo[1][i]) == 0.0:
                continue
            out[key + "max." + dof] = hi[1][i]
            out[key + "max." + dof + ".t"] = hi[0]
            out[key + "min." + dof] = lo[1][i]
            out[key + "min." + dof + ".t"] = lo[0]
            out[key + "first." + dof] = rep.transient[0][1][i]
            out[key + "first." + dof + ".t"] = rep.transient[0][0]
            out[key + "last." + dof] = rep.transient[-1][1][i]
            out[key + "last." + dof + ".t"] = rep.transient[-1][0]
    # Random load: degrees of freedom whose largest value is a millionth of
    # the largest one or less respond only through rounding; they are left out.
    largest = max([val(m) for g, m in rep.random.values()] + [0.0])
    for dof, (g, umax) in rep.random.items():
        if val(umax) > 1e-6 * largest:
            out[key + "G%d" % dof] = g
            out[key + "max%d" % dof] = umax


# ------------------------------------------------------ verification examples

GRAV = 9.8


def shear_modulus(vs, gamma):
    return vs * vs * gamma / GRAV


def compare(out, key, engine_text, closed):
    out[key + ".engine"] = engine_text
    out[key + ".closed"] = e5(closed)
    out[key + ".diff"] = pct(val(engine_text), closed)


def verify_halfspace(rep, out):
    # Deck: r = 2 m, Vs = 200 m/s, 19 kN/m**3, nu = 0.33.
    r, nu = 2.0, 0.33
    G = shear_modulus(200.0, 19.0)
    out["v.half.G"] = e5(G)
    hz, omega, k = rep.table(1, 0)
    out["v.half.omega"] = omega
    out["v.half.a0"] = "%.4f" % (val(omega) * r / 200.0)
    compare(out, "v.half.kz", k["KWW"], 4 * G * r / (1 - nu))
    compare(out, "v.half.kh", k["KXX"], 8 * G * r / (2 - nu))
    compare(out, "v.half.kr", k["KPPY"], 8 * G * r ** 3 / (3 * (1 - nu)))
    compare(out, "v.half.kt", k["KZT"], 16 * G * r ** 3 / 3)
    # Damping at low frequency: radiation coefficients times the engine's
    # factor 0.7 on every imaginary part (vertical 0.75, horizontal 0.65).
    vs = 200.0
    compare(out, "v.half.cz", k["CWW"], 0.7 * 0.75 * 4 * G * r * r / ((1 - nu) * vs))
    compare(out, "v.half.ch", k["CXX"], 0.7 * 0.65 * 8 * G * r * r / ((2 - nu) * vs))


def verify_stratum(rep, out):
    # Deck: r = 2 m, H = 8 m, E = 0, Vs = 200 m/s, 19 kN/m**3, nu = 0.33.
    r, h, nu = 2.0, 8.0, 0.33
    G = shear_modulus(200.0, 19.0)
    hz, omega, k = rep.table(1, 0)
    out["v.stra.omega"] = omega
    kh = 8 * G * r / (2 - nu) * (1 + 0.5 * r / h)
    compare(out, "v.stra.kz", k["KWW"], 4 * G * r / (1 - nu) * (1 + 1.28 * r / h))
    compare(out, "v.stra.kh", k["KXX"], kh)
    compare(out, "v.stra.kr", k["KPPY"], 8 * G * r ** 3 / (3 * (1 - nu)) * (1 + r / (6 * h)))
    compare(out, "v.stra.kt", k["KZT"], 16 * G * r ** 3 / 3)
    # The lateral resultant lies e = (0.4 E/R - 0.03) R = -0.03 R above the base
    # (below it, for a surface footing); KXP = K(2,4) = -e Kh with the transfer
    # of the reference point (T(2,4) = +zc).
    compare(out, "v.stra.kxp", k["KXP"], 0.03 * r * kh)
    # The factors themselves.
    out["v.stra.fz"] = "%.4f" % (1 + 1.28 * r / h)
    out["v.stra.fh"] = "%.4f" % (1 + 0.5 * r / h)
    out["v.stra.fr"] = "%.4f" % (1 + r / (6 * h))


def winkler_bar_head(ea, kw, length, k_tip):
    """Head stiffness of a bar on springs kw per unit length resting on a tip
    spring: EA k (Kb + EA k tanh kL) / (EA k + Kb tanh kL), k = sqrt(kw/EA)."""
    kappa = math.sqrt(kw / ea)
    t = math.tanh(kappa * length)
    return ea * kappa * (k_tip + ea * kappa * t) / (ea * kappa + k_tip * t), kappa


def verify_pile(rep, out):
    # Deck: r = 0.3 m, L = 15 m, E = 3E7 kPa, nu_p = 0.2, A and J of a full
    # circle; soil Vs = 150 m/s, 18 kN/m**3, nu = 0.4, also below the tip.
    r, length, e, nu_p = 0.3, 15.0, 3.0e7, 0.2
    area, polar = 0.2827433, 0.01272345
    nu = 0.4
    G = shear_modulus(150.0, 18.0)
    gp = e / (2 * (1 + nu_p))
    hz, omega, k = rep.table(1, 0)
    out["v.pile.omega"] = omega
    out["v.pile.G"] = e5(G)
    # Vertical: the plane-strain reaction at the model's floor a0 = 0.05.
    s = 0.05j
    k0, k1 = bessel_k0_k1(s)
    sw = 2 * math.pi * s * k1 / k0
    kw = G * sw.real
    out["v.pile.sw"] = "%.4f" % sw.real
    out["v.pile.kw"] = e5(kw)
    k_tip_z = 4 * G * r / (1 - nu)
    out["v.pile.kbz"] = e5(k_tip_z)
    kz, kappa = winkler_bar_head(e * area, kw, length, k_tip_z)
    out["v.pile.kappaL"] = "%.3f" % (kappa * length)
    compare(out, "v.pile.kz", k["KWW"], kz)
    # Torsion: the static reaction of a cylinder, 4 pi G r^2 per unit length.
    kwt = 4 * math.pi * G * r * r
    out["v.pile.kwt"] = e5(kwt)
    k_tip_t = 16 * G * r ** 3 / 3
    out["v.pile.kbt"] = e5(k_tip_t)
    kt, kappa_t = winkler_bar_head(gp * polar, kwt, length, k_tip_t)
    out["v.pile.kappatL"] = "%.3f" % (kappa_t * length)
    compare(out, "v.pile.kt", k["KZT"], kt)
    # The rigid-pile limit, for scale: tip disc plus the springs along the shaft.
    out["v.pile.kz.rigid"] = e5(k_tip_z + kw * length)


def beam_head_on_springs(ei, length, k_lateral, k_rocking):
    """Static head stiffness of a slender beam (no shear deformation) whose lower end rests
    on a lateral and a rotational spring: the beam matrix condensed to the
    head.  Returns the lateral (rotation held), rocking and coupling terms."""
    k = ei / length ** 3
    big_l = length
    beam = [[12 * k, 6 * big_l * k, -12 * k, 6 * big_l * k],
            [6 * big_l * k, 4 * big_l ** 2 * k, -6 * big_l * k, 2 * big_l ** 2 * k],
            [-12 * k, -6 * big_l * k, 12 * k, -6 * big_l * k],
            [6 * big_l * k, 2 * big_l ** 2 * k, -6 * big_l * k, 4 * big_l ** 2 * k]]
    a = beam[2][2] + k_lateral
    b = beam[2][3]
    d = beam[3][3] + k_rocking
    det = a * d - b * b
    inv = [[d / det, -b / det], [-b / det, a / det]]

    def head(i, j):
        v = beam[i][j]
        for p in range(2):
            for q in range(2):
                v -= beam[i][2 + p] * inv[p][q] * beam[2 + q][j]
        return v

    return head(0, 0), head(1, 1), head(0, 1)


def verify_pile_no_soil(rep, out):
    # Deck: the pile of pile-static.tmx; Vs = 0 along the shaft; soil below
    # Vs = 150 m/s, 18 kN/m**3, nu = 0.4.
    r, length, e, nu_p = 0.3, 15.0, 3.0e7, 0.2
    area, inertia, polar = 0.2827433, 0.006361725, 0.01272345
    nu = 0.4
    G = shear_modulus(150.0, 18.0)
    gp = e / (2 * (1 + nu_p))
    hz, omega, k = rep.table(1, 0)
    out["v.bare.omega"] = omega
    kbz = 4 * G * r / (1 - nu)
    kbt = 16 * G * r ** 3 / 3
    kbh = 8 * G * r / (2 - nu)
    kbr = 8 * G * r ** 3 / (3 * (1 - nu))
    out["v.bare.kbh"] = e5(kbh)
    out["v.bare.kbr"] = e5(kbr)
    compare(out, "v.bare.kz", k["KWW"], 1.0 / (length / (e * area) + 1.0 / kbz))
    compare(out, "v.bare.kt", k["KZT"], 1.0 / (length / (gp * polar) + 1.0 / kbt))
    lateral, rocking, coupling = beam_head_on_springs(e * inertia, length, kbh, kbr)
    compare(out, "v.bare.kh", k["KXX"], lateral)
    compare(out, "v.bare.kr", k["KPPY"], rocking)
    compare(out, "v.bare.kc", k["KXP"], coupling)
    out["v.bare.kyp"] = k["KYP"]


def verify_sdof(rep, out):
    # Deck: mass 150 Mg, vertical force 100 kN at the centre of gravity.
    m, f = 150.0, 100.0
    tables = rep.tables[1]
    if len(tables) != len(rep.harmonic):
        raise Failure("sdof-vertical: %d tables but %d response rows" % (len(tables), len(rep.harmonic)))
    worst = 0.0
    rows = []
    for (hz, omega, k), (_, _, amp) in zip(tables, rep.harmonic):
        w = val(omega)
        u = f / abs(complex(val(k["KWW"]) - m * w * w, w * val(k["CWW"])))
        rows.append((w, hz, omega, k, amp[2], u))
        worst = max(worst, abs(val(amp[2]) - u) / u)
    peak = max(rows, key=lambda r: val(r[4]))
    w, hz, omega, k, amp, u = peak
    out["v.sdof.points"] = str(len(rows))
    out["v.sdof.peak.omega"] = omega
    out["v.sdof.peak.hz"] = hz
    out["v.sdof.peak.KWW"] = k["KWW"]
    out["v.sdof.peak.CWW"] = k["CWW"]
    compare(out, "v.sdof.peak.uz", amp, u)
    out["v.sdof.worst"] = "%.4f %%" % (worst * 100.0)
    kz0 = val(tables[0][2]["KWW"])
    out["v.sdof.K0"] = tables[0][2]["KWW"]
    out["v.sdof.omega.n"] = "%.1f" % math.sqrt(kz0 / m)
    out["v.sdof.static"] = e5(f / kz0)


VERIFIERS = {
    "halfspace-static": verify_halfspace,
    "stratum-static": verify_stratum,
    "pile-static": verify_pile,
    "pile-no-soil": verify_pile_no_soil,
    "sdof-vertical": verify_sdof,
}


# ----------------------------------------------------------------------- main

def make_numbers(tremrun):
    out = {}
    with tempfile.TemporaryDirectory(prefix="tremex-manual-") as work:
        for name in EXAMPLE_NAMES:
            rep = Report(run_deck(tremrun, EXAMPLES, name, work))
            example_numbers(name, rep, out)
        for name in VERIFICATION_NAMES:
            rep = Report(run_deck(tremrun, VERIFICATION, name, work))
            VERIFIERS[name](rep, out)
    return out


def main():
    parser = argparse.ArgumentParser(description="Make (or check) the numbers of the user's manual from engine runs.")
    parser.add_argument("--tremrun", default=os.path.join(ROOT, "build", "bin", "tremrun"),
                        help="the tremrun program to run (default: build/bin/tremrun)")
    parser.add_argument("--check", action="store_true",
                        help="compare with generated/numbers.json instead of writing it")
    parser.add_argument("--output", default=OUTPUT, help=argparse.SUPPRESS)
    args = parser.parse_args()

    tremrun = os.path.abspath(args.tremrun)
    if not os.access(tremrun, os.X_OK):
        print("engine-numbers.py: cannot run %s" % tremrun, file=sys.stderr)
        return 2
    try:
        numbers = make_numbers(tremrun)
    except Failure as e:
        print("engine-numbers.py: %s" % e, file=sys.stderr)
        return 2

    if args.check:
        try:
            with open(args.output, encoding="utf-8") as f:
                stored = json.load(f)
        except (OSError, ValueError) as e:
            print("engine-numbers.py: cannot read %s: %s" % (args.output, e), file=sys.stderr)
            return 1
        bad = []
        for k in sorted(set(stored) | set(numbers)):
            if k not in numbers:
                bad.append("%s: stored %r, the engine gives nothing" % (k, stored[k]))
            elif k not in stored:
                bad.append("%s: not stored, the engine gives %r" % (k, numbers[k]))
            elif stored[k] != numbers[k]:
                bad.append("%s: stored %r, the engine gives %r" % (k, stored[k], numbers[k]))
        if bad:
            print("engine-numbers.py: %d number(s) of the manual differ from the engine:" % len(bad), file=sys.stderr)
            for b in bad:
                print("  " + b, file=sys.stderr)
            print("Re-make them on purpose with: python3 doc/manual/engine-numbers.py --tremrun PATH", file=sys.stderr)
            return 1
        print("engine-numbers.py: all %d numbers of the manual agree with the engine" % len(numbers))
        return 0

    os.makedirs(os.path.dirname(args.output), exist_ok=True)
    with open(args.output, "w", encoding="utf-8") as f:
        json.dump(numbers, f, indent=1, sort_keys=True)
        f.write("\n")
    print("engine-numbers.py: wrote %d numbers to %s" % (len(numbers), os.path.relpath(args.output, ROOT)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
