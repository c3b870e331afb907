#!/usr/bin/env python3
"""The stand-in download server, seen from its clients: it serves the maker's
layout as WinINet asks for it through a proxy, injects the faults its rules
name, and logs what the worker tests read back."""

import contextlib, http.client, json, os, pathlib, shutil, socket, subprocess, sys, tempfile, time, unittest

SERVER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools", "download_server.py")
LIST = "/newdownload/K-VAL/pvnbhn_lst261206.dat"
ARCHIVE = "/newdownload/K-VAL/HDPARTS/TRBHN.LZH"
PART = "/newdownload/k-val/HDPARTS/PARTS001/P0001234.BHN"
ARCHIVE_BYTES = bytes(range(256)) * 1200  # 300 KiB, more than one write
HOST = "http://maker.example.co.jp"


class Server(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.work = tempfile.mkdtemp(prefix="download-server-")
        cls.addClassCleanup(shutil.rmtree, cls.work)
        root = os.path.join(cls.work, "root")
        for path, data in ((LIST, b"list 261206\r\n"), (ARCHIVE, ARCHIVE_BYTES), (PART, b"part 1234"),
                           (PART.replace("k-val", "K-VAL"), b"upper")):
            os.makedirs(os.path.dirname(root + path), exist_ok=True)
            pathlib.Path(root + path).write_bytes(data)
        os.utime(root + LIST, (1_700_000_001, 1_700_000_001))
        cls.rules, cls.log = os.path.join(cls.work, "rules.json"), os.path.join(cls.work, "log.jsonl")
        cls.proc = subprocess.Popen([sys.executable, SERVER, "--root", root, "--port", "0", "--rules", cls.rules,
                                     "--log", cls.log], stdout=subprocess.PIPE)
        cls.addClassCleanup(lambda: (cls.proc.terminate(), cls.proc.wait(10), cls.proc.stdout.close()))
        cls.port = int(cls.proc.stdout.readline().decode().rsplit(":", 1)[1])

    def set_rules(self, rules):
        pathlib.Path(self.rules + ".tmp").write_text(json.dumps(rules))
        os.replace(self.rules + ".tmp", self.rules)  # a new file: read again at the next request

    def get(self, target, headers=None):
        conn = http.client.HTTPConnection("127.0.0.1", self.port, timeout=5)
        conn.request("GET", target, headers=headers or {})
        resp = conn.getresponse()
        with contextlib.closing(conn):
            return resp.status, {k.lower(): v for k, v in resp.getheaders()}, resp.read()

    def raw(self, target, timeout=5.0):
        """The bytes until the server closes or goes quiet, and how it ended."""
        data = b""
        with socket.create_connection(("127.0.0.1", self.port), timeout=timeout) as sock:
            sock.sendall(b"GET %s HTTP/1.1\r\n\r\n" % target.encode())
            try:
                while more := sock.recv(65536):
                    data += more
                return data, "closed"
            except ConnectionResetError:
                return data, "reset"
            except socket.timeout:
                return data, "quiet"

    def last_log(self, count):
        time.sleep(0.1)
        return [json.loads(line) for line in pathlib.Path(self.log).read_text().splitlines()[-count:]]

    def test_the_maker_layout_through_a_proxy(self):
        self.set_rules({})
        for target in (LIST, HOST + LIST, HOST + ":8080" + LIST + "?t=1"):
            self.assertEqual(self.get(target)[::2], (200, b"list 261206\r\n"), target)
        self.assertEqual(self.get(HOST + ARCHIVE)[2], ARCHIVE_BYTES)
        self.assertEqual(self.get(LIST)[1]["last-modified"], "Tue, 14 Nov 2023 22:13:21 GMT")
        # Paths are case-sensitive.
        self.assertEqual([self.get(p)[2] for p in (PART, PART.replace("k-val", "K-VAL"))], [b"part 1234", b"upper"])
        self.assertEqual([self.get(t)[0] for t in (LIST.replace("K-VAL", "k-val"), "/newdownload/K-VAL/")], [404, 404])
        self.get(HOST + LIST, {"User-Agent": "TarvelBhBhB", "Accept": "*/*"})
        entry = self.last_log(1)[0]
        self.assertEqual((entry["target"], entry["path"], entry["user_agent"], entry["accept"], entry["status"]),
                         (HOST + LIST, LIST, "TarvelBhBhB", "*/*", 200))

    def test_each_fault(self):
        self.set_rules({LIST: {"status": 304}, PART: {"empty_body": True}, ARCHIVE: {"html_error": True},
                        "/newdownload/K-VAL/pvnbhn_lst??????.dat": {"status": 503}})
        self.assertEqual([self.get(t)[0] for t in (LIST, "/newdownload/K-VAL/pvnbhn_lst261207.dat")], [304, 503])
        self.assertEqual(self.get(PART)[::2], (200, b""))
        status, headers, body = self.get(ARCHIVE)
        self.assertEqual((status, headers["content-type"][:9], b"<html>" in body), (200, "text/html", True))

        self.set_rules({LIST: {"cut_after": 5}, ARCHIVE: {"reset": True, "cut_after": 2000}, PART: {"reset": True}})
        (data, end), (archive, archive_end) = self.raw(LIST), self.raw(ARCHIVE)
        self.assertEqual((b"Content-Length: 13\r\n" in data, data.endswith(b"\r\n\r\nlist "), end,
                          archive.endswith(b"\r\n\r\n" + ARCHIVE_BYTES[:2000]), archive_end, self.raw(PART)),
                         (True, True, "closed", True, "reset", (b"", "reset")))

        # Stalls, pacing and time stamps are timed by the worker tests under Wine.
        self.set_rules({PART: {"fail_first": 2, "fail_rule": {"status": 503}}})
        self.assertEqual([self.get(PART)[0] for _ in range(3)], [503, 503, 200])
        self.assertEqual([(e["rule"], e["status"]) for e in self.last_log(3)],
                         [("fail_first", 503), ("fail_first", 503), (None, 200)])


if __name__ == "__main__":
    unittest.main()
