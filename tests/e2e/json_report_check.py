#!/usr/bin/env python3
"""Checks JSON results against their schema and against the text report of
the same project: every value row of the report is in the JSON, in order,
with its symbol and unit, and every JSON number rounds to the value the
report prints (the report may print a decimal comma).

usage: json_report_check.py schema.json x.json x.txt [y.json y.txt ...]
A fatal joint has no report: give "-" for its text file."""
import json
import re
import sys

import jsonschema

NUMBER = re.compile(r"^([-+]?\d*(?:\.(\d*))?)(?:E([-+]?\d+))?$", re.IGNORECASE)


def printed_number(text):
    """The printed number and half a unit of its last printed digit; None for a text."""
    m = NUMBER.match(text.strip().replace(",", "."))
    if not m or not re.search(r"\d", m.group(1)):
        return None
    decimals = len(m.group(2) or "")
    exponent = int(m.group(3) or 0)
    return float(m.group(1)) * 10.0**exponent, 0.5 * 10.0 ** (exponent - decimals)


def same_value(cell, printed, where):
    problems = []
    if "text" in cell:
        if cell["text"] != printed.strip():
            problems.append(f"{where}: text {cell['text']!r} printed {printed.strip()!r}")
        return problems
    parts = printed.strip().split("..") if "min" in cell else [printed]
    values = [cell["min"], cell["max"]] if "min" in cell else [cell["value"]]
    if len(parts) != len(values):
        return [f"{where}: {values} printed {printed!r}"]
    for value, part in zip(values, parts):
        if part.strip() and set(part.strip()) == {"*"}:
            continue  # a number too wide for its field: the JSON keeps it whole
        p = printed_number(part)
        if p is None or value is None:
            problems.append(f"{where}: {value} printed {part!r}")
        elif abs(value - p[0]) > p[1] * 1.000001 + 1e-12 * abs(p[0]):
            problems.append(f"{where}: {value!r} does not print as {part.strip()!r}")
    return problems


def check(validator, json_path, txt_path):
    with open(json_path, "rb") as f:
        raw = f.read()
    problems = [f"{json_path}: {e.message[:200]} at {list(e.absolute_path)}"
                for e in validator.iter_errors(json.loads(raw.decode("utf-8")))]
    if b"\r" in raw or not raw.endswith(b"\n"):
        problems.append(f"{json_path}: not LF text")
    doc = json.loads(raw)
    if txt_path == "-":
        if not doc["fatal"] or doc["results"] or not doc["messages"]:
            problems.append(f"{json_path}: a fatal joint has messages and no results")
        return problems
    with open(txt_path, encoding="utf-8") as f:
        lines = [line.rstrip("\n").split("\t") for line in f]
    rows = [line for line in lines if len(line) == 4]
    if len(rows) != len(doc["results"]):
        problems.append(f"{json_path}: {len(doc['results'])} results, the report has {len(rows)} rows")
    for i, (row, result) in enumerate(zip(rows, doc["results"])):
        name, symbol, unit, printed = row
        where = f"{json_path}: result {i} {name!r} {symbol!r}"
        if (result["name"], result["symbol"], result["unit"]) != (name.strip(), symbol.strip(), unit.strip()):
            problems.append(f"{where}: JSON names {result['name']!r} {result['symbol']!r} {result['unit']!r}")
            break
        problems += same_value(result, printed, where)
    at = 0
    for t, table in enumerate(doc["tables"]):
        heads = table["columns"]
        while at < len(lines) and [c.strip() for c in lines[at][:len(heads)]] != heads:
            at += 1
        if at == len(lines):
            problems.append(f"{json_path}: table {t} {heads} not in the report")
            break
        for r, cells in enumerate(table["rows"]):
            printed = lines[at + 1 + r]
            for c, cell in enumerate(cells):
                problems += same_value(cell, printed[c], f"{json_path}: table {t} row {r} column {c}")
        at += 1 + len(table["rows"])
    return problems


def main():
    with open(sys.argv[1], encoding="utf-8") as f:
        schema = json.load(f)
    jsonschema.Draft202012Validator.check_schema(schema)
    validator = jsonschema.Draft202012Validator(schema)
    problems = []
    args = sys.argv[2:]
    for json_path, txt_path in zip(args[::2], args[1::2]):
        problems += check(validator, json_path, txt_path)
    for p in problems:
        print(p)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
