#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
# Prints every cell of a workbook's first sheet (or the sheet numbered by the second argument,
# from 0) as openpyxl (an independent reader) sees it:
# one JSON list per row of [type, text] pairs; type "s" text, "n" number or empty, "f" formula.
# Characters that XML cannot carry (CR, control characters) stand in a cell as _xHHHH_, which
# spreadsheet programs read back as the character; openpyxl leaves them as they are, so they
# are read back here.
import json
import re
import sys

from openpyxl import load_workbook

sheet = load_workbook(sys.argv[1]).worksheets[int(sys.argv[2]) if len(sys.argv) > 2 else 0]
rows = []
for row in sheet.iter_rows():
    cells = []
    for cell in row:
        value = cell.value
        if value is None:
            text = ""
        elif isinstance(value, (int, float)):
            text = str(int(value)) if float(value).is_integer() else str(value)
        else:
            text = re.sub(r"_x([0-9A-Fa-f]{4})_", lambda m: chr(int(m.group(1), 16)), str(value))
        cells.append([cell.data_type, text])
    rows.append(cells)
json.dump(rows, sys.stdout)
