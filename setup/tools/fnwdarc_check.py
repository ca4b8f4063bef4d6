#!/usr/bin/env python3
"""Checks fnwdarc against an independent reading and writing of the setup archive format.

Archives that fnwdarc writes are parsed here byte by byte and every entry is inflated with Python's
own zlib; archives laid out here (single, embedded at an offset, volume sets) are read back through
fnwdarc. Usage: fnwdarc_check.py [RUNNER] PATH_TO_FNWDARC (run in a scratch working folder).
"""
import os
import random
import shutil
import struct
import subprocess
import sys
import time
import zlib

# The tool, optionally behind a runner (the Wine wrapper for the Windows build).
TOOL = [os.path.abspath(a) if os.path.exists(a) else a for a in sys.argv[1:]]
WORK = os.path.abspath("fnwdarc_check_work")
HEADER = 172


class Skipped(Exception):
    pass


def run(*args, expect=0):
    p = subprocess.run([*TOOL, *map(str, args)], capture_output=True, text=True)
    if p.returncode != expect:
        raise AssertionError(f"fnwdarc {' '.join(map(str, args))}: exit {p.returncode}, expected {expect}\n"
                             f"stdout: {p.stdout}\nstderr: {p.stderr}")
    return p


def text_data(size, seed):
    rng = random.Random(seed)
    words = [b"plot ", b"graph ", b"equation ", b"setup ", b"archive ", b"\r\n", b"1.90 "]
    out = bytearray()
    while len(out) < size:
        out += rng.choice(words)
    return bytes(out[:size])


def random_data(size, seed):
    return random.Random(seed).randbytes(size)


