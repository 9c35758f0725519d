"""What a folder holds, for comparing game folders and stores in tests.

    tree(root)            relative path -> bytes of every file, and "<path>/" -> b"" of
                          every empty folder
    stamps(root)          relative path -> (size, modification time), cheaper for large folders
    write_tree(root, files)   makes `root` hold exactly `files`: "a/b" -> bytes, or the path of a file
                          to copy; "a/c/" -> b"" an empty folder
    add_files(root, files)    the same, keeping what `root` held
    skip={"a", "b/c"}     leaves out those paths and everything below them
"""
import os
import shutil


def walk(root, skip=()):
    """(relative path, full path) of every file, and of every empty folder as "<path>/"."""
    def skipped(rel):
        return any(rel == s or rel.startswith(s + os.sep) for s in skip)
    for folder, dirs, names in os.walk(root):
        rel = os.path.relpath(folder, root)
        if skipped(rel):
            continue
        if not dirs and not names:
            yield rel + "/", folder
        for name in names:
            path = os.path.relpath(os.path.join(folder, name), root)
            if not skipped(path):
                yield path, os.path.join(folder, name)


def tree(root, skip=()):
    found = {}
    for rel, path in walk(root, skip):
        if rel.endswith("/"):
            found[rel] = b""
        else:
            with open(path, "rb") as f:
                found[rel] = f.read()
    return found


def stamps(root, skip=()):
    return {rel: (os.path.getsize(path), os.stat(path).st_mtime_ns) for rel, path in walk(root, skip)}


def write_tree(root, files):
    shutil.rmtree(root, ignore_errors=True)
    add_files(root, files)


def add_files(root, files):
    for name, source in files.items():
        path = os.path.join(root, *name.split("/"))
        os.makedirs(os.path.dirname(path), exist_ok=True)
        if name.endswith("/"):
            continue
        if isinstance(source, bytes):
            with open(path, "wb") as f:
                f.write(source)
        else:
            shutil.copy(source, path)
