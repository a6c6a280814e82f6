"""Browser tests of zylgrid: headless Chromium clicks through the demo page of `zylgrid serve` and of CGI
under lighttpd; FastCGI through cgi-fcgi. Run: python3 e2e/test_zylgrid.py (ZYLGRID, ZYLGRID_DEMO_DATA name
the built programs); exits 77 when Chromium, its driver or Selenium is missing."""
import glob
import os
import shutil
import subprocess
import sys
import tempfile
import unittest
import urllib.request

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import zylsite as z  # noqa: E402

CHROMIUM = shutil.which("chromium") or "/usr/bin/chromium"
CHROMEDRIVER = shutil.which("chromedriver") or "/usr/bin/chromedriver"
try:
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    from selenium.webdriver.common.by import By
    from selenium.webdriver.support import expected_conditions as ec
    from selenium.common.exceptions import WebDriverException
    from selenium.webdriver.support.ui import Select, WebDriverWait
    SKIP = next((why for why, path in (("Chromium is not installed", CHROMIUM),
                                       ("chromium-driver is not installed", CHROMEDRIVER),
                                       ("zylgrid is not built", z.ZYLGRID)) if not os.path.exists(path)), None)
except ImportError:
    SKIP = "python3-selenium is not installed (scripts/install-deps browser)"

def replaced(old):
    """A wait condition: the page that held element `old` is gone. Chromium answers a question about an element
    of a page being replaced either "stale" or "node does not belong to the document": both mean gone."""
    def gone(_):
        try:
            old.is_enabled()
            return False
        except WebDriverException:  # StaleElementReferenceException included
            return True
    return gone


# Per record of a grid: the text of each cell after the record button, or its edit control's value.
ROWS_JS = r"""
const form = document.forms[arguments[0] + '_TABLE'];
return Array.from(document.getElementsByTagName('input'))
  .filter(el => form && el.form === form && /^GRecNo\d+$/.test(el.name))
  .map(el => Array.from(el.closest('table').closest('tr').children).slice(1).map(td => {
    const c = td.querySelector('input[type=text],input[type=TEXT],select,input[type=checkbox],textarea');
    return !c ? td.innerText.trim() : c.type === 'checkbox' ? String(c.checked) : c.value;
  }));
"""


class Browser:
    def __init__(self, url):
        options, self.profile = webdriver.ChromeOptions(), tempfile.mkdtemp(prefix="zylgrid-e2e-chromium-")
        options.binary_location = CHROMIUM
        for flag in ("headless", "no-sandbox", "disable-gpu", "no-first-run", "disable-dev-shm-usage",
                     "disable-background-networking", "window-size=1280,1000", "user-data-dir=" + self.profile):
            options.add_argument("--" + flag)
        self.driver, self.url = webdriver.Chrome(service=Service(CHROMEDRIVER), options=options), url
        self.driver.set_page_load_timeout(30)

    def quit(self):
        self.driver.quit(), shutil.rmtree(self.profile, ignore_errors=True)

    def open(self):
        return self.driver.get(self.url) or self

    def control(self, grid, name, tag="input"):  # the first one the visitor sees after the grid's anchor
        return self.driver.find_element(By.XPATH, "//a[@name='%s']/following::%s[@name='%s']"
                                        "[not(translate(@type,'HIDEN','hiden')='hidden')][1]" % (grid, tag, name))

    def has(self, name):  # the customers grid (not its detail after it) shows button `name`
        found = [len(self.driver.find_elements(By.XPATH, "//a[@name='%s']/following::input[@name='%s']"
                                               % (g, name))) for g in ("Customers", "Orders")]
        return found[0] > found[1]

    def type(self, grid, name, text, tag="input"):
        self.control(grid, name, tag).clear() or self.control(grid, name, tag).send_keys(text)
        return self

    def click(self, grid, name, accept=False):
        old = self.driver.find_element(By.TAG_NAME, "html")
        self.control(grid, name).click()
        if accept:
            WebDriverWait(self.driver, 10).until(ec.alert_is_present())
            self.driver.switch_to.alert.accept()
        WebDriverWait(self.driver, 30).until(replaced(old))
        return self

    def rows(self, grid="Customers"):
        return self.driver.execute_script(ROWS_JS, grid)

    def first(self):  # the page number and the first record's Id
        return self.control("Customers", "GPage", "select").get_attribute("value"), self.rows()[0][0]


def untick_email(b):
    email = b.driver.find_element(By.XPATH, "//input[@name='GSel'][@type='checkbox' or @type='CHECKBOX'][@value='5']")
    email.click() if email.is_selected() else None


