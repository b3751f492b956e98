"""The layout of tests/data/runs (its README describes it), for scripts/bless-run and
scripts/make-regeneration-cases: a case's inputs as the base with the case's own entries laid
over it, and its expected file.

A tree maps a '/'-separated path to ('file', bytes), ('link', target) or ('folder', None); a
folder stands in it only when nothing below it does.
"""
import os
import shutil

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
RUNS = os.path.join(ROOT, "tests", "data", "runs")
BASE = os.path.join(RUNS, "base")
GENERATOR = os.path.join(ROOT, "build", "bin", "vantrel-gen")
# The entries of a case folder that are no input of its run.
CONTROL = {"absent", "args", "disk-only", "expected"}
KEEP = ".keep"
NO_NEWLINE = b"\\ no newline at end"


def case_folder(case):
    """A case named by its folder's name, or by its path."""
    return case if os.path.isdir(case) else os.path.join(RUNS, case)


def read_tree(folder, case_folder=False):
    """Every entry below a folder, without .keep files and, for a case folder, without CONTROL."""
    tree = {}
    for parent, folders, files in os.walk(folder):
        relative_parent = os.path.relpath(parent, folder)
        if case_folder and relative_parent == ".":
            folders[:] = [name for name in folders if name not in CONTROL]
            files = [name for name in files if name not in CONTROL]
        for name in list(folders):
            path = os.path.join(parent, name)
            key = os.path.normpath(os.path.join(relative_parent, name))
            if os.path.islink(path):
                tree[key] = ("link", os.readlink(path))
                folders.remove(name)
            else:
                tree[key] = ("folder", None)
        for name in files:
            if name == KEEP:
                continue
            path = os.path.join(parent, name)
            key = os.path.normpath(os.path.join(relative_parent, name))
            if os.path.islink(path):
                tree[key] = ("link", os.readlink(path))
            else:
                with open(path, "rb") as stream:
                    tree[key] = ("file", stream.read())
    return without_implied_folders(tree)


def without_implied_folders(tree):
    parents = set()
    for key in tree:
        parts = key.split("/")
        for end in range(1, len(parts)):
            parents.add("/".join(parts[:end]))
    return {key: entry for key, entry in tree.items()
            if not (entry[0] == "folder" and key in parents)}


def lay_out(tree, folder, keep=False):
    """Writes a tree below folder; with keep, an empty folder gets a .keep file so git holds it."""
    for key, (kind, content) in sorted(tree.items()):
        target = os.path.join(folder, key)
        if kind == "folder":
            os.makedirs(target, exist_ok=True)
            if keep:
                open(os.path.join(target, KEEP), "w").close()
            continue
        os.makedirs(os.path.dirname(target), exist_ok=True)
        if kind == "link":
            os.symlink(content, target)
        else:
            with open(target, "wb") as stream:
                stream.write(content)


def crosses(a, b):
    """Whether one path is the other or lies below it."""
    return a == b or a.startswith(b + "/") or b.startswith(a + "/")


def read_absent(folder):
    path = os.path.join(folder, "absent")
    if not os.path.exists(path):
        return []
    with open(path, "rb") as stream:
        lines = stream.read().splitlines()
    return [line.decode("utf-8", "surrogateescape") for line in lines if line]


def compose(base, own, absent):
    """The base without the absent paths (and what is below them) and without every entry that
    one of the case's own entries crosses, with the case's entries laid over it."""
    for path in absent:
        if not any(key == path or key.startswith(path + "/") for key in base):
            raise SystemExit("absent names %s, which the base does not hold" % path)
    tree = {key: entry for key, entry in base.items()
            if not any(key == path or key.startswith(path + "/") for path in absent)
            and not any(crosses(key, other) for other in own)}
    tree.update(own)
    return without_implied_folders(tree)


def case_inputs(folder):
    return compose(read_tree(BASE), read_tree(folder, case_folder=True), read_absent(folder))


def write_inputs(folder, inputs):
    """Replaces the case's own entries and its absent list by what, over the base, gives inputs."""
    base = read_tree(BASE)
    own = {key: entry for key, entry in inputs.items() if base.get(key) != entry}
    absent = sorted(key for key in base
                    if key not in inputs and not any(crosses(key, other) for other in own))
    for name in os.listdir(folder) if os.path.isdir(folder) else []:
        if name not in CONTROL or name == "absent":
            path = os.path.join(folder, name)
            if os.path.isdir(path) and not os.path.islink(path):
                shutil.rmtree(path)
            else:
                os.remove(path)
    os.makedirs(folder, exist_ok=True)
    lay_out(own, folder, keep=True)
    if absent:
        with open(os.path.join(folder, "absent"), "wb") as stream:
            stream.write(b"".join(key.encode("utf-8", "surrogateescape") + b"\n" for key in absent))
    if compose(base, read_tree(folder, case_folder=True), read_absent(folder)) != inputs:
        raise SystemExit("%s: the base and the case's entries do not give its inputs" % folder)


def block(data):
    """Bytes as lines each written after '|', and a marker when the last line has no newline."""
    lines = data.split(b"\n")
    text = b"".join(b"|" + line + b"\n" for line in lines[:-1])
    if lines[-1]:
        text += b"|" + lines[-1] + b"\n" + NO_NEWLINE + b"\n"
    return text


def source_of(name, content, inputs):
    """The input a file of the expected tree is a copy of: same name, same bytes, not empty."""
    if not content:
        return None
    for key, entry in sorted(inputs.items()):
        if entry == ("file", content) and key.rsplit("/", 1)[-1] == name.rsplit("/", 1)[-1]:
            return key
    return None


def quoted(path):
    """A path or link target as a line of the expected file: in double quotes, with \\n, \\"
    and \\\\ for the bytes they stand for, when it holds a line break or starts with a quote."""
    if b"\n" not in path and not path.startswith(b'"'):
        return path
    return b'"' + path.replace(b"\\", b"\\\\").replace(b'"', b'\\"').replace(b"\n", b"\\n") + b'"'


def expected_text(status, out, err, tree, inputs):
    """The expected file: status, stdout and stderr, then the tree the run makes or changes."""
    text = b"status %d\nstdout\n" % status + block(out) + b"stderr\n" + block(err)

    def line(key):
        return quoted(key.encode("utf-8", "surrogateescape")) + b"\n"

    for key, (kind, content) in sorted(tree.items()):
        if kind == "folder":
            text += b"folder " + line(key)
        elif kind == "removed":
            text += b"removed " + line(key)
        elif kind == "link":
            text += b"link " + line(key) + b"-> " + line(content)
        elif source_of(key, content, inputs):
            text += b"file " + line(key) + b"= " + line(source_of(key, content, inputs))
        else:
            text += b"file " + line(key) + block(content)
    return text