def dos_datetime_value(mtime):
    """The archive's date of a file: its DOS date/time (local, even seconds) as days since 1899-12-30."""
    t = time.localtime(mtime)
    days = (datetime_ordinal(t.tm_year, t.tm_mon, t.tm_mday) - datetime_ordinal(1899, 12, 30))
    return days + (t.tm_hour * 3600 + t.tm_min * 60 + (t.tm_sec // 2) * 2) / 86400.0


def datetime_ordinal(y, m, d):
    import datetime
    return datetime.date(y, m, d).toordinal()


def header_bytes(seq, date, last_vol, data_end, name, next_header, size, start, csize, first_vol, file_id, version):
    nb = name.encode("latin-1")
    vb = version.encode("latin-1")
    h = struct.pack("<i", seq) + struct.pack("<d", date) + bytes([last_vol]) + b"\0" * 3
    h += struct.pack("<i", data_end) + bytes([len(nb)]) + nb.ljust(100, b"\0") + b"\0" * 3
    h += struct.pack("<iiii", next_header, size, start, csize) + bytes([first_vol]) + b"\0" * 3
    h += struct.pack("<i", file_id) + bytes([len(vb)]) + vb.ljust(20, b"\0") + b"\0" * 3
    assert len(h) == HEADER
    return h


def parse_header(b):
    seq, = struct.unpack_from("<i", b, 0)
    date, = struct.unpack_from("<d", b, 4)
    data_end, = struct.unpack_from("<i", b, 16)
    nlen = b[20]
    next_header, size, start, csize = struct.unpack_from("<iiii", b, 124)
    file_id, = struct.unpack_from("<i", b, 144)
    vlen = b[148]
    assert nlen <= 100 and vlen <= 20
    for r in (13, 14, 15, 121, 122, 123, 141, 142, 143, 169, 170, 171):
        assert b[r] == 0, f"reserved byte {r} is {b[r]}"
    return dict(seq=seq, date=date, last_vol=b[12], data_end=data_end, name=b[21:21 + nlen].decode("latin-1"),
                next=next_header, size=size, start=start, csize=csize, first_vol=b[140], id=file_id,
                version=b[149:149 + vlen].decode("latin-1"))


def read_single(data, offset=0):
    count, flag = struct.unpack_from("<iB", data, offset)
    assert flag == 0
    p = 5
    entries = []
    for _ in range(count):
        h = parse_header(data[offset + p: offset + p + HEADER])
        assert h["start"] == p + HEADER, (h, p)
        assert h["data_end"] == h["start"] + h["csize"] - 1
        assert h["next"] == h["data_end"] + 1
        assert h["first_vol"] == 0 and h["last_vol"] == 0
        h["stream"] = data[offset + h["start"]: offset + h["data_end"] + 1]
        entries.append(h)
        p = h["next"]
    return entries, p


def read_volume_set(paths):
    vols = [open(p, "rb").read() for p in paths]
    count, flag = struct.unpack_from("<iB", vols[0], 0)
    assert flag == 1
    entries = []
    for i in range(count):
        p = 5 + HEADER * i
        h = parse_header(vols[0][p:p + HEADER])
        assert h["next"] == p + HEADER
        fv, lv = h["first_vol"], h["last_vol"]
        if fv == lv:
            stream = vols[fv - 1][h["start"]:h["data_end"] + 1]
        else:
            stream = vols[fv - 1][h["start"]:]
            for v in range(fv + 1, lv):
                stream += vols[v - 1]
            stream += vols[lv - 1][:h["data_end"] + 1]
        assert len(stream) == h["csize"], (len(stream), h)
        h["stream"] = stream
        entries.append(h)
    return entries


def build_single(entries, level=6):
    out = bytearray(struct.pack("<iB", len(entries), 0))
    for i, (name, data, date, version, file_id) in enumerate(entries):
        s = zlib.compress(data, level)
        start = len(out) + HEADER
        end = start + len(s) - 1
        out += header_bytes(i + 1, date, 0, end, name, end + 1, len(data), start, len(s), 0, file_id, version)
        out += s
    return bytes(out)


def build_volume_set(entries, capacity):
    streams = [zlib.compress(e[1], 9) for e in entries]
    vol, pos = 1, 5 + HEADER * len(entries)
    places = []
    for s in streams:
        first, start = vol, pos
        left = len(s)
        while left:
            if pos == capacity:
                vol, pos = vol + 1, 0
                continue
            n = min(capacity - pos, left)
            pos += n
            left -= n
        places.append((first, start, vol, pos - 1))
    v1 = bytearray(struct.pack("<iB", len(entries), 1))
    for i, ((name, data, date, version, file_id), (fv, st, lv, en), s) in enumerate(zip(entries, places, streams)):
        v1 += header_bytes(i + 1, date, lv, en, name, 5 + HEADER * (i + 1), len(data), st, len(s), fv, file_id,
                           version)
    blob = b"".join(streams)
    vols = [v1]
    while blob:
        room = capacity - len(vols[-1])
        if room == 0:
            vols.append(bytearray())
            continue
        vols[-1] += blob[:room]
        blob = blob[room:]
    return [bytes(v) for v in vols]


def fresh(name):
    d = os.path.join(WORK, name)
    shutil.rmtree(d, ignore_errors=True)
    os.makedirs(d)
    return d


def files_below(d):
    out = []
    for root, _, files in os.walk(d):
        for f in files:
            out.append(os.path.relpath(os.path.join(root, f), d))
    return sorted(out)


def make_sources(d):
    src = os.path.join(d, "src")
    os.makedirs(src)
    files = {
        "program.exe": random_data(120000, 1),
        "readme.txt": text_data(250000, 2),
        "empty.dat": b"",
        "one.bin": b"\x42",
    }
    paths = []
    for i, (name, data) in enumerate(files.items()):
        p = os.path.join("src", name)
        with open(os.path.join(d, p), "wb") as f:
            f.write(data)
        stamp = time.mktime((2022, 3, 4, 5, 6, 7 + 2 * i, 0, 0, -1))
        os.utime(os.path.join(d, p), (stamp, stamp))
        paths.append(p)
    return paths, list(files.values())


ZLIB_FLG = {"none": 0x01, "fastest": 0x01, "default": 0x9C, "max": 0xDA}


def check_written_archives_inflate_with_pythons_zlib():
    for level, flg in ZLIB_FLG.items():
        d = fresh("written_" + level)
        paths, datas = make_sources(d)
        os.chdir(d)
        run("add", "files.1", "--level", level, "--id", 17, *paths)
        blob = open("files.1", "rb").read()
        entries, end = read_single(blob)
        assert end == len(blob)
        assert [e["name"] for e in entries] == paths
        for i, (e, data, path) in enumerate(zip(entries, datas, paths)):
            assert e["seq"] == i + 1 and e["id"] == 17 and e["version"] == ""
            assert e["size"] == len(data)
            assert e["stream"][0] == 0x78 and e["stream"][1] == flg, (level, e["stream"][:2])
            assert zlib.decompress(e["stream"]) == data
            assert abs(e["date"] - dos_datetime_value(os.stat(path).st_mtime)) < 1e-9
        listing = run("list", "files.1").stdout.splitlines()
        assert len(listing) == 4
        for line, e in zip(listing, entries):
            name, size, csize, date, version, file_id, vols = line.split("\t")
            assert (name, int(size), int(csize), version, int(file_id), vols) == \
                (e["name"], e["size"], e["csize"], "", 17, "0-0")
            t = time.localtime(os.stat(e["name"]).st_mtime)
            assert date == time.strftime("%Y-%m-%dT%H:%M:", t) + "%02d" % (t.tm_sec // 2 * 2), date
        run("extract", "files.1", "out")
        for path, data in zip(paths, datas):
            out = os.path.join("out", os.path.basename(path))
            assert open(out, "rb").read() == data
            # DOS dates keep even seconds only: the sources' odd seconds come back one lower.
            assert int(os.stat(out).st_mtime) == int(os.stat(path).st_mtime) // 2 * 2
        os.chdir(WORK)


def check_append_keeps_old_bytes():
    d = fresh("append")
    paths, datas = make_sources(d)
    os.chdir(d)
    run("add", "files.1", paths[0], paths[1])
    before = open("files.1", "rb").read()
    run("add", "files.1", "--append", paths[3])
    after = open("files.1", "rb").read()
    assert after[5:len(before)] == before[5:]
    entries, end = read_single(after)
    assert len(entries) == 3 and end == len(after)
    assert zlib.decompress(entries[2]["stream"]) == datas[3]
    os.chdir(WORK)


ENTRIES = [
    ("C:\\BUILD\\FENWOLD.EXE", random_data(30000, 5), 45123.5, "1.90.0.3", 100),
    ("C:\\BUILD\\README.TXT", text_data(90000, 6), 44000.25, "", 101),
    ("C:\\BUILD\\EMPTY.DAT", b"", 43000.0, "", 102),
    ("C:\\BUILD\\HELP.HLP", text_data(20000, 7), 45000.0, "2.0", 103),
]


def expect_extracted(out):
    assert files_below(out) == sorted(e[0].split("\\")[-1] for e in ENTRIES), files_below(out)
    for name, data, date, _, _ in ENTRIES:
        assert open(os.path.join(out, name.split("\\")[-1]), "rb").read() == data


def check_hand_made_single_and_embedded_archives():
    d = fresh("hand")
    os.chdir(d)
    blob = build_single(ENTRIES)
    open("files.1", "wb").write(blob)
    listing = run("list", "files.1").stdout.splitlines()
    assert [l.split("\t")[0] for l in listing] == [e[0] for e in ENTRIES]
    assert listing[0].split("\t")[3:] == ["2023-07-16T12:00:00", "1.90.0.3", "100", "0-0"], listing[0]
    run("extract", "files.1", "single")
    expect_extracted("single")

    junk = random_data(777, 9)
    open("embedded.bin", "wb").write(junk + blob + random_data(300, 10))
    assert len(run("list", "embedded.bin", "--offset", 777).stdout.splitlines()) == 4
    run("extract", "embedded.bin", "embedded", "--offset", 777)
    expect_extracted("embedded")
    os.chdir(WORK)


def check_hand_made_volume_sets():
    for capacity in (1500, 8192, 33333):
        d = fresh(f"volumes_{capacity}")
        os.chdir(d)
        vols = build_volume_set(ENTRIES, capacity)
        assert len(vols) > 1
        for i, v in enumerate(vols):
            open(f"files.{i + 1}", "wb").write(v)
        run("extract", "files.1", "out")
        expect_extracted("out")
        os.chdir(WORK)


def check_split_volumes_read_independently():
    d = fresh("split")
    os.chdir(d)
    open("files.1", "wb").write(build_single(ENTRIES))
    n = int(run("split", "files.1", "disks", "--volume-size", 5000).stdout.strip())
    paths = [os.path.join("disks", f"files.{i}") for i in range(1, n + 1)]
    assert n > 5 and all(os.path.getsize(p) <= 5000 for p in paths)
    assert not os.path.exists(os.path.join("disks", f"files.{n + 1}"))
    entries = read_volume_set(paths)
    for e, (name, data, date, version, file_id) in zip(entries, ENTRIES):
        assert (e["name"], e["date"], e["version"], e["id"]) == (name, date, version, file_id)
        assert zlib.decompress(e["stream"]) == data
    run("extract", paths[0], "out")
    expect_extracted("out")
    os.chdir(WORK)


def check_self_extracting_file():
    d = fresh("selfextract")
    os.chdir(d)
    loader = random_data(4321, 11)
    open("setup.exe", "wb").write(loader)
    setup1 = build_single(ENTRIES[:1])
    files1 = build_single(ENTRIES[1:])
    open("setup.1", "wb").write(setup1)
    open("files.1", "wb").write(files1)
    run("selfextract", "setup.exe", "setup.1", "files.1")
    exe = open("setup.exe", "rb").read()
    trailer = exe[-56:]
    assert trailer[0] == 14 and trailer[1:15] == b"SELFEXTRACTING" and trailer[15] == 0 and trailer[32:] == b"\0" * 24
    ss, se, as_, ae = struct.unpack_from("<iiii", trailer, 16)
    assert (ss, se, as_, ae) == (4321, 4321 + len(setup1) - 1, 4321 + len(setup1), len(exe) - 57)
    assert exe[ss:se + 1] == setup1 and exe[as_:ae + 1] == files1
    out = run("trailer", "setup.exe").stdout.splitlines()
    assert out == ["signature\tSELFEXTRACTING", f"setup\t{ss}\t{se}", f"archive\t{as_}\t{ae}"], out
    run("extract", "setup.exe", "app", "--offset", as_)
    assert files_below("app") == ["EMPTY.DAT", "HELP.HLP", "README.TXT"]
    os.chdir(WORK)


def check_damaged_archives_write_nothing():
    good = build_single(ENTRIES)
    h1 = 5 + HEADER + len(zlib.compress(ENTRIES[0][1], 6))

    def patch(blob, at, fmt, value):
        b = bytearray(blob)
        struct.pack_into(fmt, b, at, value)
        return bytes(b)

    corrupt = "Could not read the file headers for the compressed file. The Archive file could possible be corrupt"
    cases = [
        ("truncated", good[:len(good) // 2], corrupt),
        ("count too large", patch(good, 0, "<i", 5), corrupt),
        ("wild data start", patch(good, h1 + 132, "<i", 0x7FFFFF00), corrupt),
        ("next header backwards", patch(good, h1 + 124, "<i", 3), corrupt),
        ("size the data cannot hold", patch(good, h1 + 128, "<i", 0x7FFFFFFF), corrupt),
        ("bad stream", patch(good, h1 + HEADER + 40, "<B", good[h1 + HEADER + 40] ^ 0xFF), "error"),
        ("hostile name", build_single([("C:\\X\\..", b"evil", 45000.0, "", 0)]), "has a name that cannot be used"),
        ("device name", build_single([("C:\\X\\aux.txt", b"evil", 45000.0, "", 0)]), "has a name that cannot be used"),
    ]
    for what, blob, message in cases:
        d = fresh("damaged")
        os.chdir(d)
        open("bad.1", "wb").write(blob)
        p = run("extract", "bad.1", "out", expect=1)
        assert message in p.stderr, (what, p.stderr)
        assert files_below(".") == ["bad.1"] or (what == "bad stream" and files_below("out") == ["FENWOLD.EXE"]), \
            (what, files_below("."))
        os.chdir(WORK)


def check_overwrite_policies():
    d = fresh("overwrite")
    os.chdir(d)
    open("files.1", "wb").write(build_single([("C:\\B\\A.TXT", b"archived", 44000.0, "", 0)]))  # 2020-06-19
    os.makedirs("out")
    open("out/A.TXT", "wb").write(b"installed")
    run("extract", "files.1", "out", "--overwrite", "never")
    run("extract", "files.1", "out", "--overwrite", "date")  # the installed file is newer
    run("extract", "files.1", "out", "--overwrite", "version")  # neither has a version
    assert open("out/A.TXT", "rb").read() == b"installed"
    stamp = time.mktime((2019, 1, 1, 0, 0, 0, 0, 0, -1))
    os.utime("out/A.TXT", (stamp, stamp))
    run("extract", "files.1", "out", "--overwrite", "versiondate")
    assert open("out/A.TXT", "rb").read() == b"archived"
    assert files_below("out") == ["A.TXT"]
    os.chdir(WORK)


def check_version_resources_are_stored():
    fixture = os.environ.get("FNWDARC_VERSION_FIXTURE")
    if not fixture:
        raise Skipped("only the Windows build reads version resources")
    d = fresh("versions")
    os.chdir(d)
    shutil.copy(fixture, "fixture.exe")
    run("add", "files.1", "fixture.exe")
    entries, _ = read_single(open("files.1", "rb").read())
    assert entries[0]["version"] == os.environ["FNWDARC_VERSION_EXPECTED"], entries[0]["version"]
    assert run("list", "files.1").stdout.split("\t")[4] == entries[0]["version"]
    os.chdir(WORK)


def main():
    shutil.rmtree(WORK, ignore_errors=True)
    os.makedirs(WORK)
    os.chdir(WORK)
    checks = [v for k, v in globals().items() if k.startswith("check_")]
    passed = failed = skipped = 0
    for check in checks:
        try:
            check()
            passed += 1
            print(f"ok   {check.__name__}")
        except Skipped as e:
            skipped += 1
            print(f"skip {check.__name__}: {e}")
        except Exception as e:  # noqa: BLE001 - report every failing check
            failed += 1
            print(f"FAIL {check.__name__}: {e!r}")
        finally:
            os.chdir(WORK)
    print(f"{passed} passed, {failed} failed, {skipped} skipped")
    if failed == 0:
        shutil.rmtree(WORK, ignore_errors=True)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
