#!/usr/bin/env python3
"""Our decoders against lhasa on streams no archiver would write: random bits
for -lh1-, -lz5- and -lzs- (every bit pattern is a valid stream there), and
for -lh4- to -lh7- real streams whose symbols after the code tables are
scrambled. Matches reach into the starting dictionary and far back, which
the corpus rarely does. Wherever our decoder finishes, lhasa must have made
the same bytes.

    lhasa_differential.py <decode_raw> <corpus dir> <work dir>
"""
import os, random, shutil, struct, subprocess, sys

decode_raw, corpus, work = sys.argv[1:4]
shutil.rmtree(work, ignore_errors=True)
os.makedirs(work)
archive = os.path.join(work, 'd.lzh')


def level0(method, packed, size):
    # 2 method, 7 packed, 11 original, 15 time, 19 attribute, 20 level,
    # 21 name length, 22 name, then the CRC (left 0: lhasa writes anyway).
    body = method + struct.pack('<III', len(packed), size, 0) + b'\x20\x00\x05x.bin' + b'\0\0'
    return bytes([len(body), sum(body) & 0xFF]) + body + packed


def streams(method, rnd):
    if method in (b'-lh1-', b'-lz5-', b'-lzs-'):
        return bytes(rnd.getrandbits(8) for _ in range(rnd.choice([64, 512, 4096, 9000])))
    # The packed data of a level 0 member of the corpus, then noise.
    data = open(os.path.join(corpus, 'explzh_723/h0_%s.lzh' % {b'-lh4-': 'lh5'}.get(method, method[1:4].decode())),
                'rb').read()
    packed = bytearray(data[data[0] + 2:data[0] + 2 + struct.unpack('<I', data[7:11])[0]])
    for i in range(rnd.choice([300, 600, 1200]), len(packed)):
        packed[i] = rnd.getrandbits(8)
    return bytes(packed)


failures = compared = 0
for method in (b'-lh1-', b'-lz5-', b'-lzs-', b'-lh4-', b'-lh5-', b'-lh6-', b'-lh7-'):
    rnd = random.Random(method)
    for run in range(25):
        open(archive, 'wb').write(level0(method, streams(method, rnd), rnd.choice([10, 500, 2000, 4000])))
        ours = subprocess.run([decode_raw, archive], capture_output=True)
        if ours.returncode != 0:
            continue  # a stream our decoder rejects; lhasa writes whatever it makes of it
        out = os.path.join(work, 'out')
        shutil.rmtree(out, ignore_errors=True)
        os.makedirs(out)
        subprocess.run(['lhasa', 'xqf', archive], cwd=out, capture_output=True)
        theirs = open(os.path.join(out, 'x.bin'), 'rb').read() if os.path.exists(os.path.join(out, 'x.bin')) else None
        compared += 1
        if theirs != ours.stdout:
            failures += 1
            kept = os.path.join(work, 'differs_%s_%d.lzh' % (method.decode().strip('-'), run))
            shutil.copy(archive, kept)
            print('FAIL: %s run %d: %d bytes, lhasa %s; kept as %s' % (
                method.decode(), run, len(ours.stdout), 'nothing' if theirs is None else len(theirs), kept))

print('%d streams compared with lhasa, %d differ' % (compared, failures))
sys.exit(1 if failures or compared < 100 else 0)
