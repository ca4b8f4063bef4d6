#!/usr/bin/env python3
"""Reads a built distribution on its own, without the setup program's code.

  distribution.py check BUILD_DIR LOADER SOURCE_ROOT   checks setup.exe, setup.1 and files.1
  distribution.py filelist FILELIST_LST                 prints the records of a file list
  distribution.py corrupt ARCHIVE_FILE FILE_ID          spoils the compressed data of one entry
                                                        (of the product archive inside setup.exe
                                                        when ARCHIVE_FILE is a setup.exe)

SOURCE_ROOT is the Wine prefix's drive_c: stored names "C:\\..." are found below it.
"""
import os
import datetime
import struct
import sys
import time
import zlib

HEADER = 172
TRAILER = 56


def trailer(data):
    t = data[-TRAILER:]
    return {"sig": t[0:15], "zero": t[15], "setup_start": struct.unpack_from("<i", t, 16)[0],
            "setup_end": struct.unpack_from("<i", t, 20)[0], "archive_start": struct.unpack_from("<i", t, 24)[0],
            "archive_end": struct.unpack_from("<i", t, 28)[0], "tail": t[32:]}


def entries(data, offset=0):
    count, flag = struct.unpack_from("<iB", data, offset)
    assert flag == 0, "single-volume archive expected"
    p = 5
    out = []
    for _ in range(count):
        h = data[offset + p: offset + p + HEADER]
        name = h[21:21 + h[20]].decode("latin-1")
        e = {"date": struct.unpack_from("<d", h, 4)[0], "name": name,
             "next": struct.unpack_from("<i", h, 124)[0], "size": struct.unpack_from("<i", h, 128)[0],
             "start": struct.unpack_from("<i", h, 132)[0], "csize": struct.unpack_from("<i", h, 136)[0],
             "end": struct.unpack_from("<i", h, 16)[0], "id": struct.unpack_from("<i", h, 144)[0],
             "version": h[149:149 + h[148]].decode("latin-1")}
        assert e["start"] == p + HEADER and e["end"] == e["start"] + e["csize"] - 1, name
        e["data"] = data[offset + e["start"]: offset + e["end"] + 1]
        out.append(e)
        p = e["next"]
    return out


def dos_datetime(path):
    """The date-time value the archive keeps for a file: its local time to even seconds."""
    t = time.localtime(os.stat(path).st_mtime)
    d = datetime.date(t.tm_year, t.tm_mon, t.tm_mday) - datetime.date(1899, 12, 30)
    return d.days + (t.tm_hour * 3600 + t.tm_min * 60 + (t.tm_sec // 2) * 2) / 86400.0


def local_path(root, stored):
    assert stored[1:3] == ":\\", stored
    return os.path.join(root, *stored[3:].split("\\"))


def check(build, loader, root):
    problems = []
    exe = open(os.path.join(build, "setup.exe"), "rb").read()
    setup1 = open(os.path.join(build, "setup.1"), "rb").read()
    files1 = open(os.path.join(build, "files.1"), "rb").read()
    load = open(loader, "rb").read()
    t = trailer(exe)
    if t["sig"] != b"\x0eSELFEXTRACTING" or t["zero"] != 0 or t["tail"] != bytes(24):
        problems.append("trailer signature or padding")
    if t["setup_start"] != len(load) or exe[:len(load)] != load:
        problems.append("setup.exe does not begin with the loading program")
    if exe[t["setup_start"]:t["setup_end"] + 1] != setup1:
        problems.append("setup.1 is not embedded where the trailer says")
    if t["archive_start"] != t["setup_end"] + 1 or exe[t["archive_start"]:t["archive_end"] + 1] != files1:
        problems.append("files.1 is not embedded where the trailer says")
    if t["archive_end"] + 1 + TRAILER != len(exe):
        problems.append("the trailer does not follow files.1")
    for archive, offset, blob in (("setup.1", 0, setup1), ("files.1", 0, files1),
                                  ("setup.exe", t["archive_start"], exe)):
        for e in entries(blob, offset):
            content = zlib.decompress(e["data"])
            if len(content) != e["size"]:
                problems.append(f"{archive}: {e['name']} size")
            source = local_path(root, e["name"])
            if archive != "setup.1" and open(source, "rb").read() != content:
                problems.append(f"{archive}: {e['name']} differs from its source")
            if abs(e["date"] - dos_datetime(source)) > 1e-6:
                problems.append(f"{archive}: {e['name']} date {e['date']} != {dos_datetime(source)}")
    names = [(e["name"].lower(), e["id"], e["version"]) for e in entries(files1)]
    print("\n".join(f"{n}\t{i}\t{v}" for n, i, v in names))
    for p in problems:
        print("problem:", p)
    return 1 if problems else 0


def corrupt(path, file_id):
    data = bytearray(open(path, "rb").read())
    offset = 0
    if path.lower().endswith(".exe"):
        offset = trailer(bytes(data))["archive_start"]
    for e in entries(bytes(data), offset):
        if e["id"] == file_id:
            middle = offset + e["start"] + e["csize"] // 2
            for i in range(middle, middle + 64):
                data[i] ^= 0x5A
            open(path, "wb").write(bytes(data))
            return 0
    print("no entry with ID", file_id)
    return 1


def filelist(path):
    data = open(path, "rb").read()
    (count,) = struct.unpack_from("<i", data, 0)
    assert len(data) == 4 + 72 * count, "file list size"
    for i in range(count):
        r = data[4 + 72 * i: 4 + 72 * (i + 1)]
        size, date = struct.unpack_from("<id", r, 0)
        name = r[12:52].split(b"\0")[0].decode("latin-1")
        version = r[52:72].split(b"\0")[0].decode("latin-1")
        print(f"{name}\t{size}\t{date:.8f}\t{version}")
    return 0


if __name__ == "__main__":
    if sys.argv[1] == "filelist":
        sys.exit(filelist(sys.argv[2]))
    if sys.argv[1] == "check":
        sys.exit(check(*sys.argv[2:5]))
    if sys.argv[1] == "corrupt":
        sys.exit(corrupt(sys.argv[2], int(sys.argv[3])))
    sys.exit(2)
