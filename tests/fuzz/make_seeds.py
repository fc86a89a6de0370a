#!/usr/bin/env python3
"""Writes the seed corpus of every fuzz harness into tests/fuzz/corpus/<name>/.

The seeds come from the project's own installation data and the file formats
the program writes; each stays small (a few KB). Run it again after a format
changes, and commit what it writes."""

import pathlib
import re
import struct
import zlib

HERE = pathlib.Path(__file__).resolve().parent
ROOT = HERE.parent.parent
DATA = ROOT / "platform" / "install" / "data"
CORPUS = HERE / "corpus"

RECORD_SIZE = 10428
IMAGE_SIZE = 6912
MACRO_BLOCKS = 0x3BC
MACRO_BLOCK_SIZE = 592
KEY_BLOCKS = 0x7C


def write(harness, name, data):
    folder = CORPUS / harness
    folder.mkdir(parents=True, exist_ok=True)
    (folder / name).write_bytes(data)


def factory_record():
    """The simulated mouse's factory record of profile 0, with one key block and one macro."""
    r = bytearray(RECORD_SIZE)
    r[0x00:0x03] = bytes([1, 4, 1])
    r[0x05], r[0x06], r[0x08], r[0x0D] = 1, 4, 6, 3
    stages = [(7, 7, 0x00, 255, 0, 0), (15, 15, 0x00, 0, 255, 0), (31, 31, 0x00, 0, 0, 255),
              (63, 63, 0x00, 255, 255, 0), (127, 127, 0x00, 255, 0, 255), (255, 255, 0x00, 0, 255, 255),
              (159, 159, 0x22, 255, 255, 255), (129, 129, 0x33, 255, 128, 0)]
    r[0x0F:0x3F] = bytes(b for stage in stages for b in stage)
    r[0x3F:0x43] = bytes([1, 128, 5, 1])
    r[0x43:0x4A] = bytes([1, 0, 128, 255, 2, 4, 1])
    buttons = [(1, 1, 0), (1, 2, 0), (1, 4, 0), (1, 8, 0), (1, 16, 0), (2, 1, 0),
               (2, 2, 0), (2, 3, 0), (7, 0, 0), (7, 0, 0), (4, 10, 3), (0, 0, 0)]
    r[0x4A:0x4A + 36] = bytes(b for button in buttons for b in button)
    # Button 1 sends Ctrl+C: four events of 8 bytes (action, kind, code u16, delay u32).
    events = [(0, 0, 0x01, 0), (0, 1, 0x06, 0), (1, 1, 0x06, 0), (1, 0, 0x01, 0)]
    r[KEY_BLOCKS] = len(events)
    r[KEY_BLOCKS + 4:KEY_BLOCKS + 4 + 32] = b"".join(struct.pack("<BBHI", *e) for e in events)
    # Macro 0 "Fire": press and release of A, 30 ms apart.
    name = b"Fire"
    block = MACRO_BLOCKS
    r[block] = len(name)
    r[block + 1:block + 1 + len(name)] = name
    r[block + 31] = 2
    r[block + 32:block + 48] = struct.pack("<BBHI", 0, 1, 0x04, 30) + struct.pack("<BBHI", 1, 1, 0x04, 0)
    return bytes(r)


def packed_image_prefix(record):
    """The start of the image the record packs into; the harnesses pad and seal it."""
    out = bytearray(record[:MACRO_BLOCKS])
    for k in range(16):
        block = record[MACRO_BLOCKS + k * MACRO_BLOCK_SIZE:]
        name, count = block[0], block[31]
        out += bytes([name]) + block[1:1 + name] + bytes([count]) + block[32:32 + 8 * count]
    return bytes(out).rstrip(b"\0")


def qbytes(data):
    return struct.pack(">I", len(data)) + data


def qstring(text):
    data = text.encode("utf-16-be")
    return struct.pack(">I", len(data)) + data


def qbool(value):
    return b"\1" if value else b"\0"


def config_import():
    record = factory_record()
    tag = b"Qelvo".ljust(12, b"\0")
    write("configimport", "export-3395", qbytes(tag) + qbytes(b"3395".ljust(12, b"\0")) + qbytes(record))
    write("configimport", "short", qbytes(tag) + qbytes(b"3395".ljust(12, b"\0")) + struct.pack(">I", RECORD_SIZE))


def device_cache():
    write("devicecache", "cache", qbytes(factory_record()))
    write("devicecache", "short", struct.pack(">I", RECORD_SIZE) + b"\1\4\1")


