"""Sets the two compile times chmcmd writes into a help file to zero, so that
one set of pages always compiles to the same bytes: the time stamp of the
ITSF header and entry 10 of the #SYSTEM file (uncompressed, content section 0).
Usage: zero-chm-times.py Help.chm"""
import re
import sys

path = sys.argv[1]
with open(path, "rb") as f:
    data = bytearray(f.read())
if data[:4] != b"ITSF":
    sys.exit(f"{path} is not a help file")
data[0x10:0x14] = bytes(4)
# #SYSTEM starts with its version (3) and the time entry: code 10, length 4,
# then the compiler entry, code 9, "HHA Version ...".
found = [m.start() for m in re.finditer(rb"\x03\x00\x00\x00\x0a\x00\x04\x00.{4}\x09\x00..HHA Version", data, re.S)]
if len(found) != 1:
    sys.exit(f"{path}: the #SYSTEM time entry was found {len(found)} times, not once")
data[found[0] + 8:found[0] + 12] = bytes(4)
with open(path, "wb") as f:
    f.write(data)
