"""Browser tests of zylgrid: headless Chromium clicks through the demo page
served by `zylgrid serve`, and through the CGI mode under lighttpd.

Run: python3 e2e/test_zylgrid.py (ZYLGRID, ZYLGRID_DEMO_DATA name the built
programs). Exits with 77 (skipped) and the reason when Chromium, its driver or
Selenium is missing.
"""
import glob
import http.client
import os
import socket
import sqlite3
import sys
import unittest
import urllib.parse
import urllib.request

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402

SKIP_REASON = harness.missing_tools()

ROWS_JS = r"""
const form = document.forms[arguments[0] + '_TABLE'];
if (!form) return [];
const rows = [];
// Image buttons are not in form.elements: look at every input of the form.
for (const el of document.getElementsByTagName('input')) {
  if (el.form !== form || !/^GRecNo\d+$/.test(el.name)) continue;
  const tr = el.closest('table').closest('tr');
  const cells = [];
  for (const td of Array.from(tr.children).slice(1)) {
    const c = td.querySelector('input[type=text],input[type=TEXT],select,input[type=checkbox],textarea');
    if (!c) cells.push(td.innerText.trim());
    else if (c.type === 'checkbox') cells.push(c.checked ? 'true' : 'false');
    else cells.push(c.value);
  }
  rows.push(cells);
}
return rows;
"""

FORM_JS = r"""
const form = document.querySelectorAll('form[name=TOOLBARTOP]')[arguments[0]];
return new URLSearchParams(new FormData(form)).toString();
"""



# What each save-as format starts with: tab-separated text, BIFF8 in an OLE2
# compound file, a Jet 4 database, a dBase III table (version byte, then a
# header whose length is 32 bytes per field plus 33), a Paradox table (record
# and header sizes, file type 0 or 2).
SIGNATURES = {
    "TXT": lambda b: b"\t" in b.split(b"\r\n", 1)[0] and b"\0" not in b,
    "XLS": lambda b: b.startswith(b"\xd0\xcf\x11\xe0\xa1\xb1\x1a\xe1"),
    "MDB": lambda b: b[4:19] == b"Standard Jet DB",
    "DBF": lambda b: b[0] in (0x03, 0x83) and (int.from_bytes(b[8:10], "little") - 33) % 32 == 0,
    "DB": lambda b: b[4] in (0, 2) and int.from_bytes(b[2:4], "little") % 0x800 == 0 < len(b),
}


class Page:
    """The grid page in the browser, with helpers scoped to one grid."""

    def __init__(self, driver, url):
        self.driver = driver
        self.url = url
        driver.get(url)

    def control(self, grid, name, tag="input"):
        from selenium.webdriver.common.by import By
        return self.driver.find_element(
            By.XPATH, "//a[@name='%s']/following::%s[@name='%s'][not(translate(@type,'HIDEN','hiden')='hidden')][1]"
            % (grid, tag, name))

    def has(self, grid, name):
        from selenium.webdriver.common.by import By
        found = self.driver.find_elements(By.XPATH, "//a[@name='%s']/following::input[@name='%s']"
                                          % (grid, name))
        if grid == "Customers":
            detail = self.driver.find_elements(
                By.XPATH, "//a[@name='Orders']/following::input[@name='%s']" % name)
            return len(found) > len(detail)
        return len(found) > 0

    def click(self, grid, name, accept=False):
        from selenium.webdriver.support import expected_conditions as ec
        from selenium.webdriver.support.ui import WebDriverWait
        from selenium.webdriver.common.by import By
        old = self.driver.find_element(By.TAG_NAME, "html")
        self.control(grid, name).click()
        if accept:
            WebDriverWait(self.driver, 10).until(ec.alert_is_present())
            self.driver.switch_to.alert.accept()
        WebDriverWait(self.driver, 30).until(ec.staleness_of(old))

    def rows(self, grid):
        return self.driver.execute_script(ROWS_JS, grid)

    def page_number(self, grid):
        return self.control(grid, "GPage", "select").get_attribute("value")

    def type_into(self, element, text):
        element.clear()
        element.send_keys(text)

    def source(self):
        return self.driver.page_source


