#!/usr/bin/env python3
"""scripts/make_demo_data on a folder that exists remakes only what changed,
keeps nothing of a source that has gone, picks up again after a source that
failed, and leaves what a fresh run would make.

Works on a copy of the script and of demo/ under --work.

Usage: make_demo_data_test.py --source ROOT --tools TOOLS_DIR --work DIR
"""
import argparse
import filecmp
import os
import re
import shutil
import subprocess
import sys


def fail(message):
    print("FAILED: " + message)
    sys.exit(1)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--source", required=True)
    parser.add_argument("--tools", required=True)
    parser.add_argument("--work", required=True)
    args = parser.parse_args()
    tools = os.path.abspath(args.tools)
    work = os.path.abspath(args.work)
    shutil.rmtree(work, ignore_errors=True)
    root = os.path.join(work, "root")
    os.makedirs(os.path.join(root, "scripts"))
    shutil.copy2(os.path.join(args.source, "scripts", "make_demo_data"), os.path.join(root, "scripts"))
    shutil.copytree(os.path.join(args.source, "demo"), os.path.join(root, "demo"))
    demo = os.path.join(root, "demo")
    out = os.path.join(work, "out")

    def make(folder, step, ok=True):
        run = subprocess.run([os.path.join(root, "scripts", "make_demo_data"), folder, tools],
                             stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
        if (run.returncode == 0) != ok:
            fail("%s: make_demo_data ended with %d:\n%s" % (step, run.returncode, run.stdout))
        return run.stdout

    def remade(step, text, expected):
        m = re.search(r"remade (\d+) of (\d+) sources", text)
        if not m:
            fail("%s: no count of the sources remade in:\n%s" % (step, text))
        made, seen = int(m.group(1)), int(m.group(2))
        want = seen if expected == "all" else expected
        if made != want:
            fail("%s: remade %d of %d sources, expected %s" % (step, made, seen, expected))

    def write(relative, text):
        path = os.path.join(demo, relative)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w") as f:
            f.write(text)

    def same_as_fresh(step):
        fresh = os.path.join(work, "fresh")
        shutil.rmtree(fresh, ignore_errors=True)
        make(fresh, step + " (fresh)")
        differ = []

        def walk(cmp, at):
            differ.extend(os.path.join(at, n) for n in cmp.left_only + cmp.right_only + cmp.diff_files
                          + cmp.funny_files)
            for name, sub in cmp.subdirs.items():
                walk(sub, os.path.join(at, name))

        cmp = filecmp.dircmp(out, fresh, ignore=[".demo_data_stamp", ".demo_data_cache"])
        filecmp.clear_cache()
        walk(cmp, "")
        # dircmp compares by size and time first: compare every file's bytes.
        for folder, _, files in os.walk(fresh):
            if ".demo_data_cache" in folder:
                continue
            for name in files:
                rel = os.path.relpath(os.path.join(folder, name), fresh)
                mine = os.path.join(out, rel)
                if name != ".demo_data_stamp" and os.path.exists(mine) and \
                        not filecmp.cmp(mine, os.path.join(fresh, rel), shallow=False):
                    differ.append(rel)
        if differ:
            fail("%s: not what a fresh run makes: %s" % (step, sorted(set(differ))))

    remade("first run", make(out, "first run"), "all")
    if make(out, "unchanged") != "":
        fail("unchanged: a run with nothing newer did something")

    # A new rows file of a table and a new file the pack takes as it is.
    write("pack/DATABASE/0099.Z5D.d/test.rows", 'row 3 "A third text."\n')
    write("pack/EXTRA/notes.bin", "notes")
    remade("two new sources", make(out, "two new sources"), 2)

    # A table that fails stops the run (a file changed with it is taken
    # meanwhile); mended, the table alone is made again.
    write("pack/DATABASE/0099.Z5D.d/test.rows", 'row 1 "A row given twice."\n')
    write("pack/EXTRA/notes.bin", "other notes")
    make(out, "a broken table", ok=False)
    write("pack/DATABASE/0099.Z5D.d/test.rows", 'row 4 "A fourth text."\n')
    remade("the table mended", make(out, "the table mended"), 1)
    same_as_fresh("after the changes")

    # A source that has gone makes everything anew, without its results.
    shutil.rmtree(os.path.join(demo, "pack/EXTRA"))
    sounds = sorted(n for n in os.listdir(os.path.join(demo, "media/SOUND")) if n.endswith(".txt"))
    os.remove(os.path.join(demo, "media/SOUND", sounds[0]))
    remade("two sources gone", make(out, "two sources gone"), "all")
    listed = subprocess.run([os.path.join(tools, "qmpack"), "list", os.path.join(out, "PACK", "QuillMarrow.DAT")],
                            stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True).stdout
    if "notes.bin" in listed or "EXTRA" in listed:
        fail("two sources gone: the pack still holds EXTRA/:\n" + listed)
    if os.path.exists(os.path.join(out, "SOUND", sounds[0][:-len(".txt")])):
        fail("two sources gone: the sound of a source that has gone stays")
    same_as_fresh("after the removals")
    print("passed")


if __name__ == "__main__":
    main()
