"""Downloads of every format in both scopes (this page, every row) from `zylgrid serve`, each recognised by its
content type, file name and signature; the text formats' rows counted; then each saved by headless Chromium from
the save list, as a visitor does. Run: python3 e2e/test_exports.py (ZYLGRID,
ZYLGRID_DEMO_DATA name the built programs); exits 77 when zylgrid is not built."""
import csv
import io
import json
import os
import sys
import tempfile
import unittest
import urllib.request

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import zylsite as z  # noqa: E402
import test_zylgrid as t  # noqa: E402

if not t.SKIP:
    from selenium.webdriver.support.ui import Select, WebDriverWait

# The formats the save list adds (content type, extension, signature) beside zylsite's five.
FORMATS = dict(z.DOWNLOADS, **{
    "CSV": ("text/csv", ".csv", lambda b: b.decode("utf-8").split("\r\n", 1)[0].count(",") > 0),
    "JSON": ("application/json", ".json", lambda b: isinstance(json.loads(b.decode("utf-8")), list)),
    "XLSX": ("application/vnd.openxmlformats-officedocument.spreadsheetml.sheet", ".xlsx",
             lambda b: b.startswith(b"PK\x03\x04") and b"xl/worksheets/sheet1.xml" in b),
})
# Data rows of a text download.
ROWS = {"TXT": lambda b: len(list(csv.reader(io.StringIO(b.decode("utf-8"), newline=""), delimiter="\t"))) - 1,
        "CSV": lambda b: len(list(csv.reader(io.StringIO(b.decode("utf-8"), newline="")))) - 1,
        "JSON": lambda b: len(json.loads(b.decode("utf-8")))}
PAGE_ROWS = 8   # the demo site's Customers page


def saved(folder, path):  # Chromium reserves the name with an empty file and writes into a .crdownload first
    return (os.path.exists(path) and os.path.getsize(path) > 0
            and not any(n.endswith(".crdownload") for n in os.listdir(folder)))


class Exports(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.site = z.Site("zylgrid-exports-")
        cls.server = z.Server(cls.site)
        cls.customers = cls.site.sql("SELECT COUNT(*) FROM customers")

    @classmethod
    def tearDownClass(cls):
        cls.server.stop()
        cls.site.remove()

    def test_every_format_in_both_scopes(self):
        with urllib.request.urlopen(self.server.url, timeout=30) as reply:
            page = z.Page(reply.read().decode())
        toolbar = page.buttons("Customers", "GSAVEAS", "TOOLBARTOP")[0]
        offered = {o for c in toolbar[0].controls if c.name == "GSave" for o in c.options}
        for kind, scope in [(k, s) for k in FORMATS for s in ("", "-ALL")]:
            with self.subTest(save=kind + scope):
                self.assertIn(kind + scope, offered)
                with urllib.request.urlopen(self.server.url, z.form_fields(*toolbar, {"GSave": kind + scope}),
                                            timeout=120) as reply:
                    body = reply.read()
                    ctype, ext, signature = FORMATS[kind]
                    self.assertEqual((reply.status, reply.headers.get_content_type()), (200, ctype))
                    self.assertEqual(reply.headers.get("Content-Disposition"),
                                     'attachment; filename="Customers%s"' % ext)
                    self.assertTrue(signature(body), body[:40])
                if kind in ROWS:
                    self.assertEqual(ROWS[kind](body), self.customers if scope else PAGE_ROWS)
        self.assertTrue(self.server.alive())

    @unittest.skipIf(t.SKIP, t.SKIP)
    def test_the_browser_saves_every_format_in_both_scopes(self):
        b, folder = t.Browser(self.server.url), tempfile.mkdtemp(prefix="zylgrid-e2e-saved-")
        try:
            b.driver.execute_cdp_cmd("Page.setDownloadBehavior", {"behavior": "allow", "downloadPath": folder})
            b.open()
            for kind, scope in [(k, s) for k in FORMATS for s in ("", "-ALL")]:
                with self.subTest(save=kind + scope):
                    Select(b.control("Customers", "GSave", "select")).select_by_value(kind + scope)
                    b.control("Customers", "GSAVEAS").click()
                    path = os.path.join(folder, "Customers" + FORMATS[kind][1])
                    WebDriverWait(b.driver, 60, 0.1).until(lambda _: saved(folder, path))
                    with open(path, "rb") as f:
                        body = f.read()
                    os.remove(path)
                    self.assertTrue(FORMATS[kind][2](body), body[:40])
                    if kind in ROWS:
                        self.assertEqual(ROWS[kind](body), self.customers if scope else PAGE_ROWS)
        finally:
            b.quit()


if __name__ == "__main__":
    if not os.path.exists(z.ZYLGRID):
        print("SKIPPED: zylgrid is not built")
        sys.exit(z.SKIP)
    sys.exit(0 if unittest.main(exit=False, verbosity=2).result.wasSuccessful() else 1)
