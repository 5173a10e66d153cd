#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
# The peer of bexlorin-report --csv in bench_report: what a careful instructor would write in
# an afternoon. Reads every send_*.txt of a folder (Windows-1252, CR LF) and writes one CSV
# row per record: student, file, run date, assignment, kind, time, rating as typed, response.
# No bank, no checks, no problems reported: a floor for what parsing in Python costs.
import csv, os, re, sys

OPEN = "......!!!!!!!!..................................."
CLOSE = "................................................."
RATING = re.compile(r"^(confidence assessment:  |self critique assessment: )(.*)$")

def records(lines):
    i, date, assignment = 0, "", ""
    while i < len(lines):
        line = lines[i]
        if line.startswith("assignment #") and i + 3 < len(lines):
            assignment, date, i = line[12:], lines[i + 3], i + 4
        elif line == OPEN:
            end = i + 1
            while end < len(lines) and lines[end] != OPEN:
                end += 1
            body_end = end + 1
            while body_end < len(lines) and lines[body_end] != CLOSE:
                body_end += 1
            body = lines[end + 1:body_end]
            time = lines[i + 1].strip() if i + 1 < len(lines) else ""
            kind, rating = "note", ""
            if body and body[0].startswith("RESPONSE -->  "):
                body[0] = body[0][14:]
                found = RATING.match(body[-1]) if body else None
                kind = "question" if found and found.group(1).startswith("conf") else "answer"
                rating = found.group(2) if found else ""
                body = body[:-1] if found else body
            yield date, assignment, kind, time, rating, "\r\n".join(body)
            i = body_end + 1
        else:
            i += 1

out = csv.writer(open(sys.argv[2], "w", newline="", encoding="utf-8"))
for name in sorted(os.listdir(sys.argv[1])):
    if name.startswith("send_") and name.endswith(".txt"):
        with open(os.path.join(sys.argv[1], name), "rb") as f:
            lines = f.read().decode("cp1252", "replace").split("\r\n")
        for row in records(lines):
            out.writerow((name[9:-4].replace("_", " "), name) + row)
