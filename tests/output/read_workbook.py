#!/usr/bin/python3
"""Dumps an .xlsx workbook as JSON for the workbook tests.

Values, number formats, fonts, alignment, merges, row heights and sheet names
come from openpyxl (Debian: python3-openpyxl). The borders and the column widths
are read from the package's XML parts themselves, because openpyxl drops the
look of the covered cells of a merged range.

    read_workbook.py WORKBOOK.xlsx
"""
import json
import re
import sys
import zipfile
import xml.etree.ElementTree as ET

import openpyxl

NS = {"m": "http://schemas.openxmlformats.org/spreadsheetml/2006/main"}


def raw_parts(path):
    with zipfile.ZipFile(path) as z:
        styles = ET.fromstring(z.read("xl/styles.xml"))
        sheet = ET.fromstring(z.read("xl/worksheets/sheet1.xml"))
    borders = []
    for b in styles.find("m:borders", NS):
        sides = ""
        for side, letter in (("left", "L"), ("top", "T"), ("bottom", "B"), ("right", "R")):
            e = b.find("m:" + side, NS)
            if e is not None and e.get("style") == "thin":
                sides += letter
        borders.append(sides)
    xfs = [int(x.get("borderId", "0")) for x in styles.find("m:cellXfs", NS)]
    cell_borders = {}
    for c in sheet.iter("{%s}c" % NS["m"]):
        sides = borders[xfs[int(c.get("s", "0"))]]
        if sides:
            cell_borders[c.get("r")] = sides
    cols = [
        {"min": int(c.get("min")), "max": int(c.get("max")), "width": float(c.get("width"))}
        for c in sheet.iter("{%s}col" % NS["m"])
    ]
    return cell_borders, cols


def main():
    path = sys.argv[1]
    wb = openpyxl.load_workbook(path)
    ws = wb.worksheets[0]
    cells = {}
    for row in ws.iter_rows():
        for c in row:
            if type(c).__name__ == "MergedCell":
                continue
            if c.value is None and c.style_id == 0:
                continue
            value = c.value
            kind = "n" if isinstance(value, (int, float)) and not isinstance(value, bool) else (
                "s" if isinstance(value, str) else ("" if value is None else "other"))
            cells[c.coordinate] = {
                "value": value,
                "type": kind,
                "format": c.number_format,
                "bold": bool(c.font.b),
                "size": c.font.sz,
                "wrap": bool(c.alignment.wrap_text),
                "h": c.alignment.horizontal or "",
                "v": c.alignment.vertical or "",
            }
    borders, cols = raw_parts(path)
    out = {
        "sheets": wb.sheetnames,
        "maxRow": ws.max_row,
        "maxColumn": ws.max_column,
        "cells": cells,
        "merges": sorted(str(r) for r in ws.merged_cells.ranges),
        "heights": {str(k): v.height for k, v in ws.row_dimensions.items() if v.height is not None},
        "borders": borders,
        "cols": cols,
    }
    json.dump(out, sys.stdout, ensure_ascii=False)


if __name__ == "__main__":
    main()
