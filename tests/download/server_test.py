#!/usr/bin/env python3
"""Tests of the stand-in download server, seen from its clients."""

import email.utils
import errno
import http.client
import importlib.util
import json
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
SERVER = os.path.join(HERE, "..", "..", "tools", "download_server.py")

LIST = "/newdownload/K-VAL/pvnbhn_lst261206.dat"
ARCHIVE = "/newdownload/K-VAL/HDPARTS/TRBHN.LZH"
PART = "/newdownload/k-val/HDPARTS/PARTS001/P0001234.BHN"
ARCHIVE_BYTES = bytes(range(256)) * 1200          # 300 KiB, past the one-write size
LIST_TIME = 1_700_000_001                          # an odd second


def load_server_module():
    spec = importlib.util.spec_from_file_location("download_server", SERVER)
    module = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(module)
    return module


def make_catalogue(root):
    def put(path, data, mtime=None):
        full = os.path.join(root, path.lstrip("/"))
        os.makedirs(os.path.dirname(full), exist_ok=True)
        with open(full, "wb") as f:
            f.write(data)
        if mtime is not None:
            os.utime(full, (mtime, mtime))
    put(LIST, b"list 261206\r\n", LIST_TIME)
    put(ARCHIVE, ARCHIVE_BYTES)
    put(PART, b"part 1234")
    # Same path but for the case of one folder: must stay apart.
    put("/newdownload/K-VAL/HDPARTS/PARTS001/P0001234.BHN", b"upper")


