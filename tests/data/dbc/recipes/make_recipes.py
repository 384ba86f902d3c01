#!/usr/bin/python3
# Makes recipes.dbc (signals of every byte order, length 1 to 64, sign, IEEE float and start bit)
# and recipes_decoded.csv: random frames of it decoded by canmatrix, a CAN database library no
# one here wrote, as the values the register recipes must give back.
#
#   apt-get install python3-canmatrix
#   cd tests/data/dbc/recipes && /usr/bin/python3 make_recipes.py
#
# Seeded: running it again makes the same files.
import csv
import random

import canmatrix
import canmatrix.formats

rnd = random.Random(3310)


def bits_of(start, length, intel):
    """The message bits (byte * 8 + bit) a signal takes, or None when it leaves 8 bytes."""
    out = []
    if intel:
        for i in range(length):
            out.append(start + i)
    else:
        pos = start
        for i in range(length):
            out.append(pos)
            if pos % 8 == 0:
                pos += 15
            else:
                pos -= 1
    if any(b < 0 or b >= 64 for b in out):
        return None
    return set(out)


def random_start(length, intel):
    while True:
        start = rnd.randrange(64)
        if bits_of(start, length, intel) is not None:
            return start


signals = []  # (name, start, length, intel, signed, float, factor, offset)
for intel in (True, False):
    for length in range(1, 65):
        kinds = ['u', 's']
        if length in (32, 64):
            kinds.append('f')
        for kind in kinds:
            for n in range(2):
                start = random_start(length, intel)
                factor, offset = rnd.choice([(1, 0), (0.1, 0), (0.125, -40), (2, 100), (0.001, -5.5)])
                if kind == 'f':
                    factor, offset = 1, 0
                name = '%s%d%s%d' % ('I' if intel else 'M', length, kind, n)
                signals.append((name, start, length, intel, kind == 's', kind == 'f', factor, offset))

# Pack the signals into messages of one byte order each, without overlapping bits.
messages = []
for intel in (True, False):
    pending = [s for s in signals if s[3] == intel]
    while pending:
        used = set()
        taken = []
        rest = []
        for s in pending:
            b = bits_of(s[1], s[2], s[3])
            if not (b & used) and len(taken) < 6:
                used |= b
                taken.append(s)
            else:
                rest.append(s)
        messages.append(taken)
        pending = rest

lines = ['VERSION ""', '', 'NS_ :', '', 'BS_:', '', 'BU_: ECU', '']
valtypes = []
for i, msg in enumerate(messages):
    ident = 0x100 + i
    lines.append('BO_ %d Recipe_%d: 8 ECU' % (ident, i))
    for (name, start, length, intel, signed, flt, factor, offset) in msg:
        lines.append(' SG_ %s : %d|%d@%d%s (%s,%s) [0|0] "u" ECU' %
                     (name, start, length, 1 if intel else 0, '-' if signed else '+', repr(factor), repr(offset)))
        if flt:
            valtypes.append('SIG_VALTYPE_ %d %s : %d;' % (ident, name, 1 if length == 32 else 2))
    lines.append('')
lines += valtypes
open('recipes.dbc', 'w', newline='\r\n').write('\n'.join(lines) + '\n')

db = canmatrix.formats.loadp_flat('recipes.dbc')
with open('recipes_decoded.csv', 'w', newline='') as out:
    w = csv.writer(out, lineterminator='\n')
    w.writerow(['Identifier', 'Payload', 'Signal', 'Physical'])
    for i, msg in enumerate(messages):
        frame = db.frame_by_id(canmatrix.ArbitrationId(0x100 + i))
        for k in range(6):
            payload = bytes(rnd.randrange(256) for _ in range(8))
            if k == 0:
                payload = bytes(8)
            elif k == 1:
                payload = bytes([255] * 8)
            decoded = frame.decode(payload)
            for (name, *_rest) in msg:
                value = decoded[name].phys_value
                # A float's bits may be NaN or infinite: those say nothing about the recipe.
                text = str(value)
                if text in ('NaN', 'nan', 'Infinity', '-Infinity', 'inf', '-inf', 'sNaN'):
                    continue
                w.writerow(['0x%X' % (0x100 + i), payload.hex().upper(), name, text])
