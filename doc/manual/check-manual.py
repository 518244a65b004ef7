#!/usr/bin/env python3
"""Checks of the built manual against the program and against itself.

    check-manual.py messages --help-dir build/bin/help --sources .
    check-manual.py xrefs    --help-dir build/bin/help --pdf "build/bin/Tremx v3 Manual.pdf"
    check-manual.py paths    --help-dir build/bin/help --pdf "build/bin/Tremx v3 Manual.pdf"
    check-manual.py pages    --help-dir build/bin/help --pdf "build/bin/Tremx v3 Manual.pdf"
    check-manual.py signs    --src doc/manual --examples examples --tremrun build/bin/tremrun

messages  every message the messages chapter quotes, as the help page prints it, with its
          placeholders filled with a sample, is found in the sources of the program or the engine;
          a placeholder is never glued to the words around it
xrefs     a cross-reference is followed by a blank or a punctuation mark, in the help pages and in
          the PDF's text ("(page 85)shows" is a fault); the round brackets of every paragraph,
          list item, cell and caption of the help pages pair up (the PDF adds " (page N)" to
          each reference, so "(page 50))" without an opening bracket is a fault), and a page
          number does not double a closing bracket ("(see the dialog (page 50))")
pages     the printed pages: no section heading is the last line of a page, and every equation
          (and every term of an equation that is set in terms) stands on one line
paths     no temporary folder and no folder of the machine that built the manual appears in the
          help pages or in the PDF's text
signs     the sign-convention example of the loads chapter: its load block, run by the real
          engine, gives the data echo the chapter shows

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
    headings, equations = [], []
    for name in sorted(os.listdir(args.help_dir)):
        if not name.endswith(".html"):
            continue
        root = lhtml.parse(os.path.join(args.help_dir, name)).getroot()
        for h in root.iter("h2", "h3", "h4"):
            number = h.find("span")
            if number is not None and number.get("class") == "secno":
                headings.append(" ".join(h.text_content().split()))
        for div in root.iter("div"):
            if "eq" not in (div.get("class") or "").split():
                continue
            terms = [t for t in div.iter("span") if t.get("class") == "term"] or [div]
            for t in terms:
                equations.append(" ".join(t.text_content().replace("\u00a0", " ").split()))
    if len(headings) < 50 or len(equations) < 10:
        return [f"only {len(headings)} headings and {len(equations)} equations read from {args.help_dir}"]
    printed = pdf_pages(args.pdf)
    for n, page in enumerate(printed, 1):
        lines = [" ".join(line.split()) for line in page.split("\n") if line.strip()]
        # The page number at the foot and the chapter's name at the head are the page's frame.
        body = [line for line in lines if line != str(n)]
        if body and body[-1] in headings:
            problems.append(f"page {n}: the heading {body[-1]!r} is the last line of the page")
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


def main():
    parser = argparse.ArgumentParser(description="Checks of the built manual.")
    parser.add_argument("check", choices=["messages", "xrefs", "paths", "pages", "signs"])
    parser.add_argument("--help-dir")
    parser.add_argument("--pdf")
    parser.add_argument("--sources", default=os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
    parser.add_argument("--src", default=os.path.dirname(os.path.abspath(__file__)))
    parser.add_argument("--examples")
    parser.add_argument("--tremrun")
    args = parser.parse_args()
    problems = {"messages": messages, "xrefs": xrefs, "paths": paths, "pages": pages, "signs": signs}[args.check](args)
    for p in problems:
        print(f"check-manual {args.check}: {p}", file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
