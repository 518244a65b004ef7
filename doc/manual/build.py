#!/usr/bin/env python3
"""Builds the user's manual from its Markdown chapters.

    build.py --src doc/manual --out build/bin [--version 3.0.11] [--strict]
    build.py --src doc/manual --check        # checks only, writes nothing

Reads SRC/[0-9][0-9]-*.md in file-name order (each starts with one level-1
heading), expands the marks

    {menu:A > B}  {win:Caption}  {field:Label}  {kw:WORD}  {num:KEY}

({num:KEY} takes the text stored under KEY in SRC/generated/numbers.json),
numbers the chapters, sections (##), subsections (###), figures and tables,
and writes

    OUT/help/index.html            the contents
    OUT/help/NN-name.html          one page per chapter, with navigation
    OUT/help/manual.css, OUT/help/figures/*.png
    OUT/Tremx v3 Manual.pdf        the whole manual (through weasyprint)

A {num:} mark whose key (or whose numbers file) is missing stops the build
with a message naming the chapter, line and key. A link to an id that no
chapter defines and a figure whose file is missing are reported as warnings
(as errors with --strict or --check), each with its chapter file and line.
"""

import argparse
import html
import json
import os
import re
import shutil
import sys

import markdown
from lxml import html as lhtml

EXTENSIONS = ["tables", "fenced_code", "attr_list", "def_list", "toc"]
PDF_NAME = "Tremx v3 Manual.pdf"
MARK = re.compile(r"\{(menu|win|field|kw|num):([^{}]*)\}")
ANY_MARK = re.compile(r"\{([a-z]+):[^{}\s][^{}]*\}")
FENCE = re.compile(r"^\s{0,3}(```+|~~~+)")


class BuildError(Exception):
    pass


class Chapter:
    def __init__(self, path, number):
        self.path = path
        self.file = os.path.basename(path)
        self.stem = os.path.splitext(self.file)[0]
        self.page = self.stem + ".html"
        self.slug = re.sub(r"^\d+-", "", self.stem)
        self.number = number
        with open(path, encoding="utf-8") as f:
            self.lines = f.read().split("\n")
        self.title = ""
        self.title_id = ""
        self.sections = []  # (level, number text, title text, id)
        self.body = None  # lxml element <div class="chapter">

    def line_of(self, needle):
        for i, line in enumerate(self.lines, 1):
            if needle in line:
                return i
        return 0


class Numbers:
    """The engine's numbers, read when a chapter first asks for one."""

    def __init__(self, path):
        self.path = path
        self.values = None

    def get(self, key, where):
        if self.values is None:
            if not os.path.exists(self.path):
                raise BuildError(f"{where}: {{num:{key}}}: the numbers file {self.path} does not exist "
                                 "(make it with doc/manual/engine-numbers.py)")
            with open(self.path, encoding="utf-8") as f:
                self.values = json.load(f)
        if key not in self.values:
            raise BuildError(f"{where}: {{num:{key}}}: no number '{key}' in {self.path}")
        return str(self.values[key])


def render_mark(kind, text, plain):
    """The text of one mark: HTML for running text, plain text in code and image captions."""
    text = " ".join(text.split())
    if kind == "menu":
        items = [item.strip() for item in text.split(">")]
        if plain:
            return " ▸ ".join(items)
        return '<strong class="menu">' + " ▸ ".join(html.escape(i, quote=False) for i in items) + "</strong>"
    if plain:
        return text
    if kind in ("win", "field"):
        return f'<strong class="{kind}">{html.escape(text, quote=False)}</strong>'
    return f'<code class="kw">{html.escape(text, quote=False)}</code>'


