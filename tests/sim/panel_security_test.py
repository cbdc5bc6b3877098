#!/usr/bin/python3
"""The control panel's rules against a running zantor-sim, in plain HTTP: a foreign Host or
Origin, a missing token, paths out of the panel's files and the receipts folder, and weights the
scale cannot take are refused and change nothing; pages that go away free their place.

  panel_security_test.py ZANTOR_SIM ZANTOR_SIMCTL
"""
import http.client
import json
import os
import re
import shutil
import socket
import subprocess
import sys
import tempfile
import time
import unittest

SIM, SIMCTL = sys.argv[1], sys.argv[2]


class PanelRules(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.dir = tempfile.mkdtemp(prefix="zsim-panel-")
        cls.state = cls.dir + "/s"
        cls.daemon = subprocess.Popen([SIM, "--state-dir", cls.state, "--no-tcp", "--panel-port", "0"],
                                      stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        line = cls.daemon.stdout.readline()
        match = re.match(r"zantor-sim: panel http://127\.0\.0\.1:(\d+)/$", line.strip())
        assert match, "no panel line: " + line
        cls.port = int(match.group(1))
        page = cls.request("GET", "/")[1]
        cls.token = re.search(r'name="panel-token" content="([0-9a-f]{32})"', page).group(1)
        # One receipt in the folder, so there is something to serve.
        with open(cls.state + "/printer", "wb") as printer:
            printer.write(b"panel\n\x1dV\x00")
        cls.ctl("wait-receipt", "10000", "0")
        cls.ctl("weight", "1.25")

    @classmethod
    def tearDownClass(cls):
        cls.daemon.terminate()
        cls.daemon.wait(10)
        cls.daemon.stdout.close()
        shutil.rmtree(cls.dir, ignore_errors=True)

    @classmethod
    def ctl(cls, *words):
        out = subprocess.run([SIMCTL, "--state-dir", cls.state, *words], capture_output=True, text=True, timeout=20)
        return json.loads(out.stdout)

    @classmethod
    def request(cls, method, target, headers=None, body=None):
        connection = http.client.HTTPConnection("127.0.0.1", cls.port, timeout=10)
        connection.putrequest(method, target, skip_host=True, skip_accept_encoding=True)
        all_headers = {"Host": "127.0.0.1:%d" % cls.port}
        all_headers.update(headers or {})
        for name, value in all_headers.items():
            if value is not None:
                connection.putheader(name, value)
        data = json.dumps(body).encode() if body is not None else b""
        if body is not None:
            connection.putheader("Content-Type", "application/json")
        connection.putheader("Content-Length", str(len(data)))
        connection.endheaders(data)
        response = connection.getresponse()
        text = response.read().decode("utf-8", "replace")
        connection.close()
        return response.status, text

    def command(self, line, **headers):
        headers.setdefault("X-Panel-Token", self.token)
        return self.request("POST", "/api/command", headers, {"command": line})

    def load(self):
        return self.ctl("state")["scale"]["load_g"]

    def test_only_its_own_host_is_answered(self):
        port = self.port
        for host, status in [("127.0.0.1:%d" % port, 200), ("localhost:%d" % port, 200),
                             ("evil.example:%d" % port, 421), ("localhost.evil.example:%d" % port, 421),
                             ("127.0.0.1:%d" % (port + 1), 421), ("127.0.0.1", 421), (None, 421)]:
            with self.subTest(host=host):
                self.assertEqual(self.request("GET", "/api/state", {"Host": host})[0], status)

    def test_a_change_needs_the_token_and_no_foreign_origin(self):
        own = "http://127.0.0.1:%d" % self.port
        for headers, status in [({"X-Panel-Token": None}, 403), ({"X-Panel-Token": "0" * 32}, 403),
                                ({"X-Panel-Token": self.token[:-1]}, 403),
                                ({"Origin": "http://evil.example"}, 403), ({"Origin": "null"}, 403),
                                ({"Origin": own + ".evil.example"}, 403)]:
            with self.subTest(headers=headers):
                self.assertEqual(self.command("weight 7", **headers)[0], status)
                self.assertEqual(self.load(), 1250)
        self.assertEqual(self.command("drawer-time 2500", Origin=own)[0], 200)

    def test_only_the_panel_files_and_the_receipts_folder_are_served(self):
        for target in ["/receipts/../zantor-sim.pid", "/receipts/%2e%2e/zantor-sim.pid",
                       "/receipts/%2E%2E%2Fzantor-sim.pid", "/receipts/..%5Czantor-sim.pid",
                       "/receipts/%5C..%5C..%5Cetc%5Cpasswd", "/receipts/%2fetc%2fpasswd", "/..%2f..%2fetc/passwd",
                       "/receipts/.index.html.tmp", "/receipts/", "/etc/passwd", "/panel.js/../../zantor-sim.pid",
                       "/receipts/job-0001.json%00.png", "//etc/passwd"]:
            with self.subTest(target=target):
                status, body = self.request("GET", target)
                self.assertEqual(status, 404, body[:200])
                self.assertNotIn(str(self.daemon.pid), body)
                self.assertNotIn("root:", body)
        for target in ["/", "/panel.js", "/panel.css", "/receipts/job-0001.json", "/receipts/job-0001-1.png",
                       "/receipts/index.html"]:
            with self.subTest(target=target):
                self.assertEqual(self.request("GET", target)[0], 200)
        # Nor can a page have the terminal file any folder as a driver job, and so serve it.
        status, body = self.command("driver-job /etc")
        self.assertEqual(status, 400)
        self.assertIn("control socket", json.loads(body)["error"])

    def test_a_weight_the_scale_cannot_take_is_refused_and_changes_nothing(self):
        for word in ["abc", "1e3", "0x10", "nan", "inf", "1000", "-1000", "1.2.3", "", "1,25"]:
            with self.subTest(word=word):
                status, body = self.command("weight " + word)
                self.assertEqual(status, 400)
                self.assertIn("error", json.loads(body))
                self.assertEqual(self.load(), 1250)
        status, body = self.command("weight abc")
        self.assertIn("not a weight in kg", json.loads(body)["error"])

    def test_pages_that_go_away_leave_the_devices_running_and_free_their_place(self):
        def page():
            s = socket.create_connection(("127.0.0.1", self.port), timeout=10)
            s.sendall(b"GET /events HTTP/1.1\r\nHost: 127.0.0.1:%d\r\n\r\n" % self.port)
            return s, s.recv(4096).split(b"\r\n")[0]
        def pages_at_once(n):
            # Each place is freed once its next write fails (at the latest the 2 s beat); the
            # bound only ends a test that hangs.
            for _ in range(300):
                pages = [page() for _ in range(n)]
                if all(status == b"HTTP/1.1 200 OK" for _, status in pages):
                    return pages
                for s, _ in pages:
                    s.close()
                time.sleep(0.1)
            self.fail("pages that went away still hold the panel's places")
        for _ in range(3):
            pages = pages_at_once(4)  # as many as may listen at once
            extra, status = page()
            extra.close()
            self.assertEqual(status, b"HTTP/1.1 503 Service Unavailable")
            for s, _ in pages:
                s.close()  # the browser is closed, without a word
            self.assertTrue(self.ctl("ping")["ok"])
            self.assertEqual(self.command("weight 1.25")[0], 200)

    def test_a_taken_port_is_given_up_for_a_free_one_only_when_none_was_asked_for(self):
        holder = socket.socket()
        try:
            holder.bind(("127.0.0.1", 8089))  # or someone else holds it already: taken either way
            holder.listen(1)
        except OSError:
            pass
        try:
            daemon = subprocess.Popen([SIM, "--state-dir", self.dir + "/d", "--no-tcp"], stdout=subprocess.PIPE,
                                      stderr=subprocess.DEVNULL, text=True)
            line = daemon.stdout.readline()
            daemon.terminate()
            daemon.wait(10)
            daemon.stdout.close()
            self.assertRegex(line, r"^zantor-sim: panel http://127\.0\.0\.1:\d+/$")
            self.assertNotIn(":8089/", line)
        finally:
            holder.close()
        # A port another terminal's panel holds is taken too (no shared listening).
        first = subprocess.Popen([SIM, "--state-dir", self.dir + "/f", "--no-tcp", "--panel-port", "0"],
                                 stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        try:
            port = re.search(r":(\d+)/$", first.stdout.readline()).group(1)
            out = subprocess.run([SIM, "--state-dir", self.dir + "/e", "--no-tcp", "--panel-port", port],
                                 capture_output=True, text=True, timeout=20)
            self.assertEqual(out.returncode, 1)
            self.assertIn("panel cannot listen", out.stderr)
        finally:
            first.terminate()
            first.wait(10)
            first.stdout.close()

    def test_a_panel_host_off_loopback_needs_allow_remote(self):
        out = subprocess.run([SIM, "--state-dir", self.dir + "/r", "--panel-host", "192.0.2.1"],
                             capture_output=True, text=True, timeout=20)
        self.assertEqual(out.returncode, 2)
        self.assertIn("--allow-remote", out.stderr)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
