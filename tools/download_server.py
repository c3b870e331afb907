#!/usr/bin/env python3
"""Stand-in for the maker's download server, for tests, benchmarks and the demo.

Serves a catalogue folder laid out as the maker's server is:

    <root>/newdownload/K-VAL/pvnbhn_lstYYMMDD.dat
    <root>/newdownload/K-VAL/HDPARTS/TRBHN.LZH
    <root>/newdownload/k-val/HDPARTS/PARTSnnn/Pnnnnnnn.BHN

Start it with

    python3 tools/download_server.py --root <catalogue folder>

It listens on 127.0.0.1 only, prints exactly one line "listening on
127.0.0.1:<port>" once it accepts connections, and stops cleanly (exit 0) on
SIGTERM, SIGINT, or end of standard input with --stop-on-eof. The program
reaches it with its built-in base URL when http_proxy points at it:

    http_proxy=http://127.0.0.1:<port> wine partsdl.exe

since WinINet then sends the whole URL in the request line ("GET
http://host/newdownload/... HTTP/1.1") and the server ignores scheme and host.
For the demo, give --root the folder the demo prepares with its sample
catalogue; any folder with the layout above will do.

Requests. GET and HEAD, HTTP/1.1 with persistent connections. The target's
path, with scheme and host of an absolute-form target and any query dropped
and percent-escapes decoded, names <root>/<path>, case-sensitively. A target
that would leave the root ("..", ".", backslashes, NUL, symbolic links out of
the root) is answered 404 and nothing outside the root is read. A file is
answered 200 with Content-Length and Last-Modified (the file's time, to the
second); anything else 404.

Faults (--rules FILE). A JSON object mapping a path, or a pattern with * and ?
(* also matches "/"), to a rule. An exact path wins over patterns; patterns
are tried in the order of the file. The file is read again whenever it changes
(contents, size, time or inode), so rules can change between requests; a
missing file means no rules, an unreadable or invalid one keeps the rules in
force and is reported on stderr. Rule fields, combinable where sensible:

    "status": N           answer N with a small body instead of the file
                          (200 serves the file as usual)
    "empty_body": true    200 with Content-Length 0
    "html_error": true    200 with an HTML error page instead of the file
    "cut_after": N        announce the full length, send N body bytes, close
    "reset": true         abort the connection with a TCP reset, no answer;
                          with "cut_after": reset after the N bytes instead
                          of closing
    "chunk_size": N       send the body in chunks of N bytes (default 65536
    "pause_ms": N         when only a pause is given), N ms apart
    "stall": true         send the headers and "stall_after" body bytes
    "stall_after": N      (default 0), then nothing, keeping the connection
                          open until the client closes it or the server stops
    "silent": true        read the request and never answer, keeping the
                          connection open as "stall" does
    "last_modified": null no Last-Modified header; a string: sent as given
    "fail_first": K       the first K requests of a path get "fail_rule"
    "fail_rule": {...}    (default {"reset": true}); later ones get the rest
                          of the rule. Counted per path since the rules file
                          was last loaded.

"silent", "status", "empty_body" and "html_error" answer without the file;
the other faults need it (a missing file is still 404).

Latency (--latency-ms N). Every request waits N ms between its arrival and
its answer, as over a slow link; connections wait independently.

Log (--log FILE). One JSON object per request, appended and flushed as the
response ends: method, target (as received), path, user_agent, accept, status
(null when no status line was sent), bytes_sent (body bytes), rule (the kinds
applied, joined by "+", or null), conn (the connection's serial number, so
that requests sharing a connection can be told). The line is written just
before the last byte of the response leaves, or before the close, reset or
stall that ends it early, so a client that has its whole answer (or its end of
file, or reset) always finds the line there.
"""

import argparse
import email.utils
import errno
import fnmatch
import http
import json
import os
import selectors
import signal
import socket
import stat
import struct
import sys
import threading
import urllib.parse

MAX_HEAD = 65536            # request line and headers
SMALL_FILE = 256 * 1024     # read and send with the headers in one write
DEFAULT_CHUNK = 65536

RULE_FIELDS = {"status", "empty_body", "html_error", "cut_after", "reset",
               "chunk_size", "pause_ms", "stall", "stall_after",
               "silent", "last_modified", "fail_first", "fail_rule"}
# Order in which the kinds of a rule are named in the log.
RULE_KINDS = ("silent", "reset", "status", "html_error", "empty_body", "stall",
              "cut_after", "chunk_size", "pause_ms", "last_modified")


def warn(message):
    sys.stderr.write("download_server: %s\n" % message)
    sys.stderr.flush()