def expand_marks(chapter, numbers, problems):
    """The chapter's Markdown with every mark expanded."""
    out = []
    fence = None
    for number, line in enumerate(chapter.lines, 1):
        where = f"{chapter.file}:{number}"
        m = FENCE.match(line)
        if fence is None and m:
            fence = m.group(1)[0] * 3
            out.append(line)
            continue
        if fence is not None and line.strip().startswith(fence):
            fence = None
            out.append(line)
            continue
        in_code = fence is not None

        def one(match, plain):
            kind, text = match.group(1), match.group(2)
            if kind == "num":
                return numbers.get(text.strip(), where)
            return render_mark(kind, text, plain)

        if in_code:
            out.append(MARK.sub(lambda mm: one(mm, True), line))
            continue
        # Outside code: code spans and image captions take plain text; the rest HTML.
        pieces = re.split(r"(`+[^`]*`+|!\[[^\]]*\])", line)
        for i, piece in enumerate(pieces):
            plain = i % 2 == 1
            pieces[i] = MARK.sub(lambda mm, plain=plain: one(mm, plain), piece)
            if not plain:
                for bad in ANY_MARK.finditer(pieces[i]):
                    if bad.group(1) not in ("menu", "win", "field", "kw", "num"):
                        problems.append(f"{where}: unknown mark {bad.group(0)}")
        out.append("".join(pieces))
        if re.search(r"\{(menu|win|field|kw|num):[^{}]*$", line):
            problems.append(f"{where}: a mark is not closed on its line (a mark must not break across lines)")
    return "\n".join(out)


def convert(chapter, text):
    slug = chapter.slug

    def slugify(value, separator):
        from markdown.extensions.toc import slugify as plain_slugify
        return slug + separator + plain_slugify(value, separator)

    md = markdown.Markdown(extensions=EXTENSIONS, extension_configs={"toc": {"slugify": slugify}})
    body = md.convert(text)
    return lhtml.fragment_fromstring(body, create_parent="div")


