#!/usr/bin/env python3
# Another site (http://localhost:PORT against zylgrid's http://127.0.0.1) in Chromium: a delete by <img>, then an
# update and a delete by an auto-submitted form with a GUID zylgrid issued to the attacker: nothing changes;
# and a frame of the page: the browser refuses to show it.
import http.server
import os
import re
import sys
import threading
import unittest
import urllib.request

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import zylsite as z  # noqa: E402
from test_zylgrid import SKIP, Browser  # noqa: E402

if not SKIP:
    from selenium.webdriver.support import expected_conditions as ec
    from selenium.webdriver.support.ui import WebDriverWait

ATTACK = """<!DOCTYPE html><html><body>
<img src="%(zylgrid)s?GName=Orders&GRecNo0.x=0&GRecNo0.y=0&GDEL.x=1&GDEL.y=1">
<form method="POST" action="%(zylgrid)s">
<input name="GName" value="Orders"><input name="GUID" value="%(guid)s"><input name="GRecNo0.x" value="0">
<input name="GRecNo0.y" value="0"><input name="GCELL_0_3" value="forged"><input name="%(button)s.x" value="1">
<input name="%(button)s.y" value="1"></form><script>setTimeout(function () { document.forms[0].submit(); }, 300);</script>
</body></html>"""


class Attacker(http.server.BaseHTTPRequestHandler):
    page, log_message = b"", lambda *args: None

    def do_GET(self):
        self.send_response(200), self.send_header("Content-Type", "text/html"), self.end_headers()
        self.wfile.write(Attacker.page)


class Forgery(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.site = z.Site("zylgrid-forgery-")
        cls.server = z.Server(cls.site)
        cls.attacker = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Attacker)
        threading.Thread(target=cls.attacker.serve_forever, daemon=True).start()
        cls.browser = Browser(cls.server.url)

    @classmethod
    def tearDownClass(cls):
        cls.browser.quit(), cls.attacker.shutdown()
        cls.server.stop(), cls.site.remove()

    def state(self):
        return self.site.sql("SELECT count(*) || '|' || group_concat(Product) FROM orders")

    def test_another_site_changes_nothing(self):
        with urllib.request.urlopen(self.server.url, timeout=30) as reply:  # the attacker's own GUID
            guid = re.search(r'NAME="GUID" VALUE="([^"]+)"', reply.read().decode(), re.I).group(1)
        b = self.browser.open()  # the visitor's page: the browser has zylgrid's cookie
        before = self.state()
        for button in ("GUPDATE", "GDEL"):
            with self.subTest(button=button):
                Attacker.page = (ATTACK % {"zylgrid": self.server.url, "guid": guid, "button": button}).encode()
                b.driver.get("http://localhost:%d/" % self.attacker.server_address[1])
                WebDriverWait(b.driver, 30).until(ec.url_contains("127.0.0.1"))
                WebDriverWait(b.driver, 30).until(lambda d: "</html>" in d.page_source)
                self.assertIn("NOTHING WAS CHANGED", b.driver.page_source)
                self.assertEqual(self.state(), before)

    def test_another_site_cannot_frame_the_page(self):
        Attacker.page = ('<!DOCTYPE html><html><body><iframe src="%s"></iframe></body></html>'
                         % self.server.url).encode()
        b = self.browser.open()
        b.driver.get("http://localhost:%d/" % self.attacker.server_address[1])
        b.driver.switch_to.frame(WebDriverWait(b.driver, 30).until(lambda d: d.find_element("tag name", "iframe")))
        try:  # the frame leaves about:blank for the browser's error page, never for the grid
            WebDriverWait(b.driver, 30).until(lambda d: d.execute_script("return location.href") != "about:blank")
            self.assertNotIn("127.0.0.1", b.driver.execute_script("return location.href"))
            self.assertNotIn("GUID", b.driver.page_source.upper())
        finally:
            b.driver.switch_to.default_content()


if __name__ == "__main__":
    if SKIP:
        print("SKIPPED: " + SKIP)
        sys.exit(z.SKIP)
    sys.exit(0 if unittest.main(exit=False, verbosity=2).result.wasSuccessful() else 1)