class Suite(unittest.TestCase):  # zylgrid serve over a fresh demo site (`customers`: more keys of that grid)
    customers = ""

    @classmethod
    def setUpClass(cls):
        cls.site = z.Site("zylgrid-e2e-", cls.customers, memo="ShowMemos" in cls.customers)
        cls.server = z.Server(cls.site)
        cls.browser = Browser(cls.server.url)

    @classmethod
    def tearDownClass(cls):
        cls.browser.quit()
        status, _ = cls.server.stop(), cls.site.remove()
        assert status == 0, "zylgrid did not stop cleanly on SIGTERM: %s" % status


class ServeTests(Suite):
    def test_visitor_paths(self):  # from a fresh page: the buttons clicked (or a step), then what the page shows
        names = self.site.sql("SELECT min(substr(Name,1,1)) || max(substr(Name,1,1)) FROM customers")
        paths = [
            (["GNEXT"], lambda b: b.first() == ("2", "9")),
            (["GNEXT", "GPREVIOUS"], lambda b: b.first() == ("1", "1")),
            (["GLAST"], lambda b: b.first()[0] == "25"),
            (["GLAST", "GFIRST"], lambda b: [r[0] for r in b.rows()][:3] == ["1", "2", "3"]),
            ([lambda b: Select(b.control("Customers", "GPage", "select")).select_by_value("3"), "GOK"],
             lambda b: b.first() == ("3", "17")),
            ([lambda b: b.type("Customers", "GRPP", "5"), "GOK"],
             lambda b: len(b.rows()) == 5 and b.control("Customers", "GOf").get_attribute("value") == "40"),
            (["GSortDESC_2"], lambda b: b.rows()[0][1][0] == names[1] and b.has("GSORTOFF")),
            (["GSortDESC_2", "GSORTOFF"], lambda b: [r[0] for r in b.rows()][:3] == ["1", "2", "3"]),
            (["GSortASC_2"], lambda b: b.rows()[0][1][0] == names[0]),
            (["GGLYPHOFF"], lambda b: not b.has("GSortASC_2")),
            (["GGLYPHOFF", "GGLYPHON"], lambda b: b.has("GSortASC_2")),
            (["GCHECKON", untick_email, "GCHECKDO"],
             lambda b: len(b.rows()[0]) == 7 and "@example.com" not in " ".join(b.rows()[0])),
            (["GSUM"], lambda b: "Sum:" in b.driver.page_source),
            (["GSA"], lambda b: "Average:" in b.driver.page_source),
            ([], lambda b: {r[1] for r in b.rows("Orders")} == {"1"}),  # the first customer's orders
            (["GRecNo2"], lambda b: {r[1] for r in b.rows("Orders")} == {b.rows()[2][0]}),
        ]
        for steps, shows in paths:
            with self.subTest(path=[s if isinstance(s, str) else s.__name__ for s in steps]):
                b = self.browser.open()
                for step in steps:
                    b.click("Customers", step) if isinstance(step, str) else step(b)
                self.assertTrue(shows(b), b.rows()[:2])

    def test_save_as_downloads_have_their_types(self):
        with urllib.request.urlopen(self.server.url, timeout=30) as reply:
            toolbar = z.Page(reply.read().decode()).buttons("Customers", "GSAVEAS", "TOOLBARTOP")[0]
        for kind in z.DOWNLOADS:
            with self.subTest(save=kind), urllib.request.urlopen(
                    self.server.url, z.form_fields(*toolbar, {"GSave": kind}), timeout=60) as reply:
                self.assertIsNone(z.download_problem(kind, "Customers", reply.status, reply.headers, reply.read()))

    def test_images_are_served_in_both_spellings(self):
        for name in ("GTab.gif", "GTab.Gif", "GBevel.gif"):
            with urllib.request.urlopen(self.server.url + "images/" + name, timeout=10) as reply:
                self.assertEqual(reply.headers.get_content_type(), "image/gif", name)