def number_chapter(chapter, counters, problems, figures_dir):
    """Numbers the chapter's headings, figures and tables in place."""
    root = chapter.body
    root.set("class", "chapter")
    h1s = root.findall("h1")
    if len(h1s) != 1 or root[0].tag != "h1":
        problems.append(f"{chapter.file}:1: a chapter starts with exactly one level-1 heading")
    section = subsection = 0
    for el in root.iter("h1", "h2", "h3"):
        if el.tag == "h1":
            label = str(chapter.number)
        elif el.tag == "h2":
            section += 1
            subsection = 0
            label = f"{chapter.number}.{section}"
        else:
            subsection += 1
            label = f"{chapter.number}.{section}.{subsection}"
        title = el.text_content().strip()
        span = lhtml.Element("span")
        span.set("class", "secno")
        span.text = label
        span.tail = " " + (el.text or "")
        el.text = None
        el.insert(0, span)
        if el.tag == "h1":
            chapter.title = title
            chapter.title_id = el.get("id")
        chapter.sections.append((int(el.tag[1]), label, title, el.get("id")))

    # Figures: an image alone in its paragraph.
    for p in list(root.iter("p")):
        kids = list(p)
        if len(kids) == 1 and kids[0].tag == "img" and not (p.text or "").strip() and not (kids[0].tail or "").strip():
            img = kids[0]
            src = img.get("src", "")
            caption = img.get("alt", "")
            if not os.path.exists(os.path.join(figures_dir, os.path.basename(src))) or not src.startswith("figures/"):
                problems.append(f"{chapter.file}:{chapter.line_of(src)}: figure file {src} does not exist")
            counters["figure"] += 1
            p.tag = "figure"
            p.set("class", "figure")
            p.set("id", "figure-" + os.path.splitext(os.path.basename(src))[0] + f"-{counters['figure']}")
            img.tail = None
            cap = lhtml.Element("figcaption")
            cap.text = f"Figure {counters['figure']}: {caption}"
            p.append(cap)

    # A paragraph that leads into the figure or the code block below it (ends with ":") is
    # printed with it.
    for fig in list(root.iter("figure")) + [pre for pre in root.iter("pre") if pre.getparent() is root]:
        prev = fig.getprevious()
        if prev is not None and prev.tag == "p" and prev.text_content().rstrip().endswith(":"):
            prev.set("class", ((prev.get("class") or "") + " lead-in").strip())

    # Equations: the parts of an equation that blanks of no break (&nbsp;) separate are its terms;
    # each is kept whole on a line, and the equation breaks only between them.
    for div in root.iter("div"):
        if "eq" not in (div.get("class") or "").split() or any(
                c.tag == "span" and c.get("class") == "term" for c in div):
            continue
        inner = (div.text or "") + "".join(lhtml.tostring(c, encoding="unicode") for c in div)
        terms = []
        for t in re.split(r"\s*\u00a0[\s\u00a0]*", inner):
            if terms and t.lstrip().startswith("("):
                terms[-1] += "\u00a0" + t.strip()  # a remark in brackets stays with its term
            elif t.strip():
                terms.append(t.strip())
        if len(terms) < 2 and len(lhtml.fromstring(f"<div>{inner}</div>").text_content()) < 60:
            continue
        rebuilt = lhtml.fragment_fromstring(
            " ".join(f'<span class="term">{t}</span>' for t in terms), create_parent="div")
        div.text = None
        for c in list(div):
            div.remove(c)
        for c in rebuilt:
            div.append(c)
        for c in div:
            c.tail = " "

    # A unit does not break at its hyphen or slash: a short cell of one word ("Mg-m²"), and every
    # cell of the unit columns of a field table (headed English and SI, or Unit).
    for table in root.iter("table"):
        heads = [" ".join(th.text_content().split()) for th in table.iter("th")]
        units = 2 if heads[-2:] == ["English", "SI"] else 1 if heads[-1:] == ["Unit"] else 0
        for row in table.iter("tr"):
            cells = [c for c in row if c.tag == "td"]
            for i, cell in enumerate(cells):
                text = cell.text_content().strip()
                if text and len(text) <= 20 and not re.search(r"\s", text):
                    cell.set("class", ((cell.get("class") or "") + " word").strip())
                elif i >= len(cells) - units and len(cell) == 0 and text:
                    # several words: the cell breaks between them only
                    cell.text = None
                    for w, word in enumerate(text.split()):
                        span = lhtml.Element("span")
                        span.set("class", "word")
                        span.text = word
                        span.tail = " "
                        cell.append(span)

    # Tables: a paragraph "Table: caption" right above a table becomes its numbered caption
    # (a paragraph of its own, so that a narrow table does not squeeze its caption).
    for table in list(root.iter("table")):
        prev = table.getprevious()
        counters["table"] += 1
        if prev is not None and prev.tag == "p" and (prev.text or "").startswith("Table: "):
            prev.text = f"Table {counters['table']}: " + prev.text[len("Table: "):]
        else:
            prev = lhtml.Element("p")
            prev.text = f"Table {counters['table']}"
            table.addprevious(prev)
            problems.append(f"{chapter.file}: table {counters['table']} has no caption paragraph 'Table: ...' above it")
        prev.set("class", "table-caption")


def link_checks(chapters, ids, problems):
    for ch in chapters:
        for a in ch.body.iter("a"):
            href = a.get("href", "")
            if href.startswith("#"):
                target = href[1:]
                if target not in ids:
                    problems.append(f"{ch.file}:{ch.line_of('(' + href + ')') or ch.line_of(href)}: "
                                    f"link to {href}, which no chapter defines")
                else:
                    a.set("class", "xref")


def help_page(title, body, nav, version):
    return ("<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
            f"<title>{html.escape(title)} - TREMEX {version} Help</title>\n"
            "<link rel=\"stylesheet\" href=\"manual.css\">\n</head>\n<body class=\"help\">\n"
            f"{nav}\n<main>\n{body}\n</main>\n{nav}\n</body>\n</html>\n")


