#!/usr/bin/python3
"""Holds qcx3310-cli's CAN database import against canmatrix, a CAN database library no one here
wrote: how many signals get a register recipe, and whether each recipe gives back the value the
library decodes from the same frame.

    apt-get install python3-canmatrix
    scripts/judge_dbc_import.py build/workspace/qcx3310-cli FILE.dbc [FILE.dbc ...]

Each database is imported into temporary configurations (250 messages each, as receive frames);
for every classic-CAN message whose signals all got a recipe, random payloads are decoded by the
library and by the recipe in CAN_Signals.csv (registers joined high word first, shifted, masked,
sign or IEEE float, factor and offset), and the two values compared. Signals are matched in file
order, since the library may name them by their long names. Exit status 1 when a value differs.
"""
import collections
import csv
import math
import random
import re
import struct
import subprocess
import sys
import tempfile

import canmatrix.formats


def message_names(path):
    with open(path, encoding='latin-1') as fh:
        return [m.group(1) for m in re.finditer(r'^BO_\s+\d+\s+(\w+)\s*:', fh.read(), re.M)]


def import_rows(cli, dbc):
    rows = collections.defaultdict(list)
    names = message_names(dbc)
    for first in range(0, len(names), 250):
        with tempfile.TemporaryDirectory() as conf:
            run = subprocess.run([cli, 'import-dbc', conf, dbc, '--receive', ','.join(names[first:first + 250])],
                                 capture_output=True, text=True)
            if run.returncode != 0:
                sys.exit('%s: import-dbc failed:\n%s%s' % (dbc, run.stdout, run.stderr))
            with open(conf + '/CAN_Signals.csv', encoding='utf-8-sig') as fh:
                for r in csv.DictReader(fh):
                    if r['Length']:
                        rows[r['Message']].append(r)
    return rows


def recipe_value(r, payload):
    R = 0
    for pair in r['Bytes'].split():
        hi, lo = (int(x) for x in pair.split('/'))
        R = (R << 16) | ((payload[hi - 1] if hi else 0) << 8) | (payload[lo - 1] if lo else 0)
    length = int(r['Length'])
    raw = (R >> int(r['Shift'])) & ((1 << length) - 1)
    if r['Float'] == 'yes':
        raw = struct.unpack('<f' if length == 32 else '<d', raw.to_bytes(length // 8, 'little'))[0]
    elif r['Signed'] == 'yes' and raw >> (length - 1):
        raw -= 1 << length
    return raw * float(r['Factor']) + float(r['Offset'])


def same(a, b):
    return a == b or (math.isnan(a) and math.isnan(b)) or abs(a - b) <= 1e-9 * max(1.0, abs(a), abs(b))


def integer_valtypes(path):
    """(message identifier, signal) of every "SIG_VALTYPE_ ID NAME : 0;": value type 0 is an
    integer, but canmatrix takes any SIG_VALTYPE_ line for a float."""
    with open(path, encoding='latin-1') as fh:
        return {(int(m.group(1)), m.group(2))
                for m in re.finditer(r'^SIG_VALTYPE_\s+(\d+)\s+(\w+)\s*:\s*0\s*;', fh.read(), re.M)}


def judge(cli, dbc, rnd):
    db = canmatrix.formats.loadp_flat(dbc)
    integers = integer_valtypes(dbc)
    for f in db.frames:
        for s in f.signals:
            if (f.arbitration_id.to_compound_integer(), s.name) in integers:
                s.is_float = False
    rows = import_rows(cli, dbc)
    eligible = got = checked = differ = 0
    for f in db.frames:
        if f.size > 8 or f.is_fd:
            continue
        signals = [s for s in f.signals if not s.is_multiplexer and s.multiplex is None]
        eligible += len(signals)
        got += min(len(signals), len(rows[f.name]))
        if len(signals) != len(rows[f.name]):
            continue
        for _ in range(20):
            payload = bytes(rnd.randrange(256) for _ in range(f.size))
            decoded = f.decode(payload)
            for s, r in zip(signals, rows[f.name]):
                checked += 1
                mine, theirs = recipe_value(r, payload), float(decoded[s.name].phys_value)
                if not same(mine, theirs):
                    differ += 1
                    if differ <= 5:
                        print('  %s.%s, payload %s: recipe %r, library %r' % (f.name, s.name, payload.hex(), mine, theirs))
    share = 100.0 * got / eligible if eligible else 100.0
    print('%s: %d non-multiplexed signals of classic-CAN messages, %d with a recipe (%.1f%%); '
          '%d values checked, %d differ' % (dbc, eligible, got, share, checked, differ))
    return differ


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    rnd = random.Random(3310)
    differ = sum(judge(sys.argv[1], dbc, rnd) for dbc in sys.argv[2:])
    sys.exit(1 if differ else 0)


if __name__ == '__main__':
    main()