# ---------------------------------------------------------------- paths

def request_path(target):
    """Path of a request target, or None when it is not a usable target."""
    if not target.startswith("/") and "://" in target:
        scheme, rest = target.split("://", 1)
        if scheme.lower() not in ("http", "https"):
            return None
        slash = rest.find("/")
        target = rest[slash:] if slash >= 0 else "/"
    if not target.startswith("/"):
        return None
    for stop in "?#":
        target = target.split(stop, 1)[0]
    # latin-1 keeps every byte as it was, Shift-JIS names included.
    return urllib.parse.unquote(target, encoding="latin-1")


def file_for(root, path):
    """Real file under root for a request path, or None."""
    if path is None or "\\" in path or "\0" in path:
        return None
    parts = path.split("/")[1:]
    if not parts or any(p in ("", ".", "..") for p in parts):
        return None
    full = os.path.realpath(os.path.join(root, *[p.encode("latin-1") for p in parts]))
    if not full.startswith(os.path.join(root, b"")):
        return None
    return full


# ---------------------------------------------------------------- rules

def check_rule(key, rule, nested=False):
    """Warn about a rule the server would misread; returns it usable or None."""
    if not isinstance(rule, dict):
        warn("rule for %r is not an object; ignored" % key)
        return None
    unknown = set(rule) - RULE_FIELDS
    if unknown:
        warn("rule for %r: unknown fields %s ignored" % (key, ", ".join(sorted(unknown))))
    for name in ("status", "cut_after", "chunk_size", "pause_ms", "stall_after", "fail_first"):
        value = rule.get(name)
        if value is not None and (not isinstance(value, int) or isinstance(value, bool) or value < 0):
            warn("rule for %r: %s must be a non-negative integer; rule ignored" % (key, name))
            return None
    status = rule.get("status")
    if status is not None and not 200 <= status <= 599:
        warn("rule for %r: status must be 200-599; rule ignored" % key)
        return None
    if rule.get("chunk_size") == 0:
        warn("rule for %r: chunk_size must be positive; rule ignored" % key)
        return None
    lm = rule.get("last_modified", "")
    if lm is not None and (not isinstance(lm, str) or not all(" " <= c <= "~" for c in lm)):
        warn("rule for %r: last_modified must be null or a line of ASCII; rule ignored" % key)
        return None
    if "fail_rule" in rule:
        if nested:
            warn("rule for %r: fail_rule cannot nest; rule ignored" % key)
            return None
        if check_rule(key, rule["fail_rule"], True) is None:
            return None
    return {k: v for k, v in rule.items() if k in RULE_FIELDS}


class Rules:
    """The rules file, read again whenever it changes."""

    def __init__(self, path):
        self.path = path
        self.lock = threading.Lock()
        self.seen = None          # (inode, size, mtime, contents) last read
        self.exact = {}
        self.patterns = []
        self.attempts = {}        # request path -> requests since loading

    def _refresh(self):
        try:
            with open(self.path, "rb") as f:
                st = os.fstat(f.fileno())
                data = f.read()
        except FileNotFoundError:
            st, data = None, None
        except OSError as e:
            warn("cannot read rules %s: %s" % (self.path, e))
            return
        seen = None if st is None else (st.st_ino, st.st_size, st.st_mtime_ns, data)
        if seen == self.seen:
            return
        self.seen = seen
        exact, patterns = {}, []
        if data is not None:
            try:
                table = json.loads(data.decode("utf-8-sig"))
                if not isinstance(table, dict):
                    raise ValueError("not a JSON object")
            except ValueError as e:
                warn("rules %s not loaded, previous rules kept: %s" % (self.path, e))
                return
            for key, rule in table.items():
                rule = check_rule(key, rule)
                if rule is None:
                    continue
                if any(c in key for c in "*?["):
                    patterns.append((key, rule))
                else:
                    exact[key] = rule
        self.exact, self.patterns, self.attempts = exact, patterns, {}

    def for_request(self, path):
        """The rule to apply to this request (a dict, empty for none), and
        whether it is a fail_first failure."""
        if self.path is None or path is None:
            return {}, False
        with self.lock:
            self._refresh()
            rule = self.exact.get(path)
            if rule is None:
                for pattern, candidate in self.patterns:
                    if fnmatch.fnmatchcase(path, pattern):
                        rule = candidate
                        break
            if rule is None:
                return {}, False
            failures = rule.get("fail_first", 0)
            if failures:
                done = self.attempts.get(path, 0)
                self.attempts[path] = done + 1
                if done < failures:
                    return rule.get("fail_rule", {"reset": True}), True
            return {k: v for k, v in rule.items() if k not in ("fail_first", "fail_rule")}, False