def write_help(chapters, ids, out, src, version):
    helpdir = os.path.join(out, "help")
    if os.path.isdir(helpdir):
        shutil.rmtree(helpdir)
    os.makedirs(os.path.join(helpdir, "figures"))
    shutil.copy(os.path.join(src, "manual.css"), os.path.join(helpdir, "manual.css"))
    used = set()
    for i, ch in enumerate(chapters):
        prev = chapters[i - 1] if i > 0 else None
        nxt = chapters[i + 1] if i + 1 < len(chapters) else None
        parts = ['<a href="index.html">Contents</a>']
        if prev:
            parts.append(f'<a href="{prev.page}" rel="prev">Previous: {prev.number} {html.escape(prev.title)}</a>')
        if nxt:
            parts.append(f'<a href="{nxt.page}" rel="next">Next: {nxt.number} {html.escape(nxt.title)}</a>')
        nav = '<nav class="pages">' + " | ".join(parts) + "</nav>"
        body = lhtml.fromstring(lhtml.tostring(ch.body, encoding="unicode"))
        for a in body.iter("a"):
            href = a.get("href", "")
            if href.startswith("#") and href[1:] in ids and ids[href[1:]] is not ch:
                a.set("href", ids[href[1:]].page + href)
        for img in body.iter("img"):
            used.add(os.path.basename(img.get("src", "")))
        with open(os.path.join(helpdir, ch.page), "w", encoding="utf-8") as f:
            f.write(help_page(f"{ch.number} {ch.title}", lhtml.tostring(body, encoding="unicode"), nav, version))
    for name in sorted(used):
        path = os.path.join(src, "figures", name)
        if os.path.exists(path):
            shutil.copy(path, os.path.join(helpdir, "figures", name))
    items = []
    for ch in chapters:
        items.append(contents_list(ch, ch.page))
    body = (f"<h1>TREMEX {version} Help</h1>\n<p>The user's manual of TREMEX as linked pages; "
            f"the same text, printable, is \"{PDF_NAME}\" in the program's folder.</p>\n"
            '<nav class="contents"><h2>Contents</h2>\n<ol class="toc">\n' + "\n".join(items) + "\n</ol></nav>")
    with open(os.path.join(helpdir, "index.html"), "w", encoding="utf-8") as f:
        f.write(help_page("Contents", body, "", version))


def contents_list(ch, page, depth=3):
    """One chapter's entry of a contents list: the chapter and its sections (and subsections).
    PAGE is the chapter's help page, or "" in the PDF (one document)."""
    def entry(label, title, anchor):
        return (f'<a href="{page}{anchor}"><span class="secno">{label}</span> '
                f'<span class="title">{html.escape(title)}</span></a>')

    out = ['<li class="toc-chapter">' + entry(str(ch.number), ch.title, "" if page else "#" + ch.title_id)]
    subs = [s for s in ch.sections[1:] if s[0] <= depth]
    if subs:
        out.append("<ol>")
        open_item = open_sub = False
        for level, label, title, anchor in subs:
            if level == 2:
                if open_sub:
                    out.append("</ol>")
                    open_sub = False
                if open_item:
                    out.append("</li>")
                out.append("<li>" + entry(label, title, "#" + anchor))
                open_item = True
            else:
                if not open_item:
                    out.append("<li>")
                    open_item = True
                if not open_sub:
                    out.append("<ol>")
                    open_sub = True
                out.append("<li>" + entry(label, title, "#" + anchor) + "</li>")
        if open_sub:
            out.append("</ol>")
        if open_item:
            out.append("</li>")
        out.append("</ol>")
    out.append("</li>")
    return "".join(out)


