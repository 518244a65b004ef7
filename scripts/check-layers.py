#!/usr/bin/env python3
"""Checks the layers of the program (README, Layout) on the include lines and the link lists.

  scripts/check-layers.py            check; exit status 1 and one line per fault when one is found
  scripts/check-layers.py --graph    print the folder graph and the units of each folder

Every source folder has a layer. A file may include the headers of its own folder and of the
folders its layer is allowed to use, and a library in CMake may link only those. Faults:
  - an include of a header of a folder its layer may not use (a higher layer or a sibling);
  - a library that links a library of such a folder;
  - folders that include each other (directly or round a longer circle);
  - units (x.h with x.cpp) that include each other round a circle, but inside the components
    listed in COMPONENTS (the grid table, ...: several units of one folder made as one).
"""

import os
import re
import sys

TOP = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# Folder -> the folders whose headers it may include (besides its own). Sub-folders of a
# folder are separate folders for the circle checks.
BELOW = {
    "engine": set(),
    "engine/rt": {"engine"},
    "engine/kernels": {"engine"},
    "dataentry/util": set(),
    "dataentry/entry": {"dataentry/util"},
    "dataentry/table": {"dataentry/util", "dataentry/entry"},
}
DATAENTRY = {"dataentry/util", "dataentry/entry", "dataentry/table"}
BELOW.update({
    "app/model": DATAENTRY,
    "plots": DATAENTRY,
    "app/ui": DATAENTRY | {"app/model", "plots"},
})
MIDDLE = DATAENTRY | {"app/model", "plots", "app/ui"}
BELOW.update({
    "app/forms": MIDDLE,
    "views": MIDDLE,
    "views/gl": MIDDLE | {"views"},
    "app/shell": MIDDLE,
    "app/program": MIDDLE | {"app/forms", "views", "views/gl", "app/shell"},
    "scripts": DATAENTRY | {"app/model"},  # tremrun
})
# The engine's own sub-folders use each other freely; they stay below everything else.
BELOW["engine"] = {"engine/rt", "engine/kernels"}
BELOW["engine/rt"] = {"engine", "engine/kernels"}
BELOW["engine/kernels"] = set()

# The include roots of the build (target_include_directories), searched after the file's own
# folder, in this order.
ROOTS = ["dataentry", "app/model", "app/ui", "app", "app/shell", "app/program", "plots", "views",
         "engine"]

# Library -> its folders (the link lists are checked with the same table).
TARGETS = {
    "tremengine": {"engine", "engine/rt", "engine/kernels"}, "tremcalc": {"engine", "engine/rt", "engine/kernels"},
    "tremkern": {"engine/kernels"}, "tremdata": DATAENTRY, "tremmodel": {"app/model"},
    "tremui": {"app/ui"}, "tremforms": {"app/forms"}, "tremshell": {"app/shell"},
    "tremplots": {"plots"}, "tremviews": {"views", "views/gl"}, "tremprogram": {"app/program"},
    "Tremex3": {"app/program"}, "tremrun": {"scripts"},
}

# Components of several units that call each other by design, each inside one folder (README,
# Layout); a unit circle outside these is a fault. The engine's units are not checked here.
COMPONENTS = {
    # The grid table: a column kind knows its table, the table its columns and its editor.
    "grid table": {"dataentry/table/column", "dataentry/table/columntypes", "dataentry/table/table",
                   "dataentry/table/tableform"},
    # The number field and the control it extends.
    "number field": {"dataentry/entry/dataedit", "dataentry/entry/numbercontrol"},
    # The plot window and the dialogs that edit it.
    "plot window": {"plots/plotform", "plots/plotdialogs"},
    # The 2-D views: the window of the views, the side and top views, their printed profile.
    "2-D views": {"views/sideview", "views/topview", "views/viewprint", "views/viewwindow"},
}

SOURCE_DIRS = ["engine", "dataentry", "app", "plots", "views"]
EXTRA_FILES = ["scripts/tremrun.cpp"]
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def sources():
    for d in SOURCE_DIRS:
        for folder, _, files in os.walk(os.path.join(TOP, d)):
            for f in sorted(files):
                if f.endswith((".h", ".cpp", ".c")):
                    yield os.path.relpath(os.path.join(folder, f), TOP)
    for f in EXTRA_FILES:
        if os.path.exists(os.path.join(TOP, f)):
            yield f


