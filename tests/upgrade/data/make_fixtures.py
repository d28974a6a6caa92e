#!/usr/bin/env python3
"""Makes the firmware image fixtures with srec_cat from small binaries that carry a meta block,
and writes expected.txt: for each good image the values a loader must reach (block size, rows,
skipped rows, lengths and CRCs), worked out here from the generated file on its own.

Run from anywhere: python3 tests/upgrade/data/make_fixtures.py  (needs srec_cat from srecord).
"""
import os
import random
import subprocess
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
KEY1 = bytes([0x5A, 0xC3, 0x21, 0x9E, 0x47, 0xB8, 0x0D])
KEY2 = bytes([0xE4, 0x17, 0x6B, 0xD2, 0x38, 0xA9, 0xF1])


def swap_words(b):
    out = bytearray(b)
    for i in range(0, len(out) - 1, 2):
        out[i], out[i + 1] = out[i + 1], out[i]
    return bytes(out)


def meta(start, stop, block=64, erase=128, proc=1, baud=19200, delay=100, fill=0xFF,
         pid=10, hw=(1, 2), sw=(3, 4), version=(2, 3), checksum=0xBEEF):
    m = bytes([version[1], version[0]]) + pid.to_bytes(4, 'little') + bytes([proc, hw[1], hw[0], sw[1], sw[0]])
    m += baud.to_bytes(2, 'little') + start.to_bytes(4, 'little') + stop.to_bytes(4, 'little')
    m += bytes([erase, block, delay, fill]) + checksum.to_bytes(2, 'little')
    assert len(m) == 27
    return m


def payload(size, seed):
    rnd = random.Random(seed)
    # no 0xFF, so that only gaps and deliberate runs are skipped
    return bytearray(rnd.randrange(0, 255) for _ in range(size))


def put_meta(data, offset, m):
    block = KEY1 + bytes(5) + m + KEY2
    data[offset:offset + len(block)] = block


def srec(segments, out, *opts):
    """segments: list of (address, bytes); writes an Intel-HEX file with srec_cat."""
    with tempfile.TemporaryDirectory() as tmp:
        args = ['srec_cat']
        for i, (addr, data) in enumerate(segments):
            p = os.path.join(tmp, f'seg{i}.bin')
            with open(p, 'wb') as f:
                f.write(data)
            args += [p, '-binary', '-offset', hex(addr)]
        args += ['-o', os.path.join(HERE, out), '-Intel', '-disable=exec_start_address'] + list(opts)
        subprocess.run(args, check=True)


# --- an independent reading of an image, as the loaders must read it ----------------------------

def parse_hex(path):
    records, base = [], 0
    with open(path, 'rb') as f:
        for raw in f.read().split(b'\n'):
            line = raw.rstrip(b'\r\n \t')
            if not line.startswith(b':'):
                continue
            b = bytes.fromhex(line[1:].decode())
            assert (sum(b) & 0xFF) == 0
            n, addr, typ, data = b[0], (b[1] << 8) | b[2], b[3], b[4:4 + b[0]]
            if typ == 0:
                records.append(((addr + base) & 0xFFFFFFFF, data))
            elif typ == 1:
                break
            elif typ in (2, 4):
                v = int.from_bytes(data, 'big')
                base = (v * (16 if typ == 2 else 65536)) & 0xFFFFFFFF
    return records


def crc16(data, crc=0xFFFF):
    for x in data:
        crc ^= x
        for _ in range(8):
            crc = (crc >> 1) ^ 0xA001 if crc & 1 else crc >> 1
    return crc