def write_pdf(chapters, out, src, version):
    from weasyprint import HTML  # only the PDF needs it

    toc = "\n".join(contents_list(ch, "", depth=2) for ch in chapters)
    sections = []
    for ch in chapters:
        body = lhtml.fromstring(lhtml.tostring(ch.body, encoding="unicode"))
        # Each cross-reference is followed by its page, " (page N)", as text of the page: made
        # here rather than by the style sheet, which loses the blank after a forward reference.
        for link in list(body.iter("a")):
            if link.get("class") == "xref":
                ref = lhtml.Element("span")
                ref.set("class", "pageref")
                ref.set("data-target", link.get("href", "")[1:])
                # a reference that closes a bracket takes its page after a comma, so that the
                # brackets do not double: "(see the dialog, page 50)"
                ref.text = ", page 0" if (link.tail or "").startswith(")") else " (page 0)"
                ref.tail, link.tail = link.tail, None
                link.addnext(ref)
        sections.append(f'<section class="chapter-page" id="chapter-{ch.stem}">'
                        + lhtml.tostring(body, encoding="unicode") + "</section>")
    body = "\n".join(sections)
    doc = ("<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
           f"<title>TREMEX {version} User's Manual</title>\n</head>\n<body class=\"pdf\">\n"
           '<section class="title-page">\n<p class="product">TREMEX</p>\n'
           "<p class=\"subtitle\">Dynamic analysis of machine foundations</p>\n"
           f"<h1 class=\"manual-title\">User's Manual</h1>\n<p class=\"version\">Version {version}</p>\n</section>\n"
           '<nav class="toc-page"><h2 class="toc-title">Contents</h2>\n<ol class="toc">\n' + toc
           + "\n</ol></nav>\n" + body + "\n</body>\n</html>\n")
    # The chapters' first headings are the chapter titles of the book; the contents page's own
    # heading is no chapter.
    target = os.path.join(out, PDF_NAME)
    tmp = target + ".part"
    pageref = re.compile(r'(<span class="pageref" data-target="([^"]*)">)(, page | \(page )\d+')
    pages = {}
    for _ in range(4):
        # The pages of the targets, until a rendering puts them where the numbers say.
        text = pageref.sub(lambda m: f"{m.group(1)}{m.group(3)}{pages.get(m.group(2), 0)}", doc)
        document = HTML(string=text, base_url=src + "/").render(stylesheets=[os.path.join(src, "manual.css")])
        found = {}
        for number, page in enumerate(document.pages, 1):
            for anchor in page.anchors:
                found.setdefault(anchor, number)
        if found == pages:
            break
        pages = found
    document.write_pdf(tmp)
    os.replace(tmp, target)


def main(argv=None):
    parser = argparse.ArgumentParser(description="Builds the user's manual (help pages and PDF).")
    parser.add_argument("--src", default=os.path.dirname(os.path.abspath(__file__)))
    parser.add_argument("--out", help="the program's folder (help/ and the PDF go there)")
    parser.add_argument("--version", default="3.0.11")
    parser.add_argument("--strict", action="store_true", help="broken links and missing figures are errors")
    parser.add_argument("--check", action="store_true", help="check the chapters only; write nothing")
    parser.add_argument("--no-pdf", action="store_true", help="write the help pages only")
    parser.add_argument("--stamp", help="a file touched after a successful build")
    args = parser.parse_args(argv)
    src = os.path.abspath(args.src)
    if not args.check and not args.out:
        parser.error("--out is needed unless --check")

    paths = sorted(p for p in os.listdir(src) if re.match(r"^\d\d-.*\.md$", p))
    if not paths:
        print(f"build.py: no chapters in {src}", file=sys.stderr)
        return 1
    numbers = Numbers(os.path.join(src, "generated", "numbers.json"))
    problems = []
    chapters = []
    counters = {"figure": 0, "table": 0}
    try:
        for i, name in enumerate(paths, 1):
            ch = Chapter(os.path.join(src, name), i)
            ch.body = convert(ch, expand_marks(ch, numbers, problems))
            number_chapter(ch, counters, problems, os.path.join(src, "figures"))
            chapters.append(ch)
    except BuildError as e:
        print(f"build.py: {e}", file=sys.stderr)
        return 1

    ids = {}
    for ch in chapters:
        for el in ch.body.iter():
            if el.get("id"):
                if el.get("id") in ids:
                    problems.append(f"{ch.file}: id #{el.get('id')} is also defined in {ids[el.get('id')].file}")
                ids[el.get("id")] = ch
    link_checks(chapters, ids, problems)

    problems = list(dict.fromkeys(problems))
    for p in problems:
        print(f"build.py: {'error' if args.strict or args.check else 'warning'}: {p}", file=sys.stderr)
    if problems and (args.strict or args.check):
        return 1
    if args.check:
        print(f"build.py: {len(chapters)} chapters, {counters['figure']} figures, {counters['table']} tables checked")
        return 0

    out = os.path.abspath(args.out)
    os.makedirs(out, exist_ok=True)
    write_help(chapters, ids, out, src, args.version)
    if not args.no_pdf:
        write_pdf(chapters, out, src, args.version)
    if args.stamp:
        with open(args.stamp, "w") as f:
            f.write("built\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
