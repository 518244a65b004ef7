#!/usr/bin/env python3
"""Checks of the built manual against the program and against itself.

    check-manual.py messages --help-dir build/bin/help --sources .
    check-manual.py xrefs    --help-dir build/bin/help --pdf "build/bin/Tremx v3 Manual.pdf"
    check-manual.py paths    --help-dir build/bin/help --pdf "build/bin/Tremx v3 Manual.pdf"
    check-manual.py pages    --help-dir build/bin/help --pdf "build/bin/Tremx v3 Manual.pdf"
    check-manual.py signs    --src doc/manual --examples examples --tremrun build/bin/tremrun
    check-manual.py offsets  --src doc/manual --tremrun build/bin/tremrun
    check-manual.py weakzones --src doc/manual --tremrun build/bin/tremrun

messages  every message the messages chapter quotes, as the help page prints it, with its
          placeholders filled with a sample, is found in the sources of the program or the engine;
          a placeholder is never glued to the words around it
xrefs     a cross-reference is followed by a blank or a punctuation mark, in the help pages and in
          the PDF's text ("(page 85)shows" is a fault); the round brackets of every paragraph,
          list item, cell and caption of the help pages pair up (the PDF adds " (page N)" to
          each reference, so "(page 50))" without an opening bracket is a fault), and a page
          number does not double a closing bracket ("(see the dialog (page 50))")
pages     the printed pages: no section heading is the last line of a page, no page holds a
          figure alone, no quotation of several words in the running text is split between two
          pages, and every equation (and every term of an equation that is set in terms) stands
          on one line
paths     no temporary folder and no folder of the machine that built the manual appears in the
          help pages or in the PDF's text
signs     the sign-convention example of the loads chapter: its load block, run by the real
          engine, gives the data echo the chapter shows
offsets   every sentence that says what the base offsets xc, yc (Xc, Yc) are says it the way the
          engine computes (a vertical force through the centre of the base tilts no footing: two
          runs tell where the engine puts the base), and the foundations, deck and methods
          chapters say it
weakzones the weak-zone ratio above which the chapters say there is no weak zone is one value, and
          the engine's: a ratio half-way from it to 1 runs as 1, a ratio as far below it does not

Each prints what is wrong and exits 1, or exits 0.
"""

import argparse
import os
import re
import subprocess
import sys
import tempfile

from lxml import html as lhtml

SOURCE_DIRS = ("engine", "app", "views", "plots", "dataentry", "scripts")  # scripts: tremrun
SAMPLE = "3"  # what a placeholder stands for


def source_literals(top):
    """The string literals of the C++ sources, unescaped."""
    out = []
    lit = re.compile(r'"((?:[^"\\\n]|\\.)*)"')
    for d in SOURCE_DIRS:
        for root, _, files in os.walk(os.path.join(top, d)):
            for f in files:
                if f.endswith((".cpp", ".h")):
                    with open(os.path.join(root, f), encoding="utf-8", errors="replace") as fh:
                        for m in lit.finditer(fh.read()):
                            out.append(re.sub(r"\\(.)", r"\1", m.group(1)))
    return out


NUMBER = re.compile(r"\s*[-+]?\d+(\.\d+)?(E[-+]?\d+)?\s*")


def found(fragment, literals, whole=frozenset()):
    """Whether a literal text is in the sources: in one literal, or, as the engine builds its
    lines from pieces, made of literals and printed numbers one after the other. A piece of
    fewer than six characters is a number, a literal of its own (`whole`, the literals without
    their blanks) or blanks and punctuation: single letters from anywhere in the sources would
    make up any text."""
    big = literals
    if fragment in big:
        return True
    n = len(fragment)
    reached = [False] * (n + 1)
    reached[0] = True
    for i in range(n):
        if not reached[i]:
            continue
        m = NUMBER.match(fragment, i)
        if m and m.end() > i:
            reached[m.end()] = True
        j = i
        while j < n and fragment[i:j + 1] in big:
            j += 1
        for k in range(i + 1, j + 1):
            piece = fragment[i:k].strip()
            if len(piece) >= 6 or not piece.strip(" *().,:;-/='\"") or piece in whole:
                reached[k] = True
    return reached[n]