def rule_name(rule, failing):
    if failing:
        return "fail_first"
    kinds = [k for k in RULE_KINDS if k in rule and rule[k] is not False]
    return "+".join(kinds) or None


# ---------------------------------------------------------------- responses

def reason(status):
    try:
        return http.HTTPStatus(status).phrase
    except ValueError:
        return "Status %d" % status


def html_error_page():
    return (b"<!DOCTYPE html>\r\n<html><head><title>Service Unavailable</title></head>\r\n"
            b"<body><h1>Service Unavailable</h1>\r\n"
            b"<p>The server is temporarily unable to service your request. "
            b"Please try again later.</p></body></html>\r\n")


def status_body(status):
    if status in (204, 304):
        return None
    return ("%d %s\r\n" % (status, reason(status))).encode("ascii")


class Connection:
    """One client connection: reads requests and answers them in turn."""

    def __init__(self, server, sock, serial):
        self.server = server
        self.sock = sock
        self.serial = serial
        self.buffer = b""
        self.entry = None           # log line of the request being answered

    # Reading -----------------------------------------------------------

    def read_head(self):
        """Request line and headers, or None at end of connection."""
        while True:
            end = self.buffer.find(b"\r\n\r\n")
            if end > MAX_HEAD:
                raise RequestError(431)
            if end >= 0:
                head, self.buffer = self.buffer[:end], self.buffer[end + 4:]
                return head
            if len(self.buffer) > MAX_HEAD:
                raise RequestError(431)
            data = self.sock.recv(65536)
            if not data:
                if self.buffer.strip():
                    raise RequestError(400)
                return None
            self.buffer += data

    def skip_body(self, length):
        while length > 0:
            if self.buffer:
                taken = min(length, len(self.buffer))
                self.buffer = self.buffer[taken:]
                length -= taken
                continue
            data = self.sock.recv(min(length, 65536))
            if not data:
                raise ConnectionResetError
            length -= len(data)

    def wait_for_close(self):
        """Hold a stalled connection until the client or the server ends it."""
        try:
            while self.sock.recv(65536):
                pass
        except OSError:
            pass

    # Writing -----------------------------------------------------------

    def log(self):
        if self.entry is not None:
            self.server.log(self.entry)
            self.entry = None

    def count(self, body_bytes):
        if self.entry is not None:
            self.entry["bytes_sent"] = body_bytes

    def send_last(self, data, body_bytes):
        """Sends the end of a response. Its log line goes out before the
        final byte, so a client holding a whole answer finds the line."""
        self.sock.sendall(data[:-1], socket.MSG_MORE)
        self.count(body_bytes)
        self.log()
        self.sock.sendall(data[-1:])

    def end_early(self, how):
        """Ends a response that will not be completed: "reset", "stall" or
        "cut" (the client sees fewer bytes, then end of file)."""
        self.log()
        if how == "reset":
            self.sock.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
            self.sock.close()
        elif how == "stall":
            self.wait_for_close()
        else:
            self.sock.shutdown(socket.SHUT_WR)
        return False

    # Serving -----------------------------------------------------------

    def run(self):
        try:
            while not self.server.stopping.is_set():
                try:
                    head = self.read_head()
                except RequestError as e:
                    self.sock.sendall(response_head(e.status, [("Content-Length", "0"),
                                                               ("Connection", "close")]))
                    return
                if head is None:
                    return
                if self.server.latency and self.server.stopping.wait(self.server.latency):
                    return
                if not self.serve(head):
                    return
        except OSError:
            pass
        finally:
            self.server.forget(self)
            try:
                self.sock.close()
            except OSError:
                pass

    def serve(self, head):
        """Answers one request; False when the connection must end."""
        lines = head.decode("latin-1").split("\r\n")
        words = lines[0].split(" ")
        self.entry = {"method": None, "target": None, "path": None, "user_agent": None,
                      "accept": None, "status": None, "bytes_sent": 0, "rule": None,
                      "conn": self.serial}
        try:
            return self.answer(words, lines[1:])
        finally:
            self.log()

    def refuse(self, status, headers=()):
        self.entry["status"] = status
        self.send_last(response_head(status, [("Content-Length", "0"), ("Connection", "close")]
                                     + list(headers)), 0)
        return False

    def answer(self, words, header_lines):
        entry = self.entry
        if len(words) != 3 or not words[2].startswith("HTTP/1."):
            return self.refuse(400)
        method, target, version = words
        headers = {}
        for line in header_lines:
            name, _, value = line.partition(":")
            headers[name.strip().lower()] = value.strip()
        path = request_path(target)
        entry.update(method=method, target=target, path=path,
                     user_agent=headers.get("user-agent"), accept=headers.get("accept"))
        try:
            length = int(headers.get("content-length", "0"))
        except ValueError:
            length = -1
        if length < 0 or length > MAX_HEAD or "transfer-encoding" in headers:
            return self.refuse(400)
        self.skip_body(length)
        if method not in ("GET", "HEAD"):
            return self.refuse(405, [("Allow", "GET, HEAD")])

        connection = (headers.get("connection", "") + "," + headers.get("proxy-connection", "")).lower()
        keep = "close" not in connection if version != "HTTP/1.0" else "keep-alive" in connection
        if not keep:
            conn_headers = [("Connection", "close")]
        elif version == "HTTP/1.0":
            conn_headers = [("Connection", "keep-alive")]
        else:
            conn_headers = []

        rule, failing = self.server.rules.for_request(path)
        entry["rule"] = rule_name(rule, failing)
        if rule.get("silent"):
            return self.end_early("stall")
        if rule.get("reset") and "cut_after" not in rule:
            return self.end_early("reset")
        head_only = method == "HEAD"

        def last_modified(mtime):
            given = rule.get("last_modified", "")
            if given is None:
                return []
            if given:
                return [("Last-Modified", given)]
            if mtime is None:
                return []
            return [("Last-Modified", email.utils.formatdate(int(mtime), usegmt=True))]

        def canned(status, body, kind="text/plain"):
            headers = last_modified(None)
            if body is not None:
                headers += [("Content-Type", kind), ("Content-Length", str(len(body)))]
            if head_only or body is None:
                body = b""
            entry["status"] = status
            self.send_last(response_head(status, headers + conn_headers) + body, len(body))
            return keep

        status = rule.get("status", 200)
        if status != 200:
            return canned(status, status_body(status))
        if rule.get("html_error"):
            return canned(200, html_error_page(), "text/html")

        full = file_for(self.server.root, path)
        fd = -1
        if full is not None:
            try:
                fd = os.open(full, os.O_RDONLY)
            except OSError:
                fd = -1
        if fd < 0:
            if rule.get("empty_body"):
                return canned(200, b"", "application/octet-stream")
            return canned(404, status_body(404))
        try:
            st = os.fstat(fd)
            if not stat.S_ISREG(st.st_mode):
                return canned(404, status_body(404))
            size = 0 if rule.get("empty_body") else st.st_size
            headers = [("Content-Type", "application/octet-stream")] + last_modified(st.st_mtime)
            headers.append(("Content-Length", str(size)))
            entry["status"] = 200
            head = response_head(200, headers + conn_headers)
            if head_only:
                self.send_last(head, 0)
                return keep
            return self.send_file(fd, size, head, rule) and keep
        finally:
            os.close(fd)

    def send_file(self, fd, size, head, rule):
        """Sends the head and the body as the rule says; False when the
        connection must end."""
        limit = size
        if "cut_after" in rule:
            limit = min(limit, rule["cut_after"])
        if rule.get("stall"):
            limit = min(limit, rule.get("stall_after", 0))
        pause = rule.get("pause_ms", 0) / 1000.0
        chunk = rule.get("chunk_size", DEFAULT_CHUNK if pause else 0)
        whole = limit == size
        sent = 0
        if limit == 0 or (not chunk and limit <= SMALL_FILE):
            data = os.pread(fd, limit, 0)
            sent = len(data)
            if whole and sent == size:
                self.send_last(head + data, sent)
            else:
                self.sock.sendall(head + data)
        elif not chunk:
            self.sock.sendall(head)
            # The last byte is held back so that the log line precedes it.
            end = limit - 1 if whole else limit
            while sent < end:
                n = os.sendfile(self.sock.fileno(), fd, sent, end - sent)
                if n == 0:
                    break       # the file shrank under us
                sent += n
                self.count(sent)
            if whole and sent == end:
                data = os.pread(fd, 1, sent)
                if data:
                    self.send_last(data, sent + 1)
                    sent += 1
        else:
            self.sock.sendall(head)
            while sent < limit:
                if sent and pause and self.server.stopping.wait(pause):
                    return False
                data = os.pread(fd, min(chunk, limit - sent), sent)
                if not data:
                    break
                if whole and sent + len(data) == size:
                    self.send_last(data, size)
                else:
                    self.sock.sendall(data)
                sent += len(data)
                self.count(sent)
        self.count(sent)
        if rule.get("stall"):
            return self.end_early("stall")
        if sent < size:
            return self.end_early("reset" if rule.get("reset") else "cut")
        return True