def language_xml():
    english = (DATA / "Language" / "English.xml").read_text(encoding="utf-8")
    keep = ["DialogChange", "Progress", "UpDataParam", "Question", "MouseOffLine", "InportFail", "DialogMain"]
    sections = [m.group(0) for m in re.finditer(r"    <(\w+)>.*?</\1>\n", english, re.S) if m.group(1) in keep]
    text = '<?xml version="1.0" encoding="UTF-8"?>\n<Total>\n' + "".join(sections) + "</Total>\n"
    write("languagexml", "english-part.xml", text.encode("utf-8"))
    write("languagexml", "net.xml", (DATA / "Language" / "Net.xml").read_bytes())


def config_ini():
    write("configini", "Config.ini", (DATA / "usersetting" / "Config.ini").read_bytes())


def sensor_defines():
    lines = (DATA / "driver_sensor.h").read_text(encoding="utf-8").splitlines(keepends=True)
    kept, per_sensor = [], {}
    for line in lines:
        m = re.match(r"#define SENSOR_(\w+?)_DPI_", line)
        if m:
            per_sensor[m.group(1)] = per_sensor.get(m.group(1), 0) + 1
            if per_sensor[m.group(1)] > 12:
                continue
        kept.append(line)
    kept.append("#define SENSOR_3950_DPI_26000\t0x81 // four times 6500\n")
    write("sensordefines", "driver_sensor.h", "".join(kept).encode("utf-8"))


def firmware_image(name, kind, cid, mid, version):
    header = bytearray(728)
    image = header + bytes(range(16))
    image[0:4] = b"QFW1"
    image[4:8] = struct.pack("<I", len(image))
    image[16:20] = struct.pack("<I", version)
    image[20], image[21], image[22] = kind, cid, mid
    image[87:87 + len(name)] = name
    return bytes(image)


def firmware():
    mouse = firmware_image(b"Q7PRO_MOUSE", 210, 42, 17, 0x0105)
    receiver = firmware_image(b"Q7PRO_RX4K", 211, 42, 17, 0x0104)
    write("firmware", "q7-mouse-and-receiver", mouse + b"QFWNEXT!" + receiver)
    write("firmware", "q3-mouse", firmware_image(b"Q3_MOUSE", 210, 42, 18, 0x0103))


def report(kind, sub_kind, payload, control=0):
    header = bytes([0xA1, kind, 1, 0, sub_kind])
    return bytes([control]) + header + struct.pack("<H", len(payload)) + payload


def device_reports():
    write("devicereports", "full-image", report(8, 0, packed_image_prefix(factory_record()), control=1))
    write("devicereports", "reports",
          report(4, 0, bytes([80, 1, 0, 0]))          # battery
          + report(8, 0, bytes([1]))                  # report rate
          + report(8, 4, bytes([3]))                  # current DPI stage
          + report(8, 0x4C, bytes([1, 1, 128, 5, 0, 0, 0, 0]))  # DPI light
          + report(8, 0xA0, bytes([1, 1, 0, 128, 255, 2, 4, 0, 0]))  # light bar
          + report(10, 0, bytes([0x7F, 0]))           # status change
          + report(14, 0, bytes([2]))                 # profile
          + report(23, 0, bytes(10)))                 # long range
    write("devicereports", "reset-then-image",
          report(9, 0, b"") + report(18, 0, b"") + report(21, 0, b"")
          + report(8, 0, packed_image_prefix(factory_record()), control=1))


def flash_image():
    record = factory_record()
    write("flashimage", "image-prefix", packed_image_prefix(record))
    write("flashimage", "record-prefix", record[:MACRO_BLOCKS + 48])


def scenario():
    write("scenario", "readme.json", b"""{
  "latencyMs": 0,
  "readsUnanswered": false,
  "devices": [
    {"id": "rx8k", "kind": "receiver", "model": "Q7 Pro", "rate": 8,
     "receiverId": "5A 31 08", "version": "0x0102", "pairedWith": "q7",
     "ledMode": 1, "longRange": false},
    {"id": "q7", "kind": "mouse", "model": "Q7 Pro", "version": "0x0103",
     "battery": 80, "charging": false, "awake": true, "profile": 0},
    {"id": "q3", "kind": "mouse", "model": "Q3"}
  ]
}
""")
    write("scenario", "odd-models.json", b"""{"devices": [
  {"id": "rx1k", "kind": "receiver", "rate": 1, "cid": 7, "plugged": true},
  {"id": "odd", "kind": "mouse", "model": "Z9", "mid": 99, "productId": "0x5999", "offline": true, "pairedWith": "rx1k"}
]}
""")