def messages(args):
    page = os.path.join(args.help_dir, "07-messages.html")
    root = lhtml.parse(page).getroot()
    # A format's directives (%d, %s, %1) print a value: the sample stands for them.
    texts = [re.sub(r"%(\d+|[-+ #0]*\d*(\.\d+)?[dfegsu])", SAMPLE, t) for t in source_literals(args.sources)]
    literals = "\x00".join(texts)
    whole = frozenset(t.strip() for t in texts)
    problems = []
    groups = []  # the pieces (is placeholder, text) of each quotation

    def quotations(element):
        """The quotations in an element: code spans, with the italic placeholders that stand
        right beside them (no text between) taken into the same quotation."""
        out, current = [], None
        for child in element:
            if child.tag in ("code", "em"):
                if current is None:
                    current = []
                if child.tag == "em":
                    current.append((True, child.text_content()))
                else:
                    if child.text:
                        current.append((False, child.text))
                    for inner in child:
                        current.append((inner.tag == "var", inner.text_content()))
                        if inner.tail:
                            current.append((False, inner.tail))
                if child.tail:
                    out.append(current)
                    current = None
            elif current is not None:
                out.append(current)
                current = None
        if current is not None:
            out.append(current)
        return [q for q in out if any(not ph for ph, _ in q)]

    for table in root.iter("table"):
        head = table.find(".//th")
        if head is None or head.text_content().strip() != "Message":
            continue
        for row in table.iter("tr"):
            cells = row.findall("td")
            if cells:
                groups += quotations(cells[0])
    # Quotations with placeholders elsewhere in the chapter too.
    for element in root.iter("p", "td", "li"):
        groups += [q for q in quotations(element) if any(ph for ph, _ in q) and q not in groups]
    checked = 0
    for pieces in groups:
        printed = "".join(SAMPLE if ph else t for ph, t in pieces)
        shown = "".join(f"<{t}>" if ph else t for ph, t in pieces)
        checked += 1
        for k, (ph, _) in enumerate(pieces):
            if not ph:
                continue
            before = pieces[k - 1][1] if k > 0 else ""
            after = pieces[k + 1][1] if k + 1 < len(pieces) else ""
            if (before and before[-1].isalnum()) or (after and after[0].isalnum()):
                # The engine prints this one glued to its words.
                if not ("UNRECOGNIZED PLANE" in before and after.startswith("FOR")):
                    problems.append(f"{shown!r}: a placeholder is glued to the words beside it")
        for ph, t in pieces:
            if not ph and t.strip() and not found(t.strip(), literals, whole):
                problems.append(f"{shown!r}: {t.strip()!r} is in no source of the program or the engine")
                break
    if checked < 100:
        problems.append(f"only {checked} messages read from {page}: is it the messages chapter?")
    return problems


def pdf_text(pdf):
    return subprocess.run(["pdftotext", "-layout", pdf, "-"], check=True, capture_output=True, text=True).stdout


def help_texts(help_dir):
    out = {}
    for name in sorted(os.listdir(help_dir)):
        if name.endswith(".html"):
            out[name] = lhtml.parse(os.path.join(help_dir, name)).getroot().text_content()
    return out


def xrefs(args):
    problems = []
    after = re.compile(r"\(page \d+\)(?=[^\s.,;:!?)\]'\"’])")
    doubled = re.compile(r"\(page \d+\)\)")
    for line in pdf_text(args.pdf).split("\n"):
        for m in after.finditer(line):
            problems.append(f"PDF: no blank after a cross-reference: {line.strip()!r}")
        if doubled.search(line):
            problems.append(f"PDF: a cross-reference's page doubles a closing bracket: {line.strip()!r}")
    for name in sorted(os.listdir(args.help_dir)):
        if not name.endswith(".html"):
            continue
        root = lhtml.parse(os.path.join(args.help_dir, name)).getroot()
        for a in root.iter("a"):
            if a.get("class") != "xref":
                continue
            tail = a.tail or ""
            if tail and not re.match(r"[\s.,;:!?)\]'\"’]", tail):
                problems.append(f"{name}: no blank after the cross-reference {a.text_content()!r}{tail[:20]!r}")
        for block in root.iter("p", "li", "td", "th", "dd", "dt", "figcaption"):
            if block.getparent() is not None and block.getparent().tag == "li" and block.tag == "p":
                continue  # read with its list item
            text = prose(block)
            depth = 0
            for c in text:
                depth += {"(": 1, ")": -1}.get(c, 0)
                if depth < 0:
                    break
            if depth != 0:
                problems.append(f"{name}: the round brackets do not pair up in {' '.join(text.split())[:160]!r}")
    return problems


