#!/usr/bin/env python3
"""Writes the fuzz targets' seed corpora (corpus/<target>/): small inputs that reach each reader's paths.

Run again after changing it; the seeds are checked in so a run needs nothing but this folder."""
import io
import os
import struct
import zipfile
import zlib

here = os.path.dirname(os.path.abspath(__file__))


def write(target, name, data):
    folder = os.path.join(here, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def archive(entries, comment=b"", prefix=b""):
    buffer = io.BytesIO()
    with zipfile.ZipFile(buffer, "w") as z:
        for name, data, method in entries:
            info = zipfile.ZipInfo(name, date_time=(2025, 1, 1, 12, 0, 0))
            info.compress_type = method
            z.writestr(info, data)
        z.comment = comment
    return prefix + buffer.getvalue()


sample = [("readme.txt", b"plain text, stored", zipfile.ZIP_STORED),
          ("sub/", b"", zipfile.ZIP_STORED),
          ("sub/tool.exe", b"x" * 3000 + b"tail", zipfile.ZIP_DEFLATED)]
write("zip_directory", "sample.zip", archive(sample))
write("zip_directory", "comment.zip", archive(sample[:1], comment=b"an archive comment"))
write("zip_directory", "prefixed.zip", archive(sample[:1], prefix=b"P" * 64))
write("zip_directory", "empty.zip", archive([]))
write("zip_directory", "padded.zip", archive(sample[:1]).ljust(512, b"\0"))

# unzip_names: first byte chooses the encoding (0 Windows-1252, 1 UTF-8, 2 UTF-16LE), the rest is the stored name.
for i, (how, name) in enumerate([(0, b"doc/de/hilfe.txt"), (0, b"../up.txt"), (0, b"a/.. /b"), (0, b"CON.txt"),
                                 (0, b"LPT1"), (0, b"x:y"), (1, "\u00c4nderungen.txt".encode()), (0, b"*.txt"),
                                 (2, "dir\\file".encode("utf-16-le")), (0, b"...\\x")]):
    write("unzip_names", "name%02d" % i, bytes([how]) + name)

# unzip_inflate: mode, stated size (3 bytes), offset, then data. Odd modes deflate the data themselves.
plain = b"The quick brown fox jumps over the lazy dog. " * 40
raw = zlib.compressobj(9, zlib.DEFLATED, -15)
packed = raw.compress(plain) + raw.flush()
write("unzip_inflate", "deflated", bytes([2]) + struct.pack("<I", len(plain))[:3] + bytes([0]) + packed)
write("unzip_inflate", "stored", bytes([0]) + struct.pack("<I", len(plain))[:3] + bytes([0]) + plain)
write("unzip_inflate", "small-limit", bytes([2, 100, 0, 0, 0]) + packed)
write("unzip_inflate", "roundtrip", bytes([13, 0, 0, 0, 0]) + plain)

for i, text in enumerate([b"1.2.3.4\n1.2.3.4", b"2.0.0.0\n1.9.9.9", b"1.10.0.0\n1.9.0.0", b"01.2.3.4\n1.2.3.4",
                          b"1.2.x\n1.2.3.4", b"65535.65535.65535.65535\n0.0.0.0", b"\n"]):
    write("update_version", "pair%02d" % i, text)


def idlist(*items):
    out = b""
    for item in items:
        out += struct.pack("<H", len(item) + 2) + item
    return out + b"\0\0"


def ida(parent, items):
    head = 4 * len(items) + 8
    offsets, body = [head], parent
    for item in items:
        offsets.append(head + len(body))
        body += item
    return struct.pack("<I", len(items)) + b"".join(struct.pack("<I", o) for o in offsets) + body


def hdrop(names, wide=True):
    header = struct.pack("<IiiII", 20, 0, 0, 0, 1 if wide else 0)
    if wide:
        return header + b"".join(n.encode("utf-16-le") + b"\0\0" for n in names) + b"\0\0"
    return header + b"".join(n.encode("cp1252") + b"\0" for n in names) + b"\0"


write("drop_data", "hdrop-wide", hdrop(["C:\\a.txt", "C:\\\u00e4\u20ac.txt"]))
write("drop_data", "hdrop-ansi", hdrop(["C:\\a.txt", "C:\\b\xe4.txt"], wide=False))
write("drop_data", "namemap", "Kopie von a.txt\0b.txt\0\0".encode("utf-16-le"))
write("drop_data", "idlist-array", ida(idlist(b"drive", b"folder"), [idlist(b"a.txt"), idlist(b"sub", b"b.txt")]))
write("drop_data", "idlist-empty", ida(b"\0\0", []))


# Document information: field values (each ended by a backslash that the fuzzer's reader takes as the end of a
# text) and then a small print job, with and without the block, behind Ctrl-D and a job-language header.
def job(fields, body):
    return b"".join(f.replace(b"\\", b"") + b"\\" for f in fields) + body


plain = (b"%!PS-Adobe-3.0\r\n%%Title: Old\r\n%%For: me\r\n%%Creator: tool\r\n%%EndComments\r\n"
         b"%%EndProlog\r\nshowpage\r\n")
blocked = (b"%!PS-Adobe-3.0\n%%Title: (x)\n%%EndComments\n%%EndProlog\n[/Subject (s\\)) /Keywords (k)\n"
           b"/Producer (p)\n/DOCINFO pdfmark\nshowpage\n%%EOF\n")
oneline = b"%!PS\r[ /Title (t) /Subject (s) /Author (a) /DOCINFO pdfmark\r%%EndProlog\rshowpage"
values = [b"T\xe4tel", b"Autor", b"Thema (1)", b"a, b", b"Writer"]
write("doc_info", "plain", job(values, plain))
write("doc_info", "block", job(values, blocked))
write("doc_info", "one-line-block", job(values, oneline))
write("doc_info", "ctrl-d", job(values, b"\x04" + plain))
write("doc_info", "job-header", job(values, b"\x1b%-12345X@PJL JOB\r\n@PJL ENTER LANGUAGE=POSTSCRIPT\r\n" + blocked))
write("doc_info", "no-comments", job([b"", b"", b"", b"", b""], b"%!\n%%EndProlog\nshowpage\n"))
write("doc_info", "string-over-lines",
      job(values, b"%!\n%%Title: t\n[/Subject (one\n%%For: two) /Keywords (a (b)\n%%Title: c) /DOCINFO pdfmark\n"
                  b"x %%Creator: no\n%%EndComments\n%%EndProlog\n"))


# The file a second start hands over: a full path as UTF-16LE units closed by a zero unit.
def forwarded(path):
    return path.encode("utf-16-le") + b"\0\0"


write("forwarded_file", "drive-path", forwarded("C:\\PDF\\IN\\a b.ps"))
write("forwarded_file", "umlaut-and-pair", forwarded("C:\\\u00e4\u00df\U0001F600.ps"))
write("forwarded_file", "share-path", forwarded("\\\\server\\share\\x.ps"))
write("forwarded_file", "unclosed", "C:\\a.ps".encode("utf-16-le"))


# Language files: the committed ones, and the byte-order-marked encodings the reader also knows.
for name in ("Deutsch", "English"):
    with open(os.path.join(here, "..", "..", "lang", name + ".plf"), "rb") as f:
        write("lang_file", name.lower(), f.read())
small = "[Men\u00fc]\r\nMSC=&Sprache\r\nPEC=\"Umwandeln in \"\r\n[Hauptform]\r\nOK = Ja \r\n"
write("lang_file", "utf-8", b"\xef\xbb\xbf" + small.encode("utf-8"))
write("lang_file", "utf-16", b"\xff\xfe" + small.encode("utf-16-le"))