def sim_state():
    led = bytes([2]) + bytes(9)
    receiver = qstring("rx4k") + qstring("Q7 Pro") + qbool(True) + struct.pack(">ii", 0x0102, 0) \
        + struct.pack(">I", 0) + qbytes(led) + qbool(True)
    short_profiles = struct.pack(">I", 4) + b"".join(qbytes(bytes([1, 4, 1])) for _ in range(4))
    mouse = qstring("q3") + qstring("Q3") + qbool(False) + struct.pack(">ii", 0x0101, 1) \
        + short_profiles + qbytes(b"") + qbool(False)
    payload = struct.pack(">I", 2) + receiver + mouse
    # Even first byte: the rest is the payload; odd: the rest is the whole file.
    write("simstate", "payload", b"\0" + payload)
    checksum = 0  # a wrong checksum: the reader refuses the file whole
    write("simstate", "file", b"\1" + qbytes(b"QSIM-STATE") + struct.pack(">I", 1) + qbytes(payload)
          + struct.pack(">H", checksum))


def macro_file():
    write("macrofile", "stroke", b"254\n0x02 0 0\n10ms\n0x04 1 0\n250ms\n0x04 1 1\n10ms\n0x02 0 1\n")
    write("macrofile", "crlf-no-end", b"17\r\n0x01 4 0\r\n5ms\r\n0x01 4 1")
    write("macrofile", "odd-lines", b"often\n0x00 1 0\n0x40 0 1\n0x29 1 2\nhello\n12ms 3\n")


def macro_block():
    def block(name, events, count=None):
        b = bytes([len(name)]) + name.ljust(30, b"\0") + bytes([len(events) if count is None else count])
        b += b"".join(struct.pack("<BBHI", *e) for e in events)
        return b.ljust(MACRO_BLOCK_SIZE, b"\0")
    record = factory_record()
    write("macroblock", "factory-fire", record[MACRO_BLOCKS:MACRO_BLOCKS + MACRO_BLOCK_SIZE])
    write("macroblock", "shift-a-mouse", block("Přepínač".encode(), [(0, 0, 0x02, 25), (0, 1, 0x04, 10), (1, 1, 0x04, 5),
                                                                   (0, 4, 0x01, 20), (1, 4, 0x01, 9), (1, 0, 0x02, 0)]))
    write("macroblock", "twins", block(b"RAlt/F7", [(0, 0, 0x40, 1), (0, 1, 0x40, 2), (1, 0, 0x08, 3), (7, 1, 0x08, 0)]))
    write("macroblock", "count-255", block(b"x" * 30, [(i % 2, 1, 0x04 + i % 26, i) for i in range(70)], count=255))
    write("macroblock", "byte-order-marks", block(b"\xef\xbb\xbf" * 2 + b"Jump", [(0, 1, 0x04, 10), (1, 1, 0x04, 0)]))


def button_macro_file():
    # First byte: the length of the macro name that follows; then the file.
    def named(name, file):
        raw = name.encode()
        return bytes([len(raw)]) + raw + file
    write("buttonmacrofile", "stroke", named("Přepínač", b"255 9\n0x02 0 0\n10ms\n0x04 1 0\n250ms\n0x04 1 1\n0x02 0 1"))
    write("buttonmacrofile", "mouse", named("klik", b"3\r\n0x01 4 0\r\n5ms\r\n0x01 4 1\r\n4294967299ms\r\n"))
    write("buttonmacrofile", "head-only", named("a\0b", b"\n"))
    write("buttonmacrofile", "long", named("x" * 40, b"1\n" + b"0x04 1 0\n1ms\n" * 80))


def tiny_png():
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    raw = b"\0\0\0\0\0"
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", 1, 1, 8, 6, 0, 0, 0)) \
        + chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b"")


def macro_export():
    head = qbytes(b"Qelvo".ljust(12, b"\0")) + qbytes("Přepínač".encode().ljust(48, b"\0")) \
        + qbytes(b"255".ljust(12, b"\0"))
    null_icon = struct.pack(">I", 0xFFFFFFFF)
    picture_icon = qstring("QPixmapIconEngine") + struct.pack(">ii", 1, 1) + tiny_png() \
        + qstring("/opt/Quembrel/Picture/Macro/MacroDown.png") + struct.pack(">iiII", 16, 16, 0, 1)
    press = qbytes(b"0\0")
    release = qbytes(b"1\0")
    rows = qstring("A") + null_icon + press + qstring("10ms") + null_icon + qstring("A") + null_icon + release
    write("macroexport", "stroke", head + struct.pack(">i", 3) + rows)
    write("macroexport", "pictures", head + struct.pack(">i", 2) + qstring("LShift") + picture_icon + press
          + qstring("65535ms") + picture_icon)
    write("macroexport", "huge-count", head + struct.pack(">i", 0x7FFFFFFF) + qstring("Esc") + null_icon + press)


for make in (config_import, device_cache, language_xml, config_ini, sensor_defines, firmware, device_reports,
             flash_image, scenario, sim_state, macro_file, macro_export, macro_block,
             button_macro_file):
    make()