def prose(element):
    """The text of a block without its code, quoted messages and nested lists."""
    parts = [element.text or ""]
    for child in element:
        if child.tag not in ("code", "pre", "ul", "ol", "kbd") and not callable(child.tag):
            parts.append(prose(child))
        parts.append(child.tail or "")
    return "".join(parts)


def pdf_pages(pdf):
    return subprocess.run(["pdftotext", pdf, "-"], check=True, capture_output=True, text=True).stdout.split("\f")


def pages(args):
    problems = []
    headings, equations, chapters, quoted = [], [], set(), set()
    for name in sorted(os.listdir(args.help_dir)):
        if not name.endswith(".html"):
            continue
        root = lhtml.parse(os.path.join(args.help_dir, name)).getroot()
        for h in root.iter("h1", "h2", "h3", "h4"):
            number = h.find("span")
            if number is not None and number.get("class") == "secno":
                title = " ".join(h.text_content().split())
                if h.tag == "h1":
                    chapters.add(title)
                else:
                    headings.append(title)
        # The quotations in running text (a message, a keyword line): a code span of several words.
        for code in root.iter("code"):
            if not any(a.tag == "pre" for a in code.iterancestors()):
                text = " ".join(code.text_content().split())
                if " " in text:
                    quoted.add(text)
        for div in root.iter("div"):
            if "eq" not in (div.get("class") or "").split():
                continue
            terms = [t for t in div.iter("span") if t.get("class") == "term"] or [div]
            for t in terms:
                equations.append(" ".join(t.text_content().replace("\u00a0", " ").split()))
    if len(headings) < 50 or len(equations) < 10:
        return [f"only {len(headings)} headings and {len(equations)} equations read from {args.help_dir}"]
    printed = pdf_pages(args.pdf)
    bodies = []
    for n, page in enumerate(printed, 1):
        lines = [" ".join(line.split()) for line in page.split("\n") if line.strip()]
        # The page number at the foot and the chapter's name at the head are the page's frame.
        body = [line for line in lines if line != str(n)]
        if body and body[0] in chapters:
            body = body[1:]
        bodies.append(body)
        if body and body[-1] in headings:
            problems.append(f"page {n}: the heading {body[-1]!r} is the last line of the page")
        # A page that holds one figure and nothing else stands mostly blank, away from its text (no
        # figure is printed higher than half a page).
        if len(body) == 1 and re.match(r"Figure \d+: ", body[0]):
            problems.append(f"page {n}: the figure {body[0]!r} stands alone on the page")
    # A quotation is not split between two pages: the last line of a page ends with its first
    # words and the next page goes on with the rest.
    for n in range(len(bodies) - 1):
        if not bodies[n] or not bodies[n + 1]:
            continue
        last, first = bodies[n][-1], bodies[n + 1][0]
        for text in quoted:
            words = text.split(" ")
            for k in range(1, len(words)):
                head, tail = " ".join(words[:k]), " ".join(words[k:])
                if last.endswith(head) and (first.startswith(tail) or tail.startswith(first)):
                    problems.append(f"pages {n + 1}-{n + 2}: the quotation {text!r} is split between them")
                    break
    # An equation (or a term) on one line: its text, without the blanks that sub- and superscripts
    # bring, is found within one line of the printed text.
    flat = {re.sub(r"\s+", "", line) for page in printed for line in page.split("\n")}
    joined = "\n".join(flat)
    for eq in equations:
        if re.sub(r"\s+", "", eq) not in joined:
            problems.append(f"the equation {eq[:100]!r} is not on one line of the PDF")
    return problems