def response_head(status, headers):
    lines = ["HTTP/1.1 %d %s" % (status, reason(status))]
    lines += ["%s: %s" % item for item in headers]
    return ("\r\n".join(lines) + "\r\n\r\n").encode("latin-1")


class RequestError(Exception):
    def __init__(self, status):
        Exception.__init__(self, status)
        self.status = status


# ---------------------------------------------------------------- server

class Server:
    def __init__(self, root, rules_path, log_path, latency_ms=0):
        self.latency = latency_ms / 1000.0
        self.root = os.path.realpath(os.fsencode(root))
        self.rules = Rules(rules_path)
        self.stopping = threading.Event()
        self.log_lock = threading.Lock()
        self.log_file = open(log_path, "a", encoding="utf-8") if log_path else None
        self.conn_lock = threading.Lock()
        self.connections = {}
        self.serial = 0

    def log(self, entry):
        if self.log_file is None:
            return
        line = json.dumps(entry) + "\n"
        with self.log_lock:
            if not self.log_file.closed:
                self.log_file.write(line)
                self.log_file.flush()

    def start(self, sock):
        sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        with self.conn_lock:
            self.serial += 1
            conn = Connection(self, sock, self.serial)
            thread = threading.Thread(target=conn.run, daemon=True)
            self.connections[conn] = thread
        thread.start()

    def forget(self, conn):
        with self.conn_lock:
            self.connections.pop(conn, None)

    def close_all(self):
        with self.conn_lock:
            live = list(self.connections.items())
        for conn, _ in live:
            try:
                conn.sock.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass
        for _, thread in live:
            thread.join(2.0)
        with self.log_lock:
            if self.log_file is not None:
                self.log_file.close()