def expect_hex(path, m, old_boot=False):
    records = parse_hex(path)
    start = int.from_bytes(m[13:17], 'little')
    meta_stop = int.from_bytes(m[17:21], 'little')
    fill, erase, block = m[24], m[21], m[22]
    stop = max([a for a, _ in records if a < meta_stop] + [0])
    B = block if block >= 64 else 32
    if old_boot:
        B = 32
    for (a0, d0), (a1, _) in zip(records, records[1:]):
        if len(d0) >= a1 - a0:
            L, D = len(d0), a1 - a0
            break
    R = L // D
    step = B // R
    mem = {}
    for a, d in records:
        if start <= a <= stop:
            for i, x in enumerate(d):
                mem[(a - start) * R + i] = x
    rows = []
    addr = start
    while addr <= stop:
        r = len(rows)
        rows.append((addr, bytes(mem.get(r * B + i, fill) for i in range(B))))
        addr += step
    E = max(erase, 128)
    flat = b''.join(d for _, d in rows)
    skipped = [r + 1 for r in range(len(rows)) if len(flat[r * B:r * B + E]) == E and
               all(x == 0xFF for x in flat[r * B:r * B + E])]
    l10 = l20 = 0
    c10 = c20 = 0xFFFF
    for r, (_, d) in enumerate(rows):
        l10 += B
        c10 = crc16(d, c10)
        if r + 1 not in skipped:
            l20 += B
            c20 = crc16(d, c20)
    return dict(block=B, rows=len(rows), first=f'{rows[0][0]:08X}', last=f'{rows[-1][0]:08X}',
                skipped=','.join(map(str, skipped)) or '-', len10=l10, crc10=f'{c10:04X}',
                len20=l20, crc20=f'{c20:04X}')


def expect_bin(path):
    data = open(path, 'rb').read()
    n = len(data) // 128
    crc = 0xFFFF
    for j in range(n):
        crc = crc16(data[j * 128:(j + 1) * 128], ((crc >> 8) | (crc << 8)) & 0xFFFF)
    return dict(block=128, rows=n, first='80000000', last=f'{0x80000000 + 128 * (n - 1):08X}', skipped='-',
                len10=0, crc10='0000', len20=128 * n, crc20=f'{crc:04X}')