def paths(args):
    problems = []
    # A temporary folder, the folder of the sources or of the build, a home folder of a user of
    # this machine: none belongs in the manual (the manual's own example path /home/user is one).
    bad = [re.compile(r"/tmp/[\w.-]"), re.compile(r"/var/tmp/")]
    for folder in {os.path.abspath(args.sources), os.path.abspath(os.path.join(args.help_dir, "..", "..")),
                   os.path.expanduser("~")}:
        if folder not in ("/", "/home/user") and len(folder) > 1:
            bad.append(re.compile(re.escape(folder) + r"(?=/|\b)"))
    texts = help_texts(args.help_dir)
    texts["PDF"] = pdf_text(args.pdf)
    for name, text in texts.items():
        for line in text.split("\n"):
            for b in bad:
                if b.search(line):
                    problems.append(f"{name}: a path of this machine or a temporary one: {line.strip()!r}")
                    break
    return problems


def block_after(text, mark):
    m = re.search(r"<!-- check: " + re.escape(mark) + r" -->\s*```text\n(.*?)\n```", text, re.S)
    return m.group(1).split("\n") if m else None


def signs(args):
    with open(os.path.join(args.src, "03-loads.md"), encoding="utf-8") as f:
        chapter = f.read()
    deck, echo = block_after(chapter, "sign-deck"), block_after(chapter, "sign-echo")
    if deck is None or echo is None:
        return ["03-loads.md: no sign-convention example (the blocks after <!-- check: sign-deck --> and "
                "<!-- check: sign-echo -->)"]
    with open(os.path.join(args.examples, "halfspace-harmonic.tmx"), encoding="latin-1") as f:
        project = f.read()
    # The example's own load block, up to RUN, is replaced by the chapter's.
    start, end = project.index("LOAD"), project.index("RUN")
    project = project[:start] + "\n".join(deck) + "\n" + project[end:]
    with tempfile.TemporaryDirectory() as work:
        path = os.path.join(work, "signs.tmx")
        with open(path, "w", encoding="latin-1") as f:
            f.write(project)
        with open(os.path.join(work, "signs.tmm"), "w") as f:
            f.write("0\n")
        run = subprocess.run([args.tremrun, path], capture_output=True, text=True)
        if run.returncode != 0:
            return [f"tremrun ended with {run.returncode} on the example: {run.stdout}{run.stderr}"]
        with open(os.path.join(work, "signs.tmo"), encoding="latin-1") as f:
            report = [line.rstrip() for line in f.read().split("\n")]
    want = [line.rstrip() for line in echo]
    for i in range(len(report) - len(want) + 1):
        if report[i:i + len(want)] == want:
            return []
    shown = [line for line in report if re.match(r" (FORCE|MOMENT) ", line)]
    return ["the report's echo of the sign-convention example is not what 03-loads.md shows:\n"
            + "\n".join(shown) + "\nthe chapter shows:\n" + "\n".join(want)]



def chapter_sentences(src):
    """The prose of the chapters as (chapter file, raw sentence, plain sentence): code blocks and
    code spans left out; in the plain text the marks ({field:...} and the like, which quote the
    program) are left out too, links are their text and x<sub>c</sub> is xc. A table row is one
    sentence."""
    out = []
    for name in sorted(os.listdir(src)):
        if not re.match(r"\d\d-.*\.md$", name):
            continue
        with open(os.path.join(src, name), encoding="utf-8") as f:
            text = re.sub(r"^```.*?^```", "", f.read(), flags=re.S | re.M)
        blocks = []
        for block in re.split(r"\n\s*\n", text):
            rows = [line for line in block.split("\n") if line.lstrip().startswith("|")]
            blocks += rows if rows else [block]
        for block in blocks:
            raw = re.sub(r"`[^`]*`", "", block)
            raw = re.sub(r"<sub>(\w+)</sub>", r"\1", raw).replace("C.G.", "CG")
            joined = " ".join(raw.split())
            for sentence in [joined] if joined.startswith("|") else re.split(r"(?<=\.)\s+", joined):
                plain = re.sub(r"\{(menu|win|field|kw|num):[^{}]*\}", "", sentence)
                plain = re.sub(r"\[([^]]*)\]\([^)]*\)", r"\1", plain)
                plain = re.sub(r"<[^>]+>", "", plain)
                out.append((name, sentence, plain))
    return out


