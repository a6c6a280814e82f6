"""Accessibility of zylgrid's pages in headless Chromium: axe-core (e2e/axe, pinned) finds no serious or
critical violation on each page of PAGES in the light and the dark scheme, and a visitor with only Tab,
Shift-Tab, Enter and Space pages, sorts, filters, selects a record, edits a cell and updates it. Run: python3
e2e/test_accessibility.py; exits 77 when Chromium, Selenium or axe-core (make deps) is missing."""
import glob
import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import zylsite as z  # noqa: E402
import test_zylgrid as browser_suite  # noqa: E402

AXE = os.path.join(z.SOURCE_DIR, "e2e", "axe", "node_modules", "axe-core", "axe.min.js")
SKIP = browser_suite.SKIP or (None if os.path.exists(AXE) else "axe-core is not installed (make deps)")
if not browser_suite.SKIP:
    from selenium.webdriver.common.action_chains import ActionChains
    from selenium.webdriver.common.keys import Keys

# The focused control's name and the grid it belongs to (the last grid anchor before it).
FOCUS_JS = """const el = document.activeElement;
const grid = [...document.querySelectorAll('a[name]')].filter(a => a.compareDocumentPosition(el) & 4).pop();
return [el.name || el.tagName, grid ? grid.name : ''];"""
RECORD_JS = """const form = document.forms['Customers_TABLE'];  // (elements leaves image buttons out)
return [...document.getElementsByTagName('input')].filter(e => e.form === form && /^GRecNo\\d+$/.test(e.name))
  .map(e => e.name)[arguments[0]];"""
AXE_JS = """const done = arguments[arguments.length - 1];
axe.run(document, {resultTypes: ['violations']}).then(r => done(r.violations
  .filter(v => v.impact === 'serious' || v.impact === 'critical')
  .map(v => v.id + ' (' + v.impact + '): ' + v.nodes.slice(0, 3).map(n => n.target.join(' ')).join(' | '))));"""


def stale_update(b, site):  # another page changed the orders: the update is refused in an error box
    for lock in glob.glob(os.path.join(site.tmp, "*.upd")):
        os.remove(lock)
    b.click("Orders", "GUPDATE")


def bad_filter(b, site):  # a filter that does not parse is shown back with its message
    old = b.driver.find_element("tag name", "html")
    b.type("Customers", "GFLT_6", "12x").control("Customers", "GFLT_6").send_keys(Keys.ENTER)
    browser_suite.WebDriverWait(b.driver, 30).until(browser_suite.replaced(old))


# Pages checked: (name, steps from a fresh page); each step is a button of the orders grid or a function.
# Every page has the filter row and the search box; "filter message" has a filter shown back.
PAGES = [("demo page", []), ("error box", [stale_update]), ("editing row", ["GADD"]),
         ("filter message", [bad_filter])]


class AccessibilityTests(browser_suite.Suite):
    customers = "[Page]\nTheme=modern\n"  # a second [Page] section adds its keys to the first

    def test_axe_finds_no_serious_violation(self):
        d = self.browser.driver
        d.set_script_timeout(60)
        with open(AXE) as f:
            axe = f.read()
        for page, steps in PAGES:
            for scheme in ("dark", "light"):  # (light last: the keyboard test's)
                d.execute_cdp_cmd("Emulation.setEmulatedMedia",
                                  {"features": [{"name": "prefers-color-scheme", "value": scheme}]})
                with self.subTest(page=page, scheme=scheme):
                    b = self.browser.open()
                    for step in steps:
                        b.click("Orders", step) if isinstance(step, str) else step(b, self.site)
                    self.assertIn("--zg-surface", d.page_source)  # the modern theme
                    if page == "error box":
                        self.assertIn(z.STALE.upper(), d.page_source.upper())
                    if page == "filter message":
                        self.assertIn("not a number", d.page_source)
                    d.execute_script(axe)
                    self.assertEqual(d.execute_async_script(AXE_JS), [])

    def keys(self, *keys):
        ActionChains(self.browser.driver).send_keys(*keys).perform()

    def tab_to(self, grid, name, backwards=False, press=None):  # Tab (or Shift-Tab) until `name` of `grid` has focus
        for _ in range(400):
            shift = Keys.SHIFT if backwards else Keys.NULL
            ActionChains(self.browser.driver).key_down(shift).send_keys(Keys.TAB).key_up(shift).perform()
            if self.browser.driver.execute_script(FOCUS_JS) == [name, grid]:
                break
        else:
            self.fail("%s of %s cannot be reached with the keyboard" % (name, grid))
        if press:
            old = self.browser.driver.find_element("tag name", "html")
            self.keys(press)
            browser_suite.WebDriverWait(self.browser.driver, 30).until(browser_suite.replaced(old))

    def test_keyboard_alone_pages_sorts_filters_selects_and_edits(self):
        b = self.browser.open()
        self.tab_to("Customers", "GNEXT", press=Keys.ENTER)
        self.assertEqual(b.first(), ("2", "9"))
        self.tab_to("Customers", "GSortDESC_2", press=Keys.ENTER)
        names = [r[1] for r in b.rows()]
        self.assertEqual(names, sorted(names, reverse=True))
        record = b.driver.execute_script(RECORD_JS, 3)
        customer = b.rows()[3][0]
        self.tab_to("Customers", record, backwards=True, press=Keys.SPACE)
        self.assertEqual({r[1] for r in b.rows("Orders")}, {customer})
        order = b.rows("Orders")[0][0]
        self.tab_to("Orders", "GCELL_0_3")
        self.keys("Typed at the keyboard")  # Tab selected the field's text: typing replaces it
        self.tab_to("Orders", "GUPDATE", press=Keys.SPACE)
        self.assertEqual(self.site.sql("SELECT Product FROM orders WHERE OrderId = ?", (order,)),
                         "Typed at the keyboard")
        city = b.rows()[0][2]
        self.tab_to("Customers", "GFLT_2")
        old = b.driver.find_element("tag name", "html")
        self.keys(city, Keys.ENTER)
        browser_suite.WebDriverWait(b.driver, 30).until(browser_suite.replaced(old))
        self.assertEqual({r[2] for r in b.rows()}, {city})


if __name__ == "__main__":
    if SKIP:
        print("SKIPPED: " + SKIP)
        sys.exit(z.SKIP)
    sys.exit(0 if unittest.main(exit=False, verbosity=2).result.wasSuccessful() else 1)