class ServerProcess:
    """The server as the tests and the demo run it: a child process."""

    def __init__(self, workdir, root, *extra):
        self.log = os.path.join(workdir, "requests.jsonl")
        self.rules = os.path.join(workdir, "rules.json")
        self.port_file = os.path.join(workdir, "port")
        self.proc = subprocess.Popen(
            [sys.executable, SERVER, "--root", root, "--rules", self.rules, "--log", self.log,
             "--port-file", self.port_file] + list(extra),
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        line = self.proc.stdout.readline().decode()
        if not line.startswith("listening on 127.0.0.1:"):
            self.proc.kill()
            raise RuntimeError("server did not start: %r %r" % (line, self.proc.stderr.read()))
        self.port = int(line.strip().rsplit(":", 1)[1])

    def stop(self, sig=signal.SIGTERM):
        if self.proc.poll() is None:
            self.proc.send_signal(sig)
        rc = self.proc.wait(10)
        for f in (self.proc.stdin, self.proc.stdout, self.proc.stderr):
            f.close()
        return rc


def connect(port, timeout=5.0):
    return socket.create_connection(("127.0.0.1", port), timeout=timeout)


def read_response(f, head_only=False):
    """Reads one response from a socket's reader: (status, headers, body)."""
    status = int(f.readline().split()[1])
    headers = {}
    while True:
        line = f.readline().decode("latin-1").strip()
        if not line:
            break
        name, _, value = line.partition(":")
        headers[name.lower()] = value.strip()
    body = b"" if head_only else f.read(int(headers.get("content-length", "0")))
    return status, headers, body


class ServerCase(unittest.TestCase):
    """One server for all cases; each case writes the rules it needs."""

    @classmethod
    def setUpClass(cls):
        cls.workdir = tempfile.mkdtemp(prefix="download-server-")
        cls.addClassCleanup(shutil.rmtree, cls.workdir)
        cls.root = os.path.join(cls.workdir, "catalogue")
        make_catalogue(cls.root)
        cls.server = ServerProcess(cls.workdir, cls.root)
        cls.addClassCleanup(cls.server.stop)
        cls.port = cls.server.port

    def setUp(self):
        self.set_rules({})
        with open(self.server.log, "rb") if os.path.exists(self.server.log) else open(os.devnull, "rb") as f:
            self.log_mark = len(f.read())

    def set_rules(self, rules):
        temp = self.server.rules + ".tmp"
        with open(temp, "w") as f:
            json.dump(rules, f)
        os.replace(temp, self.server.rules)

    def new_log(self, wait_for=1):
        """Log entries since the case began; waits briefly, since a line is
        written when the server has finished the response."""
        deadline = time.time() + 3
        while True:
            with open(self.server.log, "rb") as f:
                entries = [json.loads(l) for l in f.read()[self.log_mark:].splitlines()]
            if len(entries) >= wait_for or time.time() > deadline:
                return entries
            time.sleep(0.01)

    def get(self, target, headers=None):
        conn = http.client.HTTPConnection("127.0.0.1", self.port, timeout=5)
        try:
            conn.request("GET", target, headers=headers or {})
            resp = conn.getresponse()
            return resp.status, {k.lower(): v for k, v in resp.getheaders()}, resp.read()
        finally:
            conn.close()

    def raw(self, request, head_only=False):
        with connect(self.port) as sock:
            sock.sendall(request)
            return read_response(sock.makefile("rb"), head_only)


class Serving(ServerCase):
    def test_origin_and_absolute_form_reach_the_same_file(self):
        for target in (LIST, "http://maker.example.co.jp" + LIST,
                       "http://maker.example.co.jp:8080" + LIST + "?t=1", LIST + "#top"):
            status, headers, body = self.get(target)
            self.assertEqual((status, body), (200, b"list 261206\r\n"), target)
            self.assertEqual(headers["content-length"], str(len(body)))
        status, _, body = self.get("http://maker.example.co.jp" + ARCHIVE)
        self.assertEqual(status, 200)
        self.assertEqual(body, ARCHIVE_BYTES)

    def test_last_modified_is_the_file_time_to_the_second(self):
        _, headers, _ = self.get(LIST)
        self.assertEqual(headers["last-modified"], "Tue, 14 Nov 2023 22:13:21 GMT")
        self.assertEqual(email.utils.parsedate_to_datetime(headers["last-modified"]).timestamp(),
                         LIST_TIME)

    def test_paths_are_case_sensitive(self):
        self.assertEqual(self.get(PART)[2], b"part 1234")
        self.assertEqual(self.get(PART.replace("k-val", "K-VAL"))[2], b"upper")
        self.assertEqual(self.get(LIST.replace("K-VAL", "k-val"))[0], 404)

    def test_missing_files_and_folders_are_404(self):
        for target in ("/newdownload/K-VAL/pvnbhn_lst991231.dat", "/newdownload/K-VAL",
                       "/newdownload/K-VAL/", "/", "http://maker.example.co.jp"):
            self.assertEqual(self.get(target)[0], 404, target)

    def test_head_and_other_methods(self):
        status, headers, body = self.raw(b"HEAD " + LIST.encode() + b" HTTP/1.1\r\nHost: x\r\n\r\n", True)
        self.assertEqual((status, headers["content-length"]), (200, "13"))
        self.assertEqual(self.raw(b"POST " + LIST.encode() + b" HTTP/1.1\r\nHost: x\r\n"
                                  b"Content-Length: 3\r\n\r\nabc")[0], 405)

    def test_malformed_requests_get_400_and_a_close(self):
        for request in (b"GET\r\n\r\n", b"GET / HTTP/1.1 extra\r\n\r\n", b"GET / SPDY/3\r\n\r\n",
                        b"GET / HTTP/1.1\r\nContent-Length: x\r\n\r\n"):
            with connect(self.port) as sock:
                sock.sendall(request)
                status, headers, _ = read_response(sock.makefile("rb"))
                self.assertEqual((status, headers.get("connection")), (400, "close"), request)
                self.assertEqual(sock.recv(10), b"")
        with connect(self.port) as sock:
            sock.sendall(b"GET /" + b"a" * 70000 + b" HTTP/1.1\r\n\r\n")
            self.assertEqual(read_response(sock.makefile("rb"))[0], 431)


class KeepAlive(ServerCase):
    def test_several_requests_share_one_connection(self):
        conn = http.client.HTTPConnection("127.0.0.1", self.port, timeout=5)
        seen = []
        for target in (LIST, "/newdownload/nothing", "http://maker.example.co.jp" + ARCHIVE, PART):
            conn.request("GET", target)
            resp = conn.getresponse()
            seen.append((resp.status, len(resp.read())))
        conn.close()
        self.assertEqual(seen, [(200, 13), (404, 15), (200, len(ARCHIVE_BYTES)), (200, 9)])
        entries = self.new_log(4)
        self.assertEqual(len({e["conn"] for e in entries}), 1)

    def test_pipelined_requests_are_answered_in_order(self):
        with connect(self.port) as sock:
            sock.sendall(b"GET %s HTTP/1.1\r\nHost: a\r\n\r\nGET %s HTTP/1.1\r\nHost: a\r\n\r\n"
                         % (PART.encode(), LIST.encode()))
            f = sock.makefile("rb")
            first, second = read_response(f), read_response(f)
        self.assertEqual((first[2], second[2]), (b"part 1234", b"list 261206\r\n"))

    def test_connection_close_and_http_1_0(self):
        with connect(self.port) as sock:
            sock.sendall(b"GET %s HTTP/1.1\r\nConnection: close\r\n\r\n" % LIST.encode())
            self.assertEqual(read_response(sock.makefile("rb"))[1]["connection"], "close")
            self.assertEqual(sock.recv(10), b"")
        with connect(self.port) as sock:
            sock.sendall(b"GET %s HTTP/1.0\r\n\r\n" % LIST.encode())
            read_response(sock.makefile("rb"))
            self.assertEqual(sock.recv(10), b"")
        with connect(self.port) as sock:
            request = b"GET %s HTTP/1.0\r\nProxy-Connection: Keep-Alive\r\n\r\n" % LIST.encode()
            f = sock.makefile("rb")
            sock.sendall(request)
            self.assertEqual(read_response(f)[1]["connection"], "keep-alive")
            sock.sendall(request)
            self.assertEqual(read_response(f)[0], 200)


class Escapes(ServerCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        with open(os.path.join(cls.workdir, "secret"), "wb") as f:
            f.write(b"secret")
        os.symlink(os.path.join(cls.workdir, "secret"), os.path.join(cls.root, "link"))

    def test_nothing_outside_the_root_is_served(self):
        targets = [b"/../secret", b"/newdownload/../../secret", b"/%2e%2e/secret",
                   b"/newdownload/%2E%2E/%2e%2e/secret", b"/..%2fsecret", b"/..%5csecret",
                   b"/newdownload\\..\\..\\secret", b"/link", b"http://h/../secret",
                   b"http://h/%2e%2e/secret", b"/" + self.workdir.encode() + b"/secret",
                   b"//" + self.workdir.encode() + b"/secret", b"/newdownload/./K-VAL/x",
                   b"/secret%00", b"secret", b"*", b"ftp://h/secret"]
        for target in targets:
            status, _, body = self.raw(b"GET " + target + b" HTTP/1.1\r\nHost: x\r\n\r\n")
            self.assertIn(status, (400, 404), target)
            self.assertNotIn(b"secret", body, target)

    def test_the_mapping_itself(self):
        server = load_server_module()
        root = os.path.realpath(os.fsencode(self.root))
        self.assertEqual(server.request_path("http://h:1/a/b?c"), "/a/b")
        self.assertEqual(server.request_path("HTTP://h"), "/")
        self.assertIsNone(server.request_path("a/b"))
        self.assertEqual(server.request_path("/a/http://b"), "/a/http://b")
        # Shift-JIS names survive percent-decoding byte for byte.
        self.assertEqual(server.request_path("/%95%5C").encode("latin-1"), b"/\x95\x5c")
        self.assertEqual(server.file_for(root, PART), os.path.join(root, PART[1:].encode()))
        for path in ("/a//b", "/a/./b", "/a/../b", "/..", "/", "/a\\b", "/a\0b"):
            self.assertIsNone(server.file_for(root, path), path)


class Faults(ServerCase):
    def test_status_codes_replace_the_file(self):
        for code in (304, 403, 404, 500, 503):
            self.set_rules({LIST: {"status": code}})
            status, headers, body = self.get(LIST)
            self.assertEqual(status, code)
            self.assertNotIn("last-modified", headers)
            self.assertNotEqual(body, b"list 261206\r\n")
        self.set_rules({"/newdownload/K-VAL/absent.dat": {"status": 500}})
        self.assertEqual(self.get("/newdownload/K-VAL/absent.dat")[0], 500)

    def test_empty_body_and_html_error_page(self):
        self.set_rules({LIST: {"empty_body": True}, ARCHIVE: {"html_error": True}})
        status, headers, body = self.get(LIST)
        self.assertEqual((status, headers["content-length"], body), (200, "0", b""))
        self.assertIn("last-modified", headers)
        status, headers, body = self.get(ARCHIVE)
        self.assertEqual(status, 200)
        self.assertTrue(headers["content-type"].startswith("text/html"))
        self.assertIn(b"<html>", body)

    def test_cut_body_ends_early_with_eof(self):
        self.set_rules({ARCHIVE: {"cut_after": 1000}, LIST: {"cut_after": 5, "chunk_size": 2}})
        conn = http.client.HTTPConnection("127.0.0.1", self.port, timeout=5)
        conn.request("GET", ARCHIVE)
        resp = conn.getresponse()
        self.assertEqual(resp.getheader("Content-Length"), str(len(ARCHIVE_BYTES)))
        with self.assertRaises(http.client.IncompleteRead) as cut:
            resp.read()
        self.assertEqual(cut.exception.partial, ARCHIVE_BYTES[:1000])
        conn.close()
        with connect(self.port) as sock:
            sock.sendall(b"GET %s HTTP/1.1\r\n\r\n" % LIST.encode())
            data = b""
            while True:
                more = sock.recv(100)
                if not more:
                    break
                data += more
        self.assertTrue(data.endswith(b"\r\n\r\nlist "), data)
        entries = self.new_log(2)
        self.assertEqual([(e["bytes_sent"], e["rule"]) for e in entries],
                         [(1000, "cut_after"), (5, "cut_after+chunk_size")])

    def test_reset_aborts_the_connection(self):
        self.set_rules({LIST: {"reset": True}, ARCHIVE: {"reset": True, "cut_after": 2000}})
        with connect(self.port) as sock:
            sock.sendall(b"GET %s HTTP/1.1\r\n\r\n" % LIST.encode())
            with self.assertRaises(ConnectionResetError):
                sock.recv(100)
        # With a cut, the reset comes after the bytes.
        with connect(self.port) as sock:
            sock.sendall(b"GET %s HTTP/1.1\r\n\r\n" % ARCHIVE.encode())
            data = b""
            with self.assertRaises(ConnectionResetError):
                while True:
                    more = sock.recv(65536)
                    self.assertTrue(more, "end of file instead of a reset")
                    data += more
        self.assertTrue(data.endswith(b"\r\n\r\n" + ARCHIVE_BYTES[:2000]))
        self.assertEqual([(e["status"], e["bytes_sent"], e["rule"]) for e in self.new_log(2)],
                         [(None, 0, "reset"), (200, 2000, "reset+cut_after")])

    def test_stall_sends_headers_and_then_nothing(self):
        self.set_rules({ARCHIVE: {"stall": True, "stall_after": 100}, LIST: {"stall": True}})
        for target, expected in ((ARCHIVE, ARCHIVE_BYTES[:100]), (LIST, b"")):
            with connect(self.port, timeout=0.3) as sock:
                sock.sendall(b"GET %s HTTP/1.1\r\n\r\n" % target.encode())
                data = b""
                with self.assertRaises(socket.timeout):
                    while True:
                        data += sock.recv(65536)
                head, _, body = data.partition(b"\r\n\r\n")
                self.assertIn(b"200 OK", head)
                self.assertEqual(body, expected)
        # The client giving up ends the stall and writes the log line.
        self.assertEqual([e["bytes_sent"] for e in self.new_log(2)], [100, 0])

    def test_chunks_come_with_pauses(self):
        self.set_rules({PART: {"chunk_size": 3, "pause_ms": 100}})
        began = time.monotonic()
        status, _, body = self.get(PART)
        self.assertEqual((status, body), (200, b"part 1234"))
        self.assertGreaterEqual(time.monotonic() - began, 0.2)

    def test_last_modified_left_out_or_given(self):
        self.set_rules({LIST: {"last_modified": None},
                        PART: {"last_modified": "Mon, 01 Jan 2024 12:00:01 GMT"},
                        ARCHIVE: {"last_modified": "not a date"}})
        self.assertNotIn("last-modified", self.get(LIST)[1])
        self.assertEqual(self.get(PART)[1]["last-modified"], "Mon, 01 Jan 2024 12:00:01 GMT")
        status, headers, body = self.get(ARCHIVE)
        self.assertEqual((status, headers["last-modified"], body), (200, "not a date", ARCHIVE_BYTES))
        # A header the server could not send is refused with the rule, not
        # with the connection.
        self.set_rules({LIST: {"last_modified": "12\u6642"}})
        self.assertEqual(self.get(LIST)[1]["last-modified"], "Tue, 14 Nov 2023 22:13:21 GMT")

    def test_first_attempts_fail_then_succeed(self):
        self.set_rules({LIST: {"fail_first": 2}, PART: {"fail_first": 1, "fail_rule": {"status": 503}}})
        for _ in range(2):
            with self.assertRaises(ConnectionResetError):
                with connect(self.port) as sock:
                    sock.sendall(b"GET %s HTTP/1.1\r\n\r\n" % LIST.encode())
                    sock.recv(100)
        self.assertEqual(self.get(LIST)[0], 200)
        self.assertEqual(self.get(LIST)[0], 200)
        # Counted per path, and over one connection as well.
        conn = http.client.HTTPConnection("127.0.0.1", self.port, timeout=5)
        statuses = []
        for _ in range(3):
            conn.request("GET", PART)
            resp = conn.getresponse()
            resp.read()
            statuses.append(resp.status)
        conn.close()
        self.assertEqual(statuses, [503, 200, 200])
        self.assertEqual([e["rule"] for e in self.new_log(7)],
                         ["fail_first", "fail_first", None, None, "fail_first", None, None])

    def test_rules_file_is_read_again_when_it_changes(self):
        self.set_rules({LIST: {"status": 500}})
        self.assertEqual(self.get(LIST)[0], 500)
        self.set_rules({LIST: {"status": 501}})
        self.assertEqual(self.get(LIST)[0], 501)
        self.set_rules({LIST: {"fail_first": 1, "fail_rule": {"status": 502}}})
        self.assertEqual([self.get(LIST)[0] for _ in range(2)], [502, 200])
        # Writing the same rules again starts the count again.
        os.remove(self.server.rules)
        self.assertEqual(self.get(LIST)[0], 200)
        self.set_rules({LIST: {"fail_first": 1, "fail_rule": {"status": 502}}})
        self.assertEqual(self.get(LIST)[0], 502)
        # A broken file keeps the rules in force; so does a bad rule.
        with open(self.server.rules, "w") as f:
            f.write('{"%s": {"status": 5' % LIST)
        self.assertEqual(self.get(LIST)[0], 200)
        self.set_rules({LIST: {"status": 503}, PART: {"status": "x"}})
        self.assertEqual(self.get(LIST)[0], 503)
        self.assertEqual(self.get(PART)[0], 200)
        # As a Windows editor may save it: byte order mark, CRLF, in place.
        with open(self.server.rules, "wb") as f:
            f.write(b'\xef\xbb\xbf{\r\n"%s": {"status": 504}\r\n}\r\n' % LIST.encode())
        self.assertEqual(self.get(LIST)[0], 504)

    def test_patterns_and_exact_paths(self):
        self.set_rules({"/newdownload/k-val/HDPARTS/*.BHN": {"status": 404},
                        "/newdownload/K-VAL/pvnbhn_lst??????.dat": {"status": 503},
                        LIST: {"status": 500}})
        self.assertEqual(self.get(PART)[0], 404)
        self.assertEqual(self.get("/newdownload/K-VAL/pvnbhn_lst261207.dat")[0], 503)
        self.assertEqual(self.get(LIST)[0], 500)
        self.assertEqual(self.get(PART.replace("k-val", "K-VAL"))[0], 200)


class Log(ServerCase):
    def test_each_request_is_recorded(self):
        self.set_rules({PART: {"cut_after": 4}})
        absolute = "http://maker.example.co.jp" + LIST
        self.get(absolute, {"User-Agent": "TarvelBhBhB", "Accept": "*/*"})
        self.get("/newdownload/none.dat", {"User-Agent": "other"})
        try:
            self.get(PART)
        except http.client.IncompleteRead:
            pass
        entries = self.new_log(3)
        self.assertEqual(entries[0], {"method": "GET", "target": absolute, "path": LIST,
                                      "user_agent": "TarvelBhBhB", "accept": "*/*", "status": 200,
                                      "bytes_sent": 13, "rule": None, "conn": entries[0]["conn"]})
        self.assertEqual((entries[1]["status"], entries[1]["user_agent"]), (404, "other"))
        self.assertEqual((entries[2]["status"], entries[2]["bytes_sent"], entries[2]["rule"]),
                         (200, 4, "cut_after"))


    def test_the_line_is_there_once_the_client_has_its_answer(self):
        # Tests read the log right after a download ends, with no waiting.
        cut = PART.replace("k-val", "K-VAL")
        self.set_rules({PART: {"chunk_size": 4}, cut: {"cut_after": 3},
                        "/newdownload/reset": {"reset": True}})
        targets = [LIST, ARCHIVE, PART, "/newdownload/none", cut, "/newdownload/reset"] * 5
        for n, target in enumerate(targets):
            try:
                self.get(target + "?%d" % n)
            except (http.client.HTTPException, ConnectionResetError):
                pass
            with open(self.server.log, "rb") as f:
                last = json.loads(f.read().splitlines()[-1])
            self.assertEqual(last["target"], target + "?%d" % n)


class Lifecycle(unittest.TestCase):
    def setUp(self):
        self.workdir = tempfile.mkdtemp(prefix="download-server-")
        self.addCleanup(shutil.rmtree, self.workdir)
        self.root = os.path.join(self.workdir, "catalogue")
        make_catalogue(self.root)

    def start(self, *extra):
        server = ServerProcess(self.workdir, self.root, *extra)
        self.addCleanup(server.stop, signal.SIGKILL)
        return server

    def assert_port_free(self, port):
        with socket.socket() as sock:
            sock.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
            sock.bind(("127.0.0.1", port))

    def test_signals_stop_it_cleanly_with_clients_connected(self):
        for sig in (signal.SIGTERM, signal.SIGINT):
            server = self.start()
            with open(server.port_file) as f:
                self.assertEqual(int(f.read()), server.port)
            with open(server.rules, "w") as f:
                json.dump({LIST: {"stall": True}, PART: {"chunk_size": 1, "pause_ms": 1000}}, f)
            idle, stalled, slow = (connect(server.port) for _ in range(3))
            idle.sendall(b"GET %s HTTP/1.1\r\n\r\n" % PART.encode().replace(b"k-val", b"K-VAL"))
            read_response(idle.makefile("rb"))
            stalled.sendall(b"GET %s HTTP/1.1\r\n\r\n" % LIST.encode())
            slow.sendall(b"GET %s HTTP/1.1\r\n\r\n" % PART.encode())
            time.sleep(0.2)
            began = time.monotonic()
            self.assertEqual(server.stop(sig), 0)
            self.assertLess(time.monotonic() - began, 3)
            for sock in (idle, stalled, slow):
                sock.settimeout(2)
                try:
                    while sock.recv(65536):
                        pass
                except ConnectionResetError:
                    pass
                sock.close()
            self.assert_port_free(server.port)

    def test_end_of_input_stops_it_when_asked(self):
        server = self.start("--stop-on-eof")
        server.proc.stdin.close()
        self.assertEqual(server.proc.wait(5), 0)
        server.stop()
        self.assert_port_free(server.port)

    def test_given_port_and_refusals(self):
        with socket.socket() as probe:
            probe.bind(("127.0.0.1", 0))
            port = probe.getsockname()[1]
        server = self.start("--port", str(port))
        self.assertEqual(server.port, port)
        # Loopback only: the one listener on that port is bound to 127.0.0.1.
        with open("/proc/net/tcp") as f:
            listening = [l.split()[1] for l in f.readlines()[1:] if l.split()[3] == "0A"]
        self.assertEqual([a for a in listening if a.endswith(":%04X" % port)], ["0100007F:%04X" % port])
        # A port in use is refused, not taken over.
        busy = subprocess.run([sys.executable, SERVER, "--root", self.root, "--port", str(port)],
                              capture_output=True, timeout=10)
        self.assertNotEqual(busy.returncode, 0)
        self.assertEqual(server.stop(), 0)
        missing = subprocess.run([sys.executable, SERVER, "--root", os.path.join(self.workdir, "no")],
                                 capture_output=True, timeout=10)
        self.assertNotEqual(missing.returncode, 0)
        self.assertEqual(missing.stdout, b"")


if __name__ == "__main__":
    unittest.main()