def report_rows(report, heading):
    """The numbers of the rows of the report's table under `heading`, one list a row."""
    rows, on = [], False
    number = re.compile(r"-?\d+\.\d+(?:E[-+]\d+)?")
    for line in report:
        if heading in line:
            on = True
        elif on and re.match(r"\s+\d+\.\d+\s", line):
            rows.append([float(v) for v in number.findall(line)])
    return rows


def run_deck(tremrun, deck, work, name):
    """Runs `deck` in `work` as NAME.tmx with an empty mass file: the report's lines, or the
    reason why there are none."""
    path = os.path.join(work, name + ".tmx")
    with open(path, "w", encoding="latin-1") as f:
        f.write(deck)
    with open(os.path.join(work, name + ".tmm"), "w") as f:
        f.write("0\n")
    run = subprocess.run([tremrun, path], capture_output=True, text=True)
    if run.returncode != 0:
        return None, f"tremrun ended with {run.returncode} on {name}: {run.stdout}{run.stderr}"
    with open(os.path.join(work, name + ".tmo"), encoding="latin-1") as f:
        return [line.rstrip() for line in f.read().split("\n")], ""


# A footing whose base does not lie under its centre of gravity (Xc, Yc = 1.5, -0.5), under a
# vertical force at a load point (x, y) measured from the centre of gravity, at a frequency far
# below its resonances and without material damping (which the damping factor would spread).
OFFSET_DECK = """TITLE=BASE OFFSET
GRAVITY=9.8
FOUNDATION=HALF-SPACE
RECTANGULAR=6,4
MASS
200 600 1100 1500 0 0 0
CONSTANTS
{xc} {yc} 1
SOIL
CONSTANTS=0
BELOW=250 19 0.33 0
LOAD
HARMONIC
CONSTANTS
NONQUADRATIC
0.0628 0.0628 1
0 0 100
0 0 0
{x} {y} 0 0
RUN
"""

# What a sentence that names xc, yc says they are: the centre of the base seen from the centre
# of gravity ("base"), or the centre of gravity seen from the base ("gravity").
OFFSET_READINGS = {
    "base": [r"\b(centre|center) of the (cap base|base|shaft head)\b.*?\bfrom (the|its) (centre of gravity|CG)\b",
             r"\bbase lies\b.*?\bfrom (the|its) (centre of gravity|CG)\b"],
    "gravity": [r"\bposition of the (centre of gravity|CG)\b",
                r"\b(centre of gravity|CG) \(xc\b",
                r"\b(centre of gravity|CG)\b[^;]*?\b(measured )?from the (centre of the )?(cap base|base|shaft head)\b",
                r"\bfrom the (centre|center) of the (foundation )?base to the (centre|center) of gravity\b"],
}
OFFSET_CHAPTERS = ("02-foundations.md", "05-files-and-deck.md", "06-methods.md")


def offsets(args):
    """Every sentence of the manual that says what xc, yc (Xc, Yc) are says it the way the engine
    computes: a vertical force acting through the centre of the base tilts no footing, so the run
    tells where the engine puts the base; and the chapters that define them say it."""
    xc, yc = 1.5, -0.5
    rocking = {}
    with tempfile.TemporaryDirectory() as work:
        for reading, sign in (("base", 1), ("gravity", -1)):
            # Where the base lies on this reading: a vertical force there does not tilt the footing.
            report, why = run_deck(args.tremrun, OFFSET_DECK.format(xc=xc, yc=yc, x=sign * xc, y=sign * yc),
                                   work, "offset-" + reading)
            if report is None:
                return [why]
            rows = report_rows(report, "FOOTING RESPONSE AMPLITUDES")
            if len(rows) != 1 or len(rows[0]) != 8:
                return [f"the run with the base read as seen from the {reading} gave no amplitude row"]
            rocking[reading] = max(abs(rows[0][5]), abs(rows[0][6]))  # EPOX, EPOY
    if rocking["base"] < 1e-3 * rocking["gravity"]:
        engine = "base"
    elif rocking["gravity"] < 1e-3 * rocking["base"]:
        engine = "gravity"
    else:
        return [f"the runs do not tell where the engine puts the base: rocking {rocking}"]
    says = {"base": "the centre of the base measured from the centre of gravity",
            "gravity": "the centre of gravity measured from the base"}
    problems, right = [], set()
    mention = re.compile(r"\b(xc|yc|Xc|Yc)\b")
    for name, raw, plain in chapter_sentences(args.src):
        if not mention.search(raw):
            continue
        found = {r for r, patterns in OFFSET_READINGS.items() if any(re.search(p, plain) for p in patterns)}
        for reading in found - {engine}:
            problems.append(f"{name}: xc, yc read as {says[reading]}, the engine takes {says[engine]} "
                            f"(a vertical force at (xc, yc) rocks the footing by {rocking['base']:.3g} rad, at "
                            f"(-xc, -yc) by {rocking['gravity']:.3g} rad): {plain!r}")
        if engine in found:
            right.add(name)
    for name in OFFSET_CHAPTERS:
        if name not in right:
            problems.append(f"{name}: no sentence says that xc, yc are {says[engine]}")
    return problems