def db_value(site, sql, args=()):
    with sqlite3.connect(site.db) as con:
        row = con.execute(sql, args).fetchone()
    return row[0] if row else None


@unittest.skipIf(SKIP_REASON, SKIP_REASON or "")
class ServeTests(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.site = harness.Site()
        cls.server = harness.Server(cls.site)
        cls.driver = harness.browser()

    @classmethod
    def tearDownClass(cls):
        cls.driver.quit()
        status = cls.server.stop()
        cls.site.remove()
        assert status == 0, "zylgrid did not stop cleanly on SIGTERM: %s" % status

    def open(self):
        return Page(self.driver, self.server.url)

    def test_paging_forward_back_and_page_list(self):
        page = self.open()
        self.assertEqual(page.rows("Customers")[0][0], "1")
        page.click("Customers", "GNEXT")
        self.assertEqual(page.page_number("Customers"), "2")
        self.assertEqual(page.rows("Customers")[0][0], "9")
        page.click("Customers", "GPREVIOUS")
        self.assertEqual(page.page_number("Customers"), "1")
        page.click("Customers", "GLAST")
        self.assertEqual(page.page_number("Customers"), "25")
        page.click("Customers", "GFIRST")
        self.assertEqual(page.page_number("Customers"), "1")
        from selenium.webdriver.support.ui import Select
        Select(page.control("Customers", "GPage", "select")).select_by_value("3")
        page.click("Customers", "GOK")
        self.assertEqual(page.page_number("Customers"), "3")
        self.assertEqual(page.rows("Customers")[0][0], "17")

    def test_rows_per_page(self):
        page = self.open()
        page.type_into(page.control("Customers", "GRPP"), "5")
        page.click("Customers", "GOK")
        self.assertEqual(len(page.rows("Customers")), 5)
        self.assertEqual(page.control("Customers", "GOf").get_attribute("value"), "40")

    def test_sort_descending_ascending_and_clear(self):
        page = self.open()
        first = db_value(self.site, "SELECT min(substr(Name,1,1)) FROM customers")
        last = db_value(self.site, "SELECT max(substr(Name,1,1)) FROM customers")
        page.click("Customers", "GSortDESC_2")
        self.assertEqual(page.rows("Customers")[0][1][0], last)
        self.assertTrue(page.has("Customers", "GSORTOFF"))
        page.click("Customers", "GSORTOFF")
        self.assertEqual([r[0] for r in page.rows("Customers")][:3], ["1", "2", "3"])
        page.click("Customers", "GSortASC_2")
        self.assertEqual(page.rows("Customers")[0][1][0], first)
        page.click("Customers", "GSORTOFF")
        self.assertEqual(page.rows("Customers")[0][0], "1")

    def test_hide_and_show_sort_buttons(self):
        page = self.open()
        self.assertTrue(page.has("Customers", "GSortASC_2"))
        page.click("Customers", "GGLYPHOFF")
        self.assertFalse(page.has("Customers", "GSortASC_2"))
        page.click("Customers", "GGLYPHON")
        self.assertTrue(page.has("Customers", "GSortASC_2"))

    def test_select_columns(self):
        from selenium.webdriver.common.by import By
        page = self.open()
        page.click("Customers", "GCHECKON")
        boxes = self.driver.find_elements(
            By.XPATH, "//form[@name='Customers_SELECTORS']//input[@name='GSel'][@type='checkbox']")
        if not boxes:
            boxes = [b for b in self.driver.find_elements(By.NAME, "GSel")
                     if b.get_attribute("type") == "checkbox"]
        self.assertGreater(len(boxes), 4)
        before = len(page.rows("Customers")[0])
        email = [b for b in boxes if b.get_attribute("value") == "5"][0]
        if email.is_selected():
            email.click()
        page.click("Customers", "GCHECKDO")
        self.assertNotIn("@example.com", " ".join(page.rows("Customers")[0]))
        self.assertEqual(len(page.rows("Customers")[0]), before - 1)

    def test_sum_and_average_rows(self):
        page = self.open()
        page.click("Customers", "GSUM")
        self.assertIn("Sum:", page.source())
        page = self.open()
        page.click("Customers", "GSA")
        self.assertIn("Average:", page.source())

    def test_selecting_a_master_record_changes_the_detail(self):
        page = self.open()
        self.assertEqual({r[1] for r in page.rows("Orders")}, {"1"})
        page.click("Customers", "GRecNo2")
        third = page.rows("Customers")[2][0]
        orders = page.rows("Orders")
        self.assertTrue(orders)
        self.assertEqual({r[1] for r in orders}, {third})

    def test_save_as_downloads_have_their_types(self):
        page = self.open()
        fields = urllib.parse.parse_qsl(self.driver.execute_script(FORM_JS, 0))
        expected = {"TXT": ("text/plain", ".txt"), "XLS": ("application/x-msexcel", ".xls"),
                    "MDB": ("application/msaccess", ".mdb"),
                    "DBF": ("application/octet-stream", ".dbf"),
                    "DB": ("application/octet-stream", ".db")}
        for value, (ctype, ext) in expected.items():
            with self.subTest(save=value):
                body = [(k, v) for k, v in fields if k != "GSave"] + [
                    ("GSave", value), ("GSAVEAS.x", "5"), ("GSAVEAS.y", "5")]
                data = urllib.parse.urlencode(body).encode()
                with urllib.request.urlopen(self.server.url, data, timeout=60) as reply:
                    self.assertEqual(reply.headers.get_content_type(), ctype)
                    disposition = reply.headers["Content-Disposition"]
                    self.assertEqual(disposition, 'attachment; filename="Customers%s"' % ext)
                    content = reply.read()
                    self.assertTrue(SIGNATURES[value](content), "%s starts %r" % (value, content[:32]))

    def test_hostile_fields_and_wrong_content_length_never_crash(self):
        bodies = [b"GName=Customers&GPage=-999999999999&GRPP=99999999999&GRecNo-1.x=1",
                  b"GName=Orders&GCELL_99999_99999=x&GUPDATE.x=1&GUID=../../x",
                  b"%&%%=&&GName=%00%FF%0D%0A\xff\xfe",
                  b"GName=" + b"A" * 200000]
        for body in bodies:
            req = urllib.request.Request(self.server.url, body,
                                         {"Content-Type": "application/x-www-form-urlencoded"})
            with urllib.request.urlopen(req, timeout=60) as reply:
                self.assertEqual(reply.status, 200)
        for length in ("100", "-5", "999999999999", "abc"):
            with socket.create_connection(("127.0.0.1", self.server.port), timeout=10) as s, \
                    s.makefile("rb") as reply:
                s.sendall(("POST / HTTP/1.1\r\nHost: x\r\nContent-Type: "
                           "application/x-www-form-urlencoded\r\nContent-Length: %s\r\n"
                           "Connection: close\r\n\r\nGName=Customers" % length).encode())
                s.shutdown(socket.SHUT_WR)
                try:
                    reply.read()
                except OSError:
                    pass
        conn = http.client.HTTPConnection("127.0.0.1", self.server.port, timeout=10)
        conn.request("GET", "/?GName=Customers&GPage=%zz")
        self.assertEqual(conn.getresponse().status, 200)
        conn.close()
        for method in ("PUT", "DELETE", "OPTIONS"):
            conn = http.client.HTTPConnection("127.0.0.1", self.server.port, timeout=10)
            conn.request(method, "/", body=b"GName=Customers")
            self.assertEqual(conn.getresponse().status, 405, method)
            conn.close()
        self.assertTrue(self.server.alive())

    def test_concurrent_requests_each_get_their_page(self):
        from concurrent.futures import ThreadPoolExecutor

        def fetch(i):
            body = ("GName=Customers&GPage=1&GRPP=8&GRecNo%d.x=1&GRecNo%d.y=1" % (i % 8, i % 8)).encode()
            with urllib.request.urlopen(self.server.url, body, timeout=60) as reply:
                return reply.status, reply.read()

        with ThreadPoolExecutor(max_workers=8) as pool:
            results = list(pool.map(fetch, range(24)))
        self.assertEqual({status for status, _ in results}, {200})
        for _, page in results:
            self.assertTrue(page.rstrip().endswith(b"</html>"))
        with open(os.path.join(self.site.dir, "server.log")) as log:
            self.assertGreaterEqual(sum(1 for line in log if " POST / 200 " in line), 24)

    def test_images_are_served_in_both_spellings(self):
        for name in ("GTab.gif", "GTab.Gif", "GBevel.gif"):
            with urllib.request.urlopen(self.server.url + "images/" + name, timeout=10) as reply:
                self.assertEqual(reply.headers.get_content_type(), "image/gif")
        with self.assertRaises(urllib.error.HTTPError):
            urllib.request.urlopen(self.server.url + "images/..%2Fsite.ini", timeout=10)


@unittest.skipIf(SKIP_REASON, SKIP_REASON or "")
class EditingTests(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.site = harness.Site(editable_master=True)
        cls.server = harness.Server(cls.site)
        cls.driver = harness.browser()

    @classmethod
    def tearDownClass(cls):
        cls.driver.quit()
        cls.server.stop()
        cls.site.remove()

    def open(self):
        return Page(self.driver, self.server.url)

    def test_1_edit_a_cell_and_update(self):
        page = self.open()
        order_id = page.rows("Orders")[0][0]
        cell = page.control("Orders", "GCELL_0_3")
        page.type_into(cell, "Edited lamp")
        page.click("Orders", "GUPDATE")
        self.assertEqual(db_value(self.site, "SELECT Product FROM orders WHERE OrderId = ?", (order_id,)),
                         "Edited lamp")
        self.assertIn("Edited lamp", [r[3] for r in page.rows("Orders")])

    def test_2_add_a_record(self):
        before = db_value(self.site, "SELECT count(*) FROM orders WHERE CustomerId = 1")
        page = self.open()
        page.click("Orders", "GADD")
        from selenium.webdriver.common.by import By
        inputs = [i for i in self.driver.find_elements(By.XPATH, "//input[starts-with(@name,'GCELL_')]")
                  if i.get_attribute("name").endswith("_3")]
        self.assertTrue(inputs)
        page.type_into(inputs[-1], "Added in the browser")
        page.click("Orders", "GUPDATE")
        self.assertEqual(db_value(self.site, "SELECT count(*) FROM orders WHERE CustomerId = 1"), before + 1)
        self.assertEqual(db_value(self.site, "SELECT CustomerId FROM orders WHERE Product = ?",
                                  ("Added in the browser",)), 1)

    def test_3_delete_a_record(self):
        before = db_value(self.site, "SELECT count(*) FROM orders WHERE CustomerId = 1")
        page = self.open()
        page.click("Orders", "GDEL", accept=True)
        self.assertEqual(db_value(self.site, "SELECT count(*) FROM orders WHERE CustomerId = 1"), before - 1)

    def test_4_stale_page_update_is_refused(self):
        page = self.open()
        name = page.rows("Customers")[0][1]
        # Another page added or deleted a record meanwhile: the locks are gone.
        for lock in glob.glob(os.path.join(self.site.locks, "*.upd")):
            os.remove(lock)
        page.type_into(page.control("Customers", "GCELL_0_2"), "Stale edit")
        page.click("Customers", "GUPDATE")
        self.assertTrue("CANNOT UPDATE THE TABLE!" in page.source().upper(), "no error box")
        self.assertEqual(db_value(self.site, "SELECT Name FROM customers WHERE Id = 1"), name)

    def test_5_memo_keeps_every_line(self):
        page = self.open()
        value = 'line one\nline two\n\tindented "double" \'single\' & = % + Gr\u00fc\u00dfe \u20ac'
        posted = value.replace("\n", "\r\n")  # a text area posts its line breaks as CR LF
        memo = page.control("Customers", "GCELL_0_8", "textarea")
        self.driver.execute_script("arguments[0].value = arguments[1];", memo, value)
        page.click("Customers", "GUPDATE")
        notes = "SELECT Notes FROM customers WHERE Id = 1"
        self.assertEqual(db_value(self.site, notes), posted)
        # Shown again in its text area, and posted back unchanged.
        shown = page.control("Customers", "GCELL_0_8", "textarea").get_attribute("value")
        self.assertEqual(shown, value)
        page.click("Customers", "GUPDATE")
        self.assertEqual(db_value(self.site, notes), posted)


@unittest.skipIf(SKIP_REASON or not os.path.exists("/usr/sbin/lighttpd"),
                 SKIP_REASON or "lighttpd is not installed (scripts/install-deps browser)")
class CgiTests(unittest.TestCase):
    def test_paging_and_editing_through_lighttpd(self):
        site = harness.Site()
        server = harness.Lighttpd(site)
        driver = harness.browser()
        try:
            page = Page(driver, server.url)
            page.click("Customers", "GNEXT")
            self.assertEqual(page.page_number("Customers"), "2")
            self.assertEqual(page.rows("Customers")[0][0], "9")
            order_id = page.rows("Orders")[0][0]
            page.type_into(page.control("Orders", "GCELL_0_3"), "Edited over CGI")
            page.click("Orders", "GUPDATE")
            self.assertEqual(db_value(site, "SELECT Product FROM orders WHERE OrderId = ?",
                                      (order_id,)), "Edited over CGI")
        finally:
            driver.quit()
            server.stop()
            site.remove()


@unittest.skipIf(SKIP_REASON or not harness.shutil.which("cgi-fcgi"),
                 SKIP_REASON or "cgi-fcgi is not installed (scripts/install-deps browser)")
class FastCgiTests(unittest.TestCase):
    """zylgrid fcgi answers several requests in one process, as nginx would send them."""

    def request(self, port, env, body=b""):
        import subprocess
        full = dict(os.environ, REQUEST_METHOD="GET", DOCUMENT_URI="/", QUERY_STRING="")
        full.update(env)
        if body:
            full.update(REQUEST_METHOD="POST", CONTENT_LENGTH=str(len(body)),
                        CONTENT_TYPE="application/x-www-form-urlencoded")
        out = subprocess.run(["cgi-fcgi", "-bind", "-connect", "127.0.0.1:%d" % port],
                             input=body, env=full, stdout=subprocess.PIPE, timeout=30).stdout
        head, _, rest = out.partition(b"\r\n\r\n")
        return head.decode("latin-1"), rest

    def test_pages_posts_and_images(self):
        import subprocess
        site = harness.Site()
        port = harness.free_port()
        proc = subprocess.Popen([harness.ZYLGRID, "fcgi", "--config", site.ini, "--port", str(port)],
                                env=dict(os.environ, TMPDIR=site.locks),
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            for _ in range(100):
                try:
                    socket.create_connection(("127.0.0.1", port), timeout=1).close()
                    break
                except OSError:
                    harness.time.sleep(0.1)
            head, body = self.request(port, {})
            self.assertIn("Status: 200", head)
            self.assertIn(b"Weber Group", body)
            head, body = self.request(port, {}, b"GName=Customers&GPage=1&GRPP=8&GNEXT.x=1&GNEXT.y=1")
            self.assertIn("Status: 200", head)
            self.assertNotIn(b"Weber Group", body)
            head, body = self.request(port, {"DOCUMENT_URI": "/images/GTab.Gif"})
            self.assertIn("image/gif", head)
            self.assertTrue(body.startswith(b"GIF"))
            head, _ = self.request(port, {"DOCUMENT_URI": "/images/../site.ini"})
            self.assertIn("Status: 404", head)
            self.assertIsNone(proc.poll())
        finally:
            proc.terminate()
            proc.wait(timeout=10)
            site.remove()


if __name__ == "__main__":
    if SKIP_REASON:
        print("SKIPPED: " + SKIP_REASON)
        sys.exit(77)
    result = unittest.main(exit=False, verbosity=2).result
    sys.exit(0 if result.wasSuccessful() else 1)