def write_port_file(path, port):
    temp = path + ".tmp"
    with open(temp, "w") as f:
        f.write("%d\n" % port)
    os.replace(temp, path)


def main(argv=None):
    parser = argparse.ArgumentParser(
        description="Stand-in for the maker's download server (details below).",
        formatter_class=argparse.RawDescriptionHelpFormatter, epilog=__doc__)
    parser.add_argument("--root", required=True, help="catalogue folder to serve")
    parser.add_argument("--port", type=int, default=0, help="port on 127.0.0.1 (0: a free one)")
    parser.add_argument("--rules", help="JSON file of fault rules, read again when it changes")
    parser.add_argument("--log", help="file to append one JSON line per request to")
    parser.add_argument("--port-file", help="file to write the port number to")
    parser.add_argument("--latency-ms", type=int, default=0,
                        help="wait this long before answering each request")
    parser.add_argument("--stop-on-eof", action="store_true",
                        help="stop when standard input reaches end of file")
    args = parser.parse_args(argv)
    if not os.path.isdir(args.root):
        parser.error("--root %s is not a folder" % args.root)

    server = Server(args.root, args.rules, args.log, max(0, args.latency_ms))
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    try:
        listener.bind(("127.0.0.1", args.port))
    except OSError as e:
        warn("cannot listen on 127.0.0.1:%d: %s" % (args.port, e))
        return 1
    listener.listen(128)
    listener.setblocking(False)
    port = listener.getsockname()[1]

    wake_read, wake_write = os.pipe()
    os.set_blocking(wake_write, False)

    def stop(*_):
        server.stopping.set()
        try:
            os.write(wake_write, b"x")
        except OSError:
            pass

    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGINT, stop)
    if args.stop_on_eof:
        def watch_stdin():
            try:
                while sys.stdin.buffer.read1(4096):
                    pass
            except (OSError, ValueError):
                pass
            stop()
        threading.Thread(target=watch_stdin, daemon=True).start()

    if args.port_file:
        write_port_file(args.port_file, port)
    sys.stdout.write("listening on 127.0.0.1:%d\n" % port)
    sys.stdout.flush()

    selector = selectors.DefaultSelector()
    selector.register(listener, selectors.EVENT_READ)
    selector.register(wake_read, selectors.EVENT_READ)
    while not server.stopping.is_set():
        for key, _ in selector.select():
            if key.fileobj is not listener:
                continue
            while True:
                try:
                    sock, _ = listener.accept()
                except (BlockingIOError, InterruptedError):
                    break
                except OSError as e:
                    if e.errno in (errno.EMFILE, errno.ENFILE, errno.ECONNABORTED):
                        break
                    raise
                sock.setblocking(True)
                server.start(sock)
    selector.close()
    listener.close()
    server.close_all()
    return 0


if __name__ == "__main__":
    sys.exit(main())