# A footing embedded in one side layer with a weak zone whose shear modulus ratio is {r}.
WEAK_DECK = """TITLE=WEAK ZONE THRESHOLD
MATRIX
GRAVITY=9.8
FOUNDATION=HALF-SPACE
RECTANGULAR=8,5
MASS
480 2100 3600 4900 0 0 0
CONSTANTS
0 0 1.2
SOIL
WEAK
CONSTANTS=1
1 1.5 160 18 0.3 0.05 {r} 0.3 0.1 0.1
BELOW=260 20 0.3 0.04
LOAD
HARMONIC
CONSTANTS
NONQUADRATIC
62.8 62.8 1
10 0 10
0 0 0
0 0 0 0
RUN
"""


def weakzones(args):
    """The weak-zone ratio above which the manual says there is no weak zone is the engine's: a
    ratio half-way between it and 1 gives the results of 1, a ratio as far below it does not; and
    the chapters give one threshold."""
    stated = {}
    for name, raw, plain in chapter_sentences(args.src):
        if re.search(r"\bratio", plain, re.I):
            for value in re.findall(r"\babove (0\.99\d*)", plain):
                stated.setdefault(value, []).append(name)
    if not stated:
        return ["no chapter says above which weak-zone ratio there is no weak zone (\"above 0.99...\")"]
    problems = []
    if len(stated) > 1:
        problems.append("the chapters give more than one weak-zone threshold: "
                        + ", ".join(f"{v} ({', '.join(sorted(set(n)))})" for v, n in sorted(stated.items())))

    def results(report):
        # The stiffness and damping tables and the response, without the banner's date and time.
        start = next((i for i, line in enumerate(report) if "FREQUENCY  -" in line), len(report))
        return [line for line in report[start:] if "RUN DATE" not in line and "TIME     -" not in line]

    with tempfile.TemporaryDirectory() as work:
        none, why = run_deck(args.tremrun, WEAK_DECK.format(r=1), work, "weak-1")
        if none is None:
            return problems + [why]
        if not results(none):
            return problems + ["the run without a weak zone printed no stiffness table"]
        for value, names in sorted(stated.items()):
            t = float(value)
            for r, weak in ((t + (1 - t) / 2, False), (t - (1 - t) / 2, True)):
                report, why = run_deck(args.tremrun, WEAK_DECK.format(r=f"{r:.10g}"), work, "weak-r")
                if report is None:
                    return problems + [why]
                if (results(report) != results(none)) != weak:
                    problems.append(f"{', '.join(sorted(set(names)))}: no weak zone above {value}, but the engine "
                                    f"{'drops' if weak else 'keeps'} the weak zone of the ratio {r:.10g}")
    return problems


def main():
    parser = argparse.ArgumentParser(description="Checks of the built manual.")
    parser.add_argument("check", choices=["messages", "xrefs", "paths", "pages", "signs", "offsets", "weakzones"])
    parser.add_argument("--help-dir")
    parser.add_argument("--pdf")
    parser.add_argument("--sources", default=os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
    parser.add_argument("--src", default=os.path.dirname(os.path.abspath(__file__)))
    parser.add_argument("--examples")
    parser.add_argument("--tremrun")
    args = parser.parse_args()
    problems = {"messages": messages, "xrefs": xrefs, "paths": paths, "pages": pages, "signs": signs,
                "offsets": offsets, "weakzones": weakzones}[args.check](args)
    for p in problems:
        print(f"check-manual {args.check}: {p}", file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