class EditingTests(Suite):  # in order: each test starts from what the one before left
    customers = "Editable=1\nShowMemos=1\n"

    def orders(self):
        return self.site.sql("SELECT count(*) FROM orders WHERE CustomerId = 1")

    def test_1_edit_a_cell_and_update(self):
        b = self.browser.open()
        order = b.rows("Orders")[0][0]
        b.type("Orders", "GCELL_0_3", "Edited lamp").click("Orders", "GUPDATE")
        self.assertEqual(self.site.sql("SELECT Product FROM orders WHERE OrderId = ?", (order,)), "Edited lamp")
        self.assertIn("Edited lamp", [r[3] for r in b.rows("Orders")])

    def test_2_add_and_delete_a_record(self):
        before = self.orders()
        b = self.browser.open().click("Orders", "GADD")
        b.driver.find_elements(By.XPATH, "//input[starts-with(@name,'GCELL_')][substring(@name,string-length(@name)-1)"
                               "='_3']")[-1].send_keys("Added in the browser")
        b.click("Orders", "GUPDATE")
        self.assertEqual(self.site.sql("SELECT CustomerId FROM orders WHERE Product = 'Added in the browser'"), 1)
        self.assertEqual(self.orders(), before + 1)
        self.browser.open().click("Orders", "GDEL", accept=True)
        self.assertEqual(self.orders(), before)

    def test_3_stale_page_update_is_refused(self):
        b = self.browser.open()
        name = b.rows()[0][1]
        for lock in glob.glob(os.path.join(self.site.tmp, "*.upd")):  # another page added or deleted
            os.remove(lock)
        b.type("Customers", "GCELL_0_2", "Stale edit").click("Customers", "GUPDATE")
        self.assertIn(z.STALE.upper(), b.driver.page_source.upper())
        self.assertEqual(self.site.sql("SELECT Name FROM customers WHERE Id = 1"), name)

    def test_4_memo_keeps_every_line(self):
        b = self.browser.open()
        value = 'line one\nline two\n\tindented "double" \'single\' & = % + Gr\u00fc\u00dfe \u20ac'
        b.driver.execute_script("arguments[0].value = arguments[1];",
                                b.control("Customers", "GCELL_0_8", "textarea"), value)
        for _ in range(2):  # stored, shown again in its text area, and posted back unchanged
            b.click("Customers", "GUPDATE")
            self.assertEqual(self.site.sql("SELECT Notes FROM customers WHERE Id = 1"),
                             value.replace("\n", "\r\n"))  # a text area posts its line breaks as CR LF
            self.assertEqual(b.control("Customers", "GCELL_0_8", "textarea").get_attribute("value"), value)


class GatewayTests(unittest.TestCase):
    @unittest.skipUnless(os.path.exists("/usr/sbin/lighttpd"), "lighttpd is not installed")
    def test_cgi_under_lighttpd_pages_and_edits(self):
        site, port = z.Site("zylgrid-e2e-"), z.free_port()
        os.mkdir(os.path.join(site.dir, "www"))
        shutil.copy(z.ZYLGRID, os.path.join(site.dir, "www", "zylgrid.cgi"))
        with open(os.path.join(z.SOURCE_DIR, "e2e", "lighttpd.conf")) as t, \
                open(os.path.join(site.dir, "lighttpd.conf"), "w") as f:
            f.write(t.read().format(site=site.dir, port=port, source=z.SOURCE_DIR, ini=site.ini, tmp=site.tmp))
        lighttpd = subprocess.Popen(["lighttpd", "-D", "-f", f.name], stdout=subprocess.DEVNULL)
        b = Browser("http://127.0.0.1:%d/zylgrid.cgi" % port)
        try:
            z.wait_for_port(port, lighttpd)
            self.assertEqual(b.open().click("Customers", "GNEXT").first(), ("2", "9"))
            order = b.rows("Orders")[0][0]
            b.type("Orders", "GCELL_0_3", "Edited over CGI").click("Orders", "GUPDATE")
            self.assertEqual(site.sql("SELECT Product FROM orders WHERE OrderId = ?", (order,)), "Edited over CGI")
        finally:
            b.quit(), lighttpd.terminate(), lighttpd.wait(timeout=10), site.remove()

    @unittest.skipUnless(shutil.which("cgi-fcgi"), "cgi-fcgi is not installed")
    def test_fastcgi_answers_pages_posts_and_images_in_one_process(self):
        site = z.Site("zylgrid-e2e-")
        server = z.Server(site, "fcgi")
        cases = [("/", b"", "Status: 200", lambda body: b"Weber Group" in body),
                 ("/", b"GName=Customers&GPage=1&GRPP=8&GNEXT.x=1&GNEXT.y=1", "Status: 200",
                  lambda body: b"Weber Group" not in body and b"</html>" in body),
                 ("/images/GTab.Gif", b"", "image/gif", lambda body: body.startswith(b"GIF")),
                 ("/images/../site.ini", b"", "Status: 404", lambda body: b"[Page]" not in body)]
        try:
            for uri, body, head, shows in cases:
                with self.subTest(uri=uri, body=body):
                    env = dict(os.environ, REQUEST_METHOD="POST" if body else "GET", DOCUMENT_URI=uri,
                               QUERY_STRING="", CONTENT_LENGTH=str(len(body)),
                               CONTENT_TYPE="application/x-www-form-urlencoded")
                    got, _, answer = subprocess.run(
                        ["cgi-fcgi", "-bind", "-connect", "127.0.0.1:%d" % server.port], input=body, env=env,
                        stdout=subprocess.PIPE, timeout=30).stdout.partition(b"\r\n\r\n")
                    self.assertIn(head.encode(), got)
                    self.assertTrue(shows(answer), answer[:200])
            self.assertTrue(server.alive())
        finally:
            server.stop(), site.remove()


if __name__ == "__main__":
    if SKIP:
        print("SKIPPED: " + SKIP)
        sys.exit(z.SKIP)
    sys.exit(0 if unittest.main(exit=False, verbosity=2).result.wasSuccessful() else 1)