def main():
    expected = []

    def good(name, values):
        expected.append(name + ' ' + ' '.join(f'{k}={v}' for k, v in values.items()))

    def bad(name, why):
        expected.append(f'{name} error={why}')

    # Extended linear addresses: 2 KiB across a 64 KiB boundary, the start marker split over
    # two records.
    base = 0x0001FC00
    m_lin = meta(base, base + 0x800, block=64)
    lin = payload(0x800, 1)
    put_meta(lin, 0x10C, m_lin)
    srec([(base, lin)], 'linear16_lf.hex', '-Output_Block_Size=16')
    e = expect_hex(os.path.join(HERE, 'linear16_lf.hex'), m_lin)
    # without gaps, both modes send exactly the image's bytes
    assert e['len10'] == e['len20'] == len(lin) and e['crc10'] == f'{crc16(lin):04X}'
    good('linear16_lf.hex', e)
    good('linear16_lf.hex:v2', expect_hex(os.path.join(HERE, 'linear16_lf.hex'), m_lin, old_boot=True))
    srec([(base, lin)], 'linear32_crlf.hex', '-Output_Block_Size=32', '-Line_Termination=crlf')
    good('linear32_crlf.hex', expect_hex(os.path.join(HERE, 'linear32_crlf.hex'), m_lin))

    # Extended segment addresses, meta program size 0 (blocks of 32).
    sbase = 0x0000F800
    m_seg = meta(sbase, sbase + 0x1000, block=0, erase=0, fill=0x00, proc=9, baud=38400)
    seg = payload(0x1000, 2)
    put_meta(seg, 0x7F9, m_seg)
    srec([(sbase, seg)], 'segment16.hex', '-Output_Block_Size=16', '-Address_Length=3')
    e = expect_hex(os.path.join(HERE, 'segment16.hex'), m_seg)
    assert e['len10'] == len(seg) and e['crc10'] == f'{crc16(seg):04X}'
    good('segment16.hex', e)

    # Gaps: the fill between two stretches is skipped in the (0x20) mode; a run of FF inside
    # data too; a stretch above the meta stop is not part of the image.
    gbase = 0x00001000
    m_gap = meta(gbase, 0x00001C00, block=0, erase=0)
    g1 = payload(0x400, 3)
    g1[0x200:0x300] = b'\xFF' * 0x100
    put_meta(g1, 0x40, m_gap)
    g2 = payload(0x200, 4)
    g3 = payload(0x100, 5)
    srec([(gbase, g1), (0x1800, g2), (0x1C00, g3)], 'gaps.hex', '-Output_Block_Size=16')
    good('gaps.hex', expect_hex(os.path.join(HERE, 'gaps.hex'), m_gap))

    # A record after the end record, which would change the image if it were read.
    text = open(os.path.join(HERE, 'linear16_lf.hex')).read()
    body = bytes([0x04, 0x00, 0x10, 0x00]) + bytes([0xAA] * 4)  # 4 bytes at 0x..0010 (base 0x0002)
    late = ':' + body.hex().upper() + f'{(-sum(body)) & 0xFF:02X}\n'
    with open(os.path.join(HERE, 'after_end.hex'), 'w') as f:
        f.write(text + late)
    good('after_end.hex', expect_hex(os.path.join(HERE, 'linear16_lf.hex'), m_lin))

    # BIN: 1000 bytes (7 whole rows), swapped markers ending in row 3, the meta block as it stands.
    b = payload(1000, 6)
    m_bin = meta(0x80000000, 0xF0000000, block=128, proc=9, baud=19200)
    b[256:256 + 6] = swap_words(KEY1)[:6]
    b[256 + 8:256 + 35] = m_bin
    b[256 + 35:256 + 41] = swap_words(KEY2)[:6]
    with open(os.path.join(HERE, 'image_1000.bin'), 'wb') as f:
        f.write(b)
    good('image_1000.bin', expect_bin(os.path.join(HERE, 'image_1000.bin')))

    # Broken images.
    lines = text.split('\n')
    idx = next(i for i, l in enumerate(lines) if l.startswith(':10') and l[7:9] == '00' and i > 5)
    bad_line = lines[idx][:-2] + f'{(int(lines[idx][-2:], 16) + 1) & 0xFF:02X}'
    with open(os.path.join(HERE, 'bad_checksum.hex'), 'w') as f:
        f.write('\n'.join(lines[:idx] + [bad_line] + lines[idx + 1:]))
    bad('bad_checksum.hex', 'CheckSUM Error: ' + lines[idx][3:7])
    nonhex = lines[idx][:15] + 'G' + lines[idx][16:]
    with open(os.path.join(HERE, 'non_hex.hex'), 'w') as f:
        f.write('\n'.join(lines[:idx] + [nonhex] + lines[idx + 1:]))
    bad('non_hex.hex', 'Hex Record Error: ' + lines[idx][3:7])
    srec([(base, lin)], 'long_record.hex', '-Output_Block_Size=160')
    first_long = next(l for l in open(os.path.join(HERE, 'long_record.hex')) if l.startswith(':A0'))
    bad('long_record.hex', 'Hex Record Error: ' + first_long[3:7])
    srec([(base, payload(0x400, 7))], 'no_meta.hex', '-Output_Block_Size=16')
    bad('no_meta.hex', 'No Meta Block')

    def meta_variant(name, why, **kw):
        d = payload(0x400, 8)
        put_meta(d, 0x10C, meta(0x2000, 0x2400, **kw))
        srec([(0x2000, d)], name, '-Output_Block_Size=16')
        bad(name, why)

    meta_variant('block_overflow.hex', 'Meta Block Error: Program Size 250', block=250)
    meta_variant('processor10.hex', 'Meta Block Error: Processor 10', proc=10)
    meta_variant('baud0.hex', 'Meta Block Error: Baud Rate 0', baud=0)
    d = payload(0x400, 9)
    put_meta(d, 0x10C, meta(0x3000, 0x3400))
    srec([(0x2000, d)], 'empty_window.hex', '-Output_Block_Size=16')
    bad('empty_window.hex', 'Hex Block Error: no data between start and stop address')
    # An image from address 0: its first row's address reads as the end of the image.
    d = payload(0x400, 11)
    put_meta(d, 0x10C, meta(0x0, 0x400))
    srec([(0x0, d)], 'start_zero.hex', '-Output_Block_Size=16')
    bad('start_zero.hex', 'Hex Block Error: nothing to program from address 00000000')
    with open(os.path.join(HERE, 'no_meta.bin'), 'wb') as f:
        f.write(payload(512, 10))
    bad('no_meta.bin', 'No Meta Block')

    with open(os.path.join(HERE, 'expected.txt'), 'w') as f:
        f.write('# made by make_fixtures.py: file, then what loading it must give\n')
        f.write('\n'.join(expected) + '\n')


if __name__ == '__main__':
    main()
