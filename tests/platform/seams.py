#!/usr/bin/env python3
"""Keeps the platform's seams: no include cycles between its folders, public headers that
include only public headers, internal headers that announce themselves private, and the
environment read only by the settings module. Run by ctest as td_platform_seams."""
import os
import re
import sys

root = os.path.join(sys.argv[1] if len(sys.argv) > 1 else ".", "platform")
problems = []
graph = {}
include = re.compile(r'^#include "([^"]+)"', re.M)

for folder, _, files in os.walk(root):
    relative = os.path.relpath(folder, root)
    for name in files:
        if not name.endswith((".h", ".cpp")):
            continue
        path = os.path.join(folder, name)
        text = open(path, encoding="utf-8").read()
        shown = os.path.relpath(path, os.path.dirname(root))
        targets = include.findall(text)
        if relative.startswith("include"):
            for t in targets:
                if not t.startswith("platform/") or "/" in t[len("platform/"):]:
                    problems.append(f"{shown}: a public header includes {t}")
            continue
        if name.endswith(".h") and relative != "." and '#include "private.h"' not in text:
            problems.append(f"{shown}: an internal header without #include \"private.h\"")
        if "getenv" in text and shown != "platform/settings/settings.cpp":
            problems.append(f"{shown}: reads the environment (settings/settings.h does that)")
        for t in targets:
            first = t.split("/")[0]
            if t.startswith("platform/") and not os.path.exists(os.path.join(root, "include", t)):
                problems.append(f"{shown}: includes {t}; internal headers are spelled \"folder/file.h\"")
            elif "/" in t and first != "platform" and first != relative:
                graph.setdefault(relative, set()).add(first)

def find_cycle(node, path, done):
    for nxt in sorted(graph.get(node, ())):
        if nxt in path:
            return path[path.index(nxt):] + [nxt]
        if nxt not in done:
            done.add(nxt)
            cycle = find_cycle(nxt, path + [nxt], done)
            if cycle:
                return cycle
    return None

for start in sorted(graph):
    cycle = find_cycle(start, [start], set())
    if cycle:
        problems.append("include cycle: " + " -> ".join(cycle))
        break

for p in problems:
    print(p)
sys.exit(1 if problems else 0)