def folder_of(path):
    d = os.path.dirname(path)
    while d and d not in BELOW:
        d = os.path.dirname(d)
    return d


def resolve(path, name):
    """The project file an include names, or None (a system or generated header)."""
    own = os.path.normpath(os.path.join(os.path.dirname(path), name))
    if os.path.isfile(os.path.join(TOP, own)):
        return own
    for root in ROOTS:
        candidate = os.path.normpath(os.path.join(root, name))
        if os.path.isfile(os.path.join(TOP, candidate)):
            return candidate
    return None


def unit_of(path):
    return os.path.splitext(path)[0]


def circles(graph):
    """The strongly connected parts of more than one node (Tarjan)."""
    index, low, stack, on, out = {}, {}, [], set(), []
    counter = [0]

    def visit(v):
        index[v] = low[v] = counter[0]
        counter[0] += 1
        stack.append(v)
        on.add(v)
        for w in sorted(graph.get(v, ())):
            if w not in index:
                visit(w)
                low[v] = min(low[v], low[w])
            elif w in on:
                low[v] = min(low[v], index[w])
        if low[v] == index[v]:
            part = []
            while True:
                w = stack.pop()
                on.discard(w)
                part.append(w)
                if w == v:
                    break
            if len(part) > 1:
                out.append(sorted(part))

    sys.setrecursionlimit(10000)
    for v in sorted(graph):
        if v not in index:
            visit(v)
    return out


def link_lists():
    """(cmake file, target, linked target) for every target_link_libraries of our targets."""
    call = re.compile(r"target_link_libraries\(\s*([\w-]+)([^)]*)\)", re.S)
    for folder, _, files in os.walk(TOP):
        rel = os.path.relpath(folder, TOP)
        if rel.startswith(("build", ".git", "tests", "fuzz")) or "/build" in rel:
            continue
        if "CMakeLists.txt" not in files:
            continue
        text = open(os.path.join(folder, "CMakeLists.txt"), encoding="utf-8").read()
        for m in call.finditer(text):
            for word in m.group(2).split():
                yield os.path.relpath(os.path.join(folder, "CMakeLists.txt"), TOP), m.group(1), word


def main():
    faults = []
    folder_graph, unit_graph, uses = {}, {}, {}
    for path in sources():
        folder = folder_of(path)
        if not folder:
            continue
        text = open(os.path.join(TOP, path), encoding="utf-8", errors="replace").read()
        for m in INCLUDE.finditer(text):
            target = resolve(path, m.group(1))
            if target is None:
                continue
            other = folder_of(target)
            line = text.count("\n", 0, m.start()) + 1
            if other != folder:
                folder_graph.setdefault(folder, set()).add(other)
                if other not in BELOW[folder]:
                    faults.append(f"{path}:{line}: includes {target}: {folder}/ may not use {other}/")
            if unit_of(target) != unit_of(path):
                unit_graph.setdefault(unit_of(path), set()).add(unit_of(target))
                uses.setdefault(folder, {}).setdefault(os.path.basename(path), set()).add(target)

    for part in circles(folder_graph):
        faults.append("folders include each other: " + " <-> ".join(p + "/" for p in part))
    for part in circles(unit_graph):
        if part[0].startswith("engine/") or any(set(part) <= c for c in COMPONENTS.values()):
            continue
        faults.append("units include each other: " + " <-> ".join(part))

    for cmake, target, linked in link_lists():
        if target not in TARGETS or linked not in TARGETS:
            continue
        mine, theirs = TARGETS[target], TARGETS[linked]
        allowed = set().union(*(BELOW[f] | {f} for f in mine))
        if not theirs & allowed:
            faults.append(f"{cmake}: {target} links {linked}: {'/, '.join(sorted(mine))}/ may not use "
                          f"{'/, '.join(sorted(theirs))}/")

    if "--graph" in sys.argv:
        for folder in sorted(folder_graph):
            print(f"{folder}/ -> " + ", ".join(f + "/" for f in sorted(folder_graph[folder])))
        for folder in sorted(uses):
            print(f"\n{folder}/")
            for name in sorted(uses[folder]):
                print(f"  {name}: " + " ".join(sorted(uses[folder][name])))

    for fault in faults:
        print("check-layers: " + fault)
    if faults:
        print(f"check-layers: {len(faults)} fault(s); the layers are drawn in README.md, Layout")
        return 1
    print("check-layers: the includes and link lists keep to the layers")
    return 0


if __name__ == "__main__":
    sys.exit(main())
